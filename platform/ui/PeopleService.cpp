#include "platform/ui/PeopleService.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <cstdio>

#include "platform/ui/Resources.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPlacement.h"

namespace leaf::ui {

namespace {

QString Q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

// "Text (*.txt)|*.txt|All (*.*)|*.*|" becomes Qt's "Text (*.txt);;All (*.*)".
QString QtFilter(const std::string& filter) {
    QStringList parts = Q(filter).split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) continue;
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        entries << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + patterns + ")");
    }
    return entries.join(";;");
}

// On a display that nobody sees (the offscreen platform of headless runs) there is no
// person to answer: questions get the answer of Escape, and modal dialogs end at once,
// so nothing waits forever.
bool NobodyCanAnswer() { return QGuiApplication::platformName() == QLatin1String("offscreen"); }

int EscapeAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OK: return IDOK;
        case MB_YESNO: return IDNO;
        case MB_ABORTRETRYIGNORE: return IDABORT;
        default: return IDCANCEL;
    }
}

void ReportUnattended(const char* kind, const std::string& text) {
    std::fprintf(stderr, "No person to answer %s: %s\n", kind, text.c_str());
}

class QtPeopleService final : public PeopleService {
public:
    int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, UINT type) override {
        if (NobodyCanAnswer()) {
            ReportUnattended("a message box", text);
            return EscapeAnswer(type);
        }
        // The box belongs to the dialog in front when one runs; Qt opens it centred on
        // that window and inside the screen's work area.
        ModalFocusReturn focus(parent);
        QMessageBox box(MessageBoxOwner(parent));
        box.setWindowTitle(Q(caption));
        box.setText(Q(text));
        switch (type & MB_ICONMASK) {
            case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
            case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
            case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
            case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
            default: break;
        }
        struct Choice { QMessageBox::StandardButton button; int id; };
        std::vector<Choice> choices;
        switch (type & MB_TYPEMASK) {
            case MB_OKCANCEL: choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
            case MB_ABORTRETRYIGNORE:
                choices = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
                break;
            case MB_YESNOCANCEL:
                choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
                break;
            case MB_YESNO: choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
            case MB_RETRYCANCEL: choices = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
            default: choices = {{QMessageBox::Ok, IDOK}}; break;
        }
        QMessageBox::StandardButtons buttons;
        for (const Choice& c : choices) buttons |= c.button;
        box.setStandardButtons(buttons);
        size_t defaultIndex = ((type & MB_DEFMASK) >> 8);
        if (defaultIndex < choices.size()) box.setDefaultButton(choices[defaultIndex].button);
        auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
        for (const Choice& c : choices)
            if (c.button == clicked) return c.id;
        // Closed by the window's close box: the answer of Escape.
        for (const Choice& c : choices)
            if (c.id == IDCANCEL || c.id == IDNO) return c.id;
        return choices.front().id;
    }

    std::vector<std::string> ChooseFiles(QWidget* parent, const FileDialogRequest& request) override {
        if (NobodyCanAnswer()) {
            ReportUnattended("a file dialog", request.title);
            return {};
        }
        ModalFocusReturn focus(parent);
        QString folder = Q(request.initialFolder);
        if (!request.initialName.empty()) folder = folder.isEmpty() ? Q(request.initialName) : folder + "/" + Q(request.initialName);
        std::vector<std::string> chosen;
        if (request.save) {
            QString path = QFileDialog::getSaveFileName(parent, Q(request.title), folder, QtFilter(request.filter));
            if (!path.isEmpty()) {
                if (!request.defaultExtension.empty() && QFileInfo(path).suffix().isEmpty())
                    path += "." + Q(request.defaultExtension);
                chosen.push_back(path.toStdString());
            }
        } else if (request.multiple) {
            for (const QString& path : QFileDialog::getOpenFileNames(parent, Q(request.title), folder, QtFilter(request.filter)))
                chosen.push_back(path.toStdString());
        } else {
            QString path = QFileDialog::getOpenFileName(parent, Q(request.title), folder, QtFilter(request.filter));
            if (!path.isEmpty()) chosen.push_back(path.toStdString());
        }
        return chosen;
    }

    std::string ChooseFolder(QWidget* parent, const std::string& title, const std::string& initial) override {
        if (NobodyCanAnswer()) {
            ReportUnattended("a folder dialog", title);
            return {};
        }
        ModalFocusReturn focus(parent);
        return QFileDialog::getExistingDirectory(parent, Q(title), Q(initial)).toStdString();
    }

    bool ChooseColor(QWidget* parent, DWORD& color) override {
        if (NobodyCanAnswer()) return false;
        ModalFocusReturn focus(parent);
        QColor initial(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
        QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid()) return false;
        color = static_cast<DWORD>(chosen.red()) | (static_cast<DWORD>(chosen.green()) << 8) |
                (static_cast<DWORD>(chosen.blue()) << 16);
        return true;
    }

    bool ChooseFont(QWidget* parent, FontChoice& font) override {
        if (NobodyCanAnswer()) return false;
        ModalFocusReturn focus(parent);
        QFont initial(Q(font.face), font.pointSize, font.bold ? QFont::Bold : QFont::Normal, font.italic);
        bool ok = false;
        QFont chosen = QFontDialog::getFont(&ok, initial, parent);
        if (!ok) return false;
        font = {chosen.family().toStdString(), chosen.pointSize(), chosen.bold(), chosen.italic()};
        return true;
    }

    void Help(const std::string& helpFile, UINT command, DWORD context) override {
        // Help pages are HTML files named after their context number beside the help file.
        if (helpFile.empty() || command == HELP_QUIT) return;
        QFileInfo file(Q(helpFile));
        QString page = command == HELP_CONTEXT ? file.absolutePath() + "/" + QString::number(context) + ".htm"
                                               : file.absoluteFilePath();
        if (QFileInfo::exists(page)) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
    }

    bool StartProcess(const std::string& program, const std::vector<std::string>& arguments) override {
        QStringList args;
        for (const std::string& argument : arguments) args << Q(argument);
        return QProcess::startDetached(Q(program), args);
    }

    UINT TrackPopupMenu(QMenu& menu, const QPoint& at) override {
        if (NobodyCanAnswer()) return 0;
        QAction* chosen = menu.exec(at);
        return chosen ? chosen->data().toUInt() : 0;
    }

    void ModalDialogShown(QDialog& dialog, UINT) override {
        if (!NobodyCanAnswer()) return;
        ReportUnattended("a dialog", dialog.windowTitle().toStdString());
        dialog.done(IDABORT);
    }
};

QtPeopleService& QtPeople() {
    static QtPeopleService service;
    return service;
}

PeopleService* g_service = nullptr;

}  // namespace

PeopleService& People() { return g_service ? *g_service : QtPeople(); }

PeopleService* SetPeopleService(PeopleService* service) {
    PeopleService* previous = g_service;
    g_service = service;
    return previous;
}

}  // namespace leaf::ui

int AfxMessageBox(const char* text, UINT type, UINT helpId) {
    if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(text, type, helpId);
    return leaf::ui::People().MessageBox(nullptr, text ? text : "", "", type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId) {
    return AfxMessageBox(leaf::ui::LoadResString(stringId).c_str(), type, helpId == static_cast<UINT>(-1) ? stringId : helpId);
}
