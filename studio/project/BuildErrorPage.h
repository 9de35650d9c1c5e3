#pragma once

// CBuildErrorPage (template 245): the build failed: the control's error code and text and
// the build messages.

#include "studio/project/BuildWizardPage.h"

class CBuildErrorPage : public CBuildWizardPage {
public:
    CBuildErrorPage();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    LRESULT OnWizardBack() override;
};

// The text of a control error code: string 12000 + code with the details, else 12099.
CString FormatBuildError(LONG code, const char* details);
