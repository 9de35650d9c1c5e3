#include "studio/project/TOCStyle.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/base/File.h"
#include "platform/base/ModulePath.h"
#include "platform/base/Path.h"
#include "platform/ui/PeopleService.h"

namespace {

constexpr std::string_view kPlaceholder = "%TABLEOFCONTENTS%";
constexpr std::string_view kLevelMarker = ".Level";
constexpr UINT IDS_TOC_BAD_LEVEL = 922;

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    return text;
}

// The level digit behind ".Level" on a rule line (leading white space cut, the seventh
// character); 0 when it is no digit.
int RuleLevel(std::string_view line) {
    const std::string_view trimmed = TrimLeft(line);
    if (trimmed.size() < 7) return 0;
    const char digit = trimmed[6];
    return (digit >= '0' && digit <= '9') ? digit - '0' : 0;
}

int HexPair(std::string_view text, size_t first) {
    if (first >= text.size()) return 0;
    const std::string pair(text.substr(first, 2));
    return static_cast<int>(std::strtoul(pair.c_str(), nullptr, 16) & 0xFF);
}

CString& ProgramFolderOverride() {
    static CString folder;
    return folder;
}

}  // namespace

CTOCStyle::CTOCStyle() { SetDefaults(); }

void CTOCStyle::SetDefaults() {
    for (CTOCLevelStyle& level : m_levels) level.SetDefaults();
}

CTOCLevelStyle& CTOCStyle::GetLevel(int index) { return m_levels[std::clamp(index, 0, kLevelCount - 1)]; }

const CTOCLevelStyle& CTOCStyle::GetLevel(int index) const {
    return m_levels[std::clamp(index, 0, kLevelCount - 1)];
}

CString CTOCStyle::ParseCssValue(std::string_view line, std::string_view name) {
    const size_t at = line.find(name);
    if (at == std::string_view::npos) return CString();
    std::string_view value = line.substr(at + name.size());
    if (const size_t end = value.find(';'); end != std::string_view::npos) value = value.substr(0, end);
    CString result(value);
    result.Trim();
    return result;
}

void CTOCStyle::ReadProperties(std::string_view line, CTOCLevelStyle& level) {
    const auto has = [&](std::string_view name) { return line.find(name) != std::string_view::npos; };
    if (has("color:")) {
        const CString value = ParseCssValue(line, "color:");
        const std::string_view digits = std::string_view(value.str()).substr(value.Find('#') + 1);
        const int red = HexPair(digits, 0), green = HexPair(digits, 2), blue = HexPair(digits, 4);
        level.m_color = static_cast<DWORD>(red) | (static_cast<DWORD>(green) << 8) | (static_cast<DWORD>(blue) << 16);
    }
    if (has("font-family:")) level.m_fontFamily = ParseCssValue(line, "font-family:");
    if (has("font-size:")) level.m_size = std::atoi(ParseCssValue(line, "font-size:").c_str());
    if (has("font-style:")) level.m_italic = ParseCssValue(line, "font-style:").CompareNoCase("normal") != 0;
    if (has("font-weight:")) level.m_bold = ParseCssValue(line, "font-weight:").CompareNoCase("normal") != 0;
    if (has("text-transform:")) {
        level.m_allCaps = ParseCssValue(line, "text-transform:").CompareNoCase("uppercase") == 0;
    }
    if (has("text-decoration:")) {
        level.m_underline = ParseCssValue(line, "text-decoration:").CompareNoCase("none") != 0;
    }
    if (has("text-align:")) level.m_alignment = ParseCssValue(line, "text-align:");
    if (has("margin-left:")) level.m_leftMargin = std::atof(ParseCssValue(line, "margin-left:").c_str());
    if (has("margin-right:")) level.m_rightMargin = std::atof(ParseCssValue(line, "margin-right:").c_str());
    if (has("margin-top:")) level.m_spaceBefore = std::atoi(ParseCssValue(line, "margin-top:").c_str());
    if (has("margin-bottom:")) level.m_spaceAfter = std::atoi(ParseCssValue(line, "margin-bottom:").c_str());
}

