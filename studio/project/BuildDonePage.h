#pragma once

// CBuildDonePage (template 244): the e-book was built: its path, the build messages, the
// details report and whether to open the e-book in the reading program.

#include "studio/project/BuildWizardPage.h"

class CBuildDonePage : public CBuildWizardPage {
public:
    CBuildDonePage();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    LRESULT OnWizardBack() override;
    BOOL OnWizardFinish() override;
};
