#pragma once

// The source file Properties dialog: template 212 for one file, 213 for several. It
// shows the file's (or the files') type, location, size, dates and attributes and lets
// the user change the read-only, hidden and archive attributes.

#include <map>
#include <memory>
#include <vector>

#include "platform/ui/Dialog.h"
#include "platform/ui/SimpleControls.h"

class CSourceFilePropsDlg : public CDialog {
public:
    // `paths`: the files shown (all existing when the dialog is made).
    explicit CSourceFilePropsDlg(std::vector<CString> paths, CWnd* parent = nullptr);
    ~CSourceFilePropsDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The total size text of field 1064: "%sKB (%s bytes)" with grouped digits.
    static CString FormatSizeText(ULONGLONG bytes);

private:
    void OnAttributeClicked(int id);
    void OnApply();
    BOOL ApplyChanges();

    std::vector<CString> m_paths;
    bool m_readOnlyChanged = false;
    bool m_hiddenChanged = false;
    bool m_archiveChanged = false;
    std::map<int, int> m_boxStates;   // the state each attribute box shows
    CToolTipCtrl m_toolTips;
};
