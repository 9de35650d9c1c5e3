#include "markup/MarkupFileW.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "markup/ByteOrderMark.h"
#include "platform/base/TextEncoding.h"

namespace {
constexpr size_t kReadBlockSize = 64 * 1024;
}

CMarkupFileW::CMarkupFileW() : m_buffer(std::make_unique<char[]>(kReadBlockSize)) {}

CMarkupFileW::~CMarkupFileW() = default;

BOOL CMarkupFileW::Open(const char* path, UINT openFlags, CFileException* error) {
    m_bufferLength = 0;
    m_bufferPosition = 0;
    m_bytesDelivered = 0;
    m_fileDrained = false;
    m_endReported = false;
    m_unicode = FALSE;
    m_bigEndian = FALSE;
    m_lineBytes.clear();
    // A UTF-8 mark is not passed over: it reads as the character U+FEFF, so that a source
    // written back as it was read keeps it.
    const auto mark = leaf::markup::OpenPastByteOrderMark(*this, path, openFlags, false, error);
    if (!mark) {
        return FALSE;
    }
    m_unicode = leaf::markup::IsUtf16(mark->encoding) ? TRUE : FALSE;
    m_bigEndian = mark->encoding == leaf::markup::SourceEncoding::Utf16BigEndian ? TRUE : FALSE;
    m_bytesDelivered = static_cast<ULONGLONG>(mark->length);
    return TRUE;
}

bool CMarkupFileW::Refill() {
    const size_t kept = m_bufferLength - m_bufferPosition;
    if (kept > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_bufferPosition, kept);
    }
    m_bufferPosition = 0;
    m_bufferLength = kept;
    if (m_fileDrained) {
        return false;
    }
    const size_t wanted = kReadBlockSize - kept;
    const size_t got = Read(m_buffer.get() + kept, static_cast<UINT>(wanted));
    if (got < wanted) {
        m_fileDrained = true;
    }
    m_bufferLength += got;
    return got > 0;
}

BOOL CMarkupFileW::ReadLine(std::u16string& line) {
    line.clear();
    if (m_endReported) {
        return FALSE;
    }
    return m_unicode ? ReadUnicodeLine(line) : ReadByteLine(line);
}

BOOL CMarkupFileW::ReadUnicodeLine(std::u16string& line) {
    for (;;) {
        if (m_bufferLength - m_bufferPosition < 2 && !Refill()) {
            if (m_bufferPosition < m_bufferLength) {
                // An odd byte at the very end: not a whole code unit.
                line.push_back(static_cast<char16_t>(leaf::kReplacementCharacter));
                m_bufferPosition = m_bufferLength;
                m_bytesDelivered += 1;
                return TRUE;
            }
            if (line.empty()) {
                m_endReported = true;
            }
            return TRUE;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(m_buffer.get());
        while (m_bufferLength - m_bufferPosition >= 2) {
            const char16_t unit =
                leaf::markup::Utf16Unit(bytes[m_bufferPosition], bytes[m_bufferPosition + 1], m_bigEndian != FALSE);
            m_bufferPosition += 2;
            m_bytesDelivered += 2;
            line.push_back(unit);
            if (unit == u'\n') {
                if (line.size() >= 2 && line[line.size() - 2] == u'\r') {
                    line.erase(line.size() - 2, 1);
                }
                return TRUE;
            }
        }
    }
}

BOOL CMarkupFileW::ReadByteLine(std::u16string& line) {
    m_lineBytes.clear();
    bool complete = false;
    while (!complete) {
        if (m_bufferPosition == m_bufferLength && !Refill()) {
            break;
        }
        const char* start = m_buffer.get() + m_bufferPosition;
        const size_t available = m_bufferLength - m_bufferPosition;
        const void* lineFeed = std::memchr(start, '\n', available);
        const size_t taken = lineFeed ? static_cast<const char*>(lineFeed) - start + 1 : available;
        m_lineBytes.append(start, taken);
        m_bufferPosition += taken;
        m_bytesDelivered += taken;
        complete = lineFeed != nullptr;
    }
    if (m_lineBytes.empty()) {
        m_endReported = true;
        return TRUE;
    }
    if (complete && m_lineBytes.size() >= 2 && m_lineBytes[m_lineBytes.size() - 2] == '\r') {
        m_lineBytes.erase(m_lineBytes.size() - 2, 1);
    }
    DecodeLine(line);
    return TRUE;
}

void CMarkupFileW::DecodeLine(std::u16string& line) {
    // ASCII is widened directly; the rest goes through the decoder in pieces cut at ASCII
    // bytes, which never lie inside a sequence, so the result is that of decoding the
    // whole line at once.
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_lineBytes.data());
    const size_t size = m_lineBytes.size();
    line.resize(size);  // at most one unit per byte
    size_t written = 0;
    size_t k = 0;
    while (k < size) {
#if defined(__SSE2__)
        // Sixteen bytes at a time, widened with zero high bytes; of a chunk that holds a
        // byte from 0x80 up only the ASCII bytes before it are kept (written never passes
        // k, so the stores stay inside the line).
        while (k + 16 <= size) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + k));
            auto* out = reinterpret_cast<__m128i*>(line.data() + written);
            _mm_storeu_si128(out, _mm_unpacklo_epi8(chunk, _mm_setzero_si128()));
            _mm_storeu_si128(out + 1, _mm_unpackhi_epi8(chunk, _mm_setzero_si128()));
            const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(chunk));
            if (high != 0) {
                const size_t ascii = static_cast<size_t>(__builtin_ctz(high));
                k += ascii;
                written += ascii;
                break;
            }
            k += 16;
            written += 16;
        }
#endif
        while (k < size && bytes[k] < 0x80) {
            line[written++] = static_cast<char16_t>(bytes[k++]);
        }
        if (k == size) {
            break;
        }
        size_t end = k;
        while (end < size && bytes[end] >= 0x80) {
            ++end;
        }
        // Valid two- and three-byte sequences (most non-ASCII text) are decoded here; the
        // decoder takes the piece from the first other byte on. It decodes greedily, valid
        // sequences as they are, so it would have reached that byte the same way.
        const auto continuation = [&](size_t at) { return (bytes[at] & 0xC0) == 0x80; };
        while (k < end) {
            const unsigned lead = bytes[k];
            if (lead >= 0xC2 && lead <= 0xDF && k + 1 < end && continuation(k + 1)) {
                line[written++] = static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[k + 1] & 0x3F));
                k += 2;
                continue;
            }
            if (lead >= 0xE0 && lead <= 0xEF && k + 2 < end && continuation(k + 2)) {
                const unsigned second = bytes[k + 1];
                const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;   // shortest form
                const unsigned high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
                if (second >= low && second <= high) {
                    line[written++] =
                        static_cast<char16_t>(((lead & 0x0F) << 12) | ((second & 0x3F) << 6) | (bytes[k + 2] & 0x3F));
                    k += 3;
                    continue;
                }
            }
            break;
        }
        if (k == end) {
            continue;
        }
        m_decoded.clear();
        m_decoder.Decode(std::string_view(m_lineBytes).substr(k, end - k), m_decoded);
        m_decoder.Finish(m_decoded);
        std::copy(m_decoded.begin(), m_decoded.end(), line.begin() + static_cast<std::ptrdiff_t>(written));
        written += m_decoded.size();
        k = end;
    }
    line.resize(written);
}

ULONGLONG CMarkupFileW::GetPosition() const { return m_bytesDelivered; }
