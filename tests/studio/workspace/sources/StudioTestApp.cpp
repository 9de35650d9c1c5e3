#include "tests/studio/workspace/sources/StudioTestApp.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <cstdlib>
#include <memory>

#include "platform/ui/Wnd.h"

namespace leaf::test {

namespace {

// One QApplication for the whole test process, on the offscreen platform.
class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "test_studio";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

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
