#pragma once

// Ending the program from outside a window's own commands (a terminal's Ctrl+C, the
// desktop session's end): the modal windows that run end first, and the main window is
// told only once their loops have returned to the program's own loop, so that it never
// goes while a dialog's caller (a command of the main window, say) still runs on it.

#include "platform/ui/WinDefs.h"

namespace leaf::ui {

// Ends every modal window that runs: open menus close; a dialog, wizard or message box
// ends as its Cancel ends it, and, when it refuses (a page that keeps the wizard open
// while its work stops, a Cancel button that is disabled), ends with IDCANCEL anyway.
void EndModalWindows();

// Ends the modal windows and, once no modal loop runs and the application's own loop
// does, sends `message` (WM_CLOSE or WM_ENDSESSION) with `wParam` to the main window.
// Until then each turn of the loop ends the modal windows that opened meanwhile. Nothing
// is sent when there is no main window by then. A second request replaces the first.
void SendToMainWindowAfterModalLoops(UINT message, WPARAM wParam = 0);

}  // namespace leaf::ui
