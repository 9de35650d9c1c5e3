#pragma once

// CFilterHost: the object through which the input filters, the built-in style-sheet
// filter and the font-embedding component talk back to the control during a call:
// error text, further files of the package, the source folder, progress (with the
// abort answer) and compiler-style messages.
//
// The control makes exactly one and deletes it with itself; reference counting does
// nothing, so a caller must not keep the pointer beyond the call that handed it over.
// No C++ exception leaves an operation: a failure inside becomes an error HRESULT.

#include "common/InputFilter.h"

class CLeafcraftSDKControl;

class CFilterHost final : public IFilterHost {
public:
    explicit CFilterHost(CLeafcraftSDKControl& control) : m_control(control) {}
    ~CFilterHost() = default;

    CFilterHost(const CFilterHost&) = delete;
    CFilterHost& operator=(const CFilterHost&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }

    HRESULT SetErrorDetails(LPCOLESTR text) override;
    HRESULT AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) override;
    HRESULT GetSourceFolder(BSTR* folder) override;
    HRESULT StepProgress(LONG units) override;
    HRESULT UpdateProgress(LONG percent, LONG step, LPCOLESTR details) override;
    HRESULT AddOutputFile(LPCOLESTR path) override;
    HRESULT Message(LONG reserved, LONG type, LONG code, LPCOLESTR text, LPCOLESTR filePath, LONG line) override;

private:
    CLeafcraftSDKControl& m_control;
};
