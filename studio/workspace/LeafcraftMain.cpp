// The program's entry: the one application object exists before main runs, as the class
// library expects; AfxWinMain starts Qt, runs its start-up and then its message loop.
// A terminal's Ctrl+C or the session's end closes it as its close box does.
#include "platform/ui/WinApp.h"
#include "studio/workspace/CloseOnSignal.h"
#include "studio/workspace/LeafcraftApp.h"

namespace {
CLeafcraftApp theApp;
}

int main(int argc, char** argv) {
    leaf::app::CatchCloseSignals();
    return AfxWinMain(argc, argv);
}
