#pragma once

// An IFilterHost for the filter's tests: records what the filter reports and answers
// as a test sets it up (an abort from StepProgress, a failing AddDependency).

#include <string>
#include <utility>
#include <vector>

#include "common/InputFilter.h"
#include "platform/base/TextEncoding.h"

namespace htmltest {

class RecordingHost final : public IFilterHost {
public:
    HRESULT QueryInterface(REFIID, void** object) override {
        if (object)
            *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }

    HRESULT SetErrorDetails(LPCOLESTR text) override {
        errorDetails = leaf::Utf16ToUtf8(text);
        return S_OK;
    }
    HRESULT AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) override {
        if (failDependencyAfter >= 0 && static_cast<int>(dependencies.size()) == failDependencyAfter)
            return E_OUTOFMEMORY;
        dependencies.emplace_back(leaf::Utf16ToUtf8(path), mappedPath ? leaf::Utf16ToUtf8(mappedPath) : "");
        return S_OK;
    }
    HRESULT GetSourceFolder(BSTR*) override { return E_NOTIMPL; }
    HRESULT StepProgress(LONG units) override {
        ++progressCalls;
        progress += units;
        return abort ? E_ABORT : S_OK;
    }
    HRESULT UpdateProgress(LONG, LONG, LPCOLESTR) override { return S_OK; }
    HRESULT AddOutputFile(LPCOLESTR) override { return S_OK; }
    HRESULT Message(LONG, LONG, LONG, LPCOLESTR, LPCOLESTR, LONG) override { return S_OK; }

    // The reported paths, in order.
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const auto& dependency : dependencies)
            paths.push_back(dependency.first);
        return paths;
    }

    std::vector<std::pair<std::string, std::string>> dependencies;  // path, mapped path
    std::string errorDetails;
    long long progress = 0;
    int progressCalls = 0;
    bool abort = false;
    int failDependencyAfter = -1;  // AddDependency fails once this many were added
};

}  // namespace htmltest
