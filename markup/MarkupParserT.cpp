#include "markup/MarkupParserT.h"

#include <algorithm>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "markup/MarkupAttributes.h"
#include "markup/TextMasks.h"
#include "markup/VirtualOverride.h"
#include "platform/base/TextEncoding.h"

namespace {

using leaf::markup::kSeparator;
using leaf::markup::kWordChar;
using leaf::markup::kWordInternalChar;

template <typename Ch>
bool IsWhiteSpace(Ch ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

template <typename Ch>
Ch AsciiLower(Ch ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<Ch>(ch + ('a' - 'A')) : ch;
}

// Whether text begins with prefix, ASCII letters compared without regard to case.
template <typename Ch, typename PrefixCh>
bool StartsWithNoCase(std::basic_string_view<Ch> text, std::basic_string_view<PrefixCh> prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(text[i]) != static_cast<Ch>(AsciiLower(prefix[i]))) {
            return false;
        }
    }
    return true;
}

template <typename Ch>
bool StartsWithNoCase(std::basic_string_view<Ch> text, const char* prefix) {
    return StartsWithNoCase(text, std::string_view(prefix));
}

template <typename Ch>
bool EqualsNoCase(std::basic_string_view<Ch> text, const char* other) {
    return text.size() == std::char_traits<char>::length(other) && StartsWithNoCase(text, other);
}

std::string ToBuildString(std::string_view text, char) { return std::string(text); }
std::u16string ToBuildString(std::string_view text, char16_t) { return leaf::Utf8ToUtf16(text); }

// Appends a code point as AppendUtf8 and AppendUtf16 do; the characters of the Basic
// Multilingual Plane below the surrogates, which references mostly stand for, inline.
void AppendCodePoint(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        const char bytes[] = {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
        out.append(bytes, 2);
    } else if (code < 0xD800) {
        const char bytes[] = {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (code & 0x3F))};
        out.append(bytes, 3);
    } else {
        leaf::AppendUtf8(out, code);
    }
}
void AppendCodePoint(std::u16string& out, char32_t code) {
    if (code < 0xD800) {
        out.push_back(static_cast<char16_t>(code));
    } else {
        leaf::AppendUtf16(out, code);
    }
}

int DefaultCharClass(char ch) { return leaf::markup::ByteCharClass(static_cast<unsigned char>(ch)); }
int DefaultCharClass(char16_t ch) { return leaf::markup::Utf16CharClass(ch); }

// The number of word characters (default classes) at the start of text[0, length).
[[gnu::always_inline]] inline size_t WordRunLength(const char* text, size_t length) {
    size_t run = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: digits, ASCII letters and every byte from 0x80 up.
    const __m128i zeroBelow = _mm_set1_epi8('0' - 1 - 128);
    while (run + 16 <= length) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + run));
        const __m128i high = _mm_cmplt_epi8(bytes, _mm_setzero_si128());  // 0x80-0xFF
        const __m128i shifted = _mm_add_epi8(bytes, _mm_set1_epi8(-128));  // signed order of unsigned bytes
        const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(shifted, zeroBelow),
                                            _mm_cmplt_epi8(shifted, _mm_set1_epi8('9' + 1 - 128)));
        const __m128i folded = _mm_add_epi8(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), _mm_set1_epi8(-128));
        const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1 - 128)),
                                             _mm_cmplt_epi8(folded, _mm_set1_epi8('z' + 1 - 128)));
        const unsigned word = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(high, _mm_or_si128(digit, letter))));
        if (word != 0xFFFF) {
            return run + static_cast<size_t>(__builtin_ctz(~word));
        }
        run += 16;
    }
#endif
    while (run < length && leaf::markup::ByteCharClass(static_cast<unsigned char>(text[run])) == kWordChar) {
        ++run;
    }
    return run;
}

[[gnu::always_inline]] inline size_t WordRunLength(const char16_t* text, size_t length) {
    size_t run = 0;
#if defined(__SSE2__)
    // Eight ASCII units at a time; the table takes over at the first other unit.
    while (run + 8 <= length) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + run));
        const __m128i digit = _mm_and_si128(_mm_cmpgt_epi16(units, _mm_set1_epi16('0' - 1)),
                                            _mm_cmplt_epi16(units, _mm_set1_epi16('9' + 1)));
        const __m128i folded = _mm_or_si128(units, _mm_set1_epi16(0x20));
        const __m128i letter = _mm_and_si128(_mm_cmpgt_epi16(folded, _mm_set1_epi16('a' - 1)),
                                             _mm_cmplt_epi16(folded, _mm_set1_epi16('z' + 1)));
        const unsigned word = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(digit, letter)));
        if (word != 0xFFFF) {
            run += static_cast<size_t>(__builtin_ctz(~word)) / 2;
            break;
        }
        run += 8;
    }
#endif
    while (run < length && leaf::markup::Utf16CharClass(text[run]) == kWordChar) {
        ++run;
    }
    return run;
}

// The index of the first '>' in text[from, size), or size. Tags are short, so this is done
// inline rather than through a library call.
inline size_t FindTagEnd(const char* text, size_t from, size_t size) {
#if defined(__SSE2__)
    for (; from + 16 <= size; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
        const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('>'))));
        if (found != 0) {
            return from + static_cast<size_t>(__builtin_ctz(found));
        }
    }
#endif
    while (from < size && text[from] != '>') {
        ++from;
    }
    return from;
}

inline size_t FindTagEnd(const char16_t* text, size_t from, size_t size) {
#if defined(__SSE2__)
    for (; from + 8 <= size; from += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
        const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, _mm_set1_epi16('>'))));
        if (found != 0) {
            return from + static_cast<size_t>(__builtin_ctz(found)) / 2;
        }
    }
#endif
    while (from < size && text[from] != '>') {
        ++from;
    }
    return from;
}

// The index of the first character of text[from, end) that is not word-internal (default
// classes), or end.
template <typename Ch>
size_t SkipWordInternal(const Ch* text, size_t from, size_t end) {
    while (from < end && DefaultCharClass(text[from]) == kWordInternalChar) {
        ++from;
    }
    return from;
}

// The index of the first white-space character of text[from, end), or end.
template <typename Ch>
size_t TagNameEnd(const Ch* text, size_t from, size_t end) {
    // Every white-space character lies at or below ' ', which settles most characters with
    // one comparison.
    while (from < end && (static_cast<std::make_unsigned_t<Ch>>(text[from]) > ' ' || !IsWhiteSpace(text[from]))) {
        ++from;
    }
    return from;
}

