// A page filter for the control's build tests (module sdktestpages.so), ProgID
// LeafcraftTest.PageFilter, for ".htm", ".html", ".tpg" and ".txt".
//
// Prepare reports every href="..." and src="..." of a page (the fragment cut off; a link
// with a scheme as it is, another one resolved against the page's folder) and walks the
// linked pages (.htm, .html, .tpg) that exist, each page once in the filter's life.
// GetSize gives the file's size in bytes. Convert writes the page with a first line
// "<!-- converted -->"; a ".tpg" or ".txt" source becomes <html><body><pre>TEXT</pre>...
// It steps the progress by the source's size once. A source that holds
//   CONVERT-FAILS        fails with the details "cannot convert"
//   CONVERT-FAILS-QUIET  fails without details
//   ADDS-OUTPUT          also writes extra.css beside the page and adds it as an output file.

#include <set>
#include <string>
#include <vector>

#include "common/InputFilter.h"
#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/ComObject.h"
#include "platform/com/Module.h"
#include "platform/registry/RegistryKey.h"

namespace {

inline constexpr CLSID CLSID_TestPageFilter = leaf::MakeGuid("{5C2E7A10-3B41-4E0F-9D6A-1F0C2B7E9A11}");
inline constexpr const char* kPageFilterProgId = "LeafcraftTest.PageFilter";

std::string Narrow(LPCOLESTR text) { return text ? leaf::Utf16ToUtf8(std::u16string_view(text)) : std::string(); }

bool IsPage(const std::string& path) {
    std::string extension = leaf::ToLowerAscii(leaf::path::Extension(path));
    return extension == ".htm" || extension == ".html" || extension == ".tpg";
}

class CTestPageFilter final : public leaf::ComObject<CTestPageFilter, IInputFilter> {
public:
    HRESULT Initialize() override { return S_OK; }

    HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR, IFilterHost* host) override {
        return Walk(Narrow(sourcePath), host, m_visited);
    }

    HRESULT Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG, IFilterHost* host) override {
        std::string contents;
        if (!leaf::ReadFileBytes(Narrow(sourcePath), contents))
            return E_FAIL;
        if (contents.find("CONVERT-FAILS-QUIET") != std::string::npos)
            return E_FAIL;
        if (contents.find("CONVERT-FAILS") != std::string::npos) {
            host->SetErrorDetails(u"cannot convert");
            return E_FAIL;
        }
        std::string extension = leaf::ToLowerAscii(leaf::path::Extension(Narrow(sourcePath)));
        if (extension == ".tpg" || extension == ".txt")
            contents = "<html><body><pre>" + contents + "</pre></body></html>\n";
        if (!leaf::WriteFileAtomically(Narrow(destinationPath), "<!-- converted -->\n" + contents))
            return E_FAIL;
        if (contents.find("ADDS-OUTPUT") != std::string::npos) {
            std::string extra = leaf::path::Join(leaf::path::FolderPart(Narrow(destinationPath)), "extra.css");
            if (!leaf::WriteFileAtomically(extra, "p { }\n"))
                return E_FAIL;
            host->AddOutputFile(leaf::Utf8ToUtf16(extra).c_str());
        }
        return host->StepProgress(static_cast<LONG>(contents.size()));
    }

    HRESULT GetSize(LPCOLESTR sourcePath, LONG, LONG* units) override {
        CFileStatus status;
        if (!CFile::GetStatus(Narrow(sourcePath).c_str(), status))
            return E_FAIL;
        *units = static_cast<LONG>(status.m_size);
        return S_OK;
    }

private:
    // Pages already walked, over every call: each page's links are reported once.
    std::set<std::string> m_visited;

    HRESULT Walk(const std::string& path, IFilterHost* host, std::set<std::string>& visited) {
        std::optional<std::string> onDisk = leaf::path::Resolve(path);
        if (!onDisk || !visited.insert(*onDisk).second)
            return S_OK;
        // The links first, so that no page's text is held while linked pages are walked.
        std::vector<std::string> links;
        {
            std::string contents;
            if (!leaf::ReadFileBytes(*onDisk, contents))
                return E_FAIL;
            for (const char* attribute : {"href=\"", "src=\""}) {
                const size_t length = std::string(attribute).size();
                for (size_t at = contents.find(attribute); at != std::string::npos;
                     at = contents.find(attribute, at + 1)) {
                    size_t end = contents.find('"', at + length);
                    if (end == std::string::npos)
                        break;
                    links.push_back(contents.substr(at + length, end - at - length));
                }
            }
        }
        for (std::string link : links) {
            size_t hash = link.find('#');
            if (hash != std::string::npos)
                link.resize(hash);
            if (link.empty())
                continue;
            bool hasScheme = link.find(':') != std::string::npos;
            if (!hasScheme && !leaf::path::IsAbsolute(link))
                link = leaf::path::LexicallyNormal(leaf::path::Join(leaf::path::FolderPart(*onDisk), link));
            host->AddDependency(leaf::Utf8ToUtf16(link).c_str(), nullptr);
            if (!hasScheme && IsPage(link)) {
                HRESULT hr = Walk(link, host, visited);
                if (FAILED(hr))
                    return hr;
            }
        }
        return host->StepProgress(0);
    }
};

const leaf::ComModule& ThisModule() {
    static const leaf::ComModule module{{
        leaf::MakeClassEntry<CTestPageFilter>(CLSID_TestPageFilter, kPageFilterProgId, "", "Test Page Filter"),
    }};
    return module;
}

void RegisterFilterKeys(const char* progId, std::initializer_list<const char*> extensions) {
    leaf::RegistryKey::Create(HKEY_LOCAL_MACHINE,
                              std::string("Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\") + progId);
    for (const char* extension : extensions) {
        leaf::RegistryKey key = leaf::RegistryKey::Create(
            HKEY_USERS, std::string(".Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\") + extension);
        key.WriteString("", progId);
    }
}

}  // namespace

LEAF_EXPORT_C HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return ThisModule().GetClassObject(clsid, riid, object);
}
LEAF_EXPORT_C HRESULT DllCanUnloadNow() { return ThisModule().CanUnloadNow(); }
LEAF_EXPORT_C HRESULT DllRegisterServer() {
    static const char addressInModule = 0;
    HRESULT hr = ThisModule().RegisterServer(&addressInModule);
    if (FAILED(hr))
        return hr;
    RegisterFilterKeys(kPageFilterProgId, {".htm", ".html", ".tpg", ".txt"});
    return S_OK;
}
LEAF_EXPORT_C HRESULT DllUnregisterServer() { return ThisModule().UnregisterServer(); }
