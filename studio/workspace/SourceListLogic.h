#pragma once

// The rules of the Source Files workspace that need no window: the list's columns, the
// texts of its cells, the keys and order of its sort, the shell verbs of a file type and
// the check messages. The view (LeafcraftSrcFilesView.h) applies them to its list.

#include <ctime>
#include <string>
#include <vector>

#include "platform/base/CString.h"

namespace leaf {

// One list column: "Heading|alignment|width" (alignment 0 left, 1 right).
struct ColumnSpec {
    CString heading;
    int format = 0;
    int width = 100;
};
// The columns of a "entry || entry || ..." text. An entry without '|' gets alignment 0
// and width 100; with one '|', the number after it is the alignment and the width is 100.
std::vector<ColumnSpec> ParseColumnSpecs(const char* text);

// The path shown for a source: without the common folder and the separator after it
// (compared without regard to case; a folder boundary is required), '\' shown as '/'.
CString DisplayPath(const CString& path, const CString& folder);
// The size column: kilobytes rounded up with grouped digits and "KB" ("1,206KB").
CString FormatSizeColumn(unsigned long long bytes);
// The date column: "%m/%d/%y %I:%M %p" in local time.
CString FormatDateColumn(time_t when);

// Sort values: the key in the low byte, the direction in the high byte.
inline constexpr int kSortSmart = 1;
inline constexpr int kSortTitle = 2;
inline constexpr int kSortFileName = 4;
inline constexpr int kSortSize = 8;
inline constexpr int kSortType = 16;
inline constexpr int kSortDate = 32;
inline int SortKey(int value) { return value & 0xFF; }
inline bool SortDescending(int value) { return ((value >> 8) & 0xFF) == 2; }
// The column a sort key reads: -1 for a key that reads none.
int SortColumn(int key);

// Compares two cell texts under a sort value (after the key's own preparation of the
// texts: numbers and extensions for smart sort, zero padding for sizes, a 24-hour clock
// for dates), without regard to case, reversed when descending. Texts are read up to
// 149 characters, as the list gives them.
int CompareSourceTexts(const CString& a, const CString& b, int sortValue);

// Reorders an order array (item indices) for smart sort: HTML files go into groups by
// their file names (front, front matter, chapters, appendices, chapter notes, chapter
// endnotes, appendix notes, appendix endnotes, back matter, other); every other item
// follows in the "other" group. `paths[i]` is item i's path. Every item stays exactly once.
std::vector<int> SmartSortOrder(const std::vector<int>& order, const std::vector<CString>& paths);

// A verb of a file type: its display text and its command-line template.
struct ShellVerb {
    CString text;
    CString command;
};
// The verbs registered for the file's type under HKEY_CLASSES_ROOT, the default verb
// first; verbs without a display text or command are left out. FALSE when the type or
// its "shell" key cannot be found.
BOOL LoadShellVerbs(const CString& path, std::vector<ShellVerb>& verbs);
// The command line of a verb for a file: the first "%1" (else the first "%I") replaced
// by the path; with neither, the template, a blank and the path in double quotes.
CString VerbCommandLine(const CString& commandTemplate, const CString& path);
// A command line cut into its program and arguments by the window layer's rules
// (leaf::ui::CommandLineToArgs); empty when there is no program.
std::vector<std::string> SplitCommandLine(const CString& commandLine);

// The extensions the first entry of a browse filter names, for message 10121:
// "Supported|*.htm;*.html;*.doc|..." gives ".htm .html .doc".
CString FilterExtensions(const CString& browseFilter);

}  // namespace leaf
