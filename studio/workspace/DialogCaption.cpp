#include "studio/workspace/DialogCaption.h"

#include "platform/ui/Resources.h"
#include "platform/ui/Wnd.h"
#include "studio/project/PathHelpers.h"

namespace leaf::app {

void ApplyTemplateCaption(CWnd* dialog, UINT templateId) {
    if (dialog == nullptr)
        return;
    if (const leaf::ui::ResourceNode* node = leaf::ui::Resources().FindDialog(templateId))
        dialog->SetWindowText(node->text.c_str());
    ApplyAppTitle(dialog);
}

}  // namespace leaf::app
