#pragma once

// The Identifier Properties dialog (template 222): an identifier's value and scheme.

#include "platform/ui/Dialog.h"

class CIdentifierDlg : public CDialog {
public:
    enum { IDD = 222 };

    CIdentifierDlg(const char* value, const char* attributes, CWnd* parent = nullptr);

    const CString& GetValue() const { return m_value; }
    // scheme="..." or "" without a scheme.
    const CString& GetAttributes() const { return m_attributes; }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CString m_value;
    CString m_attributes;
};
