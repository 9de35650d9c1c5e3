#include "filters/text/PlainTextConverter.h"

#include "markup/ByteOrderMark.h"

namespace {

constexpr std::string_view kHead = "<html><body><pre>\n";
constexpr std::string_view kTail = "</pre></body></html>";

// The range a UTF-8 lead byte allows for its first continuation byte (shortest forms
// only, no surrogates, nothing above U+10FFFF).
void FirstContinuationRange(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;
}

int ContinuationsOf(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return 1;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 2;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 3;
    return 0;
}

void AppendUnit(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

CPlainTextConverter::CPlainTextConverter(bool utf16, int tabStop, bool bigEndian)
    : m_utf16(utf16), m_tabStop(tabStop), m_bigEndian(bigEndian) {}

std::string CPlainTextConverter::Head() const {
    std::string head;
    if (m_utf16)
        AppendUnit(head, 0xFEFF);
    Emit(kHead, head);
    return head;
}

std::string CPlainTextConverter::Tail() const {
    std::string tail;
    Emit(kTail, tail);
    return tail;
}

void CPlainTextConverter::Emit(std::string_view ascii, std::string& out) const {
    if (!m_utf16) {
        out.append(ascii);
        return;
    }
    for (char ch : ascii)
        AppendUnit(out, static_cast<char16_t>(static_cast<unsigned char>(ch)));
}

void CPlainTextConverter::ExpandTab(std::string& out) {
    const long long blanks = m_tabStop - m_column % m_tabStop;
    for (long long i = 0; i < blanks; ++i)
        Emit(" ", out);
    m_column += blanks;
}

void CPlainTextConverter::Convert(std::string_view bytes, std::string& out) {
    if (!m_utf16) {
        for (char ch : bytes)
            ConvertByte(static_cast<unsigned char>(ch), out);
        return;
    }
    size_t i = 0;
    if (m_haveOddByte && !bytes.empty()) {
        m_haveOddByte = false;
        ConvertUnit(leaf::markup::Utf16Unit(m_oddByte, static_cast<unsigned char>(bytes[0]), m_bigEndian), out);
        i = 1;
    }
    for (; i + 1 < bytes.size(); i += 2)
        ConvertUnit(leaf::markup::Utf16Unit(static_cast<unsigned char>(bytes[i]),
                                            static_cast<unsigned char>(bytes[i + 1]), m_bigEndian),
                    out);
    if (i < bytes.size()) {
        m_haveOddByte = true;
        m_oddByte = static_cast<unsigned char>(bytes[i]);
    }
}

void CPlainTextConverter::Finish(std::string& out) {
    if (m_haveOddByte) {
        m_haveOddByte = false;
        ConvertUnit(0xFFFD, out);
    }
}

void CPlainTextConverter::ConvertByte(unsigned char byte, std::string& out) {
    // A UTF-8 byte-order mark in front of the text stays, but takes no column.
    static constexpr unsigned char kBom[] = {0xEF, 0xBB, 0xBF};
    if (m_matchingBom) {
        if (byte == kBom[m_bomBytes]) {
            out.push_back(static_cast<char>(byte));
            m_matchingBom = ++m_bomBytes < 3;
            return;
        }
        m_matchingBom = false;
        if (m_bomBytes > 0) {
            // Not a byte-order mark after all: the bytes written begin a sequence that
            // this byte continues or breaks.
            m_lead = kBom[0];
            m_continuationsSeen = static_cast<int>(m_bomBytes) - 1;
            m_continuationsLeft = 2 - m_continuationsSeen;
            ++m_column;
        }
    }

    if (m_continuationsLeft > 0) {
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (m_continuationsSeen == 0)
            FirstContinuationRange(m_lead, low, high);
        if (byte >= low && byte <= high) {
            out.push_back(static_cast<char>(byte));
            ++m_continuationsSeen;
            --m_continuationsLeft;
            return;
        }
        // A broken sequence: each byte after its lead is a character of its own.
        m_column += m_continuationsSeen;
        m_continuationsLeft = 0;
    }

    switch (byte) {
    case '\t':
        ExpandTab(out);
        return;
    case '&':
        out.append("&amp;");
        break;
    case '<':
        out.append("&lt;");
        break;
    case '>':
        out.append("&gt;");
        break;
    case '\r':
    case '\n':
        out.push_back(static_cast<char>(byte));
        m_column = 0;
        return;
    default:
        out.push_back(static_cast<char>(byte));
        m_continuationsLeft = ContinuationsOf(byte);
        m_continuationsSeen = 0;
        m_lead = byte;
        break;
    }
    ++m_column;
}

void CPlainTextConverter::ConvertUnit(char16_t unit, std::string& out) {
    const bool lowAfterHigh = m_afterHighSurrogate && unit >= 0xDC00 && unit <= 0xDFFF;
    m_afterHighSurrogate = unit >= 0xD800 && unit <= 0xDBFF;
    switch (unit) {
    case u'\t':
        ExpandTab(out);
        return;
    case u'&':
        Emit("&amp;", out);
        break;
    case u'<':
        Emit("&lt;", out);
        break;
    case u'>':
        Emit("&gt;", out);
        break;
    case u'\r':
    case u'\n':
        AppendUnit(out, unit);
        m_column = 0;
        return;
    default:
        AppendUnit(out, unit);
        if (lowAfterHigh)
            return;  // the second half of one character
        break;
    }
    ++m_column;
}
