#pragma once

// Conversions between the system's 8-bit text (UTF-8) and UTF-16.
//
// Decoding is forgiving: a byte that does not start a valid, complete, shortest-form
// UTF-8 sequence (surrogates and values above U+10FFFF included) is taken as one
// Windows-1252 character, and decoding resumes at the next byte. So legacy 8-bit
// text still reads as its author meant, and no input is ever rejected.

#include <string>
#include <string_view>

namespace leaf {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes UTF-8 into UTF-16; invalid bytes are read as Windows-1252 characters.
std::u16string Utf8ToUtf16(std::string_view bytes);

// Encodes UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

// The Unicode character of one Windows-1252 byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the code point of the same value.
char16_t Windows1252ToUnicode(unsigned char byte);

// Append one code point; a surrogate or a value above U+10FFFF appends U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);
void AppendUtf16(std::u16string& out, char32_t codePoint);

// True when the bytes are entirely valid, shortest-form UTF-8 (no surrogates).
bool IsValidUtf8(std::string_view bytes);

// Streaming form of Utf8ToUtf16 for text read in chunks: a sequence cut by the end of a
// chunk is kept and completed by the next one. Decode(a), Decode(b), Finish() produce
// exactly Utf8ToUtf16(a + b) for every split.
class Utf8Decoder {
public:
    void Decode(std::string_view chunk, std::u16string& out);
    // Flushes an incomplete sequence left at the end of the input (as Windows-1252
    // characters) and readies the decoder for new input.
    void Finish(std::u16string& out);
    void Reset() { m_pendingLength = 0; }

private:
    char m_pending[4] = {};
    size_t m_pendingLength = 0;
};

}  // namespace leaf
