#pragma once

// Closing the program when the session or a terminal asks it to end (SIGTERM, SIGINT,
// SIGHUP), the way its close box closes it: the main window gets WM_CLOSE, so a modified
// project is offered for saving first, and the program then exits normally. A second
// signal of the kind ends the program at once.

class CWinApp;

namespace leaf::app {

// Catches the signals; before the application object starts, so that none is lost. A
// signal that comes before the message loop runs is acted on once it runs.
void CatchCloseSignals();

// Starts handing caught signals to the application's main window: a dialog waiting for
// an answer ends as with Escape and the main window gets WM_CLOSE. Needs the Qt
// application object. Called at the start of the start-up and again once the main
// window exists, which acts on a request that came before it did.
void ForwardCloseSignals(CWinApp& app);

}  // namespace leaf::app
