#pragma once

// The image filter's option page (dialog 3000, "Images"): how a picture that is a page of
// its own is aligned. The choice is kept in the filter object and in the profile
// ("Image Filter", Align).

#include <optional>

#include "filters/framework/FilterPropertyPage.h"
#include "platform/base/CString.h"

class CImageFilter;

inline constexpr int IDC_IMAGE_ALIGN = 3000;   // drop-down list of the alignments

class CImageFilterPage : public CFilterPropertyPage {
public:
    // The longest alignment text the page saves.
    static constexpr int kMaxAlignLength = 100;

    CImageFilterPage(IUnknown* owner, UINT dialogId, CImageFilter& filter);

    // A choice from the list marks the page dirty.
    LRESULT OnPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void LoadControls(CDialog& page) override;
    void HoldControls(CDialog& page) override;
    void SaveHeld() override;

private:
    CImageFilter& m_filter;
    std::optional<CString> m_held;
};
