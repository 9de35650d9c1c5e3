#pragma once

// The base of a filter object without an option page: it answers IUnknown and
// IInputFilter only. The filter implements the four IInputFilter operations.

#include "common/InputFilter.h"
#include "filters/framework/FilterApp.h"

class CSimpleFilterObject : public IInputFilter {
public:
    CSimpleFilterObject() = default;
    virtual ~CSimpleFilterObject() = default;
    CSimpleFilterObject(const CSimpleFilterObject&) = delete;
    CSimpleFilterObject& operator=(const CSimpleFilterObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

private:
    CFilterLiveObject m_live;
    ULONG m_refCount = 0;
};
