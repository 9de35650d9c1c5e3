#pragma once

// The details report: every recorded build message as an HTML page ("~LCDetails.htm" in
// the program's temporary folder) with a few lines of the intermediate source around
// each message's line, opened with the shell.

#include <cstdio>

#include "platform/base/CString.h"

class CBuildWizardSheet;
class CBuildMessage;

#include <memory>
#include <vector>

class CWnd;

// What a report shows.
struct DetailsReportInput {
    const std::vector<std::unique_ptr<CBuildMessage>>* messages = nullptr;
    CString eBookPath;
    CString projectPath;   // empty when the project has no file yet
    CString sourceFolder;
    CWnd* parent = nullptr;
};

// Writes the report of the sheet's messages and opens it; nothing without messages, and
// nothing while another report is being written. Returns TRUE when the report was
// written and opened.
BOOL WriteDetailsReport(CBuildWizardSheet& sheet);
BOOL WriteDetailsReport(const DetailsReportInput& input, const char* reportPath);
// The report's path.
CString GetDetailsReportPath();
// Appends the text to `out` with &, < and > escaped, highlighted when asked, and "<br />".
void EscapeReportHtml(CString& out, const char* text, BOOL highlight);
// The context block of a message: lines L-3 to L+3 of its file with line L highlighted.
CString ReadSourceContext(const CBuildMessage& message);
