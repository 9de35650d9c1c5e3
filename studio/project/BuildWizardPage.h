#pragma once

// CBuildWizardPage: the common base of the Build eBook wizard's pages.

#include "platform/ui/PropertyPage.h"

class CBuildWizardSheet;

class CBuildWizardPage : public CPropertyPage {
public:
    explicit CBuildWizardPage(UINT templateId) : CPropertyPage(templateId) {}

    void EnableItem(int id, BOOL enable);
    void ShowItem(int id, BOOL show);

    CBuildWizardSheet* GetBuildSheet() const;
};
