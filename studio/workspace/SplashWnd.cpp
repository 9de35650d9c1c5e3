#include "studio/workspace/SplashWnd.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "platform/ui/WinApp.h"
#include "studio/workspace/SplashPicture.h"

CSplashWnd* CSplashWnd::s_current = nullptr;

namespace {

// A question the program asks while it starts (the offer to restore an auto-save copy, the
// locate-source dialog) must not open under the splash, which a window manager keeps above
// other windows: the splash goes once a modal window shows. Other windows (the main window)
// leave it its time.
class ModalWindowWatch final : public QObject {
public:
    explicit ModalWindowWatch(QObject* owner) : QObject(owner) { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            const auto* window = static_cast<QWidget*>(watched);
            // The splash goes once the window's showing is over, not from inside it.
            if (window->isWindow() && window->isModal())
                QMetaObject::invokeMethod(QCoreApplication::instance(), [] { CSplashWnd::HideSplashScreen(); },
                                          Qt::QueuedConnection);
        }
        return false;
    }
};

}  // namespace

CSplashWnd::~CSplashWnd() {
    if (s_current == this)
        s_current = nullptr;
}

void CSplashWnd::ShowSplashScreen(UINT bitmapId, UINT minimumMs) {
    // A second splash replaces the first.
    HideSplashScreen();
    auto* splash = new CSplashWnd;
    s_current = splash;
    if (!splash->Create(bitmapId, minimumMs)) {
        delete splash;
        return;
    }
    if (QWidget* widget = splash->GetWidget())
        widget->repaint();
}

void CSplashWnd::RequestHide() {
    if (s_current == nullptr)
        return;
    s_current->m_hideRequested = true;
    if (s_current->m_timeUp)
        HideSplashScreen();
}

void CSplashWnd::HideSplashScreen() {
    if (s_current == nullptr)
        return;
    CSplashWnd* splash = s_current;
    // The object deletes itself once its window is gone (PostNcDestroy).
    if (splash->IsWindow())
        splash->DestroyWindow();
    else
        delete splash;
    if (CWnd* main = AfxGetMainWnd())
        if (QWidget* widget = main->GetWidget())
            widget->repaint();
}

BOOL CSplashWnd::Create(UINT bitmapId, UINT minimumMs) {
    m_bitmap = leaf::app::LoadSplashPicture(bitmapId);
    if (m_bitmap.isNull())
        return FALSE;
    m_width = m_bitmap.width();
    m_height = m_bitmap.height();
    m_minimumMs = minimumMs;

    // A pop-up without title, owner or menu, at the picture's size, above other windows.
    auto* window = new QLabel;
    window->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window->setPixmap(m_bitmap);
    window->setFixedSize(m_width, m_height);
    window->setCursor(Qt::ArrowCursor);
    new ModalWindowWatch(window);
    AttachCreated(window);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        window->move(area.x() + (area.width() - m_width) / 2, area.y() + (area.height() - m_height) / 2);
    }
    window->show();
    SetTimer(kTimerId, m_minimumMs);
    return TRUE;
}

void CSplashWnd::OnTimer(UINT_PTR id) {
    if (id != kTimerId) {
        CWnd::OnTimer(id);
        return;
    }
    KillTimer(kTimerId);
    m_timeUp = true;
    if (m_hideRequested)
        HideSplashScreen();
}

void CSplashWnd::PostNcDestroy() { delete this; }
