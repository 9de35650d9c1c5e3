#pragma once

// The contract between the build control and its input filters: the filter interface
// IInputFilter that every filter module implements, and the host interface IFilterHost
// through which a filter talks back to the control during a call. Both sides compile
// this header; strings cross it as UTF-16 and stay owned by the caller.

#include "platform/base/Types.h"
#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_IInputFilter = leaf::MakeGuid("{4751D9E1-8A11-11D3-A93F-D495AB4AF745}");

// Flag bits of IInputFilter::Convert and IInputFilter::GetSize.
inline constexpr LONG kFilterReadingOrderItem = 0x1;       // a spine item or an HTML guide item
inline constexpr LONG kFilterScanDependencies = 0x10000;   // the dependency scan of a preparation

// The call-back interface a filter receives with each call. It has no identifier of its
// own (nobody asks for it by QueryInterface) and is never kept beyond the call.
struct IFilterHost : IUnknown {
    virtual HRESULT SetErrorDetails(LPCOLESTR text) = 0;
    virtual HRESULT AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) = 0;
    virtual HRESULT GetSourceFolder(BSTR* folder) = 0;
    virtual HRESULT StepProgress(LONG units) = 0;
    virtual HRESULT UpdateProgress(LONG percent, LONG step, LPCOLESTR details) = 0;
    virtual HRESULT AddOutputFile(LPCOLESTR path) = 0;
    virtual HRESULT Message(LONG reserved, LONG type, LONG code, LPCOLESTR text, LPCOLESTR filePath, LONG line) = 0;

protected:
    ~IFilterHost() = default;
};

struct IInputFilter : IUnknown {
    static constexpr const IID& kIid = IID_IInputFilter;

    virtual HRESULT Initialize() = 0;
    virtual HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR mappingFolder, IFilterHost* host) = 0;
    virtual HRESULT Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG flags, IFilterHost* host) = 0;
    virtual HRESULT GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) = 0;

protected:
    ~IInputFilter() = default;
};
