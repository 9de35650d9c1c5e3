#include "tests/filters/pages/FilterPagesTestSupport.h"

#include <filesystem>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "tests/support/ChildProcess.h"
#include "tests/support/QtTestEnvironment.h"

namespace pagetest {

namespace {

// The shared application, with the closed pages destroyed while it still lives.
class FilterPagesEnvironment : public leaf::test::QtTestEnvironment {
public:
    void TearDown() override {
        DeleteClosedWindows();
        QtTestEnvironment::TearDown();
    }
};

[[maybe_unused]] testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new FilterPagesEnvironment);

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
