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
#include <QShowEvent>
#include <QStringList>
#include <QUrl>
#include <cstdio>
#include <vector>

#include "platform/ui/Dialog.h"
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

// A message box placed as every dialog is: once its text has given it its size, centred
// on its owner's window and inside that screen's work area.
class PlacedMessageBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        PlaceOverOwner(this, parentWidget());
    }
};

struct BoxChoice {
    QMessageBox::StandardButton button;
    int id;
};

std::vector<BoxChoice> BoxChoices(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        case MB_ABORTRETRYIGNORE:
            return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        case MB_YESNOCANCEL: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        case MB_RETRYCANCEL: return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
        default: return {{QMessageBox::Ok, IDOK}};
    }
}

class QtPeopleService final : public PeopleService {
public:
    // The box runs as every modal dialog does, so on a display nobody sees it ends at once
    // (ModalDialogShown) with the answer of Escape, and a test script may answer it.
    int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, UINT type) override {
        // The box belongs to the dialog in front when one runs.
        PlacedMessageBox box(MessageBoxOwner(parent));
        box.setWindowTitle(Q(caption));
        box.setText(Q(text));
        switch (type & MB_ICONMASK) {
            case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
            case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
            case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
            case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
            default: break;
        }
        const std::vector<BoxChoice> choices = BoxChoices(type);
        QMessageBox::StandardButtons buttons;
        for (const BoxChoice& c : choices) buttons |= c.button;
        box.setStandardButtons(buttons);
        size_t defaultIndex = ((type & MB_DEFMASK) >> 8);
        if (defaultIndex < choices.size()) box.setDefaultButton(choices[defaultIndex].button);
        RunModalLoop(box, 0);
        const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
        for (const BoxChoice& c : choices)
            if (c.button == clicked) return c.id;
        return EscapeAnswer(type);
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
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) ReportUnattended("a message box", box->text().toStdString());
        else ReportUnattended("a dialog", dialog.windowTitle().toStdString());
        dialog.done(IDABORT);
    }
};

PeopleService* g_service = nullptr;

}  // namespace

PeopleService& PersonService() {
    static QtPeopleService service;
    return service;
}

PeopleService& People() { return g_service ? *g_service : PersonService(); }

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
