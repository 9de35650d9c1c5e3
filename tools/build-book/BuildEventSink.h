#pragma once

// The client's sink for the build control's events: prints the progress of each stage
// and every message of the compiler and of the control, as they arrive.

#include <cstdio>
#include <string>

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

class CBuildEventSink final : public leaf::ComObject<CBuildEventSink, IDispatch> {
public:
    explicit CBuildEventSink(std::FILE* out) : m_out(out) {}

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT*) override;

    // Compiler messages the authoring program does not record either: the compiler's
    // informational codes 4100 to 4499 and 1106.
    static bool IsIgnoredCompilerMessage(LONG code) { return (code >= 4100 && code <= 4499) || code == 1106; }

private:
    void OnUpdateProgress(LONG percent, LONG step, const std::string& details);
    void OnMessage(bool fromCompiler, LONG type, LONG code, const std::string& text, const std::string& filePath,
                   LONG line);

    std::FILE* m_out;
    LONG m_lastStep = 0;
    std::string m_lastDetails;
};
