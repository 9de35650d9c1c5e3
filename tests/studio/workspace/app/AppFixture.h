#pragma once

// A started leafstudio inside the test process: the build control registered in the
// test's own registry, the temporary folder (TMP) and the metadata definition file in a
// folder of the test's own, message boxes and dialogs answered by a script.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ui/ScriptedPeople.h"
#include "studio/workspace/LeafcraftApp.h"
#include "tests/support/TempFolder.h"

class CLeafcraftDoc;
class CMainFrame;

namespace leaf::test {

// Registers the build control, the font embedder and the input filters in the current
// registry root.
void RegisterBuildControl();
// A metadata definition file with two items.
std::string WriteDefinitionFile(const TempFolder& folder);

class AppFixture : public testing::Test {
protected:
    AppFixture();
    ~AppFixture() override;

    // Starts the program with these arguments (after the program's name); the result of
    // InitInstance.
    BOOL Start(std::vector<std::string> arguments = {});

    CMainFrame* Frame() const;
    CLeafcraftDoc* Document() const;
    // Clicks the icon of a workspace in the icon bar as a person would.
    void ClickIcon(int index);
    // A source file in the sources folder, with that content.
    std::string WriteSource(const std::string& name, const std::string& content = "<html><body>x</body></html>");
    // The auto-save entries under the application's key: their names.
    std::vector<std::string> AutoSaveKeys() const;

    TempFolder m_folder;
    TempFolder m_temp;
    ui::ScriptedPeople m_people;
    std::unique_ptr<CLeafcraftApp> m_app;
    std::string m_previousTmp;
};

}  // namespace leaf::test
