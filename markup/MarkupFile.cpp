#include "markup/MarkupFile.h"

#include <cstring>

#include "markup/ByteOrderMark.h"

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
    // 8-bit text is UTF-8 here, and a UTF-8 byte-order mark is that encoding's mark, not
    // text: it is passed over as the UTF-16 reader passes over its own, so that a page
    // saved with one does not begin with stray text before its first tag.
    const int marked = leaf::markup::OpenPastByteOrderMark(*this, path, openFlags, "\xEF\xBB\xBF", error);
    if (marked < 0) {
        return FALSE;
    }
    m_bytesDelivered = static_cast<ULONGLONG>(marked);
    return TRUE;
}

bool CMarkupFile::Refill() {
    m_bufferPosition = 0;
    m_bufferLength = 0;
    if (m_fileDrained) {
        return false;
    }
    m_bufferLength = Read(m_buffer.get(), kReadBlockSize);
    if (m_bufferLength < kReadBlockSize) {
        m_fileDrained = true;  // CFile::Read fills the block unless the file ends
    }
    return m_bufferLength > 0;
}

BOOL CMarkupFile::ReadLine(std::string& line) {
    line.clear();
    if (m_endReported) {
        return FALSE;
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

ULONGLONG CMarkupFile::GetPosition() const { return m_bytesDelivered; }
