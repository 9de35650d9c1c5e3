#include "platform/ui/SessionEnd.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <vector>

#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"

namespace leaf::ui {

namespace {

// How often a pending request looks again whether the modal loops have returned.
constexpr int kRetryMilliseconds = 20;

QPointer<QTimer> g_pending;

bool OnlyTheApplicationLoopRuns() {
    CWinApp* app = AfxGetApp();
    return app && app->IsRunning() && QThread::currentThread()->loopLevel() == 1 &&
           !QApplication::activeModalWidget() && !QApplication::activePopupWidget();
}

}  // namespace

void EndModalWindows() {
    // Menus first: a menu that is open holds its own loop.
    for (QWidget* popup = QApplication::activePopupWidget(); popup; popup = QApplication::activePopupWidget()) {
        popup->close();
        if (QApplication::activePopupWidget() == popup) break;
    }
    // The one in front first, then every other modal dialog that shows (each once).
    std::vector<QPointer<QDialog>> modals;
    auto* front = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (front) modals.emplace_back(front);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (dialog && dialog != front && dialog->isModal()) modals.emplace_back(dialog);
    }
    for (const QPointer<QDialog>& dialog : modals) {
        if (!dialog || !dialog->isVisible()) continue;
        dialog->reject();
        if (dialog && dialog->isVisible()) dialog->done(IDCANCEL);
    }
}

void SendToMainWindowAfterModalLoops(UINT message, WPARAM wParam) {
    if (!QCoreApplication::instance()) return;
    delete g_pending.data();
    EndModalWindows();
    auto* timer = new QTimer(QCoreApplication::instance());
    g_pending = timer;
    timer->setInterval(kRetryMilliseconds);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, message, wParam] {
        if (!OnlyTheApplicationLoopRuns()) {
            EndModalWindows();
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (CWnd* main = AfxGetMainWnd()) main->SendMessage(message, wParam, 0);
    });
    timer->start();
}

}  // namespace leaf::ui
