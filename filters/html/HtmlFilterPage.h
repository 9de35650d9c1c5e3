#pragma once

// The HTML filter's option page (dialog 7000, "HTML"): whether linked documents are
// processed and how many levels deep. The level is kept in the filter object and in the
// profile ("HTML Filter", WalkLinkLevel); 0 means linked documents are not opened.

#include <optional>

#include "filters/framework/FilterPropertyPage.h"

class CHtmlFilter;

// Control ids of dialog 7000.
inline constexpr int IDC_HTML_PROCESS_LINKS = 7000;   // check box "Process linked documents:"
inline constexpr int IDC_HTML_LEVEL = 7001;           // number field
inline constexpr int IDC_HTML_LEVEL_SPIN = 7002;      // up-down control bound to the field
inline constexpr int IDC_HTML_LEVEL_LABEL = 7003;     // "level(s) deep"

class CHtmlFilterPage : public CFilterPropertyPage {
public:
    CHtmlFilterPage(IUnknown* owner, UINT dialogId, CHtmlFilter& filter);

    // A click re-enables the level's controls from the box; a click or an edit of the
    // field marks the page dirty.
    LRESULT OnPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void LoadControls(CDialog& page) override;
    void HoldControls(CDialog& page) override;
    void SaveHeld() override;

private:
    static void EnableLevelControls(CDialog& page);

    CHtmlFilter& m_filter;
    std::optional<int> m_held;
};