// Where the name and the attributes of a tag lie in its text text[from, end) (from just
// after its "<" or "</", end at its '>'), as the general step collects them: the name drops
// word-internal characters before it and ends at the first white space, which opens the
// attributes; these drop word-internal characters before them too and take every other
// character up to the '>'.
struct TagText {
    size_t nameFrom, nameEnd, attributesFrom;
};

template <typename Ch>
TagText SplitTagText(const Ch* text, size_t from, size_t end) {
    TagText tag;
    tag.nameFrom = SkipWordInternal(text, from, end);
    tag.nameEnd = TagNameEnd(text, tag.nameFrom, end);
    tag.attributesFrom = tag.nameEnd == end ? end : SkipWordInternal(text, tag.nameEnd + 1, end);
    return tag;
}

// Replaces each '\n' and '\t' of text[0, count) with a space, as TranslateChar's default
// does; blocks that hold neither are passed over sixteen bytes at a time.
template <typename Ch>
void SpaceOutLineBreaksAndTabs(Ch* text, size_t count) {
    size_t k = 0;
#if defined(__SSE2__)
    constexpr size_t kStep = 16 / sizeof(Ch);
    for (; k + kStep <= count; k += kStep) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + k));
        __m128i found;
        if constexpr (sizeof(Ch) == 1) {
            found = _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\t')));
        } else {
            found = _mm_or_si128(_mm_cmpeq_epi16(chunk, _mm_set1_epi16('\n')), _mm_cmpeq_epi16(chunk, _mm_set1_epi16('\t')));
        }
        if (_mm_movemask_epi8(found) == 0) {
            continue;
        }
        for (size_t i = k; i < k + kStep; ++i) {
            if (text[i] == '\n' || text[i] == '\t') {
                text[i] = ' ';
            }
        }
    }
#endif
    for (; k < count; ++k) {
        if (text[k] == '\n' || text[k] == '\t') {
            text[k] = ' ';
        }
    }
}

// TranslateChar's default.
template <typename Ch>
Ch DefaultTranslateChar(Ch ch) {
    return (ch == '\n' || ch == '\t') ? Ch(' ') : ch;
}

template <typename Ch>
bool IsAsciiAlphanumeric(Ch ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

template <typename Ch>
int DigitValue(Ch ch, bool hex) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (hex && ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    if (hex && ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    return -1;
}

// The character a numeric reference stands for: 128-159 are read as Windows-1252 (as
// pages written on Windows mean them), surrogates and values beyond U+10FFFF are
// U+FFFD.
char32_t NumericReferenceCharacter(std::uint32_t value) {
    if (value >= 0x80 && value <= 0x9F) {
        return leaf::Windows1252ToUnicode(static_cast<unsigned char>(value));
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return leaf::kReplacementCharacter;
    }
    return value;
}

constexpr std::uint32_t kSaturatedReference = 0x110000;

}  // namespace

template <typename Ch>
CMarkupParserT<Ch>::CMarkupParserT() = default;

template <typename Ch>
CMarkupParserT<Ch>::~CMarkupParserT() = default;

// ---- default call-backs ----

template <typename Ch>
BOOL CMarkupParserT<Ch>::OnWord(StringView, WORD, int, int, int, LONGLONG, LONGLONG) {
    return TRUE;
}

template <typename Ch>
BOOL CMarkupParserT<Ch>::OnTag(StringView, StringView, BOOL, int) {
    return TRUE;
}

template <typename Ch>
BOOL CMarkupParserT<Ch>::OnEntity(StringView, int) {
    return TRUE;
}

template <typename Ch>
BOOL CMarkupParserT<Ch>::OnChar(Ch, WORD, int) {
    return TRUE;
}

template <typename Ch>
void CMarkupParserT<Ch>::OnWordChar(Ch) {}

template <typename Ch>
void CMarkupParserT<Ch>::OnSeparator(Ch) {}

template <typename Ch>
Ch CMarkupParserT<Ch>::TranslateChar(Ch ch) {
    return DefaultTranslateChar(ch);
}

template <typename Ch>
int CMarkupParserT<Ch>::GetCharClass(Ch ch) {
    return DefaultCharClass(ch);
}

// ---- tables ----

template <typename Ch>
BOOL CMarkupParserT<Ch>::IsWordBreakTag(StringView tagName) {
    return (leaf::markup::GetTagFlags(tagName) & leaf::markup::kTagWordBreak) ? TRUE : FALSE;
}

template <typename Ch>
BOOL CMarkupParserT<Ch>::IsBlockTag(StringView tagName) {
    return (leaf::markup::GetTagFlags(tagName) & leaf::markup::kTagBlock) ? TRUE : FALSE;
}

template <typename Ch>
void CMarkupParserT<Ch>::UpdateContext(StringView tagName, WORD& state, BOOL endTag) {
    bool found = false;
    const WORD bit = leaf::markup::GetContextBit(tagName, found);
    if (!found) {
        return;
    }
    if (endTag) {
        state = static_cast<WORD>(state & ~bit);
    } else {
        state = static_cast<WORD>(state | bit);
    }
}

template <typename Ch>
WORD CMarkupParserT<Ch>::GetRawContentMask() {
    return leaf::markup::RawContentMask();
}

template <typename Ch>
typename CMarkupParserT<Ch>::String CMarkupParserT<Ch>::FormatRawEndTag(WORD state) {
    String endTag;
    for (const leaf::markup::RawContentTag& tag : leaf::markup::RawContentTags()) {
        if (state & tag.bit) {
            endTag.push_back('<');
            endTag.push_back('/');
            endTag.append(tag.name.begin(), tag.name.end());
            endTag.push_back('>');
            break;
        }
    }
    return endTag;
}

template <typename Ch>
void CMarkupParserT<Ch>::TrimWord(String& word) {
    while (!word.empty() && GetCharClass(word.back()) == kWordInternalChar) {
        word.pop_back();
    }
}

// ---- character references ----

template <typename Ch>
BOOL CMarkupParserT<Ch>::DecodeEntity(StringView text, String& entityText, String& replacement) {
    return ReadReference(text, entityText, replacement);
}

template <typename Ch>
typename CMarkupParserT<Ch>::String CMarkupParserT<Ch>::DecodeAttributeValue(StringView value) {
    String decoded;
    decoded.reserve(value.size());
    String entityText;
    String replacement;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '&') {
            const StringView rest = value.substr(i + 1);
            if (ReadReference(rest, entityText, replacement)) {
                const bool named = !rest.empty() && rest[0] != '#';
                const size_t end = entityText.size();
                const bool runsOn = end < rest.size() && (rest[end] == '=' || IsAsciiAlphanumeric(rest[end]));
                if (!(named && entityText.back() != ';' && runsOn)) {
                    decoded += replacement;
                    i += entityText.size();
                    continue;
                }
            }
        }
        decoded.push_back(value[i]);
    }
    return decoded;
}

