#include "tests/filters/framework/testfilter/TestFilter.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/TextEncoding.h"
#include "platform/com/Bstr.h"
#include "tests/filters/framework/testfilter/TestFilterIds.h"

namespace {

// Stands in for the option page, whose window side is not part of this module: its
// IUnknown face forwards to the filter object; the page operations are not offered.
class CTestFilterPage : public IPropertyPage, public CFilterPageFace {
public:
    explicit CTestFilterPage(IUnknown* owner) : m_owner(owner) {}

    HRESULT QueryInterface(REFIID riid, void** object) override { return m_owner->QueryInterface(riid, object); }
    ULONG AddRef() override { return m_owner->AddRef(); }
    ULONG Release() override { return m_owner->Release(); }
    HRESULT SetPageSite(IPropertyPageSite*) override { return E_NOTIMPL; }
    HRESULT Activate(HWND, LPCRECT, BOOL) override { return E_NOTIMPL; }
    HRESULT Deactivate() override { return E_NOTIMPL; }
    HRESULT GetPageInfo(PROPPAGEINFO*) override { return E_NOTIMPL; }
    HRESULT SetObjects(ULONG, IUnknown**) override { return E_NOTIMPL; }
    HRESULT Show(UINT) override { return E_NOTIMPL; }
    HRESULT Move(LPCRECT) override { return E_NOTIMPL; }
    HRESULT IsPageDirty() override { return S_FALSE; }
    HRESULT Apply() override { return E_NOTIMPL; }
    HRESULT Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(LPMSG) override { return E_NOTIMPL; }
    IPropertyPage* GetPageInterface() override { return this; }

private:
    IUnknown* m_owner;
};

std::string ToUtf8(LPCOLESTR text) {
    return leaf::Utf16ToUtf8(text);
}

HRESULT Fail(IFilterHost* host, const std::string& message) {
    host->SetErrorDetails(leaf::Utf8ToUtf16(message).c_str());
    return E_FAIL;
}

}  // namespace

CTestFilter::CTestFilter() : CFilterObject(IDD_TEST_FILTER_PAGE) {}

HRESULT CTestFilter::Initialize() {
    return S_OK;
}

HRESULT CTestFilter::Prepare(LPCOLESTR sourcePath, LPCOLESTR mappingFolder, IFilterHost* host) {
    if (sourcePath == nullptr || host == nullptr)
        return E_POINTER;
    const std::filesystem::path source = ToUtf8(sourcePath);
    std::ifstream in(source);
    if (!in)
        return Fail(host, "Unable to open \"" + source.string() + "\"");
    std::string line;
    while (std::getline(in, line)) {
        std::filesystem::path dependency;
        std::u16string mapped;
        if (line.starts_with("dep ")) {
            std::string name = line.substr(4);
            dependency = source.parent_path() / name;
            if (mappingFolder != nullptr && *mappingFolder != 0)
                mapped = leaf::Utf8ToUtf16((std::filesystem::path(ToUtf8(mappingFolder)) / name).string());
        } else if (line.starts_with("srcdep ")) {
            leaf::Bstr folder;
            if (HRESULT hr = host->GetSourceFolder(folder.Receive()); FAILED(hr))
                return hr;
            dependency = std::filesystem::path(folder.ToUtf8()) / line.substr(7);
        } else {
            continue;
        }
        HRESULT hr = host->AddDependency(leaf::Utf8ToUtf16(dependency.string()).c_str(),
                                         mapped.empty() ? nullptr : mapped.c_str());
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT CTestFilter::Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG, IFilterHost* host) {
    if (sourcePath == nullptr || destinationPath == nullptr || host == nullptr)
        return E_POINTER;
    const std::string source = ToUtf8(sourcePath);
    const std::string destination = ToUtf8(destinationPath);
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return Fail(host, "Unable to open \"" + source + "\"");
    std::ofstream out(destination, std::ios::binary | std::ios::trunc);
    if (!out)
        return Fail(host, "Unable to create \"" + destination + "\"");
    char buffer[4096];
    while (in) {
        in.read(buffer, sizeof buffer);
        std::streamsize count = in.gcount();
        if (count <= 0)
            break;
        if (!out.write(buffer, count)) {
            out.close();
            std::filesystem::remove(destination);
            return Fail(host, "Unable to write \"" + destination + "\"");
        }
        if (FAILED(host->StepProgress(static_cast<LONG>(count)))) {
            out.close();
            std::filesystem::remove(destination);
            return E_ABORT;
        }
    }
    return S_OK;
}

HRESULT CTestFilter::GetSize(LPCOLESTR sourcePath, LONG, LONG* units) {
    if (sourcePath == nullptr || units == nullptr)
        return E_POINTER;
    *units = 0;
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(ToUtf8(sourcePath), error);
    if (error)
        return STG_E_PATHNOTFOUND;
    *units = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(size);
    return S_OK;
}

std::unique_ptr<CFilterPageFace> CTestFilter::CreatePropertyPage(IUnknown* owner, UINT) {
    return std::make_unique<CTestFilterPage>(owner);
}
