#include "studio/project/TOCWriter.h"

#include <cctype>

#include <QString>

namespace {

constexpr std::string_view kPlaceholder = "%TABLEOFCONTENTS%";

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// Upper case for entry text: letters of every script, but character references
// ("&amp;", "&eacute;") keep their spelling so that they still name their characters.
CString ToUpperKeepingReferences(const CString& text) {
    std::string result;
    const std::string& source = text.str();
    size_t start = 0;
    while (start < source.size()) {
        size_t amp = source.find('&', start);
        if (amp == std::string::npos) amp = source.size();
        result += QString::fromUtf8(source.data() + start, static_cast<qsizetype>(amp - start)).toUpper().toStdString();
        if (amp == source.size()) break;
        size_t end = amp + 1;
        while (end < source.size() && (std::isalnum(static_cast<unsigned char>(source[end])) || source[end] == '#')) {
            ++end;
        }
        if (end < source.size() && source[end] == ';') ++end;
        result.append(source, amp, end - amp);
        start = end;
    }
    return CString(std::move(result));
}

}  // namespace

CTOCWriter::CTOCWriter(const char* templatePath) : m_templatePath(templatePath) {}

CTOCWriter::~CTOCWriter() { CloseFiles(); }

void CTOCWriter::CloseFiles() {
    if (m_template) m_template->Abort();
    if (m_output) m_output->Abort();
    m_template.reset();
    m_output.reset();
}

BOOL CTOCWriter::IsAllCaps(int level) const {
    const int index = level - 1;
    return index >= 0 && index < static_cast<int>(m_allCaps.size()) && m_allCaps[index] != 0;
}

BOOL CTOCWriter::Open(const char* outputPath) {
    CloseFiles();
    auto templateFile = std::make_unique<CStdioFile>();
    auto output = std::make_unique<CStdioFile>();
    if (!outputPath || !templateFile->Open(m_templatePath.c_str(), CFile::modeRead | CFile::typeText)) return FALSE;
    if (!output->Open(outputPath, CFile::modeCreate | CFile::modeWrite | CFile::typeText)) return FALSE;
    m_template = std::move(templateFile);
    m_output = std::move(output);
    try {
        int currentLevel = 0;
        CString line;
        while (m_template->ReadString(line)) {
            if (line.str().starts_with(kPlaceholder)) return TRUE;
            if (line.Find(".Level") >= 0) {
                const std::string_view trimmed = TrimLeft(line.str());
                const char digit = trimmed.size() > 6 ? trimmed[6] : 0;
                currentLevel = (digit >= '1' && digit <= '7') ? digit - '0' : 0;
            }
            if (const int at = line.Find("text-transform:"); at >= 0 && currentLevel > 0) {
                const std::string_view value = TrimLeft(std::string_view(line.str()).substr(at + 15));
                if (leaf::EqualsNoCase(value.substr(0, 9), "uppercase")) {
                    if (m_allCaps.size() < static_cast<size_t>(currentLevel)) m_allCaps.resize(currentLevel, 0);
                    m_allCaps[currentLevel - 1] = 1;
                }
            }
            m_output->WriteString(line.str());
            m_output->WriteString("\n");
        }
    } catch (const CFileException&) {
        CloseFiles();
        return FALSE;
    }
    return TRUE;
}

BOOL CTOCWriter::AddEntry(int level, const char* text, const char* href) {
    if (!m_output) return FALSE;
    CString entry = text ? text : "";
    if (IsAllCaps(level)) entry = ToUpperKeepingReferences(entry);
    CString line;
    if (href && *href) {
        line.Format("<div class=\"Level%d\"><a class=\"Level%d\" href=\"%s\">%s</a></div>\n", level, level, href,
                    entry.c_str());
    } else {
        line.Format("<div class=\"Level%d\">%s</div>\n", level, entry.c_str());
    }
    try {
        m_output->WriteString(line.str());
    } catch (const CFileException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CTOCWriter::Close() {
    if (!m_output || !m_template) {
        CloseFiles();
        return FALSE;
    }
    try {
        CString line;
        while (m_template->ReadString(line)) {
            m_output->WriteString(line.str());
            m_output->WriteString("\n");
        }
        m_template->Close();
        m_output->Close();
    } catch (const CFileException&) {
        CloseFiles();
        return FALSE;
    }
    m_template.reset();
    m_output.reset();
    return TRUE;
}