template <typename Ch>
BOOL CMarkupParserT<Ch>::ReadReference(StringView text, String& entityText, String& replacement) {
    entityText.clear();
    replacement.clear();
    if (!text.empty() && text[0] == '#') {
        size_t k = 1;
        const bool hex = k < text.size() && (text[k] == 'x' || text[k] == 'X');
        if (hex) {
            ++k;
        }
        const size_t firstDigit = k;
        std::uint32_t value = 0;
        for (int digit; k < text.size() && (digit = DigitValue(text[k], hex)) >= 0; ++k) {
            // Saturates: any longer run of digits is simply out of range.
            const std::uint64_t next = std::uint64_t(value) * (hex ? 16 : 10) + std::uint64_t(digit);
            value = static_cast<std::uint32_t>(std::min<std::uint64_t>(next, kSaturatedReference));
        }
        if (k == firstDigit || value == 0) {
            return FALSE;
        }
        entityText.assign(text.substr(0, k + (k < text.size() && text[k] == ';' ? 1 : 0)));
        AppendCodePoint(replacement, NumericReferenceCharacter(value));
        return TRUE;
    }

    // A name runs to the first ';' and has at most 8 characters. The longest known
    // prefix of 3 or more characters is the entity; a shorter name only as a whole.
    size_t nameLength = 0;
    while (nameLength < text.size() && nameLength < leaf::markup::kMaxEntityNameLength && text[nameLength] != ';') {
        ++nameLength;
    }
    // Every name in the table is made of ASCII letters and digits, so no candidate can
    // reach past the first other character.
    size_t candidateLength = 0;
    while (candidateLength < nameLength && IsAsciiAlphanumeric(text[candidateLength])) {
        ++candidateLength;
    }
    for (size_t length = candidateLength; length >= 1; --length) {
        if (length < nameLength && length < 3) {
            break;
        }
        const char32_t code = leaf::markup::LookupEntity(text.substr(0, length));
        if (code != 0) {
            entityText.assign(text.substr(0, length + (length < text.size() && text[length] == ';' ? 1 : 0)));
            AppendCodePoint(replacement, code);
            return TRUE;
        }
    }
    return FALSE;
}

// ---- base href ----

template <typename Ch>
BOOL CMarkupParserT<Ch>::ApplyBaseHref(StringView tagName, String& attributes, BOOL endTag, WORD state) {
    if (!m_baseHrefEnabled) {
        return TRUE;
    }
    if ((state & stateHead) && EqualsNoCase(tagName, "base")) {
        if (endTag) {
            return FALSE;
        }
        leaf::markup::SplitAttributes<Ch>(attributes, m_tokens);
        for (const String& token : m_tokens) {
            if (StartsWithNoCase(StringView(token), "href=")) {
                String folder = token.substr(5);
                std::replace(folder.begin(), folder.end(), Ch('\\'), Ch('/'));
                while (!folder.empty() && folder.back() == '/') {
                    folder.pop_back();
                }
                m_baseFolder = std::move(folder);
                break;
            }
        }
        return FALSE;
    }
    if (endTag || m_baseFolder.empty() || attributes.empty()) {
        return TRUE;
    }
    leaf::markup::SplitAttributes<Ch>(attributes, m_tokens);
    auto link = std::find_if(m_tokens.begin(), m_tokens.end(), [](const String& token) {
        return StartsWithNoCase(StringView(token), "src=") || StartsWithNoCase(StringView(token), "href=");
    });
    if (link == m_tokens.end()) {
        return TRUE;
    }
    const size_t equals = link->find(Ch('='));
    String value = link->substr(equals + 1);
    std::replace(value.begin(), value.end(), Ch('\\'), Ch('/'));
    // Empty links, URLs and absolute paths stay as written.
    if (value.empty() || value.find(Ch(':')) != String::npos || value.front() == '/') {
        return TRUE;
    }
    String path = m_baseFolder;
    path.push_back('/');
    path += value;
    leaf::markup::FoldPath(path);
    if (!m_fileFolderText.empty() && StartsWithNoCase(StringView(path), StringView(m_fileFolderText))) {
        path.erase(0, m_fileFolderText.size());
    }
    link->resize(equals + 1);
    *link += path;

    String rebuilt;
    rebuilt.reserve(attributes.size() + path.size() + 2 * m_tokens.size());
    for (const String& token : m_tokens) {
        if (!rebuilt.empty()) {
            rebuilt.push_back(' ');
        }
        const size_t tokenEquals = token.find(Ch('='));
        if (tokenEquals == String::npos || tokenEquals + 1 == token.size()) {
            rebuilt.append(token, 0, tokenEquals);
            continue;
        }
        rebuilt.append(token, 0, tokenEquals + 1);
        rebuilt.push_back('"');
        for (size_t k = tokenEquals + 1; k < token.size(); ++k) {
            if (token[k] == '"') {
                rebuilt.push_back('\\');
            }
            rebuilt.push_back(token[k]);
        }
        rebuilt.push_back('"');
    }
    attributes = std::move(rebuilt);
    return TRUE;
}

// ---- the parse loop ----

template <typename Ch>
bool CMarkupParserT<Ch>::HasDefaultCharHandlers() const {
    return HasDefaultTranslateChar() && HasDefaultOnChar() && HasDefaultClassHandlers();
}

template <typename Ch>
bool CMarkupParserT<Ch>::HasDefaultTranslateChar() const {
    static const CMarkupParserT probe;
    return leaf::markup::UsesBaseImplementation(this, &probe, &CMarkupParserT::TranslateChar);
}

template <typename Ch>
bool CMarkupParserT<Ch>::HasDefaultOnChar() const {
    static const CMarkupParserT probe;
    return leaf::markup::UsesBaseImplementation(this, &probe, &CMarkupParserT::OnChar);
}

template <typename Ch>
bool CMarkupParserT<Ch>::HasDefaultClassHandlers() const {
    static const CMarkupParserT probe;
    using leaf::markup::UsesBaseImplementation;
    return UsesBaseImplementation(this, &probe, &CMarkupParserT::GetCharClass) &&
           UsesBaseImplementation(this, &probe, &CMarkupParserT::OnWordChar) &&
           UsesBaseImplementation(this, &probe, &CMarkupParserT::OnSeparator);
}

