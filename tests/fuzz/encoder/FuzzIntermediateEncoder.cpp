// Arbitrary bytes as an HTML item of a build, through the intermediate-source encoder
// into a stream that checks what it is given: ends never outnumber the elements that
// were started with content, an accepted document leaves no element open, and the
// number of calls stays within a fixed multiple of the input's length (linear work).
// The encoder runs with a host, both link maps (holding names that differ only in case,
// and names with '&', '%', '#', '?' and ':') and a style-sheet link to insert, as it does
// for an HTML item of a build: once with links looked up as written, once with the
// build's folders, so that relative links are read from the page's own folder.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/com/ComObject.h"
#include "sdk/compiler/IntermediateEncoder.h"
#include "tests/fuzz/FuzzScratchFile.h"
#include "tests/sdk/compiler/RecordingStreams.h"

namespace {

using leaf::fuzz::Check;

std::string ScratchFile() {
    return leaf::fuzz::ScratchFile("leaf-fuzz-encoder", "item.htm");
}

class CheckingElement final : public leaf::ComObject<CheckingElement, IMarkupElement> {
public:
    HRESULT SetName(LPCOLESTR name, LONG length) override {
        Check(name != nullptr && length > 0);
        named = true;
        return S_OK;
    }
    HRESULT AddAttribute(LPCOLESTR name, LONG nameLength, LPCOLESTR value, LONG valueLength) override {
        Check(named && name != nullptr && nameLength >= 0 && valueLength >= 0);
        Check(valueLength == 0 || value != nullptr);
        ++attributes;
        return S_OK;
    }
    bool named = false;
    size_t attributes = 0;
};

class CheckingStream final : public leaf::ComObject<CheckingStream, IMarkupStream> {
public:
    HRESULT GetId(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetUrl(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetMediaType(BSTR*) override { return E_NOTIMPL; }
    HRESULT CreateElement(IUnknown** element) override {
        leaf::ComPtr<CheckingElement> created(new CheckingElement());
        *element = static_cast<IMarkupElement*>(created.Detach());
        ++calls;
        return S_OK;
    }
    HRESULT StartElement(IMarkupElement* element, BOOL hasContent) override {
        auto* checked = static_cast<CheckingElement*>(element);
        Check(checked->named);
        calls += 1 + checked->attributes;
        ++elements;
        if (hasContent)
            ++depth;
        return S_OK;
    }
    HRESULT WriteText(LPCOLESTR text, LONG count) override {
        Check(text != nullptr && count >= 1);
        textUnits += static_cast<size_t>(count);
        ++calls;
        return S_OK;
    }
    HRESULT EndElement() override {
        Check(depth > 0);
        --depth;
        ++calls;
        return S_OK;
    }
    HRESULT WriteComment(LPCOLESTR, LONG) override { return E_NOTIMPL; }
    HRESULT End() override { return S_OK; }

    size_t depth = 0;
    size_t elements = 0;
    size_t textUnits = 0;
    size_t calls = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    Check(file != nullptr);
    Check(size == 0 || std::fwrite(data, 1, size, file) == size);
    std::fclose(file);

    // As the control enters them: each file under its own name, and the first of two
    // names that differ only in case under its lower-cased name too.
    const std::string work = std::filesystem::path(ScratchFile()).parent_path().string();
    const CIntermediateEncoder::WorkPathMap outside = {{"/art/Logo.gif", "external/Logo.gif"},
                                                       {"/art/logo.gif", "external/logo1.gif"},
                                                       {"/art/o&2.gif", "external/o&2.gif"}};
    const CIntermediateEncoder::WorkPathMap converted = {{"notes.txt", "notes.htm"},
                                                         {"FAQ.htm", "faq.htm"},
                                                         {"faq.htm", "faq1.htm"},
                                                         {"/src/FAQ.txt", work + "/FAQ.htm"},
                                                         {"/src/faq.txt", work + "/faq1.htm"},
                                                         {"/src/n&m.txt", work + "/n&m.htm"},
                                                         {"/src/hash#1.txt", work + "/hash#1.htm"},
                                                         {"/src/q?.txt", work + "/q?.htm"},
                                                         {"/src/pct%41.txt", work + "/pct%41.htm"},
                                                         {"/src/c:x.txt", work + "/c:x.htm"}};
    compilertest::RecordingHost host;
    leaf::ComPtr<CheckingStream> stream(new CheckingStream());
    LONG line = 0;
    for (const bool withFolders : {false, true}) {
        CIntermediateEncoder encoder(&host, &outside, &converted);
        if (withFolders)
            encoder.SetFolders("/src", CString(work));
        encoder.SetLinkAttributes(u"rel='stylesheet' href='fonts/embedded-fonts.css' type='text/css' /");
        stream->depth = 0;
        const BOOL encoded = encoder.EncodeFile(ScratchFile().c_str(), stream.Get(), &line);
        // An accepted document closed every element it opened.
        if (encoded)
            Check(stream->depth == 0);
    }
    // Every character written came from the input, one unit at most per byte, except
    // that a style element's url()s ("url(x)", five bytes at least) may name the longer
    // places of the items they map to; every element needs at least three bytes of the
    // input (besides an inserted head and link).
    // (Both encodings counted.)
    Check(stream->textUnits <= 2 * (8 * size + 64));
    Check(stream->elements <= 2 * (size / 3 + 2));
    Check(line >= 0);
    // Progress never reports more than the file holds, in each encoding.
    LONGLONG progress = 0;
    for (LONG units : host.steps) {
        Check(units >= 0);
        progress += units;
    }
    Check(progress <= 2 * static_cast<LONGLONG>(size));
    return 0;
}
