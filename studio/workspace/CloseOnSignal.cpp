#include "studio/workspace/CloseOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "platform/ui/SessionEnd.h"
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
// A session's end (SIGTERM, SIGHUP) rather than a terminal's Ctrl+C (SIGINT).
bool g_sessionEnds = false;

void ForwardPendingClose() {
    if (!g_closeRequested)
        return;
    g_closeRequested = false;
    // The main window is told once the program's loop runs and the dialogs have ended
    // (those the start-up opens after the signal too) and their callers returned.
    if (g_sessionEnds)
        leaf::ui::SendToMainWindowAfterModalLoops(WM_ENDSESSION, TRUE);
    else
        leaf::ui::SendToMainWindowAfterModalLoops(WM_CLOSE);
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

void ForwardCloseSignals(CWinApp&) {
    if (g_signalPipe[0] < 0 || !QCoreApplication::instance())
        return;
    if (!g_notifier) {
        g_notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(g_notifier, &QSocketNotifier::activated, g_notifier, [] {
            char bytes[16];
            ssize_t count = 0;
            while ((count = read(g_signalPipe[0], bytes, sizeof bytes)) > 0)
                for (ssize_t i = 0; i < count; ++i)
                    if (bytes[i] != SIGINT)
                        g_sessionEnds = true;
            g_closeRequested = true;
            // Dialogs that wait for an answer end as with Escape (and end anyway when
            // they refuse), so that their callers go on.
            leaf::ui::EndModalWindows();
            ForwardPendingClose();
        });
    }
    ForwardPendingClose();
}

}  // namespace leaf::app
