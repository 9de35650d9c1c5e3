#pragma once

// The text filter's option page (dialog 4000, "Text"): how many spaces a tab stands for.
// The value is kept in the filter object and in the profile ("Text Filter", TabStop).

#include <optional>

#include "filters/framework/FilterPropertyPage.h"

class CTextFilter;

inline constexpr int IDC_TEXT_TAB_STOP = 4000;        // number field
inline constexpr int IDC_TEXT_TAB_STOP_SPIN = 4001;   // up-down control bound to it

class CTextFilterPage : public CFilterPropertyPage {
public:
    CTextFilterPage(IUnknown* owner, UINT dialogId, CTextFilter& filter);

    // An edit of the field marks the page dirty.
    LRESULT OnPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void LoadControls(CDialog& page) override;
    void HoldControls(CDialog& page) override;
    void SaveHeld() override;

private:
    CTextFilter& m_filter;
    std::optional<int> m_held;
};
