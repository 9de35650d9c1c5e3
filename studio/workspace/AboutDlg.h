#pragma once

// CAboutDlg: the About box (template 200) with the program's title and version and a
// table of the components it works with: the build control, the input filters (by their
// ProgIDs, alphabetically), the e-book compiler beside the build control and the reading
// program, each with description, version and date; components without version
// information are left out.

#include <vector>

#include "platform/base/CString.h"
#include "platform/ui/Dialog.h"

class CAboutDlg : public CDialog {
public:
    static constexpr UINT IDD = 200;
    static constexpr int IDC_COMPONENTS = 1089;
    static constexpr int IDC_VERSION = 1090;
    static constexpr int IDC_TITLE = 1093;
    static constexpr UINT IDS_COMPONENT_COLUMNS = 515;  // "Component|Version|Date"
    static constexpr UINT IDS_FILTERS_KEY = 4000;       // HKLM key of the registered filters

    explicit CAboutDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;

    // The component files in table order: the build control first, then the filters by
    // ProgID without regard to case, then the e-book compiler beside the build control and
    // the reading program (each when it is known).
    static std::vector<CString> GetComponentPaths();
};
