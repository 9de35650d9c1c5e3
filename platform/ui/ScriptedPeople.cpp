#include "platform/ui/ScriptedPeople.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <cstdio>

namespace leaf::ui {

namespace {

// The answer a person gives by pressing Escape on a box of that button set.
int CancellingAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return IDOK;
        case MB_YESNO: return IDNO;
        case MB_ABORTRETRYIGNORE: return IDABORT;
        default: return IDCANCEL;
    }
}

ScriptedPeople::Question Ask(std::string kind, std::string text = {}, std::string caption = {}, UINT flags = 0,
                             DWORD context = 0) {
    ScriptedPeople::Question q;
    q.kind = std::move(kind);
    q.text = std::move(text);
    q.caption = std::move(caption);
    q.flags = flags;
    q.context = context;
    return q;
}

void ReportUnanswered(const std::string& kind, const std::string& text) {
    std::fprintf(stderr, "ScriptedPeople: unanswered %s: %s\n", kind.c_str(), text.c_str());
}

}  // namespace

ScriptedPeople::ScriptedPeople() : m_previous(SetPeopleService(this)) {}

ScriptedPeople::~ScriptedPeople() { SetPeopleService(m_previous); }

std::vector<ScriptedPeople::Question> ScriptedPeople::Asked(const std::string& kind) const {
    std::vector<Question> found;
    for (const Question& q : m_log)
        if (q.kind == kind) found.push_back(q);
    return found;
}

int ScriptedPeople::UnansweredCount() const {
    int count = 0;
    for (const Question& q : m_log)
        if (!q.answered) ++count;
    return count;
}

size_t ScriptedPeople::PendingAnswers() const {
    return m_messageAnswers.size() + m_fileAnswers.size() + m_folderAnswers.size() + m_colorAnswers.size() +
           m_fontAnswers.size() + m_dialogAnswers.size() + m_shownBoxAnswers.size() + m_menuAnswers.size();
}

int ScriptedPeople::MessageBox(QWidget* parent, const std::string& text, const std::string& caption, UINT type) {
    Question q = Ask("message", text, caption, type);
    if (!m_shownBoxAnswers.empty()) {
        m_shownBox = std::move(m_shownBoxAnswers.front());
        m_shownBoxAnswers.pop_front();
        m_shownBoxAnswered = false;
        m_log.push_back(std::move(q));
        const size_t index = m_log.size() - 1;
        const int answer = PersonService().MessageBox(parent, text, caption, type);
        m_shownBox = nullptr;
        if (!m_shownBoxAnswered) {
            m_log[index].answered = false;
            ReportUnanswered("message box (left open by its script)", text);
        }
        return answer;
    }
    int answer = CancellingAnswer(type);
    if (m_messageAnswers.empty()) {
        q.answered = false;
        ReportUnanswered(q.kind, text);
    } else {
        answer = m_messageAnswers.front();
        m_messageAnswers.pop_front();
    }
    m_log.push_back(std::move(q));
    return answer;
}

std::vector<std::string> ScriptedPeople::ChooseFiles(QWidget*, const FileDialogRequest& request) {
    Question q = Ask("files", request.title, request.filter, request.save ? 1u : 0u);
    std::vector<std::string> answer;
    if (m_fileAnswers.empty()) {
        q.answered = false;
        ReportUnanswered(q.kind, request.title);
    } else {
        answer = std::move(m_fileAnswers.front());
        m_fileAnswers.pop_front();
    }
    m_log.push_back(std::move(q));
    return answer;
}

std::string ScriptedPeople::ChooseFolder(QWidget*, const std::string& title, const std::string& initial) {
    Question q = Ask("folder", title, initial);
    std::string answer;
    if (m_folderAnswers.empty()) {
        q.answered = false;
        ReportUnanswered(q.kind, title);
    } else {
        answer = std::move(m_folderAnswers.front());
        m_folderAnswers.pop_front();
    }
    m_log.push_back(std::move(q));
    return answer;
}

