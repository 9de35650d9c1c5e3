#include "platform/ui/ControlBars.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "platform/ui/FrameworkStrings.h"
#include "platform/ui/Resources.h"

using namespace leaf::ui;

namespace {

Qt::ToolBarAreas AreasOf(DWORD sides) {
    Qt::ToolBarAreas areas;
    if (sides & CBRS_ALIGN_TOP) areas |= Qt::TopToolBarArea;
    if (sides & CBRS_ALIGN_BOTTOM) areas |= Qt::BottomToolBarArea;
    if (sides & CBRS_ALIGN_LEFT) areas |= Qt::LeftToolBarArea;
    if (sides & CBRS_ALIGN_RIGHT) areas |= Qt::RightToolBarArea;
    return areas;
}

Qt::ToolBarArea AreaOf(DWORD side) {
    if (side & CBRS_ALIGN_TOP) return Qt::TopToolBarArea;
    if (side & CBRS_ALIGN_BOTTOM) return Qt::BottomToolBarArea;
    if (side & CBRS_ALIGN_LEFT) return Qt::LeftToolBarArea;
    return Qt::RightToolBarArea;
}

// Command-update of a toolbar button: it enables and checks the button's action.
class ToolCmdUI : public CCmdUI {
public:
    explicit ToolCmdUI(QAction* action) : m_action(action) {}
    void Enable(BOOL on) override {
        CCmdUI::Enable(on);
        m_action->setEnabled(on);
    }
    void SetCheck(int check) override {
        CCmdUI::SetCheck(check);
        m_action->setCheckable(true);
        m_action->setChecked(check != 0);
    }
    void SetText(const char* text) override { CCmdUI::SetText(text); }

private:
    QAction* m_action;
};

// Command-update of a status-bar indicator: disabled shows no text, SetText replaces it.
class StatusCmdUI : public CCmdUI {
public:
    explicit StatusCmdUI(CStatusBar& bar) : m_bar(bar) {}
    void Enable(BOOL on) override {
        CCmdUI::Enable(on);
        UINT style = m_bar.GetPaneStyle(static_cast<int>(m_nIndex)) & ~SBPS_DISABLED;
        m_bar.SetPaneStyle(static_cast<int>(m_nIndex), on ? style : style | SBPS_DISABLED);
    }
    void SetCheck(int check) override {
        CCmdUI::SetCheck(check);
        UINT style = m_bar.GetPaneStyle(static_cast<int>(m_nIndex)) & ~SBPS_POPOUT;
        m_bar.SetPaneStyle(static_cast<int>(m_nIndex), check ? style | SBPS_POPOUT : style);
    }
    void SetText(const char* text) override {
        CCmdUI::SetText(text);
        m_bar.SetPaneText(static_cast<int>(m_nIndex), text);
    }

private:
    CStatusBar& m_bar;
};

// Watches a toolbar's buttons: the pointer entering or leaving one (fly-by prompts) and
// tooltip requests, which only a bar with CBRS_TOOLTIPS answers.
class ButtonFilter : public QObject {
public:
    ButtonFilter(CToolBar& bar, QObject* parent) : QObject(parent), m_bar(bar) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* button = qobject_cast<QToolButton*>(watched);
        QAction* action = button ? button->defaultAction() : nullptr;
        if (!action) return false;
        UINT id = action->data().toUInt();
        switch (event->type()) {
            case QEvent::ToolTip: return !(m_bar.GetBarStyle() & CBRS_TOOLTIPS);
            case QEvent::Enter: m_bar.OnButtonHover(id, true); break;
            case QEvent::Leave: m_bar.OnButtonHover(id, false); break;
            default: break;
        }
        return false;
    }

private:
    CToolBar& m_bar;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// CControlBar

void CControlBar::SetBarStyle(DWORD style) { m_dwStyle = style; }

void CControlBar::EnableDocking(DWORD dockStyle) {
    m_dwDockStyle = dockStyle & CBRS_ALIGN_ANY;
    OnDockingChanged();
}

DWORD CControlBar::GetAllowedDockSides() const {
    return m_frame ? m_dwDockStyle & m_frame->GetDockStyle() : 0;
}

// ---------------------------------------------------------------------------------------
// CToolBar

BOOL CToolBar::Create(CFrameWnd* parent, DWORD style, UINT id) { return CreateEx(parent, 0, style, id); }

BOOL CToolBar::CreateEx(CFrameWnd* parent, DWORD controlStyle, DWORD style, UINT id) {
    if (!parent || !parent->MainWindow() || GetWidget()) return FALSE;
    m_frame = parent;
    m_controlStyle = controlStyle;
    auto* bar = new QToolBar(parent->MainWindow());
    SetControlId(bar, static_cast<int>(id));
    DWORD side = style & CBRS_ALIGN_ANY;
    parent->MainWindow()->addToolBar(AreaOf(side ? side : CBRS_ALIGN_TOP), bar);
    m_buttonFilter = new ButtonFilter(*this, bar);
    QObject::connect(bar, &QToolBar::orientationChanged, bar, [this] { ApplyHeight(); });
    Attach(bar);
    SetBarStyle(style);
    OnDockingChanged();
    // Made visible now, also in a frame that shows already.
    bar->setVisible((style & WS_VISIBLE) != 0);
    return TRUE;
}

void CToolBar::SetBarStyle(DWORD style) {
    CControlBar::SetBarStyle(style);
    // Qt moves a tool bar only by its handle, which is the gripper.
    if (auto* bar = qobject_cast<QToolBar*>(GetWidget())) bar->setMovable((style & CBRS_GRIPPER) != 0);
}

void CToolBar::OnDockingChanged() {
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (!bar) return;
    DWORD sides = GetAllowedDockSides();
    bar->setAllowedAreas(AreasOf(sides));
    bar->setFloatable(sides != 0);
}

BOOL CToolBar::DockOn(DWORD side) {
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    QMainWindow* window = m_frame ? m_frame->MainWindow() : nullptr;
    if (!bar || !window) return FALSE;
    bool visible = !bar->isHidden();
    window->addToolBar(AreaOf(side), bar);   // moves it when it sits elsewhere
    bar->setVisible(visible);
    m_dwStyle = (m_dwStyle & ~CBRS_ALIGN_ANY) | (side & CBRS_ALIGN_ANY);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT id) {
    const std::vector<UINT>* buttons = Resources().FindToolBar(id);
    if (!buttons) return FALSE;
    return SetButtons(buttons->data(), static_cast<int>(buttons->size()));
}

BOOL CToolBar::SetButtons(const UINT* ids, int count) {
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (!bar || count < 0 || (!ids && count > 0)) return FALSE;
    bar->clear();
    m_ids.assign(ids, ids + count);
    m_actions.clear();
    QPointer<QWidget> frame = m_frame ? m_frame->GetWidget() : nullptr;
    for (UINT id : m_ids) {
        if (id == 0) {
            m_actions.push_back(bar->addSeparator());
            continue;
        }
        CString tip = CommandTip(id);
        QAction* action = bar->addAction(QString::fromStdString(tip.IsEmpty() ? std::to_string(id) : tip.str()));
        action->setToolTip(QString::fromStdString(tip.str()));
        // The prompt goes to the frame's message pane by the bar itself (fly-by), not
        // through Qt's status tips.
        action->setStatusTip(QString());
        action->setData(id);
        QObject::connect(action, &QAction::triggered, action, [frame, id] {
            if (frame) CWnd::FromHandle(frame)->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
        });
        m_actions.push_back(action);
        if (QWidget* button = bar->widgetForAction(action)) button->installEventFilter(m_buttonFilter);
    }
    ApplyButtonStyle();
    ApplyHeight();
    return TRUE;
}

void CToolBar::ApplyButtonStyle() {
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (!bar) return;
    for (QAction* action : m_actions)
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action)))
            button->setAutoRaise((m_controlStyle & TBSTYLE_FLAT) != 0);
}

