#pragma once

// CButton: push buttons, check boxes (two- and three-state) and radio buttons. A click
// sends BN_CLICKED to the dialog; setting the check by code sends nothing.

#include "platform/ui/ResourceScript.h"
#include "platform/ui/Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int check);
    // Presses the button as a person would (BN_CLICKED follows when it is enabled).
    void Click();
    BOOL IsDefault() const;

    // Template flags: button: default; checkbox: threestate; radio: group (starts a group).
    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
};