bool ScriptedPeople::ChooseColor(QWidget*, DWORD& color) {
    Question q = Ask("color");
    bool ok = false;
    if (m_colorAnswers.empty()) {
        q.answered = false;
        ReportUnanswered(q.kind, "");
    } else {
        ok = m_colorAnswers.front().first;
        if (ok) color = m_colorAnswers.front().second;
        m_colorAnswers.pop_front();
    }
    m_log.push_back(std::move(q));
    return ok;
}

bool ScriptedPeople::ChooseFont(QWidget*, FontChoice& font) {
    Question q = Ask("font", font.face);
    bool ok = false;
    if (m_fontAnswers.empty()) {
        q.answered = false;
        ReportUnanswered(q.kind, font.face);
    } else {
        ok = m_fontAnswers.front().first;
        if (ok) font = m_fontAnswers.front().second;
        m_fontAnswers.pop_front();
    }
    m_log.push_back(std::move(q));
    return ok;
}

void ScriptedPeople::Help(const std::string& helpFile, UINT command, DWORD context) {
    m_log.push_back(Ask("help", helpFile, "", command, context));
}

bool ScriptedPeople::StartProcess(const std::string& program, const std::vector<std::string>& arguments) {
    Question q = Ask("process", program);
    q.arguments = arguments;
    m_log.push_back(std::move(q));
    return m_processStarts;
}

namespace {

// The enabled action with that command, searching sub-menus.
QAction* FindEnabledAction(QMenu& menu, UINT command) {
    for (QAction* action : menu.actions()) {
        if (action->menu()) {
            // Sub-menus fill themselves when they open; a script opens them as a person would.
            emit action->menu()->aboutToShow();
            if (!action->isEnabled()) continue;
            if (QAction* found = FindEnabledAction(*action->menu(), command)) return found;
        } else if (!action->isSeparator() && action->isEnabled() && action->data().toUInt() == command) {
            return action;
        }
    }
    return nullptr;
}

std::string DescribeMenu(QMenu& menu) {
    std::string text;
    for (QAction* action : menu.actions()) {
        if (!text.empty()) text += "|";
        text += action->isSeparator() ? "-" : action->text().toStdString();
    }
    return text;
}

}  // namespace

UINT ScriptedPeople::TrackPopupMenu(QMenu& menu, const QPoint&) {
    Question q = Ask("menu", DescribeMenu(menu));
    if (QAction* action = menu.defaultAction()) q.defaultItem = action->text().toStdString();
    UINT chosen = 0;
    if (m_menuAnswers.empty()) {
        q.answered = false;
        ReportUnanswered(q.kind, q.text);
    } else {
        UINT command = m_menuAnswers.front();
        m_menuAnswers.pop_front();
        q.flags = command;
        if (command != 0) {
            if (FindEnabledAction(menu, command)) {
                chosen = command;
            } else {
                q.answered = false;
                ReportUnanswered("menu command (not offered)", std::to_string(command));
            }
        }
    }
    m_log.push_back(std::move(q));
    return chosen;
}

void ScriptedPeople::ModalDialogShown(QDialog& dialog, UINT templateId) {
    if (m_shownBox && qobject_cast<QMessageBox*>(&dialog)) {
        DialogScript script = std::move(m_shownBox);
        m_shownBox = nullptr;
        script(dialog);
        m_shownBoxAnswered = !dialog.isVisible();
        if (dialog.isVisible()) dialog.done(IDABORT);
        return;
    }
    Question q = Ask("dialog", dialog.windowTitle().toStdString(), "", templateId);
    if (m_dialogAnswers.empty()) {
        q.answered = false;
        ReportUnanswered(q.kind, q.text);
    } else {
        DialogScript script = std::move(m_dialogAnswers.front());
        m_dialogAnswers.pop_front();
        // Logged before the script runs, so that questions the script causes follow it.
        m_log.push_back(q);
        size_t index = m_log.size() - 1;
        script(dialog);
        if (dialog.isVisible()) {
            m_log[index].answered = false;
            ReportUnanswered("dialog (left open by its script)", q.text);
            dialog.done(IDABORT);
        }
        return;
    }
    m_log.push_back(std::move(q));
    dialog.done(IDABORT);
}

}  // namespace leaf::ui
