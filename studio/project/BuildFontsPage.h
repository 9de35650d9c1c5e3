#pragma once

// CBuildFontsPage (template 242): whether the build analyses the sources for the fonts
// they use (the document's embed-fonts flag).

#include "studio/project/BuildWizardPage.h"

class CBuildFontsPage : public CBuildWizardPage {
public:
    CBuildFontsPage() : CBuildWizardPage(242) {}

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
};