BOOL CTOCStyle::Load(const char* path) {
    SetDefaults();
    CStdioFile file;
    if (!path || !file.Open(path, CFile::modeRead | CFile::typeText)) return FALSE;
    CTOCLevelStyle* current = nullptr;
    CString line;
    try {
        while (file.ReadString(line)) {
            if (line.CompareNoCase(kPlaceholder) == 0) return TRUE;
            if (line.Find(kLevelMarker) >= 0) {
                const int level = RuleLevel(line.str());
                if (level < 1 || level > kLevelCount) {
                    AfxMessageBox(IDS_TOC_BAD_LEVEL, MB_OK | MB_ICONEXCLAMATION);
                    return FALSE;
                }
                current = &m_levels[level - 1];
            }
            if (current) ReadProperties(line.str(), *current);
        }
    } catch (const CFileException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CTOCStyle::Save(const char* path) const {
    leaf::AtomicFile file;
    if (!path || !file.Open(path)) return FALSE;
    CString text;
    text += "<html>\n<head>\n<title>Table of Contents</title>\n<style>\n";
    for (int n = 1; n <= kLevelCount; ++n) {
        const CTOCLevelStyle& level = m_levels[n - 1];
        CString colour;
        colour.Format("#%.2x%.2x%.2x", static_cast<unsigned>(level.m_color & 0xFF),
                      static_cast<unsigned>((level.m_color >> 8) & 0xFF),
                      static_cast<unsigned>((level.m_color >> 16) & 0xFF));
        text.AppendFormat(".Level%d { color:\t%s;\tfont-family:\t%s;\n", n, colour.c_str(), level.m_fontFamily.c_str());
        text.AppendFormat("\tfont-size:\t%dpt;\tfont-style:\t%s;\n", level.m_size, level.m_italic ? "italic" : "normal");
        text.AppendFormat("\tfont-weight:\t%s;\ttext-decoration:\t%s;\n", level.m_bold ? "bold" : "normal",
                          level.m_underline ? "underline" : "none");
        text.AppendFormat("\ttext-align:\t%s;\t/*text-transform:\t%s;*/\n", level.m_alignment.c_str(),
                          level.m_allCaps ? "uppercase" : "none");
        text.AppendFormat("\tmargin-left:\t%.2fin;\tmargin-right:\t%.2fin;\n", level.m_leftMargin, level.m_rightMargin);
        text.AppendFormat("\tmargin-top:\t%dpt;\tmargin-bottom:\t%dpt;}\n", level.m_spaceBefore, level.m_spaceAfter);
    }
    text += "</style>\n</head>\n\n<body>\n<h1 align=\"center\">Table of Contents</h1>\n\n%TABLEOFCONTENTS%\n\n";
    text += "</body>\n</html>\n";
    // A failed write leaves the previous file as it was and is reported.
    return file.Write(text.str()) && file.Commit() ? TRUE : FALSE;
}

namespace leaf::toc {

CString GetProgramFolder() {
    if (!ProgramFolderOverride().IsEmpty()) return ProgramFolderOverride();
    return CString(leaf::path::FolderPart(leaf::GetExecutablePath()));
}

void SetProgramFolder(const CString& folder) { ProgramFolderOverride() = folder; }

CString GetStyleFolder() { return CString(leaf::path::Join(GetProgramFolder().str(), "TOCStyle")); }

CString GetStylePath(const CString& name) {
    return CString(leaf::path::Join(GetStyleFolder().str(), name.str() + ".htt"));
}

std::vector<CString> ListStyleNames() {
    std::vector<CString> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(GetStyleFolder().str(), error)) {
        const std::string file = entry.path().filename().string();
        if (file.size() > 4 && leaf::EqualsNoCase(std::string_view(file).substr(file.size() - 4), ".htt") &&
            entry.is_regular_file(error)) {
            names.emplace_back(file.substr(0, file.size() - 4));
        }
    }
    std::sort(names.begin(), names.end(),
              [](const CString& a, const CString& b) { return a.CompareNoCase(b.str()) < 0; });
    return names;
}

const std::vector<CString>& BuiltInStyleNames() {
    static const std::vector<CString> names{"classic", "distinct", "fancy", "formal"};
    return names;
}

bool IsBuiltInStyle(const CString& name) {
    const auto& names = BuiltInStyleNames();
    return std::any_of(names.begin(), names.end(), [&](const CString& n) { return n.CompareNoCase(name.str()) == 0; });
}

}  // namespace leaf::toc
