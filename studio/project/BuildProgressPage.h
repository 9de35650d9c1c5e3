#pragma once

// CBuildProgressPage (template 243): starts the build once it shows and shows its
// progress, stage and messages; Cancel while it shows asks the build to stop.

#include "studio/project/BuildWizardPage.h"

class CBuildMessage;

class CBuildProgressPage : public CBuildWizardPage {
public:
    CBuildProgressPage();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    BOOL OnQueryCancel() override;

    // Progress of the build: 0 when the user asked to cancel, else 1.
    int SetProgress(LONG percent, LONG stage, const CString& text);
    // Shows a message in the list (making the message controls visible first).
    void AddMessage(const CBuildMessage& message);
    BOOL IsCancelRequested() const { return m_bCancel; }

private:
    BOOL m_bCancel = FALSE;
    CString m_strStageCaption;
    LONG m_nStage = 0;
    CString m_strFile;
};
