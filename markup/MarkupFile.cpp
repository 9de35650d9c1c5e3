#include "markup/MarkupFile.h"

#include <cstring>

#include "markup/ByteOrderMark.h"
#include "platform/base/TextEncoding.h"

namespace {
constexpr size_t kReadBlockSize = 64 * 1024;
}

CMarkupFile::CMarkupFile() : m_buffer(std::make_unique<char[]>(kReadBlockSize)) {}

CMarkupFile::~CMarkupFile() = default;

BOOL CMarkupFile::Open(const char* path, UINT openFlags, CFileException* error) {
    m_bufferLength = 0;
    m_bufferPosition = 0;
    m_bytesDelivered = 0;
    m_fileDrained = false;
    m_endReported = false;
    m_utf16 = FALSE;
    m_bigEndian = false;
    m_units.clear();
    // 8-bit text is UTF-8 here, and a UTF-8 byte-order mark is that encoding's mark, not
    // text: it is passed over as a UTF-16 mark is, so that a page saved with one does not
    // begin with stray text before its first tag.
    const auto mark = leaf::markup::OpenPastByteOrderMark(*this, path, openFlags, true, error);
    if (!mark) {
        return FALSE;
    }
    m_utf16 = leaf::markup::IsUtf16(mark->encoding) ? TRUE : FALSE;
    m_bigEndian = mark->encoding == leaf::markup::SourceEncoding::Utf16BigEndian;
    m_bytesDelivered = static_cast<ULONGLONG>(mark->length);
    return TRUE;
}

bool CMarkupFile::Refill() {
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
        m_fileDrained = true;  // CFile::Read fills the block unless the file ends
    }
    m_bufferLength += got;
    return got > 0;
}

BOOL CMarkupFile::ReadLine(std::string& line) {
    line.clear();
    if (m_endReported) {
        return FALSE;
    }
    if (m_utf16) {
        return ReadUtf16Line(line);
    }
    for (;;) {
        if (m_bufferPosition == m_bufferLength && !Refill()) {
            if (line.empty()) {
                m_endReported = true;
            }
            return TRUE;
        }
        const char* start = m_buffer.get() + m_bufferPosition;
        const size_t available = m_bufferLength - m_bufferPosition;
        const void* lineFeed = std::memchr(start, '\n', available);
        const size_t taken = lineFeed ? static_cast<const char*>(lineFeed) - start + 1 : available;
        line.append(start, taken);
        m_bufferPosition += taken;
        m_bytesDelivered += taken;
        if (lineFeed) {
            if (line.size() >= 2 && line[line.size() - 2] == '\r') {
                line.erase(line.size() - 2, 1);
            }
            return TRUE;
        }
    }
}

BOOL CMarkupFile::ReadUtf16Line(std::string& line) {
    // The units of the line are gathered first, so that a surrogate pair is converted
    // whole wherever the blocks were cut.
    m_units.clear();
    bool complete = false;
    while (!complete) {
        if (m_bufferLength - m_bufferPosition < 2 && !Refill()) {
            if (m_bufferPosition < m_bufferLength) {
                // An odd byte at the very end: not a whole code unit.
                m_units.push_back(static_cast<char16_t>(leaf::kReplacementCharacter));
                m_bufferPosition = m_bufferLength;
                m_bytesDelivered += 1;
            }
            break;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(m_buffer.get());
        while (m_bufferLength - m_bufferPosition >= 2) {
            const char16_t unit =
                leaf::markup::Utf16Unit(bytes[m_bufferPosition], bytes[m_bufferPosition + 1], m_bigEndian);
            m_bufferPosition += 2;
            m_bytesDelivered += 2;
            m_units.push_back(unit);
            if (unit == u'\n') {
                complete = true;
                break;
            }
        }
    }
    if (m_units.empty()) {
        m_endReported = true;
        return TRUE;
    }
    if (complete && m_units.size() >= 2 && m_units[m_units.size() - 2] == u'\r') {
        m_units.erase(m_units.size() - 2, 1);
    }
    line = leaf::Utf16ToUtf8(m_units);
    return TRUE;
}

ULONGLONG CMarkupFile::GetPosition() const { return m_bytesDelivered; }
