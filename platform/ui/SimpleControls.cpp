#include "platform/ui/SimpleControls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/ui/DialogBuilder.h"

using namespace leaf::ui;

QWidget* CStatic::CreateFromTemplate(const ResourceNode& node) {
    auto* label = new QLabel;
    if (node.kind == "icon") {
        QStyle::StandardPixmap icon = QStyle::SP_MessageBoxInformation;
        if (node.HasFlag("warning")) icon = QStyle::SP_MessageBoxWarning;
        else if (node.HasFlag("question")) icon = QStyle::SP_MessageBoxQuestion;
        else if (node.HasFlag("error")) icon = QStyle::SP_MessageBoxCritical;
        label->setPixmap(label->style()->standardIcon(icon).pixmap(32, 32));
        label->setAlignment(Qt::AlignTop);
    } else {
        label->setText(QString::fromStdString(node.text));
        label->setWordWrap(node.HasFlag("wrap"));
        label->setTextFormat(Qt::PlainText);
    }
    return label;
}

// Progress bar.

namespace {
QProgressBar* Bar(const CWnd* wnd) { return qobject_cast<QProgressBar*>(wnd->GetWidget()); }
}

void CProgressCtrl::SetRange32(int lower, int upper) {
    if (QProgressBar* bar = Bar(this)) bar->setRange(lower, std::max(lower, upper));
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
    QProgressBar* bar = Bar(this);
    lower = bar ? bar->minimum() : 0;
    upper = bar ? bar->maximum() : 0;
}

int CProgressCtrl::SetPos(int position) {
    QProgressBar* bar = Bar(this);
    if (!bar) return 0;
    int previous = bar->value() < bar->minimum() ? bar->minimum() : bar->value();
    bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    return previous;
}

int CProgressCtrl::GetPos() const {
    QProgressBar* bar = Bar(this);
    return bar ? std::max(bar->value(), bar->minimum()) : 0;
}

int CProgressCtrl::OffsetPos(int delta) { return SetPos(GetPos() + delta); }

int CProgressCtrl::SetStep(int step) {
    QProgressBar* bar = Bar(this);
    if (!bar) return 0;
    int previous = bar->property("leafStep").isValid() ? bar->property("leafStep").toInt() : 10;
    bar->setProperty("leafStep", step);
    return previous;
}

int CProgressCtrl::StepIt() {
    QProgressBar* bar = Bar(this);
    if (!bar) return 0;
    int step = bar->property("leafStep").isValid() ? bar->property("leafStep").toInt() : 10;
    int previous = GetPos();
    long long next = static_cast<long long>(previous) + step;
    int span = bar->maximum() - bar->minimum();
    if (next > bar->maximum() && span > 0) next = bar->minimum() + (next - bar->maximum()) % span;
    if (next < bar->minimum()) next = bar->minimum();
    bar->setValue(static_cast<int>(next));
    return previous;
}

QWidget* CProgressCtrl::CreateFromTemplate(const ResourceNode&) {
    auto* bar = new QProgressBar;
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

// Up-down control.

UpDownWidget::UpDownWidget() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* up = new QToolButton;
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton;
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up, down}) {
        button->setAutoRepeat(true);
        button->setFixedSize(18, 12);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
    }
    for (QToolButton* button : {up, down})
        QObject::connect(button, &QToolButton::pressed, this, [this] { m_held.start(); });
    QObject::connect(up, &QToolButton::clicked, this, [this] { Repeat(lower <= upper ? 1 : -1); });
    QObject::connect(down, &QToolButton::clicked, this, [this] { Repeat(lower <= upper ? -1 : 1); });
}

void UpDownWidget::Repeat(int direction) {
    Step(direction * IncrementAfter(m_held.isValid() ? m_held.elapsed() : 0));
}

int UpDownWidget::IncrementAfter(qint64 heldMilliseconds) const {
    int increment = 1;
    for (const UDACCEL& entry : acceleration) {
        if (heldMilliseconds < static_cast<qint64>(entry.nSec) * 1000) break;
        increment = static_cast<int>(std::min<UINT>(entry.nInc, 0x7FFF));
    }
    return std::max(increment, 1);
}

