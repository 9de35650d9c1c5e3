#include "outside/word/XmlScanner.h"

#include <cstdlib>

#include "platform/base/TextEncoding.h"

namespace wordstub {

namespace {

bool IsSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

bool IsNameChar(char ch) {
    return !IsSpace(ch) && ch != '<' && ch != '>' && ch != '/' && ch != '=' && ch != '"' && ch != '\'' &&
           ch != '&' && ch != '\0';
}

std::string_view AfterPrefix(std::string_view name) {
    std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

}  // namespace

std::string_view XmlScanner::LocalName() const { return AfterPrefix(m_name); }

std::string XmlScanner::Attribute(std::string_view name) const {
    bool qualified = name.find(':') != std::string_view::npos;
    for (const auto& [attributeName, value] : m_attributes) {
        std::string_view candidate = qualified ? std::string_view(attributeName) : AfterPrefix(attributeName);
        if (candidate == name)
            return value;
    }
    return std::string();
}

XmlScanner::Token XmlScanner::Next() {
    if (m_pendingEnd) {
        m_pendingEnd = false;
        --m_depth;
        return Token::EndElement;
    }
    for (;;) {
        if (m_pos >= m_text.size())
            return Token::End;
        if (m_text[m_pos] != '<')
            return ReadText();
        Token token = ReadMarkup();
        // Declarations, comments and processing instructions give no token.
        if (token != Token::End || m_pos >= m_text.size())
            return token;
    }
}

XmlScanner::Token XmlScanner::ReadMarkup() {
    std::string_view rest = m_text.substr(m_pos);
    if (rest.starts_with("<!--")) {
        m_pos += 4;
        return SkipPast("-->") ? Token::End : Token::Error;
    }
    if (rest.starts_with("<![CDATA[")) {
        std::size_t start = m_pos + 9;
        std::size_t end = m_text.find("]]>", start);
        if (end == std::string_view::npos)
            return Token::Error;
        m_textValue.assign(m_text.substr(start, end - start));
        m_pos = end + 3;
        return Token::Text;
    }
    if (rest.starts_with("<?")) {
        m_pos += 2;
        return SkipPast("?>") ? Token::End : Token::Error;
    }
    if (rest.starts_with("<!")) {
        // A document type declaration; an internal subset in brackets is skipped whole.
        std::size_t bracket = m_text.find('[', m_pos);
        std::size_t close = m_text.find('>', m_pos);
        if (bracket != std::string_view::npos && close != std::string_view::npos && bracket < close) {
            m_pos = bracket;
            if (!SkipPast("]"))
                return Token::Error;
        }
        return SkipPast(">") ? Token::End : Token::Error;
    }
    if (rest.starts_with("</"))
        return ReadEndTag();
    return ReadStartTag();
}

bool XmlScanner::SkipPast(std::string_view terminator) {
    std::size_t end = m_text.find(terminator, m_pos);
    if (end == std::string_view::npos) {
        m_pos = m_text.size();
        return false;
    }
    m_pos = end + terminator.size();
    return true;
}

void XmlScanner::SkipSpace() {
    while (m_pos < m_text.size() && IsSpace(m_text[m_pos]))
        ++m_pos;
}

bool XmlScanner::ReadName(std::string& name) {
    std::size_t start = m_pos;
    while (m_pos < m_text.size() && IsNameChar(m_text[m_pos]))
        ++m_pos;
    name.assign(m_text.substr(start, m_pos - start));
    return !name.empty();
}

XmlScanner::Token XmlScanner::ReadStartTag() {
    ++m_pos;  // '<'
    m_attributes.clear();
    if (!ReadName(m_name))
        return Token::Error;
    for (;;) {
        SkipSpace();
        if (m_pos >= m_text.size())
            return Token::Error;
        char ch = m_text[m_pos];
        if (ch == '>') {
            ++m_pos;
            ++m_depth;
            return Token::StartElement;
        }
        if (ch == '/') {
            if (m_pos + 1 >= m_text.size() || m_text[m_pos + 1] != '>')
                return Token::Error;
            m_pos += 2;
            ++m_depth;
            m_pendingEnd = true;
            return Token::StartElement;
        }
        std::string attributeName;
        if (!ReadName(attributeName))
            return Token::Error;
        SkipSpace();
        if (m_pos >= m_text.size() || m_text[m_pos] != '=')
            return Token::Error;
        ++m_pos;
        SkipSpace();
        if (m_pos >= m_text.size() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
            return Token::Error;
        char quote = m_text[m_pos++];
        std::size_t end = m_text.find(quote, m_pos);
        if (end == std::string_view::npos)
            return Token::Error;
        std::string value;
        if (!AppendDecoded(m_text.substr(m_pos, end - m_pos), value))
            return Token::Error;
        m_pos = end + 1;
        m_attributes.emplace_back(std::move(attributeName), std::move(value));
    }
}

XmlScanner::Token XmlScanner::ReadEndTag() {
    m_pos += 2;  // "</"
    if (!ReadName(m_name))
        return Token::Error;
    SkipSpace();
    if (m_pos >= m_text.size() || m_text[m_pos] != '>' || m_depth == 0)
        return Token::Error;
    ++m_pos;
    --m_depth;
    return Token::EndElement;
}

XmlScanner::Token XmlScanner::ReadText() {
    std::size_t end = m_text.find('<', m_pos);
    if (end == std::string_view::npos)
        end = m_text.size();
    m_textValue.clear();
    std::string_view raw = m_text.substr(m_pos, end - m_pos);
    m_pos = end;
    return AppendDecoded(raw, m_textValue) ? Token::Text : Token::Error;
}

bool XmlScanner::AppendDecoded(std::string_view raw, std::string& out) const {
    std::size_t i = 0;
    while (i < raw.size()) {
        std::size_t amp = raw.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(raw.substr(i));
            return true;
        }
        out.append(raw.substr(i, amp - i));
        std::size_t semicolon = raw.find(';', amp);
        if (semicolon == std::string_view::npos || semicolon - amp > 12)
            return false;
        std::string_view entity = raw.substr(amp + 1, semicolon - amp - 1);
        if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "amp") out += '&';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity.size() >= 2 && entity[0] == '#') {
            bool hex = entity[1] == 'x' || entity[1] == 'X';
            std::string digits(entity.substr(hex ? 2 : 1));
            if (digits.empty() || digits.size() > 8)
                return false;
            char* stop = nullptr;
            unsigned long codePoint = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
            if (stop == nullptr || *stop != '\0' || digits[0] == '-' || digits[0] == '+')
                return false;
            // A NUL is no character of an XML document: like a code point out of range,
            // it reads as the replacement character.
            leaf::AppendUtf8(out, codePoint == 0 || codePoint > 0x10FFFF ? leaf::kReplacementCharacter
                                                                         : static_cast<char32_t>(codePoint));
        } else {
            return false;
        }
        i = semicolon + 1;
    }
    return true;
}

}  // namespace wordstub
