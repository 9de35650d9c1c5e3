#pragma once

// The Creator Properties dialog (template 221): a creator's name with its role and
// file-as form. The result is the name and the attribute text that goes with it.

#include "platform/ui/Dialog.h"
#include "studio/workspace/CreatorFields.h"

class CCreatorDlg : public CDialog {
public:
    enum { IDD = 221 };

    // `fields`: the role and file-as operations (the Properties view); `parent` may be null.
    CCreatorDlg(const char* name, const char* attributes, const leaf::CreatorFields* fields, CWnd* parent = nullptr);

    const CString& GetName() const { return m_name; }
    const CString& GetAttributes() const { return m_attributes; }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void OnNameChanged();

    CString m_name;
    CString m_attributes;
    const leaf::CreatorFields* m_fields;
    bool m_initialised = false;
};
