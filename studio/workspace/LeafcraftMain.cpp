// The program's entry: the one application object exists before main runs, as the class
// library expects; AfxWinMain starts Qt, runs its start-up and then its message loop.
// A terminal's Ctrl+C or the session's end closes it as its close box does. With
// /Unregister (make uninstall) it only takes its registration with the shell back.
#include "platform/ui/WinApp.h"
#include "studio/workspace/CloseOnSignal.h"
#include "studio/workspace/LeafcraftApp.h"

namespace {
CLeafcraftApp theApp;
}

int main(int argc, char** argv) {
    // An uninstaller's /Unregister is answered before any window or display is needed.
    CLeafcraftCommandLine commandLine;
    commandLine.Parse(argc, argv);
    if (commandLine.m_nShellCommand == CLeafcraftCommandLine::AppUnregister)
        return CLeafcraftApp::UnregisterShellFileTypes() ? 0 : 1;
    leaf::app::CatchCloseSignals();
    return AfxWinMain(argc, argv);
}