template <typename Ch>
bool CMarkupParserT<Ch>::HasDefaultTagHandlers() const {
    static const CMarkupParserT probe;
    using leaf::markup::UsesBaseImplementation;
    return UsesBaseImplementation(this, &probe, &CMarkupParserT::IsWordBreakTag) &&
           UsesBaseImplementation(this, &probe, &CMarkupParserT::IsBlockTag) &&
           UsesBaseImplementation(this, &probe, &CMarkupParserT::UpdateContext);
}

template <typename Ch>
bool CMarkupParserT<Ch>::HasDefaultTrimWord() const {
    static const CMarkupParserT probe;
    return leaf::markup::UsesBaseImplementation(this, &probe, &CMarkupParserT::TrimWord);
}

template <typename Ch>
int CMarkupParserT<Ch>::ParseFile(std::string_view path) {
    // One object runs one parse at a time: a call-back that started another parse on the
    // object that calls it would pull the line out from under the running one.
    if (m_parsing) {
        return parseOpenFailed;
    }
    Reader file;
    // A path cannot hold a NUL: opening the part before it would read another file.
    if (path.find('\0') != std::string_view::npos) {
        return parseOpenFailed;
    }
    m_filePath.assign(path);
    if (!file.Open(m_filePath.c_str(), CFile::modeRead | CFile::shareDenyNone)) {
        return parseOpenFailed;
    }
    const size_t slash = m_filePath.rfind('/');
    m_fileFolder = slash == std::string::npos ? std::string() : m_filePath.substr(0, slash + 1);
    m_fileFolderText = ToBuildString(m_fileFolder, Ch());
    if constexpr (std::is_same_v<Ch, char16_t>) {
        m_charSize = file.IsUnicode() ? 2 : 1;
        m_bigEndianFile = file.IsBigEndian() != FALSE;
    } else {
        m_charSize = 1;
        m_bigEndianFile = false;
    }
    int result = parseException;
    m_parsing = true;
    try {
        result = ParseOpenFile(file);
    } catch (...) {
        result = parseException;
    }
    m_parsing = false;
    file.Abort();
    return result;
}

template <typename Ch>
int CMarkupParserT<Ch>::ParseOpenFile(Reader& file) {
    m_lineNumber = 1;
    m_paragraph = 1;
    m_wordNumber = 1;
    m_position = 0;
    m_wordStart = 0;
    m_tagStart = 0;
    m_endTag = FALSE;
    m_declarationOpen = false;
    m_state = 0;
    m_word.clear();
    m_tagName.clear();
    m_attributes.clear();
    m_commentBlock.clear();
    m_rawMask = GetRawContentMask();
    m_defaultTranslateChar = HasDefaultTranslateChar();
    m_defaultOnChar = HasDefaultOnChar();
    m_defaultClassHandlers = HasDefaultClassHandlers();
    m_defaultCharHandlers = m_defaultTranslateChar && m_defaultOnChar && m_defaultClassHandlers;
    m_defaultTrimWord = HasDefaultTrimWord();
    m_defaultTagHandlers = HasDefaultTagHandlers();
    m_position = static_cast<LONGLONG>(file.GetPosition());  // after a byte-order mark
    while (file.ReadLine(m_line)) {
        const int result = ScanLine();
        if (result != parseDone) {
            return result;
        }
        // Back to the file's own offset, which is never behind the characters counted,
        // except where the reader converted a line into more characters than the file
        // holds (UTF-16 read as UTF-8): positions then stay where the counting reached, so
        // they never run backwards.
        m_position = std::max(m_position, static_cast<LONGLONG>(file.GetPosition()));
        ++m_lineNumber;
    }
    return parseDone;
}

template <typename Ch>
bool CMarkupParserT<Ch>::OpensCommentBlock(size_t i, size_t& markerEnd) const {
    StringView rest = StringView(m_line).substr(i);
    if (rest.size() < 5 || rest[1] != '!' || rest[2] != '-' || rest[3] != '-') {
        return false;
    }
    size_t k = 4;
    if (k < rest.size() && rest[k] == ' ') {
        ++k;
    }
    // The marker is the yen sign: U+00A5, in the byte build its UTF-8 bytes C2 A5 or, in
    // a legacy 8-bit file, the single byte A5.
    if constexpr (std::is_same_v<Ch, char>) {
        if (k + 1 < rest.size() && static_cast<unsigned char>(rest[k]) == 0xC2 &&
            static_cast<unsigned char>(rest[k + 1]) == 0xA5) {
            markerEnd = i + k + 2;
            return true;
        }
        if (k < rest.size() && static_cast<unsigned char>(rest[k]) == 0xA5) {
            markerEnd = i + k + 1;
            return true;
        }
    } else {
        if (k < rest.size() && rest[k] == 0x00A5) {
            markerEnd = i + k + 1;
            return true;
        }
    }
    return false;
}

