#pragma once

// CMarkupParserW: the UTF-16 build of the markup scanner. It reads UTF-16 files (those
// that begin with a byte-order mark, FF FE or FE FF) and 8-bit files (UTF-8, with a Windows-1252
// fallback for bytes that are not UTF-8) alike and delivers UTF-16 code units. Letters,
// marks and digits of every script are word characters; a character reference beyond
// U+FFFF yields its surrogate pair. See MarkupParserT.h for the call-backs and the state
// word.

#include <string>
#include <string_view>
#include <vector>

#include "markup/MarkupParserT.h"

class CMarkupParserW : public CMarkupParserT<char16_t> {
public:
    CMarkupParserW();
    ~CMarkupParserW() override;

    // TRUE while (and after) parsing a file that is read as UTF-16.
    BOOL IsUnicodeFile() const { return m_charSize == 2; }
    // TRUE while (and after) parsing a file that is read as big-endian UTF-16.
    BOOL IsBigEndianFile() const { return m_bigEndianFile ? TRUE : FALSE; }

    // Cuts attribute text into "name=value" and "name" tokens (see MarkupAttributes.h).
    static void SplitAttributes(std::u16string_view attributes, std::vector<std::u16string>& tokens);
    // Folds "x/../" and "/./" out of a path, '\' read as '/' (see MarkupAttributes.h).
    static void FoldPath(std::u16string& path);
};