void CToolBar::OnButtonHover(UINT id, bool entered) {
    if (!(GetBarStyle() & CBRS_FLYBY) || !m_frame || !m_frame->GetWidget()) return;
    m_frame->SendMessage(WM_SETMESSAGESTRING, entered ? id : AFX_IDS_IDLEMESSAGE, 0);
}

UINT CToolBar::GetItemID(int index) const {
    return index >= 0 && index < GetCount() ? m_ids[static_cast<size_t>(index)] : 0;
}

int CToolBar::CommandToIndex(UINT id) const {
    for (int i = 0; i < GetCount(); ++i)
        if (m_ids[static_cast<size_t>(i)] == id && id != 0) return i;
    return -1;
}

void CToolBar::GetItemRect(int index, LPRECT rect) const {
    if (!rect) return;
    *rect = RECT{0, 0, 0, 0};
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (!bar || index < 0 || index >= GetCount()) return;
    QWidget* button = bar->widgetForAction(m_actions[static_cast<size_t>(index)]);
    if (!button) return;
    // A button is as large as it asks to be (a bar may stretch it, and before the bar is
    // laid out its geometry means nothing); it sits where the bar put it once shown.
    QRect area(button->isVisible() ? button->pos() : QPoint(), button->sizeHint());
    *rect = RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

void CToolBar::SetHeight(int height) {
    m_height = height > 0 ? height : 0;
    ApplyHeight();
}

void CToolBar::ApplyHeight() {
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (!bar) return;
    // The height is that of a horizontal bar; a bar on a side is as tall as its buttons.
    bar->setMinimumHeight(bar->orientation() == Qt::Horizontal ? m_height : 0);
}

QAction* CToolBar::GetAction(UINT id) const {
    int index = CommandToIndex(id);
    return index < 0 ? nullptr : m_actions[static_cast<size_t>(index)];
}

void CToolBar::PressButton(UINT id) {
    if (QAction* action = GetAction(id); action && action->isEnabled()) action->trigger();
}

void CToolBar::OnIdleUpdateCmdUI(BOOL disableIfNoHandler) {
    if (!m_frame || !IsWindowVisible()) return;
    for (size_t i = 0; i < m_ids.size(); ++i) {
        if (m_ids[i] == 0) continue;
        ToolCmdUI update(m_actions[i]);
        update.m_nID = m_ids[i];
        update.m_nIndex = static_cast<UINT>(i);
        update.DoUpdate(m_frame, disableIfNoHandler);
    }
}

// ---------------------------------------------------------------------------------------
// CStatusBar

BOOL CStatusBar::Create(CFrameWnd* parent, DWORD style, UINT id) {
    if (!parent || !parent->MainWindow() || GetWidget()) return FALSE;
    m_frame = parent;
    QStatusBar* bar = parent->MainWindow()->statusBar();
    SetControlId(bar, static_cast<int>(id));
    if (!Attach(bar)) return FALSE;
    SetBarStyle(style);
    bar->setVisible((style & WS_VISIBLE) != 0);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
    auto* bar = qobject_cast<QStatusBar*>(GetWidget());
    if (!bar || count < 0 || (!ids && count > 0)) return FALSE;
    for (Pane& pane : m_panes) delete pane.label;
    m_panes.clear();
    for (int i = 0; i < count; ++i) {
        Pane pane;
        pane.id = ids[i];
        if (i == 0 && pane.id == ID_SEPARATOR) {
            // The message pane: the bar's own message area, stretching over the rest.
            pane.style = SBPS_NOBORDERS | SBPS_STRETCH;
            m_panes.push_back(pane);
            continue;
        }
        if (pane.id != ID_SEPARATOR) pane.text = FrameworkString(pane.id);
        auto* label = new QLabel(bar);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setText(QString::fromStdString(pane.text.str()));
        // The pane is as wide as its text, also while it shows nothing.
        label->setMinimumWidth(label->sizeHint().width());
        SetControlId(label, static_cast<int>(pane.id));
        bar->addPermanentWidget(label);
        pane.label = label;
        m_panes.push_back(pane);
    }
    return TRUE;
}

UINT CStatusBar::GetItemID(int index) const {
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].id : 0;
}

