#pragma once

// CString: the system's 8-bit string. It holds UTF-8 text (the system's "ANSI code
// page" is UTF-8) and may hold any byte, NUL included. Indexes and lengths count bytes.
// The operations are those of the class library's string; positions that do not exist
// give -1 from the Find family and are clamped by Mid/Left/Right, never overrun.

#include <cstdarg>
#include <functional>
#include <string>
#include <string_view>

#include "platform/base/Types.h"

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length);
    CString(std::string text) : m_text(std::move(text)) {}
    CString(std::string_view text) : m_text(text) {}
    CString(char ch, int repeat);

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    // Raw access. c_str()/GetString() stop at an embedded NUL for C callers.
    const char* c_str() const { return m_text.c_str(); }
    const char* GetString() const { return m_text.c_str(); }
    const std::string& str() const { return m_text; }
    std::string& str() { return m_text; }
    operator std::string_view() const { return m_text; }

    char GetAt(int index) const;             // 0 outside the string
    void SetAt(int index, char ch);          // ignored outside the string
    char operator[](int index) const { return GetAt(index); }

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(std::string_view charSet) const;
    CString SpanExcluding(std::string_view charSet) const;

    int Find(char ch, int start = 0) const;
    int Find(std::string_view sub, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(std::string_view charSet) const;

    CString& MakeUpper();   // ASCII letters only; UTF-8 bytes are kept
    CString& MakeLower();
    CString& MakeReverse();
    int Replace(char oldChar, char newChar);
    int Replace(std::string_view oldText, std::string_view newText);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, std::string_view text);
    int Delete(int index, int count = 1);

    CString& TrimLeft();                      // white space: space, \t, \n, \v, \f, \r
    CString& TrimRight();
    CString& Trim();
    CString& TrimLeft(std::string_view charSet);
    CString& TrimRight(std::string_view charSet);
    CString& Trim(std::string_view charSet);

    // printf-style formatting; the result is never truncated. Format strings from string
    // tables keep the original platform's meaning of `l`: "%ld" takes a 32-bit LONG, while
    // "%lld"/"%I64d" take 64 bits. Literal formats are checked by the compiler, which also
    // rejects a CString passed for "%s" (pass c_str()); write "%d" for a LONG there.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);
    void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormatV(const char* format, va_list args);

    int Compare(std::string_view other) const;        // byte order; <0, 0, >0
    int CompareNoCase(std::string_view other) const;  // ASCII letters folded

    CString& operator+=(const CString& other) { m_text += other.m_text; return *this; }
    CString& operator+=(std::string_view other) { m_text += other; return *this; }
    CString& operator+=(const char* other) { if (other) m_text += other; return *this; }
    CString& operator+=(char ch) { m_text += ch; return *this; }

    friend CString operator+(CString left, const CString& right) { return left += right; }
    friend CString operator+(CString left, const char* right) { return left += right; }
    friend CString operator+(CString left, char right) { return left += right; }
    friend CString operator+(const char* left, const CString& right) { return CString(left) += right; }
    friend CString operator+(char left, const CString& right) { return CString(left, 1) += right; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
    friend bool operator==(const CString& a, std::string_view b) { return a.m_text == b; }
    friend bool operator==(const CString& a, const std::string& b) { return a.m_text == b; }
    friend auto operator<=>(const CString& a, const CString& b) { return a.m_text <=> b.m_text; }

private:
    std::string m_text;
};

// One helper for case-insensitive comparison everywhere: ASCII letters fold, every
// other byte (UTF-8 included) compares exactly.
namespace leaf {

inline char AsciiToLower(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch + ('a' - 'A')) : ch; }
inline char AsciiToUpper(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - ('a' - 'A')) : ch; }
inline char16_t AsciiToLower(char16_t ch) { return (ch >= u'A' && ch <= u'Z') ? static_cast<char16_t>(ch + 32) : ch; }
inline char16_t AsciiToUpper(char16_t ch) { return (ch >= u'a' && ch <= u'z') ? static_cast<char16_t>(ch - 32) : ch; }

int CompareNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);
std::string ToLowerAscii(std::string_view text);
std::u16string ToLowerAscii(std::u16string_view text);

// Function objects for containers keyed without regard to case.
struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return CompareNoCase(a, b) < 0; }
};
struct NoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const;
};
struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};

}  // namespace leaf

template <>
struct std::hash<CString> {
    size_t operator()(const CString& text) const { return std::hash<std::string>()(text.str()); }
};
