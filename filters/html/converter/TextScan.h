#pragma once

// Character tests of the converter's text rules. Only ASCII characters are classified;
// the bytes of UTF-8 sequences are neither blanks nor letters here unless said so.

namespace leaf::html {

inline bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f'; }
inline bool IsAsciiDigit(char ch) { return ch >= '0' && ch <= '9'; }
inline bool IsAsciiLetter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
inline bool IsAsciiAlnum(char ch) { return IsAsciiLetter(ch) || IsAsciiDigit(ch); }
// The first character of a name in the e-book's document type: a letter (the bytes of a
// UTF-8 letter included), '_' or ':'.
inline bool CanStartName(char ch) { return IsAsciiLetter(ch) || ch == '_' || ch == ':' || static_cast<unsigned char>(ch) >= 0x80; }

}  // namespace leaf::html
