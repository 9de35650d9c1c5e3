#include "platform/ui/ControlBars.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolBar>

#include "platform/ui/Resources.h"

using namespace leaf::ui;

namespace {

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

}  // namespace

BOOL CToolBar::Create(CFrameWnd* parent, UINT id) {
    if (!parent || !parent->MainWindow() || GetWidget()) return FALSE;
    m_frame = parent;
    auto* bar = new QToolBar(parent->MainWindow());
    bar->setFloatable(true);
    bar->setMovable(true);
    SetControlId(bar, static_cast<int>(id));
    parent->MainWindow()->addToolBar(Qt::TopToolBarArea, bar);
    bar->show();   // made visible, also in a frame that shows already
    Attach(bar);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT id) {
    const std::vector<UINT>* buttons = Resources().FindToolBar(id);
    if (!buttons) return FALSE;
    return SetButtons(buttons->data(), static_cast<int>(buttons->size()));
}

BOOL CToolBar::SetButtons(const UINT* ids, int count) {
    auto* bar = qobject_cast<QToolBar*>(GetWidget());
    if (!bar || (!ids && count > 0)) return FALSE;
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
        action->setStatusTip(QString::fromStdString(CommandPrompt(id).str()));
        action->setData(id);
        QObject::connect(action, &QAction::triggered, action, [frame, id] {
            if (frame) CWnd::FromHandle(frame)->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
        });
        m_actions.push_back(action);
    }
    return TRUE;
}

UINT CToolBar::GetItemID(int index) const {
    return index >= 0 && index < GetCount() ? m_ids[static_cast<size_t>(index)] : 0;
}

int CToolBar::CommandToIndex(UINT id) const {
    for (int i = 0; i < GetCount(); ++i)
        if (m_ids[static_cast<size_t>(i)] == id && id != 0) return i;
    return -1;
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

BOOL CStatusBar::Create(CFrameWnd* parent, UINT id) {
    if (!parent || !parent->MainWindow() || GetWidget()) return FALSE;
    QStatusBar* bar = parent->MainWindow()->statusBar();
    SetControlId(bar, static_cast<int>(id));
    bar->show();   // made visible, also in a frame that shows already
    return Attach(bar);
}

BOOL CStatusBar::SetPaneText(int index, const char* text) {
    auto* bar = qobject_cast<QStatusBar*>(GetWidget());
    if (!bar || index < 0) return FALSE;
    QString value = QString::fromUtf8(text ? text : "");
    if (index == 0) {
        bar->showMessage(value);
        return TRUE;
    }
    QList<QLabel*> panes = bar->findChildren<QLabel*>(QStringLiteral("leafPane"), Qt::FindDirectChildrenOnly);
    while (panes.size() < index) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QStringLiteral("leafPane"));
        bar->addPermanentWidget(pane);
        panes.append(pane);
    }
    panes[index - 1]->setText(value);
    return TRUE;
}

CString CStatusBar::GetPaneText(int index) const {
    auto* bar = qobject_cast<QStatusBar*>(GetWidget());
    if (!bar || index < 0) return {};
    if (index == 0) return CString(bar->currentMessage().toStdString());
    QList<QLabel*> panes = bar->findChildren<QLabel*>(QStringLiteral("leafPane"), Qt::FindDirectChildrenOnly);
    return index - 1 < panes.size() ? CString(panes[index - 1]->text().toStdString()) : CString();
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
    if (!GetWidget() || (!ids && count > 0) || count < 0) return FALSE;
    m_indicators.assign(ids, ids + count);
    // The message pane is pane 0; every other indicator is a text pane after it.
    int pane = 1;
    for (UINT id : m_indicators) {
        if (id == ID_SEPARATOR) continue;
        SetPaneText(pane++, LoadResString(id).c_str());
    }
    return TRUE;
}

UINT CStatusBar::GetItemID(int index) const {
    return index >= 0 && index < GetCount() ? m_indicators[static_cast<size_t>(index)] : 0;
}

int CStatusBar::CommandToIndex(UINT id) const {
    for (int i = 0; i < GetCount(); ++i)
        if (m_indicators[static_cast<size_t>(i)] == id) return i;
    return -1;
}
