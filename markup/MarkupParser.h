#pragma once

// CMarkupParser: the byte build of the markup scanner. Characters are bytes of UTF-8
// text (a UTF-16 file, one that begins with a UTF-16 byte-order mark, is read converted to
// UTF-8); every byte 0x80-0xFF is a word character, and a character reference yields its
// character's UTF-8 bytes. See MarkupParserT.h for the call-backs and the state word.
//
//   class CTitleReader : public CMarkupParser {
//       BOOL OnWord(std::string_view word, WORD state, int, int, int, LONGLONG, LONGLONG) override {
//           if (state & stateTitle) m_title += CString(word);
//           return TRUE;
//       }
//   };
//   CTitleReader reader;
//   int result = reader.ParseFile("/book/ch1.htm");  // 0 at the end of the file

#include <string_view>
#include <vector>

#include "markup/MarkupParserT.h"
#include "platform/base/CString.h"

class CMarkupParser : public CMarkupParserT<char> {
public:
    CMarkupParser();
    ~CMarkupParser() override;

    // Cuts attribute text into "name=value" and "name" tokens (see MarkupAttributes.h).
    static void SplitAttributes(std::string_view attributes, std::vector<CString>& tokens);
    // Folds "x/../" and "/./" out of a path, '\' read as '/' (see MarkupAttributes.h).
    static void FoldPath(CString& path);
};
