#include "platform/ui/WindowPlacement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "platform/ui/WinApp.h"

namespace leaf::ui {

namespace {

// A start position on one axis: centred on the owner's span, then kept inside the area's.
int Place(int ownerStart, int ownerLength, int length, int areaStart, int areaLength) {
    const int centred = ownerStart + (ownerLength - length) / 2;
    if (length >= areaLength) return areaStart;
    return std::clamp(centred, areaStart, areaStart + areaLength - length);
}

}  // namespace

QWidget* VisibleOwnerWindow(QWidget* owner) {
    for (QWidget* window = owner ? owner->window() : nullptr; window;
         window = window->parentWidget() ? window->parentWidget()->window() : nullptr) {
        if (window->isVisible()) return window;
    }
    QWidget* main = AfxGetApp() ? AfxGetApp()->GetMainWidget() : nullptr;
    return main && main->isVisible() ? main->window() : nullptr;
}

QWidget* MessageBoxOwner(QWidget* parent) {
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) return modal;
    return VisibleOwnerWindow(parent);
}

QRect CentredInside(const QSize& size, const QRect& over, const QRect& area) {
    return QRect(QPoint(Place(over.x(), over.width(), size.width(), area.x(), area.width()),
                        Place(over.y(), over.height(), size.height(), area.y(), area.height())),
                 size);
}

void PlaceOverOwner(QWidget* window, QWidget* owner) {
    if (!window || !window->isWindow()) return;
    QWidget* over = VisibleOwnerWindow(owner ? owner : window->parentWidget());
    if (over == window) over = nullptr;
    QScreen* screen = over ? over->screen() : window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect ownerRect = over ? over->frameGeometry() : area;
    // A window not yet shown takes the size its layout asks for, as showing it would.
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) window->adjustSize();
    QSize size = window->frameGeometry().size();
    if (size.isEmpty()) size = window->sizeHint();
    // A window not yet shown has no frame yet; it will get one like its owner's.
    if (!window->isVisible() && over) size += over->frameGeometry().size() - over->geometry().size();
    window->move(CentredInside(size, ownerRect, area).topLeft());
}

ModalFocusReturn::ModalFocusReturn(QWidget* owner) {
    m_window = QApplication::activeWindow();
    if (!m_window) m_window = VisibleOwnerWindow(owner);
    if (m_window) m_focus = m_window->focusWidget();
}

ModalFocusReturn::~ModalFocusReturn() {
    if (!m_window || !m_window->isVisible()) return;
    if (QApplication::activeWindow() != m_window) m_window->activateWindow();
    if (m_focus && m_focus->window() == m_window && m_focus->isVisible() && m_focus->isEnabled())
        m_focus->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace leaf::ui
