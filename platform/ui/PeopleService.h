#pragma once

// The one seam between the program and a person: message boxes, the common dialogs
// (open/save file, folder, colour, font), help requests, process starts and modal
// dialogs. The program asks through People(); the normal service asks a person with
// Qt's dialogs, a test installs a ScriptedPeople (ScriptedPeople.h) that answers from a
// script and logs every question, so no modal loop ever waits for a person in a test.

#include <memory>
#include <string>
#include <vector>

#include "platform/base/CString.h"
#include "platform/ui/WinDefs.h"

class QWidget;
class QDialog;
class QMenu;
class QPoint;

namespace leaf::ui {

struct FileDialogRequest {
    bool save = false;                    // a save dialog, else an open dialog
    bool multiple = false;                // several files may be chosen (open only)
    std::string title;
    std::string initialFolder;
    std::string initialName;
    std::string filter;                   // "Text (*.txt)|*.txt|All (*.*)|*.*|" as the system writes it
    std::string defaultExtension;
};

struct FontChoice {
    std::string face;
    int pointSize = 10;
    bool bold = false;
    bool italic = false;
};

class PeopleService {
public:
    virtual ~PeopleService() = default;

    // A message box: the text, the caption and MB_* flags; answers IDOK, IDCANCEL,
    // IDYES, IDNO, IDABORT, IDRETRY or IDIGNORE.
    virtual int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, UINT type) = 0;
    // File dialogs: the chosen paths (empty when cancelled).
    virtual std::vector<std::string> ChooseFiles(QWidget* parent, const FileDialogRequest& request) = 0;
    // A folder: empty when cancelled.
    virtual std::string ChooseFolder(QWidget* parent, const std::string& title, const std::string& initial) = 0;
    // A colour as 0x00BBGGRR; false when cancelled.
    virtual bool ChooseColor(QWidget* parent, DWORD& color) = 0;
    virtual bool ChooseFont(QWidget* parent, FontChoice& font) = 0;
    // A help request: the help file (empty for the program's own), the command
    // (HELP_CONTEXT and the like) and the context number.
    virtual void Help(const std::string& helpFile, UINT command, DWORD context) = 0;
    // Starts a program with an argument list (no shell); false when it cannot start.
    virtual bool StartProcess(const std::string& program, const std::vector<std::string>& arguments) = 0;
    // A popup menu at a screen point: the command chosen, 0 when none.
    virtual UINT TrackPopupMenu(QMenu& menu, const QPoint& at) = 0;
    // Called once a modal dialog runs, with its window on screen. A person needs nothing
    // here; a script answers the dialog (presses its buttons, fills its fields).
    virtual void ModalDialogShown(QDialog& dialog, UINT templateId) = 0;
};

// The service in use; the Qt one until another is installed.
PeopleService& People();
// The Qt one, which asks a person with real windows. Its modal windows tell People() once
// they show, so another service installed may hand them to a script (ScriptedPeople's
// AnswerShownMessageBox); with none, on a display nobody sees, they end at once with the
// answer of Escape.
PeopleService& PersonService();
// Installs a service (nullptr: back to the Qt one). Returns the one it replaced, which
// the caller keeps alive as long as it may still be in use.
PeopleService* SetPeopleService(PeopleService* service);

// Help commands.
inline constexpr UINT HELP_CONTEXT = 0x0001;
inline constexpr UINT HELP_QUIT = 0x0002;
inline constexpr UINT HELP_FINDER = 0x000B;

}  // namespace leaf::ui

// The class library's message box helpers; the caption is the application title.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
