#include <errno.h>

#include <algorithm>
#include <cstring>

#include "platform/base/File.h"

namespace {

constexpr size_t kBufferSize = 64 * 1024;

}  // namespace

CStdioFile::CStdioFile(const char* path, UINT openFlags) {
    CFileException error;
    if (!Open(path, openFlags, &error))
        throw error;
}

CStdioFile::~CStdioFile() {
    if (IsOpen()) {
        try {
            FlushWrites();
        } catch (const CFileException&) {
            // A destructor cannot report it; Close() is the call that does.
        }
    }
}

CStdioFile& CStdioFile::operator=(CStdioFile&& other) noexcept {
    if (this != &other) {
        if (IsOpen()) {
            try {
                FlushWrites();
            } catch (const CFileException&) {
                // As in the destructor: the file being replaced cannot report it.
            }
        }
        CFile::operator=(std::move(other));
        m_readBuffer = std::move(other.m_readBuffer);
        m_readPosition = other.m_readPosition;
        m_writeBuffer = std::move(other.m_writeBuffer);
        other.m_readBuffer.clear();
        other.m_readPosition = 0;
        other.m_writeBuffer.clear();
    }
    return *this;
}

BOOL CStdioFile::Open(const char* path, UINT openFlags, CFileException* error) {
    m_readBuffer.clear();
    m_readPosition = 0;
    m_writeBuffer.clear();
    return CFile::Open(path, openFlags, error);
}

void CStdioFile::FlushWrites() {
    if (m_writeBuffer.empty())
        return;
    std::string pending;
    pending.swap(m_writeBuffer);
    CFile::Write(pending.data(), static_cast<UINT>(pending.size()));
}

// Forgets the bytes read ahead, moving the descriptor back to where the caller is.
void CStdioFile::DropReadBuffer() {
    const size_t unread = m_readBuffer.size() - m_readPosition;
    m_readBuffer.clear();
    m_readPosition = 0;
    if (unread > 0)
        CFile::Seek(-static_cast<LONGLONG>(unread), current);
}

bool CStdioFile::FillReadBuffer() {
    m_readBuffer.resize(kBufferSize);
    m_readPosition = 0;
    const UINT got = CFile::Read(m_readBuffer.data(), static_cast<UINT>(kBufferSize));
    m_readBuffer.resize(got);
    return got > 0;
}

BOOL CStdioFile::ReadString(CString& line) {
    ThrowIfClosed();
    FlushWrites();
    std::string text;
    bool readAnything = false;
    for (;;) {
        if (m_readPosition >= m_readBuffer.size() && !FillReadBuffer())
            break;
        const size_t start = m_readPosition;
        const size_t newline = m_readBuffer.find('\n', start);
        readAnything = true;
        if (newline != std::string::npos) {
            text.append(m_readBuffer, start, newline - start);
            m_readPosition = newline + 1;
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
            line = CString(std::move(text));
            return TRUE;
        }
        text.append(m_readBuffer, start, std::string::npos);
        m_readPosition = m_readBuffer.size();
    }
    line = CString(std::move(text));
    return readAnything ? TRUE : FALSE;
}

void CStdioFile::WriteString(std::string_view text) {
    Write(text.data(), static_cast<UINT>(text.size()));
}

UINT CStdioFile::Read(void* buffer, UINT count) {
    ThrowIfClosed();
    FlushWrites();
    auto* bytes = static_cast<char*>(buffer);
    UINT total = 0;
    while (total < count) {
        if (m_readPosition < m_readBuffer.size()) {
            const size_t take = std::min<size_t>(count - total, m_readBuffer.size() - m_readPosition);
            std::memcpy(bytes + total, m_readBuffer.data() + m_readPosition, take);
            m_readPosition += take;
            total += static_cast<UINT>(take);
        } else if (count - total >= kBufferSize) {
            const UINT got = CFile::Read(bytes + total, count - total);
            total += got;
            break;
        } else if (!FillReadBuffer()) {
            break;
        }
    }
    return total;
}

void CStdioFile::Write(const void* buffer, UINT count) {
    ThrowIfClosed();
    DropReadBuffer();
    if (m_writeBuffer.size() + count > kBufferSize) {
        FlushWrites();
        if (count >= kBufferSize) {
            CFile::Write(buffer, count);
            return;
        }
    }
    m_writeBuffer.append(static_cast<const char*>(buffer), count);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from) {
    ThrowIfClosed();
    if (from == current) {
        const LONGLONG target = static_cast<LONGLONG>(GetPosition()) + offset;
        if (target < 0)
            throw CFileException(CFileException::badSeek, EINVAL, m_strFileName.c_str());
        offset = target;
        from = begin;
    }
    FlushWrites();
    m_readBuffer.clear();
    m_readPosition = 0;
    return CFile::Seek(offset, from);
}

ULONGLONG CStdioFile::GetPosition() const {
    const ULONGLONG position = CFile::GetPosition();
    return position - (m_readBuffer.size() - m_readPosition) + m_writeBuffer.size();
}

ULONGLONG CStdioFile::GetLength() const {
    const ULONGLONG onDisk = CFile::GetLength();
    if (m_writeBuffer.empty())
        return onDisk;
    return std::max(onDisk, CFile::GetPosition() + m_writeBuffer.size());
}

void CStdioFile::SetLength(ULONGLONG newLength) {
    ThrowIfClosed();
    FlushWrites();
    DropReadBuffer();
    CFile::SetLength(newLength);
}

void CStdioFile::Flush() {
    ThrowIfClosed();
    FlushWrites();
}

void CStdioFile::Close() {
    if (!IsOpen())
        return;
    m_readBuffer.clear();
    m_readPosition = 0;
    try {
        FlushWrites();
    } catch (...) {
        CFile::Abort();
        throw;
    }
    CFile::Close();
}

void CStdioFile::Abort() {
    m_readBuffer.clear();
    m_readPosition = 0;
    m_writeBuffer.clear();
    CFile::Abort();
}
