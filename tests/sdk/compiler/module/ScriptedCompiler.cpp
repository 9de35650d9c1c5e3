// scriptedlitgen.so: a test-only e-book compiler for the driver's error paths. It is
// scripted through environment variables of the test process:
//   LEAF_TEST_COMPILER_SCRIPT  words separated by ',':
//     nocreate      CreateWriter fails          noinit      Initialize fails
//     initmessage   Initialize reports the error "init refused" first
//     nobegin       BeginEBook fails            nopackage   GetPackageStream fails
//     noend         the package stream's End fails
//     htmlmessage   NextHtmlItem reports the warning "before html" before it answers
//     nofinish      Finish fails
//   LEAF_TEST_COMPILER_ITEMS   "kind:path;..." with kind css, html or bin: the items
//                              handed out, each with the URL "file://" + path
//   LEAF_TEST_COMPILER_LOG     a file that receives one line per writer call

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/TextEncoding.h"
#include "platform/com/ComObject.h"
#include "sdk/compiler/EBookCompiler.h"

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool Scripted(const std::string& word) { return ("," + Env("LEAF_TEST_COMPILER_SCRIPT") + ",").find("," + word + ",") != std::string::npos; }

void Log(const std::string& line) {
    std::string path = Env("LEAF_TEST_COMPILER_LOG");
    if (!path.empty())
        std::ofstream(path, std::ios::app) << line << "\n";
}

HRESULT Url(const std::string& path, BSTR* url) {
    *url = leaf::Bstr::FromUtf8("file://" + path).Detach();
    return S_OK;
}

class Element final : public leaf::ComObject<Element, IMarkupElement> {
public:
    HRESULT SetName(LPCOLESTR, LONG) override { return S_OK; }
    HRESULT AddAttribute(LPCOLESTR, LONG, LPCOLESTR, LONG) override { return S_OK; }
};

class Markup final : public leaf::ComObject<Markup, IMarkupStream> {
public:
    Markup(std::string path, bool package) : m_path(std::move(path)), m_package(package) {}
    HRESULT GetId(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetUrl(BSTR* url) override { return Url(m_path, url); }
    HRESULT GetMediaType(BSTR*) override { return E_NOTIMPL; }
    HRESULT CreateElement(IUnknown** element) override {
        leaf::ComPtr<Element> created(new Element());
        *element = static_cast<IMarkupElement*>(created.Detach());
        return S_OK;
    }
    HRESULT StartElement(IMarkupElement*, BOOL) override { return S_OK; }
    HRESULT WriteText(LPCOLESTR, LONG) override { return S_OK; }
    HRESULT EndElement() override { return S_OK; }
    HRESULT WriteComment(LPCOLESTR, LONG) override { return S_OK; }
    HRESULT End() override {
        Log("end " + m_path);
        return m_package && Scripted("noend") ? E_FAIL : S_OK;
    }

private:
    std::string m_path;
    bool m_package;
};

class Css final : public leaf::ComObject<Css, ICssStream> {
public:
    explicit Css(std::string path) : m_path(std::move(path)) {}
    HRESULT GetId(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetUrl(BSTR* url) override { return Url(m_path, url); }
    HRESULT GetMediaType(BSTR*) override { return E_NOTIMPL; }
    HRESULT Write(const char* bytes, LONG length, LONG* written) override {
        Log("css " + std::string(bytes, static_cast<size_t>(length)));
        *written = length;
        return S_OK;
    }
    HRESULT End() override {
        Log("end " + m_path);
        return S_OK;
    }

private:
    std::string m_path;
};

class Binary final : public leaf::ComObject<Binary, IBinaryStream> {
public:
    explicit Binary(std::string path) : m_path(std::move(path)) {}
    HRESULT GetId(BSTR*) override { return E_NOTIMPL; }
    HRESULT GetUrl(BSTR* url) override { return Url(m_path, url); }
    HRESULT GetMediaType(BSTR*) override { return E_NOTIMPL; }
    HRESULT Write(const void*, LONG length, LONG* written) override {
        Log("bin " + std::to_string(length));
        *written = length;
        return S_OK;
    }

private:
    std::string m_path;
};

class Writer final : public leaf::ComObject<Writer, IEBookWriter> {
public:
    Writer() {
        std::istringstream items(Env("LEAF_TEST_COMPILER_ITEMS"));
        std::string item;
        while (std::getline(items, item, ';'))
            if (size_t colon = item.find(':'); colon != std::string::npos)
                m_items.emplace_back(item.substr(0, colon), item.substr(colon + 1));
    }
    HRESULT Initialize(ICompilerCallback* callback) override {
        Log("initialize");
        m_callback = callback;
        if (Scripted("initmessage"))
            callback->Message(0, 1, u"init refused");
        return Scripted("noinit") ? E_FAIL : S_OK;
    }
    HRESULT BeginEBook(LPCOLESTR eBook, LPCOLESTR folder, LPCOLESTR source, void*) override {
        Log("begin " + leaf::Utf16ToUtf8(eBook) + " " + leaf::Utf16ToUtf8(folder) + " " + leaf::Utf16ToUtf8(source));
        return Scripted("nobegin") ? E_FAIL : S_OK;
    }
    HRESULT GetPackageStream(LONG flags, IUnknown** stream) override {
        Log("package " + std::to_string(flags));
        if (Scripted("nopackage"))
            return E_FAIL;
        leaf::ComPtr<Markup> created(new Markup("package", true));
        *stream = static_cast<IMarkupStream*>(created.Detach());
        return S_OK;
    }
    HRESULT NextCssItem(IUnknown** stream) override { return Next("css", stream); }
    HRESULT NextHtmlItem(IUnknown** stream) override {
        if (Scripted("htmlmessage"))
            m_callback->Message(1, 5, u"before html");
        return Next("html", stream);
    }
    HRESULT NextBinaryItem(IUnknown** stream) override { return Next("bin", stream); }
    HRESULT Finish() override {
        Log("finish");
        return Scripted("nofinish") ? E_FAIL : S_OK;
    }
    HRESULT Cancel() override {
        Log("cancel");
        return S_OK;
    }

private:
    HRESULT Next(const std::string& kind, IUnknown** stream) {
        *stream = nullptr;
        for (auto item = m_items.begin(); item != m_items.end(); ++item) {
            if (item->first != kind)
                continue;
            std::string path = item->second;
            m_items.erase(item);
            if (kind == "css") {
                leaf::ComPtr<Css> created(new Css(path));
                *stream = static_cast<ICssStream*>(created.Detach());
            } else if (kind == "html") {
                leaf::ComPtr<Markup> created(new Markup(path, false));
                *stream = static_cast<IMarkupStream*>(created.Detach());
            } else {
                leaf::ComPtr<Binary> created(new Binary(path));
                *stream = static_cast<IBinaryStream*>(created.Detach());
            }
            return S_OK;
        }
        return S_FALSE;
    }

    ICompilerCallback* m_callback = nullptr;
    std::vector<std::pair<std::string, std::string>> m_items;
};

}  // namespace

LEAF_EXPORT_C HRESULT CreateWriter(IUnknown** writer) {
    *writer = nullptr;
    if (Scripted("nocreate"))
        return E_FAIL;
    leaf::ComPtr<Writer> created(new Writer());
    *writer = static_cast<IEBookWriter*>(created.Detach());
    return S_OK;
}
