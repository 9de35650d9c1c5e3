// Arbitrary bytes as an HTML page whose links the HTML filter collects: the walk must
// finish, report each path once (letter case aside) and never report an empty one, and
// every link it resolves must keep its scheme or be an absolute path.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <unistd.h>

#include "filters/html/HtmlFilter.h"
#include "platform/base/CString.h"
#include "platform/base/TextEncoding.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace {

using leaf::fuzz::Check;

std::string PagePath() {
    return leaf::fuzz::ScratchFile("leaf-fuzz-links", "page.htm");
}

class CheckingHost final : public IFilterHost {
public:
    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT SetErrorDetails(LPCOLESTR) override { return S_OK; }
    HRESULT AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) override {
        const std::string text = leaf::Utf16ToUtf8(path);
        Check(!text.empty());
        Check(text == leaf::Utf16ToUtf8(mappedPath));
        Check(text.find(':') != std::string::npos || text.front() == '/');
        Check(keys.insert(leaf::ToLowerAscii(text)).second);
        return S_OK;
    }
    HRESULT GetSourceFolder(BSTR*) override { return E_NOTIMPL; }
    HRESULT StepProgress(LONG units) override {
        Check(units >= 0);
        return S_OK;
    }
    HRESULT UpdateProgress(LONG, LONG, LPCOLESTR) override { return S_OK; }
    HRESULT AddOutputFile(LPCOLESTR) override { return S_OK; }
    HRESULT Message(LONG, LONG, LONG, LPCOLESTR, LPCOLESTR, LONG) override { return S_OK; }

    std::set<std::string> keys;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(PagePath().c_str(), "wb");
    Check(file != nullptr);
    Check(size == 0 || std::fwrite(data, 1, size, file) == size);
    std::fclose(file);

    CHtmlFilter* filter = new CHtmlFilter;
    filter->AddRef();
    // One level: the page's own links are reported and no linked file is opened, so the
    // run reads nothing but the input.
    filter->SetWalkLinkLevel(1);
    CheckingHost host;
    const std::u16string source = leaf::Utf8ToUtf16(PagePath());
    Check(filter->Prepare(source.c_str(), nullptr, &host) == S_OK);
    filter->Release();
    return 0;
}
