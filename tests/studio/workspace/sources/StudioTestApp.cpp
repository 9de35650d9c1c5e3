#include "tests/studio/workspace/sources/StudioTestApp.h"

#include <gtest/gtest.h>

#include <QAbstractButton>

#include "platform/ui/Wnd.h"

namespace leaf::test {

StudioWindowTest::StudioWindowTest() { app.SetRegistryKey("Tallbrook Systems, Inc."); }

void PressButton(QDialog& dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(leaf::ui::FindControl(&dialog, id));
    ASSERT_NE(button, nullptr) << "no button " << id;
    button->click();
}

void SetControlText(QDialog& dialog, int id, const std::string& text) {
    CWnd::FromHandle(&dialog)->SetDlgItemText(id, text.c_str());
}

std::string ControlText(QDialog& dialog, int id) {
    CString text;
    CWnd::FromHandle(&dialog)->GetDlgItemText(id, text);
    return text.str();
}

bool IsChecked(QDialog& dialog, int id) { return CWnd::FromHandle(&dialog)->IsDlgButtonChecked(id) == BST_CHECKED; }

bool IsEnabled(QDialog& dialog, int id) {
    QWidget* control = leaf::ui::FindControl(&dialog, id);
    return control && control->isEnabled();
}

}  // namespace leaf::test
