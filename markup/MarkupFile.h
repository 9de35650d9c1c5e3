#pragma once

// CMarkupFile: the byte build's input. A read-only file that hands out one line per call
// and counts the bytes it has handed out, which is the position the scanner reports.
//
// 8-bit files are handed out byte for byte. A file that begins with a UTF-16 byte-order
// mark (FF FE little-endian, FE FF big-endian) is handed out converted to UTF-8, the
// byte build's text, so that its users read UTF-16 sources as they read 8-bit ones.

#include <memory>
#include <string>

#include "platform/base/File.h"
#include "platform/base/Types.h"

class CMarkupFile : public CFile {
public:
    CMarkupFile();
    ~CMarkupFile() override;

    // Opens the file for reading (the text-mode flag is ignored: bytes are read as they
    // are) and resets the line reader; a leading byte-order mark is passed over (the
    // position then starts at 3 for UTF-8, 2 for UTF-16). FALSE when the file cannot be
    // opened.
    BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr) override;

    // Replaces line with the next line, its line feed included, whatever its length. A
    // carriage return directly before the line feed is dropped. The last line of a file
    // that does not end with a line feed comes without one; after the last line one more
    // call gives an empty line, and the call after that returns FALSE. Read errors throw
    // CFileException. In a UTF-16 file a lone surrogate, and an odd last byte, read as
    // U+FFFD.
    BOOL ReadLine(std::string& line);

    // File bytes handed out so far (dropped carriage returns and the byte-order mark
    // included): the offset in the file of the byte after the last line read.
    ULONGLONG GetPosition() const override;

    // TRUE while the open file is read as UTF-16 (it began with a UTF-16 byte-order mark).
    BOOL IsUtf16() const { return m_utf16; }

private:
    // Keeps the unread bytes and reads more after them; false when nothing was added.
    bool Refill();
    BOOL ReadUtf16Line(std::string& line);

    std::unique_ptr<char[]> m_buffer;
    size_t m_bufferLength = 0;
    size_t m_bufferPosition = 0;
    ULONGLONG m_bytesDelivered = 0;
    bool m_fileDrained = false;
    bool m_endReported = false;
    BOOL m_utf16 = FALSE;
    bool m_bigEndian = false;
    std::u16string m_units;  // the UTF-16 line being read
};
