// The program's entry: the one application object exists before main runs, as the class
// library expects; AfxWinMain starts Qt, runs its start-up and then its message loop.
#include "platform/ui/WinApp.h"
#include "studio/workspace/LeafcraftApp.h"

namespace {
CLeafcraftApp theApp;
}

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
