#include "studio/project/DetailsReport.h"

#include <QCoreApplication>
#include <cmath>
#include <ctime>

#include "platform/base/Environment.h"
#include "platform/base/File.h"
#include "platform/base/LocalTime.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WaitCursor.h"
#include "studio/project/BuildMessage.h"
#include "studio/project/BuildWizardSheet.h"
#include "studio/project/ReportProgressDlg.h"
#include "studio/project/ShellOpen.h"

namespace {

// The product name in captions and titles.
constexpr UINT kAppTitleString = 57344;
// More messages than this show the wait dialog.
constexpr size_t kProgressThreshold = 10;
// A no-break space as UTF-8.
constexpr const char* kNoBreakSpace = "\xC2\xA0";

// One report at a time. Writing lets events through (the wait dialog's Cancel), and a
// Details click among them would start a second report into the same file.
class ReportInProgress {
public:
    ReportInProgress() { s_running = true; }
    ~ReportInProgress() { s_running = false; }
    ReportInProgress(const ReportInProgress&) = delete;
    ReportInProgress& operator=(const ReportInProgress&) = delete;
    static bool Running() { return s_running; }

private:
    static inline bool s_running = false;
};

// Loads a string, formats it with the arguments and writes it to the file.
void WriteReportLine(CStdioFile& file, UINT stringId, ...) {
    va_list arguments;
    va_start(arguments, stringId);
    CString line = leaf::ui::FormatResStringV(stringId, arguments);
    va_end(arguments);
    file.WriteString(line.str());
}

// Text placed inside the page's markup: &, < and > escaped.
CString HtmlText(const char* text) {
    CString escaped;
    for (const char* at = text; at && *at; ++at) {
        switch (*at) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += *at; break;
        }
    }
    return escaped;
}

// The file name part of a path (after the last separator of either kind).
CString FileNamePart(const CString& path) {
    const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    return slash < 0 ? path : path.Mid(slash + 1);
}

CString ReportDateTime() {
    const time_t now = std::time(nullptr);
    CString text(leaf::FormatLocalTime(now, "%A, %m/%d/%Y"));
    for (int i = 0; i < 3; ++i)
        text += kNoBreakSpace;
    text += CString(leaf::FormatLocalTime(now, "%I:%M%p"));
    return text;
}

void ShowMessage(UINT id, const char* path) {
    AfxMessageBox(leaf::ui::FormatResString(id, path).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

CString GetDetailsReportPath() {
    CString path(leaf::GetTempFolder());
    if (path.IsEmpty() || path.Right(1) != "/")
        path += "/";
    return path + "~LCDetails.htm";
}

void EscapeReportHtml(CString& out, const char* text, BOOL highlight) {
    if (highlight)
        out += "<span class=\"Highlight\">";
    for (const char* at = text; at && *at; ++at) {
        switch (*at) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += *at; break;
        }
    }
    if (highlight)
        out += "</span>";
    out += "<br />";
}

CString ReadSourceContext(const CBuildMessage& message) {
    // Wide enough that the lines after the last possible line number do not overflow.
    const long long line = message.m_nLineNum;
    CStdioFile file;
    if (!file.Open(message.m_strFilePath.c_str(), CFile::modeRead | CFile::typeText | CFile::shareDenyNone))
        return leaf::ui::FormatResString(10166, HtmlText(message.m_strFilePath.c_str()).c_str());
    CString block;
    try {
        CString text;
        const long long first = std::max<long long>(1, line - 3);
        long long number = 0;
        while (number < line + 3 && file.ReadString(text)) {
            ++number;
            if (number >= first)
                EscapeReportHtml(block, text.c_str(), number == line);
        }
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        return leaf::ui::FormatResString(10167, HtmlText(message.m_strFilePath.c_str()).c_str());
    }
    return block;
}

BOOL WriteDetailsReport(const DetailsReportInput& input, const char* reportPath) {
    if (!input.messages || input.messages->empty() || ReportInProgress::Running())
        return FALSE;
    ReportInProgress running;
    CWaitCursor wait;
    CStdioFile file;
    if (!file.Open(reportPath, CFile::modeCreate | CFile::modeWrite | CFile::typeText | CFile::shareDenyNone)) {
        ShowMessage(10164, reportPath);
        return FALSE;
    }

    const auto& messages = *input.messages;
    std::unique_ptr<CReportProgressDlg> progress;
    if (messages.size() > kProgressThreshold) {
        progress = std::make_unique<CReportProgressDlg>();
        if (!progress->Create(input.parent))
            progress.reset();
        else
            progress->CenterWindow();
    }

    try {
        for (UINT id = 7000; id <= 7005; ++id)
            WriteReportLine(file, id);
        WriteReportLine(file, 7006, HtmlText(leaf::ui::LoadResString(kAppTitleString).c_str()).c_str());
        WriteReportLine(file, 7007);
        WriteReportLine(file, 7008);
        WriteReportLine(file, 7009, ReportDateTime().c_str());
        WriteReportLine(file, 7011, HtmlText(input.eBookPath.c_str()).c_str());
        WriteReportLine(file, 7010,
                        input.projectPath.IsEmpty() ? "n/a" : HtmlText(input.projectPath.c_str()).c_str());
        WriteReportLine(file, 7012, HtmlText(input.sourceFolder.c_str()).c_str());
        WriteReportLine(file, 7013);

        const size_t count = messages.size();
        for (size_t i = 1; i <= count; ++i) {
            // Keeps the wait dialog's Cancel button live.
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (progress) {
                const int percent = static_cast<int>(std::lround(static_cast<double>(i) * 100.0 / count));
                if (!progress->SetProgress(percent)) {
                    progress->DestroyWindow();
                    file.Close();
                    return FALSE;
                }
            }
            const CBuildMessage& message = *messages[i - 1];
            const UINT typeName = message.m_nType == CBuildMessage::kError     ? 566
                                  : message.m_nType == CBuildMessage::kWarning ? 567
                                                                               : 568;
            CString text;
            EscapeReportHtml(text, message.m_strMessage.c_str(), FALSE);
            WriteReportLine(file, 7014);
            WriteReportLine(file, 7015, leaf::ui::LoadResString(typeName).c_str(), message.m_nCode, text.c_str());
            WriteReportLine(file, 7016, HtmlText(FileNamePart(message.m_strFilePath).c_str()).c_str());
            if (message.m_nLineNum > 0) {
                WriteReportLine(file, 7017, message.m_nLineNum);
                WriteReportLine(file, 7018, ReadSourceContext(message).c_str());
            }
            WriteReportLine(file, 7019);
        }
        WriteReportLine(file, 7020);
        WriteReportLine(file, 7021);
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        if (progress)
            progress->DestroyWindow();
        ShowMessage(10165, reportPath);
        return FALSE;
    }
    if (progress)
        progress->DestroyWindow();
    return leaf::OpenWithShell(reportPath, input.parent);
}

BOOL WriteDetailsReport(CBuildWizardSheet& sheet) {
    DetailsReportInput input;
    input.messages = &sheet.GetMessages();
    input.eBookPath = sheet.GetEBookPath();
    input.projectPath = sheet.GetProjectPath();
    input.sourceFolder = sheet.GetSourceFolder();
    input.parent = &sheet;
    return WriteDetailsReport(input, GetDetailsReportPath().c_str());
}
