#pragma once

// CMarkupFileW: the UTF-16 build's input. A read-only file that hands out one line of
// UTF-16 per call and counts the file bytes it has handed out.
//
// A file that begins with a UTF-16 byte-order mark is read as UTF-16 (Unicode mode):
// little-endian after FF FE, big-endian after FE FF. Any other file is read as 8-bit text: UTF-8, with every byte that does
// not start a valid sequence taken as a Windows-1252 character. Lines are cut at the line
// feed byte before decoding, so a sequence is never split between two reads.

#include <memory>
#include <string>

#include "platform/base/File.h"
#include "platform/base/TextEncoding.h"
#include "platform/base/Types.h"

class CMarkupFileW : public CFile {
public:
    CMarkupFileW();
    ~CMarkupFileW() override;

    // Opens the file for reading, resets the line reader and looks for the byte-order
    // mark (which is skipped and counted). FALSE when the file cannot be opened or its
    // first bytes cannot be read.
    BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr) override;

    // As CMarkupFile::ReadLine, in UTF-16. In Unicode mode a final odd byte reads as
    // U+FFFD.
    BOOL ReadLine(std::u16string& line);

    // File bytes handed out so far, the byte-order mark included.
    ULONGLONG GetPosition() const override;

    // TRUE while the open file is read as UTF-16 (it began with a UTF-16 byte-order mark).
    BOOL IsUnicode() const { return m_unicode; }
    // TRUE while the open file is read as big-endian UTF-16 (it began with FE FF).
    BOOL IsBigEndian() const { return m_bigEndian; }

private:
    // Keeps the unread bytes and reads more after them; false when nothing was added.
    bool Refill();
    BOOL ReadUnicodeLine(std::u16string& line);
    BOOL ReadByteLine(std::u16string& line);
    // Decodes m_lineBytes into line.
    void DecodeLine(std::u16string& line);

    std::unique_ptr<char[]> m_buffer;
    size_t m_bufferLength = 0;
    size_t m_bufferPosition = 0;
    ULONGLONG m_bytesDelivered = 0;
    bool m_fileDrained = false;
    bool m_endReported = false;
    BOOL m_unicode = FALSE;
    BOOL m_bigEndian = FALSE;
    std::string m_lineBytes;  // the 8-bit bytes of the line being read
    std::u16string m_decoded;
    leaf::Utf8Decoder m_decoder;
};
