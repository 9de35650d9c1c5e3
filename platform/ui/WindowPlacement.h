#pragma once

// Where dialogs and message boxes open: centred on the window they belong to and wholly
// inside the work area of that window's screen (the screen less its panels), so that no
// part of a dialog, its buttons least of all, starts out of reach.

#include <QPointer>
#include <QRect>

class QWidget;

namespace leaf::ui {

// The window a new dialog of `owner` opens over: the nearest of the owner's window and
// the windows above it that is on screen, else the program's main window when it is on
// screen; null when there is none (the dialog then opens over the screen's middle). A
// window that is still being built (a wizard whose first page asks something before it
// shows) thus hands its dialogs to the window it will open over.
QWidget* VisibleOwnerWindow(QWidget* owner);

// The owner of a message box asked for with `parent`: the modal dialog in front when one
// runs (the question belongs to it), else the visible owner window of `parent`.
QWidget* MessageBoxOwner(QWidget* parent);

// A rectangle of `size` centred on `over` and moved inside `area`; one larger than the
// area starts at the area's top left.
QRect CentredInside(const QSize& size, const QRect& over, const QRect& area);

// Moves the top-level `window` centred on the visible owner window of `owner` (of its
// parent when `owner` is null), inside that screen's work area.
void PlaceOverOwner(QWidget* window, QWidget* owner = nullptr);

// While a modal window runs: made before it opens, it notes the window that is active
// (else the visible owner window of `owner`) and the control in it that has the keyboard
// focus; when it goes, after the modal window has closed, that window is activated again
// and the control gets the focus back. Without a window manager nobody else does it, and
// the owner's keys (its shortcuts among them) would do nothing until a click.
class ModalFocusReturn {
public:
    explicit ModalFocusReturn(QWidget* owner = nullptr);
    ~ModalFocusReturn();
    ModalFocusReturn(const ModalFocusReturn&) = delete;
    ModalFocusReturn& operator=(const ModalFocusReturn&) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
};

}  // namespace leaf::ui
