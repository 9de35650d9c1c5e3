// Loads arbitrary bytes as a project file: every version's body, the record classes and
// their schemas, the archive's strings, counts and object references. A load may fail,
// but must never crash, leak or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "studio/project/LeafcraftDoc.h"

namespace {

// The input as a read-only file that names a project file, so relative paths resolve.
class MemoryFile : public CFile {
public:
    MemoryFile(const uint8_t* data, size_t size) : m_data(data), m_size(size) { m_strFileName = "/fuzz/book/book.lcp"; }
    UINT Read(void* buffer, UINT count) override
    {
        size_t take = std::min<size_t>(count, m_size - m_position);
        if (take) std::memcpy(buffer, m_data + m_position, take);
        m_position += take;
        return static_cast<UINT>(take);
    }
    ULONGLONG Seek(LONGLONG offset, UINT from) override
    {
        LONGLONG base = from == begin ? 0 : from == current ? static_cast<LONGLONG>(m_position) : static_cast<LONGLONG>(m_size);
        LONGLONG target = std::max<LONGLONG>(0, std::min<LONGLONG>(base + offset, static_cast<LONGLONG>(m_size)));
        m_position = static_cast<size_t>(target);
        return m_position;
    }
    void Close() override {}
    void Abort() override {}

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryFile file(data, size);
    CLeafcraftDoc document;
    try {
        CArchive archive(&file, CArchive::load);
        archive.m_pDocument = &document;
        document.Serialize(archive);
        document.UpdateSourceFolder();
    } catch (const std::exception&) {
        // A damaged file is refused; what matters is that refusing it is safe.
    }
    document.DeleteContents();
    return 0;
}
