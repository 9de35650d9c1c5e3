#pragma once

// Closing the program when the session or a terminal asks it to end. A terminal's Ctrl+C
// (SIGINT) closes it the way its close box does: the main window gets WM_CLOSE, so a
// modified project is offered for saving first. The session's end (SIGTERM, SIGHUP)
// cannot wait for answers: the main window gets WM_ENDSESSION and the program ends without
// asking, a modified project kept in its auto-save copy, which the next start offers to
// restore. Either way the dialogs that run end first and the program then exits normally.
// A second signal of the kinds ends the program at once.

class CWinApp;

namespace leaf::app {

// Catches the signals; before the application object starts, so that none is lost. A
// signal that comes before the message loop runs is acted on once it runs.
void CatchCloseSignals();

// Starts handing caught signals to the application's main window: the dialogs that run
// end and the main window gets WM_CLOSE or WM_ENDSESSION. Needs the Qt
// application object. Called at the start of the start-up and again once the main
// window exists, which acts on a request that came before it did.
void ForwardCloseSignals(CWinApp& app);

}  // namespace leaf::app
