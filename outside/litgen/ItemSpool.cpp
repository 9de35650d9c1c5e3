#include "outside/litgen/ItemSpool.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/base/ScratchFiles.h"

CItemSpool::~CItemSpool() { Remove(); }

bool CItemSpool::Create(const std::string& stem) {
    Remove();
    m_error = 0;
    const std::filesystem::path stemPath(stem);
    const std::string folder = stemPath.has_parent_path() ? stemPath.parent_path().string() : std::string(".");
    // The spools that writers killed before their end left behind.
    leaf::RemoveStaleScratchFiles(folder, stemPath.filename().string());
    // An unnamed file where the file system has them, so that nothing is left beside the
    // e-book however the process ends; the archive is read from it through /proc.
    const int unnamed = leaf::CreateUnnamedFile(folder, O_RDWR, 0600);
    if (unnamed >= 0) {
        const std::string self = "/proc/self/fd/" + std::to_string(unnamed);
        if (access(self.c_str(), R_OK) == 0 && (m_file = fdopen(unnamed, "w+b")) != nullptr) {
            m_path = self;
            m_unnamed = true;
            m_size = 0;
            return true;
        }
        close(unnamed);
    }
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string candidate = stem + std::to_string(getpid()) + "-" + std::to_string(attempt);
        int descriptor = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (descriptor < 0)
            continue;
        m_file = fdopen(descriptor, "w+b");
        if (m_file == nullptr) {
            close(descriptor);
            unlink(candidate.c_str());
            return false;
        }
        m_path = candidate;
        m_size = 0;
        return true;
    }
    return false;
}

bool CItemSpool::Append(const std::string& content, Range& range) {
    if (m_file == nullptr)
        return false;
    if (!content.empty() && std::fwrite(content.data(), 1, content.size(), m_file) != content.size()) {
        m_error = errno;
        Remove();
        return false;
    }
    range.offset = m_size;
    range.length = content.size();
    m_size += content.size();
    return true;
}

bool CItemSpool::Flush() {
    if (m_file == nullptr)
        return false;
    if (std::fflush(m_file) == 0)
        return true;
    m_error = errno;
    return false;
}

bool CItemSpool::Read(const Range& range, std::string& content) {
    if (m_file == nullptr || range.offset + range.length > m_size || !Flush())
        return false;
    content.assign(range.length, '\0');
    const bool read = fseeko(m_file, static_cast<off_t>(range.offset), SEEK_SET) == 0 &&
                      std::fread(content.data(), 1, content.size(), m_file) == content.size();
    // Appends go on at the end.
    return fseeko(m_file, 0, SEEK_END) == 0 && read;
}

void CItemSpool::Remove() {
    if (m_file == nullptr)
        return;
    std::fclose(m_file);
    m_file = nullptr;
    if (!m_unnamed)
        unlink(m_path.c_str());
    m_unnamed = false;
    m_path.clear();
    m_size = 0;
}
