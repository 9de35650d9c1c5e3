#pragma once

// What the done and error pages of the Build eBook wizard share: the message controls,
// leaving the page, and the page Back leads to.

class CBuildWizardPage;

namespace leaf::buildpages {

inline constexpr int kMessageLabel = 1097;
inline constexpr int kMessageList = 1098;
inline constexpr int kDetailsButton = 1100;

// Sets up the message list (once, at initialisation).
void InitMessages(CBuildWizardPage& page);
// Lists every build message of the sheet; the controls show only when there is one.
void ShowMessages(CBuildWizardPage& page);
// Details: writes and opens the report of the sheet's messages, with the page's Details
// button disabled meanwhile.
void WriteReport(CBuildWizardPage& page);
// Leaving: the list emptied and hidden, Back, Next and Cancel enabled again.
void LeavePage(CBuildWizardPage& page);
// The template of the page Back goes to: the fonts page when the wizard has it, else the
// output page.
long BackTarget(CBuildWizardPage& page);

}  // namespace leaf::buildpages
