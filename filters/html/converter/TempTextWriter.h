#pragma once

// CTempTextWriter: the converter's temporary file, created exclusively (an existing file of
// the same name, or a link in its place, is never opened or overwritten) and written
// through a buffer. A failed write throws CFileException, which the converter turns into
// its error text.

#include <string>
#include <string_view>

class CTempTextWriter {
public:
    CTempTextWriter() = default;
    ~CTempTextWriter();
    CTempTextWriter(const CTempTextWriter&) = delete;
    CTempTextWriter& operator=(const CTempTextWriter&) = delete;

    // Creates the file; false when it exists already or cannot be created, and
    // CreateError() then tells which (EEXIST when the name is taken).
    bool Create(const std::string& path);
    int CreateError() const { return m_createError; }
    void Write(std::string_view text);
    void Put(char ch) {
        m_buffer += ch;
        if (m_buffer.size() >= kFlushSize) Flush();
    }
    // Writes what is buffered and closes; false when anything could not be written.
    bool Close();
    bool IsOpen() const { return m_fd >= 0; }

private:
    static constexpr size_t kFlushSize = 1 << 16;
    void Flush();

    int m_fd = -1;
    int m_createError = 0;
    std::string m_path;
    std::string m_buffer;
};
