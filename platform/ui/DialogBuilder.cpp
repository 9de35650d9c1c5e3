#include "platform/ui/DialogBuilder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/SimpleControls.h"
#include "platform/ui/TreeCtrl.h"
#include "platform/ui/Wnd.h"

namespace leaf::ui {

namespace {

const char* const kSilentProperty = "leafSilent";

struct BuildState {
    QButtonGroup* radioGroup = nullptr;   // the group the next radio button joins
    QLabel* pendingBuddy = nullptr;       // a label with a mnemonic waiting for its control
    QWidget* host = nullptr;
    std::string* error = nullptr;
};

QWidget* CreateControl(const ResourceNode& node) {
    const std::string& kind = node.kind;
    if (kind == "label" || kind == "icon") return CStatic::CreateFromTemplate(node);
    if (kind == "edit") return CEdit::CreateFromTemplate(node);
    if (kind == "button" || kind == "checkbox" || kind == "radio") return CButton::CreateFromTemplate(node);
    if (kind == "listbox") return CListBox::CreateFromTemplate(node);
    if (kind == "combo") return CComboBox::CreateFromTemplate(node);
    if (kind == "listview") return CListCtrl::CreateFromTemplate(node);
    if (kind == "tree") return CTreeCtrl::CreateFromTemplate(node);
    if (kind == "tab") return CTabCtrl::CreateFromTemplate(node);
    if (kind == "progress") return CProgressCtrl::CreateFromTemplate(node);
    if (kind == "updown") return CSpinButtonCtrl::CreateFromTemplate(node);
    return nullptr;
}

bool BuildInto(const ResourceNode& parent, QBoxLayout* layout, QWidget* owner, BuildState& state);

bool BuildOne(const ResourceNode& node, QBoxLayout* layout, QWidget* owner, BuildState& state) {
    if (node.kind == "row" || node.kind == "column") {
        QBoxLayout* inner = node.kind == "row" ? static_cast<QBoxLayout*>(new QHBoxLayout) : new QVBoxLayout;
        layout->addLayout(inner, node.IntOption("stretch", 0));
        return BuildInto(node, inner, owner, state);
    }
    if (node.kind == "stretch") {
        layout->addStretch(node.IntOption("factor", 1));
        return true;
    }
    if (node.kind == "groupbox") {
        auto* group = new QGroupBox(QString::fromStdString(node.text), owner);
        if (node.hasId) SetControlId(group, node.id);
        auto* inner = new QVBoxLayout(group);
        layout->addWidget(group, node.IntOption("stretch", 0));
        state.radioGroup = nullptr;
        return BuildInto(node, inner, group, state);
    }
    QWidget* control = CreateControl(node);
    if (!control) {
        if (state.error) *state.error = "line " + std::to_string(node.line) + ": unknown control \"" + node.kind + "\"";
        return false;
    }
    control->setParent(owner);
    SetControlId(control, node.hasId ? node.id : -1);
    if (node.HasFlag("disabled")) control->setEnabled(false);
    if (node.HasFlag("hidden")) control->setVisible(false);
    if (auto tip = node.Option("tip"); !tip.empty()) control->setToolTip(QString::fromStdString(tip));

    // Radio buttons: a group runs from a radio marked "group" (or the first radio after
    // any other control) to the next such start.
    if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        if (!state.radioGroup || node.HasFlag("group")) {
            state.radioGroup = new QButtonGroup(state.host);
            state.radioGroup->setExclusive(true);
        }
        state.radioGroup->addButton(radio);
    } else {
        state.radioGroup = nullptr;
    }
    // A label's mnemonic moves the focus to the next control that takes it.
    if (auto* label = qobject_cast<QLabel*>(control)) {
        if (label->text().contains('&')) {
            label->setTextFormat(Qt::PlainText);
            state.pendingBuddy = label;
        }
    } else if (state.pendingBuddy && control->focusPolicy() != Qt::NoFocus) {
        state.pendingBuddy->setBuddy(control);
        state.pendingBuddy = nullptr;
    }
    Qt::Alignment alignment;
    if (node.kind == "updown") alignment = Qt::AlignVCenter;
    layout->addWidget(control, node.IntOption("stretch", 0), alignment);
    return true;
}

bool BuildInto(const ResourceNode& parent, QBoxLayout* layout, QWidget* owner, BuildState& state) {
    for (const ResourceNode& child : parent.children)
        if (!BuildOne(child, layout, owner, state)) return false;
    return true;
}

}  // namespace

bool BuildDialogControls(const ResourceNode& dialogTemplate, QWidget* host, std::string* error) {
    auto* layout = new QVBoxLayout(host);
    if (dialogTemplate.HasFlag("child")) layout->setContentsMargins(6, 6, 6, 6);
    BuildState state;
    state.host = host;
    state.error = error;
    return BuildInto(dialogTemplate, layout, host, state);
}

void MarkDialogRoot(QWidget* widget) {
    if (widget) widget->setProperty("leafDialogRoot", true);
}

SilentChanges::SilentChanges(QWidget* control) : m_control(control), m_previous(IsSilent(control)) {
    if (m_control) m_control->setProperty(kSilentProperty, true);
}

SilentChanges::~SilentChanges() {
    if (m_control) m_control->setProperty(kSilentProperty, m_previous);
}

bool SilentChanges::IsSilent(const QWidget* control) { return control && control->property(kSilentProperty).toBool(); }

}  // namespace leaf::ui