int CStatusBar::CommandToIndex(UINT id) const {
    for (int i = 0; i < GetCount(); ++i)
        if (m_panes[static_cast<size_t>(i)].id == id) return i;
    return -1;
}

BOOL CStatusBar::SetPaneText(int index, const char* text, BOOL) {
    if (index < 0 || index >= GetCount()) return FALSE;
    Pane& pane = m_panes[static_cast<size_t>(index)];
    pane.text = CString(text ? text : "");
    ShowPane(pane);
    return TRUE;
}

CString CStatusBar::GetPaneText(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    const Pane& pane = m_panes[static_cast<size_t>(index)];
    if (!pane.label)
        if (auto* bar = qobject_cast<QStatusBar*>(GetWidget())) return CString(bar->currentMessage().toStdString());
    return pane.text;
}

UINT CStatusBar::GetPaneStyle(int index) const {
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].style : 0;
}

void CStatusBar::SetPaneStyle(int index, UINT style) {
    if (index < 0 || index >= GetCount()) return;
    Pane& pane = m_panes[static_cast<size_t>(index)];
    if (pane.style == style) return;
    pane.style = style;
    ShowPane(pane);
}

QLabel* CStatusBar::PaneLabel(int index) const {
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].label.data() : nullptr;
}

void CStatusBar::ShowPane(const Pane& pane) {
    QString text = QString::fromStdString(pane.text.str());
    if (!pane.label) {
        if (auto* bar = qobject_cast<QStatusBar*>(GetWidget())) bar->showMessage(text);
        return;
    }
    pane.label->setText((pane.style & SBPS_DISABLED) ? QString() : text);
    pane.label->setFrameShadow((pane.style & SBPS_POPOUT) ? QFrame::Raised : QFrame::Sunken);
}

void CStatusBar::OnIdleUpdateCmdUI(BOOL) {
    if (!m_frame || !IsWindowVisible()) return;
    for (int i = 0; i < GetCount(); ++i) {
        UINT id = m_panes[static_cast<size_t>(i)].id;
        if (id == ID_SEPARATOR) continue;
        StatusCmdUI update(*this);
        update.m_nID = id;
        update.m_nIndex = static_cast<UINT>(i);
        update.m_nIndexMax = static_cast<UINT>(GetCount());
        // An indicator without a handler keeps its state.
        update.DoUpdate(m_frame, FALSE);
    }
}
