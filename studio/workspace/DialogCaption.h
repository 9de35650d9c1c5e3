#pragma once

// The caption of a dialog as its template gives it, with the "%s" in it replaced by the
// program's title (string 57344), whether or not an application object names the program.

#include "platform/base/Types.h"

class CWnd;

namespace leaf::app {

void ApplyTemplateCaption(CWnd* dialog, UINT templateId);

}  // namespace leaf::app
