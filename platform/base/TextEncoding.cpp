#include "platform/base/TextEncoding.h"

#include <algorithm>
#include <cstring>

namespace leaf {

namespace {

// Windows-1252 characters of bytes 0x80-0x9F; the undefined five keep their value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr int kInvalid = 0;
constexpr int kIncomplete = -1;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Looks at the sequence starting at data[0]: its length when it is valid UTF-8 (with the
// code point in codePoint), kInvalid when it is not, kIncomplete when the bytes run out
// before the sequence ends but every byte so far fits a valid sequence.
int ClassifySequence(const unsigned char* data, size_t available, char32_t& codePoint) {
    const unsigned char lead = data[0];
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    int length;
    unsigned char secondLow = 0x80, secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            secondLow = 0xA0;   // shortest form
        else if (lead == 0xED)
            secondHigh = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            secondLow = 0x90;   // shortest form
        else if (lead == 0xF4)
            secondHigh = 0x8F;  // not above U+10FFFF
    } else {
        return kInvalid;
    }
    for (int i = 1; i < length; ++i) {
        if (static_cast<size_t>(i) >= available)
            return kIncomplete;
        const unsigned char byte = data[i];
        if (i == 1 ? (byte < secondLow || byte > secondHigh) : !IsContinuation(byte))
            return kInvalid;
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    return length;
}

// Decodes the sequences that start before stopAt. Unless final, an incomplete sequence
// at the end of the data stops decoding there. Returns where decoding stopped.
size_t DecodeRange(const unsigned char* data, size_t size, size_t stopAt, bool final, std::u16string& out) {
    size_t i = 0;
    while (i < stopAt) {
        char32_t codePoint = 0;
        const int length = ClassifySequence(data + i, size - i, codePoint);
        if (length > 0) {
            AppendUtf16(out, codePoint);
            i += static_cast<size_t>(length);
        } else if (length == kIncomplete && !final) {
            break;
        } else {
            out += Windows1252ToUnicode(data[i]);
            ++i;
        }
    }
    return i;
}

bool IsValidCodePoint(char32_t codePoint) {
    return codePoint <= 0x10FFFF && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
}

}  // namespace

char16_t Windows1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kWindows1252High[byte - 0x80];
    return byte;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (!IsValidCodePoint(codePoint))
        codePoint = kReplacementCharacter;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (!IsValidCodePoint(codePoint))
        codePoint = kReplacementCharacter;
    if (codePoint < 0x10000) {
        out += static_cast<char16_t>(codePoint);
    } else {
        codePoint -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (codePoint >> 10));
        out += static_cast<char16_t>(0xDC00 | (codePoint & 0x3FF));
    }
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    DecodeRange(data, bytes.size(), bytes.size(), true, out);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        // A run of ASCII, most of any text, is copied a unit to a byte.
        size_t end = i;
        while (end < units.size() && units[end] < 0x80)
            ++end;
        if (end > i) {
            const size_t at = out.size();
            out.resize(at + (end - i));
            for (size_t k = i; k < end; ++k)
                out[at + (k - i)] = static_cast<char>(units[k]);
            i = end;
            if (i == units.size())
                break;
        }
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            const char32_t codePoint = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                       (static_cast<char32_t>(units[i + 1]) - 0xDC00);
            AppendUtf8(out, codePoint);
            ++i;
        } else {
            AppendUtf8(out, unit);  // a lone surrogate becomes U+FFFD
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t i = 0;
    while (i < bytes.size()) {
        char32_t codePoint = 0;
        const int length = ClassifySequence(data + i, bytes.size() - i, codePoint);
        if (length <= 0)
            return false;
        i += static_cast<size_t>(length);
    }
    return true;
}

void Utf8Decoder::Decode(std::string_view chunk, std::u16string& out) {
    const auto* data = reinterpret_cast<const unsigned char*>(chunk.data());
    size_t offset = 0;
    if (m_pendingLength > 0) {
        // Complete the carried-over sequence with the chunk's first bytes. A sequence is
        // at most 4 bytes long, so 3 more bytes always decide it when the chunk has them.
        unsigned char joined[7];
        std::memcpy(joined, m_pending, m_pendingLength);
        const size_t taken = std::min<size_t>(3, chunk.size());
        std::memcpy(joined + m_pendingLength, data, taken);
        const size_t joinedLength = m_pendingLength + taken;
        const size_t stop = DecodeRange(joined, joinedLength, m_pendingLength, false, out);
        if (stop < m_pendingLength) {
            // Still incomplete: the whole chunk was too short to finish it.
            m_pendingLength = joinedLength - stop;
            std::memcpy(m_pending, joined + stop, m_pendingLength);
            return;
        }
        offset = stop - m_pendingLength;
        m_pendingLength = 0;
    }
    const size_t rest = chunk.size() - offset;
    const size_t stop = offset + DecodeRange(data + offset, rest, rest, false, out);
    m_pendingLength = chunk.size() - stop;
    std::memcpy(m_pending, data + stop, m_pendingLength);
}

void Utf8Decoder::Finish(std::u16string& out) {
    const auto* data = reinterpret_cast<const unsigned char*>(m_pending);
    DecodeRange(data, m_pendingLength, m_pendingLength, true, out);
    m_pendingLength = 0;
}

}  // namespace leaf
