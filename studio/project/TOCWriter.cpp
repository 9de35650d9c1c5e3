#include "studio/project/TOCWriter.h"

#include <cctype>

#include <QString>

#include "markup/MarkupTables.h"
#include "sdk/package/XmlReferences.h"

namespace {

constexpr std::string_view kPlaceholder = "%TABLEOFCONTENTS%";

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// The length of the character reference at text[at] ("&amp;" gives 5), 0 when the '&'
// there begins none. A known name written without its ';', as older pages have it
// ("&nbsp"), counts as a reference too, since that is how a browser reads it.
size_t ReferenceLength(std::string_view text, size_t at) {
    if (leaf::package::BeginsCompleteReference(text, at)) return text.find(';', at) - at + 1;
    size_t end = at + 1;
    while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) ++end;
    if (end > at + 1 && leaf::markup::LookupEntity(text.substr(at + 1, end - at - 1)) != 0) return end - at;
    return 0;
}

// Upper case for entry text: letters of every script, but character references
// ("&amp;", "&eacute;") keep their spelling so that they still name their characters.
CString ToUpperKeepingReferences(const CString& text) {
    std::string result;
    const std::string& source = text.str();
    size_t start = 0;
    size_t at = 0;
    while (at <= source.size()) {
        const size_t reference = at < source.size() && source[at] == '&' ? ReferenceLength(source, at) : 0;
        if (reference == 0 && at < source.size()) {
            ++at;
            continue;
        }
        result += QString::fromUtf8(source.data() + start, static_cast<qsizetype>(at - start)).toUpper().toStdString();
        if (at == source.size()) break;
        result.append(source, at, reference);
        at += reference;
        start = at;
    }
    return CString(std::move(result));
}

// HTML as written, made safe to stand as an element's text or, with `attribute`, inside a
// double-quoted attribute value: references are kept, every other '&' and each
// '<' and '>' (and '"' in an attribute) become references.
CString SafeMarkup(const CString& text, bool attribute) {
    const std::string& source = text.str();
    std::string out;
    out.reserve(source.size() + source.size() / 8);
    for (size_t i = 0; i < source.size(); ++i) {
        const char ch = source[i];
        if (ch == '<') {
            out += "&lt;";
        } else if (ch == '>') {
            out += "&gt;";
        } else if (ch == '&') {
            out += ReferenceLength(source, i) > 0 ? "&" : "&amp;";
        } else if (ch == '"' && attribute) {
            out += "&quot;";
        } else {
            out += ch;
        }
    }
    return CString(std::move(out));
}

}  // namespace

CTOCWriter::CTOCWriter(const char* templatePath) : m_templatePath(templatePath) {}

CString CTOCWriter::EscapeText(const CString& text) {
    std::string out;
    out.reserve(text.str().size());
    for (const char ch : text.str()) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += ch; break;
        }
    }
    return CString(std::move(out));
}

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
    entry = SafeMarkup(entry, false);
    CString line;
    if (href && *href) {
        line.Format("<div class=\"Level%d\"><a class=\"Level%d\" href=\"%s\">%s</a></div>\n", level, level,
                    SafeMarkup(href, true).c_str(), entry.c_str());
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
