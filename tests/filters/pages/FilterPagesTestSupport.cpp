#include "tests/filters/pages/FilterPagesTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "tests/support/ChildProcess.h"

namespace pagetest {

namespace {

// One QApplication for the whole test process, on the offscreen platform.
class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "test_filter_pages";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override {
        DeleteClosedWindows();
        m_app.reset();
    }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void RegisterFilterModules() {
    for (const char* module : {"markupintake.so", "pictureintake.so", "plainintake.so"})
        ASSERT_TRUE(leaf::test::RegisterModule(module)) << module;
}

leaf::Profile FilterProfile() { return leaf::Profile("Tallbrook Systems, Inc.", "Leafcraft"); }

QWidget* PageWindow(const QWidget* parent, int dialogId) { return leaf::ui::FindControl(parent, dialogId); }

void TypeInto(QWidget* field, const std::string& text) {
    auto* edit = qobject_cast<QLineEdit*>(field);
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    if (text.empty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, QString::fromStdString(text));
}

void PressArrow(QWidget* upDown, int direction) {
    ASSERT_NE(upDown, nullptr);
    const Qt::ArrowType wanted = direction > 0 ? Qt::UpArrow : Qt::DownArrow;
    for (QToolButton* arrow : upDown->findChildren<QToolButton*>())
        if (arrow->arrowType() == wanted) {
            arrow->click();
            return;
        }
    FAIL() << "the up-down control has no such arrow";
}

void DeleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

std::string OutputFolder() {
    std::filesystem::path folder = std::filesystem::current_path() / "filter-pages-output";
    std::filesystem::create_directories(folder);
    return folder.string();
}

}  // namespace pagetest
