#pragma once

// CImageFilter: the filter of pictureintake.so for ".png", ".gif", ".jpg" and ".jpeg".
// A picture needs no other file. A picture that is a reading-order item (a page of its
// own) becomes a small HTML page that shows it with the alignment chosen in the profile;
// any other picture is copied into the work folder unchanged.

#include "filters/framework/FilterObject.h"
#include "platform/base/CString.h"

class CImageFilter : public CFilterObject {
public:
    static constexpr const char* kProfileSection = "Image Filter";
    static constexpr const char* kAlignEntry = "Align";
    static constexpr const char* kDefaultAlign = "center";

    CImageFilter();

    HRESULT Initialize() override;
    HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR mappingFolder, IFilterHost* host) override;
    HRESULT Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG flags, IFilterHost* host) override;
    HRESULT GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) override;

    const CString& GetAlign() const { return m_align; }
    void SetAlign(const CString& align) { m_align = align; }

protected:
    // The option page (dialog 3000): the filter's setting between the profile and the page.
    std::unique_ptr<CFilterPageFace> CreatePropertyPage(IUnknown* owner, UINT dialogId) override;

private:
    HRESULT WritePage(const CString& source, const CString& destination, IFilterHost* host) const;
    static HRESULT CopyPicture(const CString& source, const CString& destination, IFilterHost* host);

    CString m_align = kDefaultAlign;
};
