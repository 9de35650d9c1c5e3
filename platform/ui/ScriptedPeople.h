#pragma once

// The test double of the people seam: it answers every question from a script, in the
// order the answers were given, and logs what was asked. A question without a scripted
// answer is logged as unanswered and gets the cancelling answer, so a test never waits
// on a modal loop. Installed for as long as the object lives.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/PeopleService.h"

namespace leaf::ui {

class ScriptedPeople final : public PeopleService {
public:
    struct Question {
        std::string kind;      // "message", "files", "folder", "color", "font", "help", "process", "dialog", "menu"
        std::string text;      // message text, dialog title, program, help file, menu items ("|"-separated)
        std::string caption;   // message caption
        UINT flags = 0;        // MB_* flags, help command, dialog template id
        DWORD context = 0;     // help context
        std::vector<std::string> arguments;
        std::string defaultItem;   // menu: the text of its default item, shown bold ("" for none)
        bool answered = true;
    };
    using DialogScript = std::function<void(QDialog&)>;

    ScriptedPeople();
    ~ScriptedPeople() override;
    ScriptedPeople(const ScriptedPeople&) = delete;
    ScriptedPeople& operator=(const ScriptedPeople&) = delete;

    // Scripted answers, each used once, in order of asking.
    void AnswerMessageBox(int result) { m_messageAnswers.push_back(result); }
    void AnswerFiles(std::vector<std::string> paths) { m_fileAnswers.push_back(std::move(paths)); }
    void AnswerFolder(std::string folder) { m_folderAnswers.push_back(std::move(folder)); }
    void AnswerColor(bool ok, DWORD color) { m_colorAnswers.push_back({ok, color}); }
    void AnswerFont(bool ok, FontChoice font) { m_fontAnswers.push_back({ok, std::move(font)}); }
    // The next modal dialog is handed to the script once it shows. A script that leaves
    // the dialog open gets it closed with IDABORT, and the question counts as unanswered.
    void AnswerDialog(DialogScript script) { m_dialogAnswers.push_back(std::move(script)); }
    // The next message box is shown as a person sees it (PersonService's real box, placed
    // over its owner) and handed to the script once it shows; the script presses one of its
    // buttons, and the button's answer is the box's. A script that leaves the box open gets
    // it closed with the answer of Escape, and the question counts as unanswered.
    void AnswerShownMessageBox(DialogScript script) { m_shownBoxAnswers.push_back(std::move(script)); }
    // The command chosen from the next popup menu (0: dismissed). Choosing a command the
    // menu does not offer enabled counts as unanswered and chooses nothing.
    void AnswerMenu(UINT command) { m_menuAnswers.push_back(command); }
    // Process starts succeed unless told otherwise.
    void SetProcessStartResult(bool started) { m_processStarts = started; }

    const std::vector<Question>& Log() const { return m_log; }
    std::vector<Question> Asked(const std::string& kind) const;
    int UnansweredCount() const;
    // Answers scripted but never asked for.
    size_t PendingAnswers() const;

    int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, UINT type) override;
    std::vector<std::string> ChooseFiles(QWidget* parent, const FileDialogRequest& request) override;
    std::string ChooseFolder(QWidget* parent, const std::string& title, const std::string& initial) override;
    bool ChooseColor(QWidget* parent, DWORD& color) override;
    bool ChooseFont(QWidget* parent, FontChoice& font) override;
    void Help(const std::string& helpFile, UINT command, DWORD context) override;
    bool StartProcess(const std::string& program, const std::vector<std::string>& arguments) override;
    UINT TrackPopupMenu(QMenu& menu, const QPoint& at) override;
    void ModalDialogShown(QDialog& dialog, UINT templateId) override;

private:
    PeopleService* m_previous = nullptr;
    std::vector<Question> m_log;
    std::deque<int> m_messageAnswers;
    std::deque<std::vector<std::string>> m_fileAnswers;
    std::deque<std::string> m_folderAnswers;
    std::deque<std::pair<bool, DWORD>> m_colorAnswers;
    std::deque<std::pair<bool, FontChoice>> m_fontAnswers;
    std::deque<DialogScript> m_dialogAnswers;
    std::deque<DialogScript> m_shownBoxAnswers;
    // The script of the message box that is showing, until it runs, and whether it closed it.
    DialogScript m_shownBox;
    bool m_shownBoxAnswered = false;
    std::deque<UINT> m_menuAnswers;
    bool m_processStarts = true;
};

}  // namespace leaf::ui