template <typename Ch>
int CMarkupParserT<Ch>::ScanLine() {
    // A run of word characters is taken in an inner loop, which leaves the character
    // that ended it translated (and, when it is not '&', '<' or '>', already passed to
    // OnChar) for the next turn.
    bool translated = false;
    bool reported = false;
    for (size_t i = 0; i < m_line.size(); ++i) {
        LONGLONG advance = 1;
        Ch ch = m_line[i];
        if (!translated) {
            ch = m_defaultCharHandlers ? DefaultTranslateChar(ch) : TranslateChar(ch);
            m_line[i] = ch;
        }
        const bool charReported = reported;
        translated = false;
        reported = false;

        if (m_defaultCharHandlers && ch != '&' && ch != '>' &&
            (m_state & (stateInTag | stateCommentBlock | 0x03F0)) == 0) {
            // Text with the default character handlers, and the ordinary tags in it: taken
            // in bulk from here on. A '<' that opens no ordinary tag is left to the general
            // step below.
            size_t next = i;
            const int result = SkipPlainChars(next, nullptr);
            if (result != parseDone) {
                return result;
            }
            if (next != i) {
                i = next - 1;
                continue;
            }
        } else if (m_defaultClassHandlers && ch != '&' && ch != '<' && ch != '>' &&
                   (m_state & (stateInTag | stateCommentBlock | 0x03F0)) == 0) {
            // Text for a subclass that only translates or reports characters itself.
            size_t next = i;
            const int result = ScanTextChars(next, charReported);
            if (result != parseDone) {
                return result;
            }
            translated = next < m_line.size();  // the '&', '<' or '>' that ended the run
            i = next - 1;
            continue;
        } else if (m_defaultClassHandlers && ch != '&' && ch != '<' && ch != '>' && (m_state & stateInTag) != 0) {
            // Tag text for such a subclass.
            size_t next = i;
            const int result = ScanTagChars(next, charReported);
            if (result != parseDone) {
                return result;
            }
            translated = next < m_line.size();
            i = next - 1;
            continue;
        }
        if (charReported) {
            // Neither '&', '<' nor '>': straight to the general step.
        } else if (ch == '&') {
            if (IsTextContext()) {
                StringView rest = StringView(m_line).substr(i + 1);
                if (DecodeEntity(rest, m_entityText, m_replacement)) {
                    if (!OnEntity(m_entityText, m_lineNumber)) {
                        return parseStoppedByEntity;
                    }
                    // The replacement stands in for '&' and the entity text. It is written
                    // over the end of that text, so nothing after it moves; only a
                    // replacement longer than what it replaces is spliced in.
                    const size_t consumed = std::min(1 + m_entityText.size(), m_line.size() - i);
                    const size_t length = m_replacement.size();
                    advance = static_cast<LONGLONG>(consumed) + 1 - static_cast<LONGLONG>(length);
                    if (length == 0) {
                        i += consumed;
                        if (i >= m_line.size()) {
                            break;
                        }
                    } else if (length <= consumed) {
                        i += consumed - length;
                        std::copy(m_replacement.begin(), m_replacement.end(), m_line.begin() + i);
                    } else {
                        m_line.replace(i, consumed, m_replacement);
                    }
                    ch = m_line[i];
                }
            }
        } else if (ch == '<') {
            const bool doubled = i + 1 < m_line.size() && m_line[i + 1] == '<';
            if (!doubled && !m_declarationOpen && (m_state & (stateInTag | stateCommentBlock)) == 0) {
                const StringView rest = StringView(m_line).substr(i);
                bool special = true;
                if (m_state & m_rawMask) {
                    special = StartsWithNoCase(rest, StringView(FormatRawEndTag(m_state)));
                }
                if (special) {
                    size_t markerEnd = 0;
                    if (rest.size() >= 2 && rest[1] == '!' && OpensCommentBlock(i, markerEnd)) {
                        m_state |= stateCommentBlock;
                        // The block's first word starts with the marker.
                        size_t markerLength = 1;
                        if constexpr (std::is_same_v<Ch, char>) {
                            if (static_cast<unsigned char>(m_line[markerEnd - 2]) == 0xC2) {
                                markerLength = 2;
                            }
                        }
                        m_commentBlock.clear();
                        for (size_t k = markerEnd - markerLength; k < markerEnd; ++k) {
                            m_commentBlock.push_back(m_line[k]);
                        }
                        for (size_t k = i; k < markerEnd; ++k) {
                            OnChar(m_line[k], m_state, m_lineNumber);
                            m_position += m_charSize;
                        }
                        i = markerEnd - 1;
                        continue;
                    }
                    if (rest.size() >= 2 && rest[1] == '!' && !StartsWithNoCase(rest, "<![") &&
                        !StartsWithNoCase(rest, "<!DOCTYPE")) {
                        m_state |= stateComment;
                        m_declarationOpen = true;
                        OnChar('<', m_state, m_lineNumber);
                        OnChar('!', m_state, m_lineNumber);
                        ++i;
                        m_position += 2 * m_charSize;
                        continue;
                    }
                    m_state |= stateInTag;
                    m_tagStart = m_position;
                    m_endTag = FALSE;
                    if (rest.size() >= 2 && rest[1] == '/') {
                        m_endTag = TRUE;
                        ++i;
                        advance = 2;
                    }
                    m_position += advance * m_charSize;
                    if (m_defaultCharHandlers && (m_state & stateTitle) == 0) {
                        // The tag's name and attributes up to its '>' in bulk; the '>' is
                        // left for the next turn.
                        i = TakeTagText(i + 1) - 1;
                    }
                    continue;
                }
            }
        } else if (ch == '>') {
            if (m_declarationOpen) {
                if (i >= 1 && m_line[i - 1] == '-') {
                    OnChar('>', m_state, m_lineNumber);
                    m_state = static_cast<WORD>(m_state & ~stateComment);
                    m_declarationOpen = false;
                    m_position += m_charSize;
                    continue;
                }
            } else if (m_state & stateCommentBlock) {
                TrimWord(m_commentBlock);
                if (!m_commentBlock.empty() &&
                    !OnWord(m_commentBlock, m_state, m_lineNumber, m_paragraph, m_wordNumber, 0, 0)) {
                    return parseStoppedByWord;
                }
                OnChar('>', m_state, m_lineNumber);
                m_state = static_cast<WORD>(m_state & ~stateCommentBlock);
                m_commentBlock.clear();
                ++m_wordNumber;
                m_position += m_charSize;
                continue;
            } else if (m_state & stateInTag) {
                const int result = EndTag(m_tagName, m_attributes);
                if (result != parseDone) {
                    return result;
                }
                continue;
            }
        }

        String* grown = nullptr;
        const int result = HandleChar(ch, charReported, grown);
        if (result != parseDone) {
            return result;
        }
        m_position += advance * m_charSize;
        if (m_defaultCharHandlers) {
            size_t next = i + 1;
            const int plainResult = SkipPlainChars(next, grown);
            if (plainResult != parseDone) {
                return plainResult;
            }
            i = next - 1;
            continue;
        }
        if (!grown) {
            continue;
        }
        // The token grew by a word character: take the word characters that follow.
        size_t k = i + 1;
        const size_t runStart = k;
        for (; k < m_line.size(); ++k) {
            const Ch next = TranslateChar(m_line[k]);
            m_line[k] = next;
            if (next == '&' || next == '<' || next == '>') {
                translated = true;
                break;
            }
            if (!OnChar(next, m_state, m_lineNumber)) {
                return parseStoppedByChar;
            }
            if (GetCharClass(next) != kWordChar || (grown == &m_tagName && IsWhiteSpace(next))) {
                translated = true;
                reported = true;
                break;
            }
            if (grown == &m_word) {
                OnWordChar(next);
            }
            m_position += m_charSize;
        }
        grown->append(m_line.data() + runStart, k - runStart);
        i = k - 1;
    }
    return parseDone;
}

