#pragma once

// CTOCStyle: the look of a generated table of contents, one CTOCLevelStyle per entry level
// (seven levels), read from and written to a table-of-contents style file (".htt"). A style
// file is an HTML page whose <style> block holds one ".LevelN" rule per level and whose
// body holds the line "%TABLEOFCONTENTS%" where the entries go (see CTOCWriter).
//
// Styles live in the folder "TOCStyle" beside the program, one file "<name>.htt" each. The
// styles "classic", "distinct", "fancy" and "formal" come with the program and are never
// edited or overwritten; every other file there is a user style.

#include <array>
#include <string_view>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// One entry level: the fields of its CSS rule.
struct CTOCLevelStyle {
    CString m_fontFamily = "Times New Roman";
    int m_bold = 0;
    int m_italic = 0;
    int m_size = 12;             // points
    DWORD m_color = 0;           // RGB, red in the low byte
    int m_allCaps = 0;           // entries written in upper case
    int m_underline = 0;
    CString m_alignment = "left";  // CSS text-align value
    double m_leftMargin = 0.0;   // inches
    double m_rightMargin = 0.0;  // inches
    int m_spaceBefore = 0;       // points
    int m_spaceAfter = 0;        // points

    void SetDefaults() { *this = CTOCLevelStyle(); }
    bool operator==(const CTOCLevelStyle&) const = default;
};

class CTOCStyle {
public:
    static constexpr int kLevelCount = 7;

    CTOCStyle();

    // Puts the defaults into all seven levels.
    void SetDefaults();

    // Level index 0 (level 1) to 6 (level 7); the index is clamped into that range.
    CTOCLevelStyle& GetLevel(int index);
    const CTOCLevelStyle& GetLevel(int index) const;

    // Reads a style file. Defaults first, so what the file leaves out keeps its default.
    // FALSE without a message when the file cannot be opened; FALSE after message 922
    // when a ".Level" rule names a level outside 1 to 7.
    BOOL Load(const char* path);
    // Writes the style file (created or truncated). FALSE only when it cannot be created.
    BOOL Save(const char* path) const;

    // The value of a CSS property inside a line: the text behind the name's ':' up to the
    // first ';' after the name (all of it when there is none), white space cut at both
    // ends. `name` includes its ':'. Empty when the line does not hold the name.
    static CString ParseCssValue(std::string_view line, std::string_view name);

    bool operator==(const CTOCStyle&) const = default;

private:
    // Reads the properties one line may hold into the level.
    static void ReadProperties(std::string_view line, CTOCLevelStyle& level);

    std::array<CTOCLevelStyle, kLevelCount> m_levels;
};

namespace leaf::toc {

// The folder that holds the program (the folder of the running program unless a test set
// another with SetProgramFolder); no trailing '/'.
CString GetProgramFolder();
// Makes GetProgramFolder answer `folder` (empty: back to the program's own folder).
void SetProgramFolder(const CString& folder);

// "<program folder>/TOCStyle".
CString GetStyleFolder();
// "<program folder>/TOCStyle/<name>.htt".
CString GetStylePath(const CString& name);
// The names (file titles) of every ".htt" file in the style folder, sorted without regard
// to case.
std::vector<CString> ListStyleNames();
// The styles that come with the program: "classic", "distinct", "fancy", "formal".
const std::vector<CString>& BuiltInStyleNames();
// Whether a name is one of them (case ignored).
bool IsBuiltInStyle(const CString& name);

}  // namespace leaf::toc
