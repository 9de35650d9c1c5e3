#include "outside/litgen/ItemSpool.h"

#include <fcntl.h>
#include <unistd.h>

CItemSpool::~CItemSpool() { Remove(); }

bool CItemSpool::Create(const std::string& stem) {
    Remove();
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
        Remove();
        return false;
    }
    range.offset = m_size;
    range.length = content.size();
    m_size += content.size();
    return true;
}

bool CItemSpool::Flush() { return m_file != nullptr && std::fflush(m_file) == 0; }

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
    unlink(m_path.c_str());
    m_path.clear();
    m_size = 0;
}
