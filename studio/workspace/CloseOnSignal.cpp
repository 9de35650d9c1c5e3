#include "studio/workspace/CloseOnSignal.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "platform/ui/WinApp.h"
#include "platform/ui/WinDefs.h"
#include "platform/ui/Wnd.h"

namespace leaf::app {
namespace {

constexpr int kCloseSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler only writes a byte (async-signal-safe); the message loop reads it.
int g_signalPipe[2] = {-1, -1};

extern "C" void OnCloseSignal(int signal) {
    // The next signal of any of the kinds takes its default action: ends the program.
    for (int kind : kCloseSignals)
        std::signal(kind, SIG_DFL);
    int savedErrno = errno;
    char byte = static_cast<char>(signal);
    [[maybe_unused]] ssize_t written = write(g_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

QSocketNotifier* g_notifier = nullptr;
bool g_closeRequested = false;

void CloseWhenThereIsAMainWindow(CWinApp& app) {
    if (!g_closeRequested || !app.m_pMainWnd)
        return;
    g_closeRequested = false;
    app.m_pMainWnd->PostMessage(WM_CLOSE);
}

}  // namespace

void CatchCloseSignals() {
    if (g_signalPipe[0] >= 0 || pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int kind : kCloseSignals)
        sigaction(kind, &action, nullptr);
}

void ForwardCloseSignals(CWinApp& app) {
    if (g_signalPipe[0] < 0 || !QCoreApplication::instance())
        return;
    if (!g_notifier) {
        g_notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(g_notifier, &QSocketNotifier::activated, g_notifier, [&app] {
            char bytes[16];
            while (read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            g_closeRequested = true;
            // A dialog that waits for an answer ends as with Escape, so that its caller
            // goes on and the close reaches the main window.
            while (QWidget* modal = QApplication::activeModalWidget()) {
                auto* dialog = qobject_cast<QDialog*>(modal);
                if (!dialog || !dialog->isVisible())
                    break;
                dialog->reject();
            }
            CloseWhenThereIsAMainWindow(app);
        });
    }
    CloseWhenThereIsAMainWindow(app);
}

}  // namespace leaf::app
