#pragma once

// CPlainTextConverter: turns the text of a plain-text file, handed over in blocks of any
// size, into the body of a preformatted HTML block. Tabs become blanks up to the next tab
// stop, '&', '<' and '>' become entity references, and every other byte or character is
// written as it is. The column carries from block to block, so a tab is expanded from its
// true column however the file is cut.
//
// Byte mode keeps the file's bytes. Columns count characters: a valid UTF-8 sequence is
// one column, any other byte one column of its own (a legacy 8-bit character), and a
// UTF-8 byte-order mark at the start of the file none. UTF-16 mode reads little-endian
// units, or big-endian ones when told so, and writes little-endian ones (the head's
// byte-order mark says so); it counts a surrogate pair as one column, and a final lone
// byte becomes U+FFFD.

#include <cstdint>
#include <string>
#include <string_view>

class CPlainTextConverter {
public:
    CPlainTextConverter(bool utf16, int tabStop, bool bigEndian = false);

    // Appends the converted form of the next bytes of the text to `out`.
    void Convert(std::string_view bytes, std::string& out);
    // Appends what an unfinished input left behind (a lone final byte of a UTF-16 file).
    void Finish(std::string& out);

    // The head and tail of the page in the converter's encoding (UTF-16 with its
    // byte-order mark in front of the head).
    std::string Head() const;
    std::string Tail() const;

private:
    void ConvertByte(unsigned char byte, std::string& out);
    void ConvertUnit(char16_t unit, std::string& out);
    void Emit(std::string_view ascii, std::string& out) const;
    void ExpandTab(std::string& out);

    bool m_utf16;
    int m_tabStop;
    bool m_bigEndian;  // UTF-16 mode: the text's units are big-endian
    long long m_column = 0;
    // Byte mode: the UTF-8 sequence being read.
    int m_continuationsLeft = 0;    // bytes still expected
    int m_continuationsSeen = 0;    // bytes of it seen after its lead byte
    unsigned char m_lead = 0;
    bool m_matchingBom = true;      // the bytes so far begin a UTF-8 byte-order mark
    unsigned m_bomBytes = 0;        // how many of its bytes they are
    // UTF-16 mode.
    bool m_haveOddByte = false;
    unsigned char m_oddByte = 0;
    bool m_afterHighSurrogate = false;
};
