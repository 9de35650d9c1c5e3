#include "platform/ui/Button.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

using namespace leaf::ui;

int CButton::GetCheck() const {
    return GetParent() ? static_cast<int>(GetParent()->IsDlgButtonChecked(GetDlgCtrlID())) : 0;
}

void CButton::SetCheck(int check) { SetCheckState(check); }

void CButton::Click() {
    if (auto* button = qobject_cast<QAbstractButton*>(GetWidget()); button && button->isEnabled()) button->click();
}

BOOL CButton::IsDefault() const {
    auto* button = qobject_cast<QPushButton*>(GetWidget());
    return button && button->isDefault();
}

QWidget* CButton::CreateFromTemplate(const ResourceNode& node) {
    QString text = QString::fromStdString(node.text);
    QAbstractButton* button = nullptr;
    if (node.kind == "checkbox") {
        auto* box = new QCheckBox(text);
        box->setTristate(node.HasFlag("threestate"));
        button = box;
    } else if (node.kind == "radio") {
        auto* radio = new QRadioButton(text);
        radio->setAutoExclusive(false);   // groups come from the template, not from the parent
        button = radio;
    } else {
        auto* push = new QPushButton(text);
        push->setAutoDefault(false);
        if (node.HasFlag("default") || node.id == IDOK) push->setDefault(true);
        button = push;
    }
    QObject::connect(button, &QAbstractButton::clicked, button, [button] { NotifyCommand(button, BN_CLICKED); });
    return button;
}