template <typename Ch>
int CMarkupParserT<Ch>::ScanTextRun(size_t& k) {
    const size_t size = m_line.size();
    // The byte build always counts one byte per character.
    const LONGLONG charSize = std::is_same_v<Ch, char> ? 1 : m_charSize;
    const LONGLONG positionBase = m_position - static_cast<LONGLONG>(k) * charSize;
    const auto positionOf = [=](size_t index) { return positionBase + static_cast<LONGLONG>(index) * charSize; };
    // Text (body, title, head, style): words are collected, and delivered at their
    // separator in text context. The line is classified up to kTextWindow characters at a
    // time and walked from word start to word end on the bit masks: a word starts at a word
    // character (word-internal ones before it are dropped) and runs up to the next
    // separator. A word that lies within the line is delivered from the line itself; only
    // one that goes on past this run is copied.
    const bool deliver = IsTextContext();
    // OnWord cannot change the counters (they are this class's own and a nested parse
    // of this object is refused), so they are kept in locals while the run lasts.
    const WORD state = m_state;
    const int lineNumber = m_lineNumber;
    const int paragraph = m_paragraph;
    int wordNumber = m_wordNumber;
    const bool defaultTrimWord = m_defaultTrimWord;
    LONGLONG wordStart = m_wordStart;
    const Ch* const line = m_line.data();
    bool carried = !m_word.empty();  // m_word holds the start of the current word
    // Start of the current word's characters not yet in m_word; npos between words.
    size_t pending = carried ? k : String::npos;

    // The word from pending up to the separator at end is complete: it is delivered in
    // text context, trimmed as TrimWord trims it, and m_word is emptied.
    const auto finishWord = [&](size_t end) {
        if (deliver) {
            StringView word;
            if (!carried && defaultTrimWord) {
                // A word that lies within the line starts with a word character, so it is
                // never empty.
                word = StringView(line + pending, end - pending);
                while (DefaultCharClass(word.back()) == kWordInternalChar) {
                    word.remove_suffix(1);
                }
            } else {
                m_word.append(line + pending, end - pending);
                TrimWord(m_word);
                word = m_word;
            }
            if (!word.empty()) {
                if (!OnWord(word, state, lineNumber, paragraph, wordNumber, wordStart, positionOf(end))) {
                    return false;
                }
                ++wordNumber;
            }
        }
        m_word.clear();
        carried = false;
        pending = String::npos;
        return true;
    };

    int result = parseDone;
    size_t window = k;
    k = size;  // unless a stop character or a refusal ends the run earlier
    while (window < size) {
        const leaf::markup::TextMasks masks = leaf::markup::ClassifyTextWindow(line, window, size);
        const unsigned limit = masks.stop ? static_cast<unsigned>(__builtin_ctzll(masks.stop)) : masks.count;
        const std::uint64_t valid = limit == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << limit) - 1;
        // Word characters, and the separators that end words (neither word nor
        // word-internal characters), of the characters before the stop.
        std::uint64_t starts = masks.word & valid;
        const std::uint64_t separators = ~(masks.word | masks.internal) & valid;
        if (pending != String::npos) {
            // A word that began before this window ends at its first separator.
            if (separators == 0) {
                starts = 0;
            } else {
                const unsigned end = static_cast<unsigned>(__builtin_ctzll(separators));
                if (!finishWord(window + end)) {
                    result = parseStoppedByWord;
                    break;
                }
                starts &= ~std::uint64_t(0) << end;
            }
        }
        if (deliver && defaultTrimWord) {
            // Words that begin in this window, delivered straight from the line.
            while (starts != 0) {
                const unsigned first = static_cast<unsigned>(__builtin_ctzll(starts));
                const std::uint64_t ends = separators >> first;
                wordStart = positionOf(window + first);
                if (ends == 0) {
                    pending = window + first;  // goes on past the window
                    break;
                }
                const unsigned end = first + static_cast<unsigned>(__builtin_ctzll(ends));
                StringView word(line + window + first, end - first);
                if ((masks.internal >> (end - 1)) & 1) {
                    while (DefaultCharClass(word.back()) == kWordInternalChar) {
                        word.remove_suffix(1);
                    }
                }
                if (!OnWord(word, state, lineNumber, paragraph, wordNumber, wordStart, positionOf(window + end))) {
                    result = parseStoppedByWord;
                    break;
                }
                ++wordNumber;
                starts &= ~std::uint64_t(0) << end;
            }
        } else {
            while (starts != 0) {
                const unsigned first = static_cast<unsigned>(__builtin_ctzll(starts));
                const std::uint64_t ends = separators >> first;
                pending = window + first;
                if (deliver) {
                    wordStart = positionOf(pending);
                }
                if (ends == 0) {
                    break;
                }
                const unsigned end = first + static_cast<unsigned>(__builtin_ctzll(ends));
                if (!finishWord(window + end)) {
                    result = parseStoppedByWord;
                    break;
                }
                starts &= ~std::uint64_t(0) << end;
            }
        }
        if (result != parseDone || limit < masks.count) {
            k = window + limit;
            break;
        }
        window += masks.count;
    }
    m_wordNumber = wordNumber;
    m_wordStart = wordStart;
    if (result != parseDone) {
        return result;
    }
    if (pending != String::npos) {
        m_word.append(line + pending, k - pending);
    }
    m_position = positionOf(k);
    return parseDone;
}

template <typename Ch>
bool CMarkupParserT<Ch>::TranslateInRun(size_t i) {
    Ch& ch = m_line[i];
    ch = m_defaultTranslateChar ? DefaultTranslateChar(ch) : TranslateChar(ch);
    return ch != '&' && ch != '<' && ch != '>';
}

template <typename Ch>
int CMarkupParserT<Ch>::ScanTextChars(size_t& k, bool charReported) {
    // What the general step does with each character of text, the character classes,
    // OnWordChar and OnSeparator the defaults: translate it (the first one is), report it,
    // and add it to the word, or deliver the word at a separator in text context. The
    // characters of a word stay in the line until it ends; only a word that goes on past
    // the run is copied. The counters cannot change in a call-back (they are this class's
    // own), so they are kept in locals while the run lasts.
    const bool deliver = IsTextContext();
    const WORD state = m_state;
    const int lineNumber = m_lineNumber;
    const LONGLONG charSize = m_charSize;
    LONGLONG position = m_position;
    const size_t size = m_line.size();
    Ch* const line = m_line.data();
    // Where the current word's characters in the line begin (m_word holds any that came
    // before this run); npos between words.
    size_t pending = m_word.empty() ? String::npos : k;
    int result = parseDone;
    size_t i = k;
    bool report = !charReported;
    for (;;) {
        const Ch ch = line[i];
        if (report && !m_defaultOnChar && !OnChar(ch, state, lineNumber)) {
            result = parseStoppedByChar;
            break;
        }
        const int charClass = DefaultCharClass(ch);
        if (charClass == kWordChar) {
            if (pending == String::npos) {
                pending = i;
                // Only a word of text has a start.
                if (deliver) {
                    m_wordStart = position;
                }
            }
        } else if (charClass != kWordInternalChar) {
            // A separator ends the word; a word-internal character only goes on with one.
            if (deliver && (pending != String::npos || !m_defaultTrimWord)) {
                StringView word;
                if (pending != String::npos && m_word.empty() && m_defaultTrimWord) {
                    word = StringView(line + pending, i - pending);
                    while (DefaultCharClass(word.back()) == kWordInternalChar) {
                        word.remove_suffix(1);
                    }
                } else {
                    if (pending != String::npos) {
                        m_word.append(line + pending, i - pending);
                    }
                    TrimWord(m_word);
                    word = m_word;
                }
                if (!word.empty()) {
                    if (!OnWord(word, state, lineNumber, m_paragraph, m_wordNumber, m_wordStart, position)) {
                        result = parseStoppedByWord;
                        break;
                    }
                    ++m_wordNumber;
                }
            }
            m_word.clear();
            pending = String::npos;
        }
        position += charSize;
        if (++i == size || !TranslateInRun(i)) {
            break;
        }
        report = true;
    }
    if (result != parseDone) {
        return result;
    }
    if (pending != String::npos) {
        m_word.append(line + pending, i - pending);
    }
    m_position = position;
    k = i;
    return parseDone;
}

