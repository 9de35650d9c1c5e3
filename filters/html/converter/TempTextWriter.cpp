#include "filters/html/converter/TempTextWriter.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/base/File.h"

CTempTextWriter::~CTempTextWriter() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CTempTextWriter::Create(const std::string& path) {
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    m_createError = m_fd >= 0 ? 0 : errno;
    m_path = path;
    m_buffer.clear();
    return m_fd >= 0;
}

void CTempTextWriter::Write(std::string_view text) {
    m_buffer += text;
    if (m_buffer.size() >= kFlushSize) Flush();
}

void CTempTextWriter::Flush() {
    if (m_fd < 0) CFileException::ThrowOsError(EBADF, m_path.c_str());
    size_t written = 0;
    while (written < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + written, m_buffer.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            CFileException::ThrowOsError(errno, m_path.c_str());
        }
        written += static_cast<size_t>(n);
    }
    m_buffer.clear();
}

bool CTempTextWriter::Close() {
    if (m_fd < 0) return false;
    bool ok = true;
    try {
        Flush();
    } catch (const CFileException&) {
        ok = false;
    }
    if (::close(m_fd) != 0) ok = false;
    m_fd = -1;
    return ok;
}
