#include "outside/litgen/MarkupSerializer.h"

#include "platform/base/CString.h"
#include "platform/base/TextEncoding.h"

namespace {

std::string Utf8(std::u16string_view text) { return leaf::Utf16ToUtf8(text); }

// Attribute values come as they were written in the source (entities not decoded), so
// only the quote that delimits them is escaped.
std::string AttributeValue(std::u16string_view value) {
    std::string text;
    for (char ch : Utf8(value)) {
        if (ch == '"')
            text += "&quot;";
        else
            text += ch;
    }
    return text;
}

std::string EscapedText(std::u16string_view value) {
    std::string text;
    for (char ch : Utf8(value)) {
        switch (ch) {
        case '&': text += "&amp;"; break;
        case '<': text += "&lt;"; break;
        case '>': text += "&gt;"; break;
        default: text += ch;
        }
    }
    return text;
}

}  // namespace

void CMarkupSerializer::StartElement(const std::u16string& name, const Attributes& attributes, bool hasContent) {
    FlushText();
    m_text += '<';
    m_text += Utf8(name);
    for (const auto& [attributeName, value] : attributes) {
        if (attributeName.empty())
            continue;
        m_text += ' ';
        m_text += Utf8(attributeName);
        m_text += "=\"";
        m_text += AttributeValue(value);
        m_text += '"';
    }
    if (hasContent) {
        m_text += '>';
        m_open.push_back(name);
    } else {
        m_text += " />";
    }
}

void CMarkupSerializer::WriteText(std::u16string_view text) { m_pendingText += text; }

void CMarkupSerializer::WriteComment(std::u16string_view text) {
    FlushText();
    m_text += "<!--";
    m_text += Utf8(text);
    m_text += "-->";
}

bool CMarkupSerializer::EndElement() {
    FlushText();
    if (m_open.empty())
        return false;
    m_text += "</";
    m_text += Utf8(m_open.back());
    m_text += '>';
    m_open.pop_back();
    return true;
}

const std::string& CMarkupSerializer::Text() {
    FlushText();
    return m_text;
}

void CMarkupSerializer::FlushText() {
    if (m_pendingText.empty())
        return;
    m_text += InRawTextElement() ? Utf8(m_pendingText) : EscapedText(m_pendingText);
    m_pendingText.clear();
}

bool CMarkupSerializer::InRawTextElement() const {
    if (m_open.empty())
        return false;
    std::string name = Utf8(m_open.back());
    return leaf::EqualsNoCase(name, "style") || leaf::EqualsNoCase(name, "script");
}