template <typename Ch>
int CMarkupParserT<Ch>::ScanTagChars(size_t& k, bool charReported) {
    // What the general step does with each character of a tag, the character classes,
    // OnWordChar and OnSeparator the defaults: translate it (the first one is), report it,
    // and add it to the tag name or the attributes (see SplitTagText). The characters
    // taken stay in the line until the run ends.
    WORD state = m_state;
    const int lineNumber = m_lineNumber;
    const size_t size = m_line.size();
    Ch* const line = m_line.data();
    String* target = (state & stateInAttributes) ? &m_attributes : &m_tagName;
    size_t from = String::npos;  // where the characters taken for the target begin
    size_t i = k;
    bool report = !charReported;
    for (;;) {
        const Ch ch = line[i];
        if (report && !m_defaultOnChar && !OnChar(ch, state, lineNumber)) {
            m_state = state;
            return parseStoppedByChar;
        }
        if (target == &m_tagName && IsWhiteSpace(ch)) {
            // White space ends the tag name whatever the character classes say.
            if (from != String::npos) {
                m_tagName.append(line + from, i - from);
                from = String::npos;
            }
            state |= stateInAttributes;
            target = &m_attributes;
        } else if (from == String::npos &&
                   (!target->empty() || DefaultCharClass(ch) != kWordInternalChar)) {
            from = i;  // word-internal characters before the name or the attributes are dropped
        }
        m_position += m_charSize;
        if (++i == size || !TranslateInRun(i)) {
            break;
        }
        report = true;
    }
    if (from != String::npos) {
        target->append(line + from, i - from);
    }
    m_state = state;
    k = i;
    return parseDone;
}

template <typename Ch>
int CMarkupParserT<Ch>::SkipPlainChars(size_t& k, String* grown) {
    // With the default character handlers nothing is reported per character, so what the
    // general step would do with the characters that follow can be done in bulk. Each case
    // stops before any character that could change the state ('&', '<', '>').
    const size_t size = m_line.size();
    const size_t start = k;
    // The byte build always counts one byte per character.
    const LONGLONG charSize = std::is_same_v<Ch, char> ? 1 : m_charSize;
    const LONGLONG positionBase = m_position - static_cast<LONGLONG>(start) * charSize;
    const auto positionOf = [=](size_t index) { return positionBase + static_cast<LONGLONG>(index) * charSize; };
    const bool inTag = (m_state & stateInTag) != 0;
    if (inTag && grown == &m_attributes && !IsTextContext()) {
        // Attribute text takes every character up to the '>' that ends the tag.
        size_t end = m_line.find(Ch('>'), k);
        if (end == String::npos) {
            end = size;
        }
        const size_t first = m_attributes.size();
        m_attributes.append(m_line.data() + k, end - k);
        SpaceOutLineBreaksAndTabs(m_attributes.data() + first, m_attributes.size() - first);
        k = end;
    } else if (inTag || (m_state & stateCommentBlock)) {
        // A tag name or a comment-block word takes the word characters that follow.
        if (grown) {
            k += WordRunLength(m_line.data() + k, size - k);
            grown->append(m_line.data() + start, k - start);
        }
    } else if ((m_state & 0x03F0) == 0) {
        // Text, and the ordinary tags in it, until something else turns up.
        for (;;) {
            if (m_line[k] != '<') {
                const int result = ScanTextRun(k);
                if (result != parseDone) {
                    return result;
                }
                if (k >= size || m_line[k] != '<') {
                    return parseDone;
                }
            }
            int tagResult = parseDone;
            if (!TryTakeTag(k, tagResult)) {
                return parseDone;
            }
            if (tagResult != parseDone) {
                return tagResult;
            }
            if (k >= size || (m_state & (stateInTag | stateCommentBlock | 0x03F0)) != 0) {
                return parseDone;
            }
        }
    } else if (!IsTextContext()) {
        // Inside script, applet, embed, object, comment, declaration or deleted text only
        // '<' and '>' can change anything.
        while (k < size && m_line[k] != '<' && m_line[k] != '>') {
            ++k;
        }
    }
    m_position = positionOf(k);
    return parseDone;
}

template <typename Ch>
int CMarkupParserT<Ch>::EndTag(StringView tagName, StringView attributes) {
    m_state = static_cast<WORD>(m_state & ~(stateInTag | stateInAttributes));
    // With the default tag handlers one lookup answers all three questions.
    const leaf::markup::TagInfo* tag = m_defaultTagHandlers ? leaf::markup::FindTag(tagName) : nullptr;
    const DWORD tagFlags = tag ? tag->flags : 0;
    const bool wordBreak = m_defaultTagHandlers ? (tagFlags & leaf::markup::kTagWordBreak) != 0
                                                : IsWordBreakTag(tagName) != FALSE;
    // The default TrimWord has nothing to do with an empty word.
    if (wordBreak && (!m_word.empty() || !m_defaultTrimWord)) {
        TrimWord(m_word);
        if (!m_word.empty() && IsTextContext()) {
            if (!OnWord(m_word, m_state, m_lineNumber, m_paragraph, m_wordNumber, m_wordStart, m_tagStart)) {
                return parseStoppedByWord;
            }
            ++m_wordNumber;
        }
        m_word.clear();
    }
    // ApplyBaseHref passes every tag on unless a <base> inside <head> or a link
    // to resolve is possible; it is asked only then, with the attributes in m_attributes.
    const bool baseHrefApplies =
        m_baseHrefEnabled && ((m_state & stateHead) != 0 ||
                              (!m_endTag && !m_baseFolder.empty() && !attributes.empty()));
    if (!tagName.empty()) {
        bool passOn = true;
        if (baseHrefApplies) {
            if (attributes.data() != m_attributes.data()) {
                m_attributes.assign(attributes);
            }
            passOn = ApplyBaseHref(tagName, m_attributes, m_endTag, m_state) != FALSE;
            attributes = m_attributes;
        }
        if (passOn && !OnTag(tagName, attributes, m_endTag, m_lineNumber)) {
            return parseStoppedByTag;
        }
    }
    const bool block = m_defaultTagHandlers ? (tagFlags & leaf::markup::kTagBlock) != 0
                                            : !m_endTag && IsBlockTag(tagName);
    if (!m_endTag && block) {
        ++m_paragraph;
    }
    if (!m_defaultTagHandlers) {
        UpdateContext(tagName, m_state, m_endTag);
    } else if (tag && tag->isContext) {
        m_state = static_cast<WORD>(m_endTag ? (m_state & ~tag->contextBit) : (m_state | tag->contextBit));
    }
    m_tagName.clear();
    m_attributes.clear();
    m_position += m_charSize;
    return parseDone;
}

