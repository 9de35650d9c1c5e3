#pragma once

// The New Value dialog (template 220): a user-defined entry of a choice list.

#include "platform/ui/Dialog.h"

class CNewValueDlg : public CDialog {
public:
    enum { IDD = 220 };

    // `caption`: the property's label; `maxLength`: the value's limit (0: none).
    CNewValueDlg(const char* caption, int maxLength, CWnd* parent = nullptr);

    const CString& GetValue() const { return m_value; }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CString m_caption;
    int m_maxLength;
    CString m_value;
};
