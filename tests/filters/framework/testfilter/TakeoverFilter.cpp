// testtakeover.so: a filter without an option page that claims ".test" as well, so that
// the tests can see one filter take an extension over from another. It copies its
// sources unchanged, one work unit per file.

#include <filesystem>

#include "filters/framework/FilterClassFactory.h"
#include "filters/framework/SimpleFilterObject.h"
#include "platform/base/TextEncoding.h"
#include "tests/filters/framework/testfilter/TestFilterIds.h"

namespace {

class CTakeoverFilter : public CSimpleFilterObject {
public:
    HRESULT Initialize() override { return S_OK; }

    HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR, IFilterHost* host) override {
        return sourcePath == nullptr || host == nullptr ? E_POINTER : S_OK;
    }

    HRESULT Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG, IFilterHost* host) override {
        if (sourcePath == nullptr || destinationPath == nullptr || host == nullptr)
            return E_POINTER;
        std::error_code error;
        std::filesystem::copy_file(leaf::Utf16ToUtf8(sourcePath), leaf::Utf16ToUtf8(destinationPath),
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error) {
            host->SetErrorDetails(leaf::Utf8ToUtf16(error.message()).c_str());
            return E_FAIL;
        }
        return FAILED(host->StepProgress(1)) ? E_ABORT : S_OK;
    }

    HRESULT GetSize(LPCOLESTR sourcePath, LONG, LONG* units) override {
        if (sourcePath == nullptr || units == nullptr)
            return E_POINTER;
        *units = 0;
        if (!std::filesystem::exists(leaf::Utf16ToUtf8(sourcePath)))
            return STG_E_PATHNOTFOUND;
        *units = 1;
        return S_OK;
    }
};

class CTakeoverFilterApp : public CFilterApp {
public:
    CLSID GetCLSID() const override { return CLSID_TakeoverFilter; }
    CFilterClassFactory* CreateClassFactory() override {
        return new (std::nothrow) TFilterClassFactory<CTakeoverFilter>;
    }
};

CTakeoverFilterApp theApp;

}  // namespace