template <typename Ch>
bool CMarkupParserT<Ch>::TryTakeTag(size_t& k, int& result) {
    // An ordinary tag in text, as the general step would open it at this '<': not "<<",
    // no comment or declaration ("<!"), no raw-content element open (only its own end tag
    // would count) and no declaration still open.
    const size_t size = m_line.size();
    if (k + 1 >= size || m_declarationOpen || (m_state & m_rawMask) != 0) {
        return false;
    }
    Ch* const line = m_line.data();
    const Ch next = line[k + 1];
    if (next == '<' || next == '!') {
        return false;
    }
    m_tagStart = m_position;
    m_endTag = next == '/' ? TRUE : FALSE;
    const size_t opening = m_endTag ? 2 : 1;
    const size_t from = k + opening;
    const size_t end = FindTagEnd(line, from, size);
    if (end == size) {
        // The tag goes on past the line: its text so far is kept for the general step.
        m_state |= stateInTag;
        m_position += static_cast<LONGLONG>(opening) * m_charSize;
        k = TakeTagText(from);
        result = parseDone;
        return true;
    }
    // The whole tag lies in the line: its name and attributes are handed on from the line
    // itself, as TakeTagText would have collected them (the line is the scanner's own
    // buffer, and the general step, too, writes translated characters back into it).
    const TagText text = SplitTagText(line, from, end);
    if (text.attributesFrom != end) {
        SpaceOutLineBreaksAndTabs(line + text.attributesFrom, end - text.attributesFrom);
    }
    m_position += static_cast<LONGLONG>(end - k) * m_charSize;
    result = EndTag(StringView(line + text.nameFrom, text.nameEnd - text.nameFrom),
                    StringView(line + text.attributesFrom, end - text.attributesFrom));
    k = end + 1;
    return true;
}

template <typename Ch>
size_t CMarkupParserT<Ch>::TakeTagText(size_t k) {
    // What the general step does with these characters, the default handlers in place and
    // no title open (where '&' would be read as a reference): see SplitTagText; line feeds
    // and tabs in the attributes read as spaces.
    const Ch* line = m_line.data();
    const size_t size = m_line.size();
    const size_t end = FindTagEnd(line, k, size);
    m_position += static_cast<LONGLONG>(end - k) * m_charSize;
    size_t from = k;
    if ((m_state & stateInAttributes) == 0) {
        if (m_tagName.empty()) {
            from = SkipWordInternal(line, from, end);
        }
        const size_t nameEnd = TagNameEnd(line, from, end);
        m_tagName.append(line + from, nameEnd - from);
        if (nameEnd == end) {
            return end;
        }
        m_state |= stateInAttributes;
        from = nameEnd + 1;
    }
    if (m_attributes.empty()) {
        from = SkipWordInternal(line, from, end);
    }
    const size_t first = m_attributes.size();
    m_attributes.append(line + from, end - from);
    SpaceOutLineBreaksAndTabs(m_attributes.data() + first, m_attributes.size() - first);
    return end;
}

template <typename Ch>
int CMarkupParserT<Ch>::HandleChar(Ch ch, bool charReported, String*& grown) {
    // With the default handlers OnChar, OnWordChar and OnSeparator do nothing and the
    // character classes are the tables': their calls are left out.
    const bool defaults = m_defaultCharHandlers;
    if (!charReported && !defaults && !OnChar(ch, m_state, m_lineNumber)) {
        return parseStoppedByChar;
    }
    const bool inTag = (m_state & stateInTag) != 0;
    if (!inTag && (m_state & 0x03F0) != 0) {
        return parseDone;  // inside script, applet, embed, object, comment, declaration or del
    }
    String* target;
    if (m_state & stateInAttributes) {
        target = &m_attributes;
    } else if (inTag) {
        // White space ends the tag name whatever the character classes say.
        if (IsWhiteSpace(ch)) {
            m_state |= stateInAttributes;
            return parseDone;
        }
        target = &m_tagName;
    } else if (m_state & stateCommentBlock) {
        target = &m_commentBlock;
    } else {
        target = &m_word;
    }

    int charClass = defaults ? DefaultCharClass(ch) : GetCharClass(ch);
    if (charClass == kWordInternalChar) {
        if (m_state & stateCommentBlock) {
            return parseDone;
        }
        if (target->empty()) {
            if (!defaults) {
                OnSeparator(ch);
            }
            return parseDone;
        }
        charClass = kWordChar;
    }
    if (charClass == kWordChar) {
        target->push_back(ch);
        if (target == &m_word) {
            // Only a word of text has a start; the end tag of a title must not move it.
            if (target->size() == 1 && IsTextContext()) {
                m_wordStart = m_position;
            }
            if (!defaults) {
                OnWordChar(ch);
            }
        }
        grown = target;
        return parseDone;
    }
    if (inTag) {
        target->push_back(ch);
        grown = target;
        return parseDone;
    }
    if (IsTextContext() || (m_state & stateCommentBlock)) {
        TrimWord(*target);
        if (!target->empty()) {
            if (!OnWord(*target, m_state, m_lineNumber, m_paragraph, m_wordNumber, m_wordStart, m_position)) {
                return parseStoppedByWord;
            }
            ++m_wordNumber;
        }
    }
    if (!defaults) {
        OnSeparator(ch);
    }
    target->clear();
    return parseDone;
}

template class CMarkupParserT<char>;
template class CMarkupParserT<char16_t>;
