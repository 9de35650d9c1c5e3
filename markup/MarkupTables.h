#pragma once

// The scanner's fixed tables: character classes, tag flags, the context and raw-content
// tag sets and the character entity names. They are built once per process and shared
// read-only by every scanner object of both builds.

#include <array>
#include <span>
#include <string_view>

#include "platform/base/Types.h"

namespace leaf::markup {

// Character classes that GetCharClass answers.
enum CharClass : int {
    kWordChar = 1,          // part of a word
    kWordInternalChar = 2,  // part of a word, but never at its start or end
    kSeparator = 3          // ends a word
};

// Tag-flag bits (one flag word per known tag, GetTagFlags).
enum TagFlag : DWORD {
    kTagStartsBlock = 0x001,     // the converter closes the innermost element with kTagClosedByBlock first
    kTagInlinePhrase = 0x002,    // carried for users of the table; the scanner does not test it
    kTagEmpty = 0x004,           // empty element
    kTagOptionalEnd = 0x008,     // end tag may be left out
    kTagClosedByBlock = 0x010,   // closed by the start of a block
    kTagInline = 0x020,          // carried for users of the table
    kTagHeadElement = 0x040,     // carried for users of the table
    kTagWordBreak = 0x080,       // ends the word being collected
    kTagBlock = 0x100            // a start tag raises the paragraph number
};

// The class tables themselves (read-only, built at compile time).
extern const std::array<BYTE, 256> kByteCharClasses;
extern const std::array<BYTE, 65536> kUtf16CharClasses;

// Class of a byte in the byte build: ASCII letters and digits are word characters, the
// apostrophe, '-', '_' and '`' word-internal, every byte 0x80-0xFF (UTF-8 text) a word
// character, everything else a separator.
inline int ByteCharClass(unsigned char byte) { return kByteCharClasses[byte]; }

// Class of a UTF-16 code unit in the UTF-16 build: ASCII as in the byte build; letters,
// marks and digits of every script (and surrogates, so that characters beyond U+FFFF stay
// inside words) are word characters; U+00B4, U+2018 and U+2019 are word-internal like the
// apostrophe; everything else is a separator.
inline int Utf16CharClass(char16_t unit) { return kUtf16CharClasses[unit]; }

// What the tables know of one tag name.
struct TagInfo {
    DWORD flags = 0;       // TagFlag bits
    WORD contextBit = 0;   // its state bit, when it is in the context set
    bool isContext = false;
};

// The entry of a tag name, looked up without regard to ASCII case; null when unknown.
const TagInfo* FindTag(std::string_view tagName);
const TagInfo* FindTag(std::u16string_view tagName);

// The flag word of a tag name, looked up without regard to ASCII case; 0 when unknown.
DWORD GetTagFlags(std::string_view tagName);
DWORD GetTagFlags(std::u16string_view tagName);

// The state bit of a tag in the context set (head, title, style, body, script, comment,
// del, applet, embed, object); found is false for other names. body is listed with bit 0.
WORD GetContextBit(std::string_view tagName, bool& found);
WORD GetContextBit(std::u16string_view tagName, bool& found);

// The raw-content elements (title, style, script, comment, applet, embed, object) and
// their state bits, in a fixed order. Inside one of them no tag but its own end tag is
// recognised.
struct RawContentTag {
    std::string_view name;
    WORD bit;
};
std::span<const RawContentTag> RawContentTags();
// Whether the (lower-case) tag name is one of the raw-content elements.
bool IsRawContentTag(std::string_view tagName);
WORD RawContentMask();

// The code point of a character entity name (case-sensitive); 0 when unknown.
char32_t LookupEntity(std::string_view name);
char32_t LookupEntity(std::u16string_view name);

// Longest entity name in the table.
inline constexpr size_t kMaxEntityNameLength = 8;

}  // namespace leaf::markup
