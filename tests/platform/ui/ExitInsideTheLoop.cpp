// A program for ProgramEndTest. Its main window's end needs an object that a module made
// after the application object (so, at the process's exit, one that is gone before the
// application object goes), as the build control hosted by the authoring program's main
// window needs its module. "--exit" ends the program with exit() from inside its running
// loop, as Qt does when the display's connection breaks; "--close" closes the main window.
// It prints "window went" when the window went while the module's object was there, and
// ends with status 3 when the window went after that object.
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "platform/ui/FrameWnd.h"
#include "platform/ui/WinApp.h"

namespace {

bool g_moduleObjectAlive = false;

struct ModuleObject {
    ModuleObject() { g_moduleObjectAlive = true; }
    ~ModuleObject() { g_moduleObjectAlive = false; }
};

void LoadModule() { static ModuleObject object; }

class HostingFrame : public CFrameWnd {
public:
    HostingFrame() { m_bAutoDelete = TRUE; }
    void OnDestroy() override {
        if (!g_moduleObjectAlive) _exit(3);
        std::printf("window went\n");
        std::fflush(stdout);
        CFrameWnd::OnDestroy();
    }
};

class ExitApp : public CWinApp {
public:
    ExitApp() : CWinApp("ExitInsideTheLoop") {}
    BOOL InitInstance() override {
        LoadModule();
        auto* frame = new HostingFrame;
        if (!frame->Create("Exit inside the loop")) return FALSE;
        m_pMainWnd = frame;
        const bool viaExit = std::strcmp(m_mode, "--exit") == 0;
        QTimer::singleShot(0, [this, viaExit] {
            if (viaExit) std::exit(0);
            m_pMainWnd->SendMessage(WM_CLOSE);
        });
        return TRUE;
    }
    const char* m_mode = "--close";
};

ExitApp theApp;

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) theApp.m_mode = argv[1];
    return AfxWinMain(argc, argv);
}