QWidget* UpDownWidget::Buddy() const {
    if (!buddyId) return nullptr;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (QWidget* found = FindControl(w, buddyId)) return found;
    return nullptr;
}

void UpDownWidget::Step(int delta) {
    if (!isEnabled()) return;
    int current = position;
    if (QWidget* buddy = Buddy()) {
        BOOL translated = FALSE;
        UINT value = CWnd::FromHandle(buddy->parentWidget())->GetDlgItemInt(buddyId, &translated, TRUE);
        if (translated) current = static_cast<int>(value);
    }
    int low = std::min(lower, upper), high = std::max(lower, upper);
    int next = std::clamp(current + delta, low, high);
    if (next == current && current >= low && current <= high) return;
    NMUPDOWN change;
    change.iPos = current;
    change.iDelta = next - current;
    if (NotifyParent(this, &change.hdr, UDN_DELTAPOS) != 0) return;
    position = next;
    if (QWidget* buddy = Buddy()) CWnd::FromHandle(buddy)->SetWindowText(std::to_string(next).c_str());
}

namespace {
UpDownWidget* Arrows(const CWnd* wnd) { return dynamic_cast<UpDownWidget*>(wnd->GetWidget()); }
}

void CSpinButtonCtrl::SetRange32(int lower, int upper) {
    if (UpDownWidget* arrows = Arrows(this)) {
        arrows->lower = lower;
        arrows->upper = upper;
    }
}

void CSpinButtonCtrl::GetRange32(int& lower, int& upper) const {
    UpDownWidget* arrows = Arrows(this);
    lower = arrows ? arrows->lower : 0;
    upper = arrows ? arrows->upper : 0;
}

int CSpinButtonCtrl::SetPos(int position) {
    UpDownWidget* arrows = Arrows(this);
    if (!arrows) return 0;
    int previous = GetPos();
    arrows->position = std::clamp(position, std::min(arrows->lower, arrows->upper), std::max(arrows->lower, arrows->upper));
    if (QWidget* buddy = arrows->Buddy()) CWnd::FromHandle(buddy)->SetWindowText(std::to_string(arrows->position).c_str());
    return previous;
}

int CSpinButtonCtrl::GetPos() const {
    UpDownWidget* arrows = Arrows(this);
    if (!arrows) return 0;
    if (QWidget* buddy = arrows->Buddy()) {
        BOOL translated = FALSE;
        UINT value = CWnd::FromHandle(buddy->parentWidget())->GetDlgItemInt(arrows->buddyId, &translated, TRUE);
        if (translated) return static_cast<int>(value);
    }
    return arrows->position;
}

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy) {
    UpDownWidget* arrows = Arrows(this);
    if (!arrows) return nullptr;
    CWnd* previous = GetBuddy();
    arrows->buddyId = buddy ? buddy->GetDlgCtrlID() : 0;
    return previous;
}

CWnd* CSpinButtonCtrl::GetBuddy() const {
    UpDownWidget* arrows = Arrows(this);
    return arrows ? CWnd::FromHandle(arrows->Buddy()) : nullptr;
}

BOOL CSpinButtonCtrl::SetAccel(int count, const UDACCEL* entries) {
    UpDownWidget* arrows = Arrows(this);
    if (!arrows || count <= 0 || entries == nullptr) return FALSE;
    arrows->acceleration.assign(entries, entries + count);
    return TRUE;
}

int CSpinButtonCtrl::GetAccel(int count, UDACCEL* entries) const {
    UpDownWidget* arrows = Arrows(this);
    if (!arrows) return 0;
    const int total = static_cast<int>(arrows->acceleration.size());
    for (int i = 0; entries != nullptr && i < std::min(count, total); ++i) entries[i] = arrows->acceleration[i];
    return total;
}

