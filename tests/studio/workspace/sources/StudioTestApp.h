#pragma once

// What the window tests of the Source Files and Properties areas share: the Qt
// application of the process, an application object with the program's profile key,
// and a few helpers to answer dialogs.

#include <QDialog>
#include <string>

#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "tests/support/TempFolder.h"

namespace leaf::test {

// A fixture base: a registry of its own, an application object named "Leafcraft" with
// the program's registry key, and scripted people.
class StudioWindowTest {
protected:
    StudioWindowTest();
    ScopedRegistryRoot registry;
    CWinApp app{"Leafcraft"};
    leaf::ui::ScriptedPeople people;
};

// Presses the button with that id in a dialog (a test failure when there is none).
void PressButton(QDialog& dialog, int id);
// Sets the text of a control of a dialog.
void SetControlText(QDialog& dialog, int id, const std::string& text);
std::string ControlText(QDialog& dialog, int id);
bool IsChecked(QDialog& dialog, int id);
bool IsEnabled(QDialog& dialog, int id);

}  // namespace leaf::test
