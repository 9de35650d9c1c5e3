#pragma once

// The Sort Source Files dialog (template 210). Its value, kept in "Settings"/"Sort
// Type", has the sort key in the low byte (1 smart, 2 title, 4 file name, 8 size,
// 16 type, 32 date) and, except for smart sort, the direction in the high byte
// (1 ascending, 2 descending).

#include "platform/ui/Dialog.h"

class CSourceSortDlg : public CDialog {
public:
    enum { IDD = 210 };

    explicit CSourceSortDlg(CWnd* parent = nullptr);

    // The value chosen at OK.
    int GetSortValue() const { return m_value; }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void UpdateOrderControls();

    int m_value = 1;
};