void CSpinButtonCtrl::PressArrow(int delta, int heldMilliseconds) {
    UpDownWidget* arrows = Arrows(this);
    if (!arrows) return;
    const int direction = (delta >= 0) == (arrows->lower <= arrows->upper) ? 1 : -1;
    arrows->Step(direction * arrows->IncrementAfter(heldMilliseconds));
}

QWidget* CSpinButtonCtrl::CreateFromTemplate(const ResourceNode& node) {
    auto* arrows = new UpDownWidget;
    arrows->buddyId = node.IntOption("buddy", 0);
    return arrows;
}

// Tab control.

namespace {
QTabBar* Tabs(const CWnd* wnd) { return qobject_cast<QTabBar*>(wnd->GetWidget()); }
}

int CTabCtrl::InsertItem(int index, const char* text) {
    QTabBar* tabs = Tabs(this);
    if (!tabs) return -1;
    SilentChanges silent(tabs);
    int previous = tabs->currentIndex();
    int inserted = tabs->insertTab(std::clamp(index, 0, tabs->count()), QString::fromUtf8(text ? text : ""));
    if (previous >= 0 && tabs->currentIndex() != previous && previous < tabs->count()) tabs->setCurrentIndex(previous);
    return inserted;
}

BOOL CTabCtrl::DeleteItem(int index) {
    QTabBar* tabs = Tabs(this);
    if (!tabs || index < 0 || index >= tabs->count()) return FALSE;
    SilentChanges silent(tabs);
    tabs->removeTab(index);
    return TRUE;
}

BOOL CTabCtrl::DeleteAllItems() {
    QTabBar* tabs = Tabs(this);
    if (!tabs) return FALSE;
    SilentChanges silent(tabs);
    while (tabs->count()) tabs->removeTab(0);
    return TRUE;
}

int CTabCtrl::GetItemCount() const { return Tabs(this) ? Tabs(this)->count() : 0; }
int CTabCtrl::GetCurSel() const { return Tabs(this) ? Tabs(this)->currentIndex() : -1; }

int CTabCtrl::SetCurSel(int index) {
    QTabBar* tabs = Tabs(this);
    if (!tabs || index < 0 || index >= tabs->count()) return -1;
    SilentChanges silent(tabs);
    int previous = tabs->currentIndex();
    tabs->setCurrentIndex(index);
    return previous;
}

CString CTabCtrl::GetItemText(int index) const {
    QTabBar* tabs = Tabs(this);
    return tabs && index >= 0 && index < tabs->count() ? CString(tabs->tabText(index).toStdString()) : CString();
}

QWidget* CTabCtrl::CreateFromTemplate(const ResourceNode&) {
    auto* tabs = new QTabBar;
    tabs->setExpanding(false);
    QObject::connect(tabs, &QTabBar::currentChanged, tabs, [tabs] {
        if (SilentChanges::IsSilent(tabs)) return;
        NMHDR header;
        NotifyParent(tabs, &header, TCN_SELCHANGE);
    });
    return tabs;
}

// Tooltips.

BOOL CToolTipCtrl::Create(CWnd* parent) {
    m_parent = parent ? parent->GetWidget() : nullptr;
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* window, const char* text) {
    if (!window || !window->GetWidget()) return FALSE;
    QWidget* widget = window->GetWidget();
    widget->setProperty("leafToolTip", QString::fromUtf8(text ? text : ""));
    if (m_active) widget->setToolTip(QString::fromUtf8(text ? text : ""));
    return TRUE;
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* window) { AddTool(window, text); }

CString CToolTipCtrl::GetText(CWnd* window) const {
    if (!window || !window->GetWidget()) return {};
    return CString(window->GetWidget()->property("leafToolTip").toString().toStdString());
}

void CToolTipCtrl::Activate(BOOL activate) {
    m_active = activate != FALSE;
    if (!m_parent) return;
    for (QWidget* widget : m_parent->findChildren<QWidget*>()) {
        QVariant tip = widget->property("leafToolTip");
        if (tip.isValid()) widget->setToolTip(m_active ? tip.toString() : QString());
    }
}
