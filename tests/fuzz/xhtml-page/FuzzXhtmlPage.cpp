// Arbitrary bytes as an HTML item of a build: read by the intermediate-source encoder as
// the control reads a page, streamed into the e-book compiler's page writer, and the
// page it writes checked as XML: one root, every element closed in order, attribute
// values quoted, no "<" or stray "&" in text, no character XML does not allow, and a size
// within a fixed multiple of the input's.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "outside/litgen/XhtmlSerializer.h"
#include "outside/litgen/XmlText.h"
#include "platform/com/ComObject.h"
#include "sdk/compiler/IntermediateEncoder.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace {

using leaf::fuzz::Check;

class PageElement final : public leaf::ComObject<PageElement, IMarkupElement> {
public:
    HRESULT SetName(LPCOLESTR name, LONG length) override {
        this->name.assign(name, static_cast<size_t>(length));
        return S_OK;
    }
    HRESULT AddAttribute(LPCOLESTR name, LONG nameLength, LPCOLESTR value, LONG valueLength) override {
        attributes.emplace_back(std::u16string(name, static_cast<size_t>(nameLength)),
                                std::u16string(value ? value : u"", static_cast<size_t>(valueLength)));
        return S_OK;
    }
    std::u16string name;
    CXhtmlSerializer::Attributes attributes;
};

// The writer's own stream, without the module around it.
class PageStream final : public leaf::ComObject<PageStream, IMarkupStream> {
public:
    explicit PageStream(CXhtmlSerializer& page) : m_page(page) {}
    HRESULT GetId(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetUrl(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetMediaType(BSTR*) override { return E_NOTIMPL; }
    HRESULT CreateElement(IUnknown** element) override {
        leaf::ComPtr<PageElement> created(new PageElement());
        *element = static_cast<IMarkupElement*>(created.Detach());
        return S_OK;
    }
    HRESULT StartElement(IMarkupElement* element, BOOL hasContent) override {
        auto* ours = static_cast<PageElement*>(element);
        m_page.StartElement(ours->name, ours->attributes, hasContent != FALSE);
        return S_OK;
    }
    HRESULT WriteText(LPCOLESTR text, LONG count) override {
        m_page.WriteText(std::u16string_view(text, static_cast<size_t>(count)));
        return S_OK;
    }
    HRESULT EndElement() override { return m_page.EndElement() ? S_OK : E_UNEXPECTED; }
    HRESULT WriteComment(LPCOLESTR text, LONG count) override {
        m_page.WriteComment(std::u16string_view(text, static_cast<size_t>(count)));
        return S_OK;
    }
    HRESULT End() override { return S_OK; }

private:
    CXhtmlSerializer& m_page;
};

// The e-book's items: pages, a picture, one item under a safe name and a picture readers
// need not show.
CXhtmlSerializer::TargetInfo LookUp(const std::string& path) {
    if (path == "other.htm" || path == "page.htm")
        return {CXhtmlSerializer::Target::ContentDocument, path, path, ""};
    if (path == "pic.png")
        return {CXhtmlSerializer::Target::OtherItem, path, path, ""};
    if (path == "what?.gif")
        return {CXhtmlSerializer::Target::OtherItem, path, "what_.gif", ""};
    if (path == "scan.bmp")
        return {CXhtmlSerializer::Target::OtherItem, path, path, "image/bmp"};
    return {};
}

bool IsNameCharacter(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '-' ||
           ch == '_' || ch == '.' || ch == ':';
}

// Checks the document's markup; aborts at the first fault.
void CheckWellFormed(const std::string& document) {
    Check(document.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n<html "));
    std::vector<std::string> open;
    bool closedRoot = false;
    size_t at = document.find("<html ");
    while (at < document.size()) {
        if (document[at] == '&') {
            const size_t end = document.find(';', at);
            Check(end != std::string::npos);
            const std::string entity = document.substr(at + 1, end - at - 1);
            Check(entity == "amp" || entity == "lt" || entity == "gt" || entity == "quot" || entity == "#9" ||
                  entity == "#10" || entity == "#13");
            at = end + 1;
            continue;
        }
        if (document[at] != '<') {
            Check(!open.empty() || document[at] == '\n');
            ++at;
            continue;
        }
        if (document.compare(at, 4, "<!--") == 0) {
            const size_t end = document.find("-->", at + 4);
            Check(end != std::string::npos);
            Check(document.substr(at + 4, end - at - 4).find("--") == std::string::npos);
            at = end + 3;
            continue;
        }
        if (document.compare(at, 9, "<![CDATA[") == 0) {
            const size_t end = document.find("]]>", at + 9);
            Check(end != std::string::npos && !open.empty());
            at = end + 3;
            continue;
        }
        const bool endTag = document.compare(at, 2, "</") == 0;
        size_t name = at + (endTag ? 2 : 1);
        size_t cursor = name;
        while (cursor < document.size() && IsNameCharacter(document[cursor]))
            ++cursor;
        const std::string tag = document.substr(name, cursor - name);
        Check(!tag.empty());
        if (endTag) {
            Check(!open.empty() && open.back() == tag && cursor < document.size() && document[cursor] == '>');
            open.pop_back();
            closedRoot = open.empty();
            at = cursor + 1;
            continue;
        }
        Check(!closedRoot);
        // Attributes: name="value", the value without '<' or a bare quote.
        while (cursor < document.size() && document[cursor] == ' ') {
            ++cursor;
            if (document[cursor] == '/')
                break;
            const size_t attributeName = cursor;
            while (cursor < document.size() && IsNameCharacter(document[cursor]))
                ++cursor;
            Check(cursor > attributeName && document.compare(cursor, 2, "=\"") == 0);
            const size_t close = document.find('"', cursor + 2);
            Check(close != std::string::npos);
            Check(document.substr(cursor + 2, close - cursor - 2).find('<') == std::string::npos);
            cursor = close + 1;
        }
        if (document.compare(cursor, 2, "/>") == 0) {
            at = cursor + 2;
            continue;
        }
        Check(cursor < document.size() && document[cursor] == '>');
        open.push_back(tag);
        at = cursor + 1;
    }
    Check(open.empty() && closedRoot);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = leaf::fuzz::ScratchFile("leaf-fuzz-xhtml-page", "page.htm");
    FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr);
    Check(size == 0 || std::fwrite(data, 1, size, file) == size);
    std::fclose(file);

    CXhtmlSerializer page("page.htm", "page.htm", LookUp);
    leaf::ComPtr<PageStream> stream(new PageStream(page));
    {
        CIntermediateEncoder encoder(nullptr, nullptr, nullptr);
        encoder.EncodeFile(path.c_str(), stream.Get(), nullptr);
    }
    const std::string document = page.Finish();
    CheckWellFormed(document);
    // Every character of the document is an XML character.
    size_t replaced = 0;
    litgen::EscapeXmlText(document, &replaced);
    Check(replaced == 0);
    // Linear in the input: escapes, wrappers and the fixed head stay within bounds.
    Check(document.size() <= 64 * size + 4096);
    return 0;
}
