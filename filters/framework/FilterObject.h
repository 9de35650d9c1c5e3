#pragma once

// The base of a filter object with an option page. The filter implements the four
// IInputFilter operations and, to offer its page, CreatePropertyPage; the page is made
// on the first request for IPropertyPage and lives as long as the object.

#include <memory>

#include "common/InputFilter.h"
#include "filters/framework/FilterApp.h"
#include "filters/framework/FilterPageFace.h"

class CFilterObject : public IInputFilter {
public:
    // pageDialogId: the dialog resource of the option page (also its title string).
    explicit CFilterObject(UINT pageDialogId);
    virtual ~CFilterObject();
    CFilterObject(const CFilterObject&) = delete;
    CFilterObject& operator=(const CFilterObject&) = delete;

    // IUnknown and IInputFilter give the filter face, IPropertyPage the page face.
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    // At 0 the page is destroyed first, then the object.
    ULONG Release() override;

    UINT GetPageDialogId() const { return m_pageDialogId; }

protected:
    // Makes the option page for the dialog; null when the filter offers none. The page
    // forwards its IUnknown operations to `owner` (this object's IUnknown).
    virtual std::unique_ptr<CFilterPageFace> CreatePropertyPage(IUnknown* owner, UINT dialogId);

private:
    CFilterLiveObject m_live;
    UINT m_pageDialogId;
    ULONG m_refCount = 0;
    std::unique_ptr<CFilterPageFace> m_page;
};
