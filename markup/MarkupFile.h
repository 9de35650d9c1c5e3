#pragma once

// CMarkupFile: the byte build's input. A read-only file that hands out one line per call
// and counts the bytes it has handed out, which is the position the scanner reports.

#include <memory>
#include <string>

#include "platform/base/File.h"
#include "platform/base/Types.h"

class CMarkupFile : public CFile {
public:
    CMarkupFile();
    ~CMarkupFile() override;

    // Opens the file for reading (the text-mode flag is ignored: bytes are read as they
    // are) and resets the line reader; a leading UTF-8 byte-order mark is passed over (the
    // position then starts at 3). FALSE when the file cannot be opened.
    BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr) override;

    // Replaces line with the next line, its line feed included, whatever its length. A
    // carriage return directly before the line feed is dropped. The last line of a file
    // that does not end with a line feed comes without one; after the last line one more
    // call gives an empty line, and the call after that returns FALSE. Read errors throw
    // CFileException.
    BOOL ReadLine(std::string& line);

    // Bytes handed out so far (dropped carriage returns included): the offset in the file
    // of the byte after the last line read.
    ULONGLONG GetPosition() const override;

private:
    // Reads the next block; false at the end of the file.
    bool Refill();

    std::unique_ptr<char[]> m_buffer;
    size_t m_bufferLength = 0;
    size_t m_bufferPosition = 0;
    ULONGLONG m_bytesDelivered = 0;
    bool m_fileDrained = false;
    bool m_endReported = false;
};
