#pragma once

// What the image and plain-text filter tests share: a host that records what a filter
// tells it (and can refuse progress to stand for an abort), registering a filter module
// and creating its filter object through the COM runtime, and small file helpers.

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/InputFilter.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComRuntime.h"
#include "tests/sdk/control/SdkTestSupport.h"

namespace filtertest {

class RecordingHost : public IFilterHost {
public:
    std::vector<std::string> dependencies;  // "path|mapped", mapped "(null)" when none
    std::vector<LONG> steps;
    std::string sourceFolder = "/books/source";
    bool sourceFolderFails = false;
    int abortAtStep = -1;  // StepProgress fails from this call (counted from 0) on
    std::string errorDetails;

    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT SetErrorDetails(LPCOLESTR text) override {
        errorDetails = leaf::Utf16ToUtf8(text);
        return S_OK;
    }
    HRESULT AddDependency(LPCOLESTR path, LPCOLESTR mapped) override {
        dependencies.push_back(leaf::Utf16ToUtf8(path) + "|" + (mapped ? leaf::Utf16ToUtf8(mapped) : "(null)"));
        return S_OK;
    }
    HRESULT GetSourceFolder(BSTR* folder) override {
        if (sourceFolderFails)
            return E_FAIL;
        *folder = leaf::Bstr::FromUtf8(sourceFolder).Detach();
        return S_OK;
    }
    HRESULT StepProgress(LONG units) override {
        steps.push_back(units);
        return abortAtStep >= 0 && static_cast<int>(steps.size()) > abortAtStep ? E_ABORT : S_OK;
    }
    HRESULT UpdateProgress(LONG, LONG, LPCOLESTR) override { return S_OK; }
    HRESULT AddOutputFile(LPCOLESTR) override { return S_OK; }
    HRESULT Message(LONG, LONG, LONG, LPCOLESTR, LPCOLESTR, LONG) override { return S_OK; }
};

// Registers build/bin/<module> and creates its filter object by CLSID.
inline leaf::ComPtr<IInputFilter> CreateFilter(const std::string& module, REFCLSID clsid) {
    leaf::ComPtr<IInputFilter> filter;
    EXPECT_TRUE(leaf::test::RegisterModule(module)) << module;
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter, filter.ReceiveVoid()));
    return filter;
}

inline std::u16string U16(const std::string& text) { return leaf::Utf8ToUtf16(text); }

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bytes of ASCII text as UTF-16 little-endian units.
inline std::string Utf16Bytes(std::string_view ascii) {
    std::string bytes;
    for (char ch : ascii) {
        bytes.push_back(ch);
        bytes.push_back('\0');
    }
    return bytes;
}

}  // namespace filtertest
