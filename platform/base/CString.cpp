#include "platform/base/CString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

bool IsIntegerConversion(char ch) {
    return std::strchr("diouxX", ch) != nullptr;
}

// Rewrites the length modifiers of a format so that vsnprintf reads the arguments the
// way the system passes them: a single `l` on an integer conversion means 32 bits
// (LONG, DWORD), "I64" means 64 bits and "I32" 32 bits; everything else is kept.
std::string TranslateFormat(const char* format) {
    std::string out;
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        out += *p++;
        if (*p == '%') {
            out += *p++;
            continue;
        }
        // Flags, width and precision pass through unchanged.
        while (*p && std::strchr("-+ #0'", *p))
            out += *p++;
        while (*p && ((*p >= '0' && *p <= '9') || *p == '*'))
            out += *p++;
        if (*p == '.') {
            out += *p++;
            while (*p && ((*p >= '0' && *p <= '9') || *p == '*'))
                out += *p++;
        }
        // Length modifier.
        std::string length;
        if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
            length = "ll";
            p += 3;
        } else if (p[0] == 'I' && p[1] == '3' && p[2] == '2') {
            p += 3;
        } else {
            while (*p && std::strchr("hlLqjzt", *p))
                length += *p++;
        }
        if (length == "l" && IsIntegerConversion(*p))
            length.clear();
        out += length;
        if (*p)
            out += *p++;
    }
    return out;
}

char ToLower(char ch) { return leaf::AsciiToLower(ch); }
char ToUpper(char ch) { return leaf::AsciiToUpper(ch); }

}  // namespace

CString::CString(const char* text, int length) {
    if (text && length > 0)
        m_text.assign(text, static_cast<size_t>(length));
}

CString::CString(char ch, int repeat) {
    if (repeat > 0)
        m_text.assign(static_cast<size_t>(repeat), ch);
}

char CString::GetAt(int index) const {
    if (index < 0 || index >= GetLength())
        return 0;
    return m_text[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char ch) {
    if (index >= 0 && index < GetLength())
        m_text[static_cast<size_t>(index)] = ch;
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    const int length = GetLength();
    first = std::clamp(first, 0, length);
    count = std::clamp(count, 0, length - first);
    return CString(m_text.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(m_text.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(m_text.substr(m_text.size() - static_cast<size_t>(count)));
}

CString CString::SpanIncluding(std::string_view charSet) const {
    size_t end = m_text.find_first_not_of(charSet);
    return CString(m_text.substr(0, end));
}

CString CString::SpanExcluding(std::string_view charSet) const {
    size_t end = m_text.find_first_of(charSet);
    return CString(m_text.substr(0, end));
}

int CString::Find(char ch, int start) const {
    if (start < 0 || start >= GetLength())
        return -1;
    size_t found = m_text.find(ch, static_cast<size_t>(start));
    return found == std::string::npos ? -1 : static_cast<int>(found);
}

int CString::Find(std::string_view sub, int start) const {
    if (start < 0 || start > GetLength())
        return -1;
    size_t found = m_text.find(sub, static_cast<size_t>(start));
    return found == std::string::npos ? -1 : static_cast<int>(found);
}

int CString::ReverseFind(char ch) const {
    size_t found = m_text.rfind(ch);
    return found == std::string::npos ? -1 : static_cast<int>(found);
}

int CString::FindOneOf(std::string_view charSet) const {
    size_t found = m_text.find_first_of(charSet);
    return found == std::string::npos ? -1 : static_cast<int>(found);
}

CString& CString::MakeUpper() {
    std::transform(m_text.begin(), m_text.end(), m_text.begin(), ToUpper);
    return *this;
}

CString& CString::MakeLower() {
    std::transform(m_text.begin(), m_text.end(), m_text.begin(), ToLower);
    return *this;
}

CString& CString::MakeReverse() {
    std::reverse(m_text.begin(), m_text.end());
    return *this;
}

int CString::Replace(char oldChar, char newChar) {
    int count = 0;
    for (char& ch : m_text) {
        if (ch == oldChar) {
            ch = newChar;
            ++count;
        }
    }
    return count;
}

int CString::Replace(std::string_view oldText, std::string_view newText) {
    if (oldText.empty())
        return 0;
    int count = 0;
    std::string result;
    size_t from = 0;
    for (size_t found; (found = m_text.find(oldText, from)) != std::string::npos; from = found + oldText.size()) {
        result.append(m_text, from, found - from);
        result += newText;
        ++count;
    }
    if (count > 0) {
        result.append(m_text, from, std::string::npos);
        m_text = std::move(result);
    }
    return count;
}

int CString::Remove(char ch) {
    size_t before = m_text.size();
    m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
    return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, char ch) {
    return Insert(index, std::string_view(&ch, 1));
}

int CString::Insert(int index, std::string_view text) {
    index = std::clamp(index, 0, GetLength());
    m_text.insert(static_cast<size_t>(index), text);
    return GetLength();
}

int CString::Delete(int index, int count) {
    const int length = GetLength();
    if (index < 0)
        index = 0;
    if (index < length && count > 0) {
        count = std::min(count, length - index);
        m_text.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    }
    return GetLength();
}

CString& CString::TrimLeft() { return TrimLeft(kWhiteSpace); }
CString& CString::TrimRight() { return TrimRight(kWhiteSpace); }
CString& CString::Trim() { return Trim(kWhiteSpace); }

CString& CString::TrimLeft(std::string_view charSet) {
    size_t first = m_text.find_first_not_of(charSet);
    m_text.erase(0, first);  // npos erases everything
    return *this;
}

CString& CString::TrimRight(std::string_view charSet) {
    size_t last = m_text.find_last_not_of(charSet);
    m_text.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::Trim(std::string_view charSet) {
    TrimRight(charSet);
    return TrimLeft(charSet);
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args) {
    m_text.clear();
    AppendFormatV(format, args);
}

void CString::AppendFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void CString::AppendFormatV(const char* format, va_list args) {
    if (!format)
        return;
    const std::string translated = TranslateFormat(format);
    va_list sizing;
    va_copy(sizing, args);
    const int needed = std::vsnprintf(nullptr, 0, translated.c_str(), sizing);
    va_end(sizing);
    if (needed <= 0)
        return;
    const size_t oldSize = m_text.size();
    m_text.resize(oldSize + static_cast<size_t>(needed) + 1);
    std::vsnprintf(m_text.data() + oldSize, static_cast<size_t>(needed) + 1, translated.c_str(), args);
    m_text.resize(oldSize + static_cast<size_t>(needed));
}

int CString::Compare(std::string_view other) const {
    int result = std::string_view(m_text).compare(other);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int CString::CompareNoCase(std::string_view other) const {
    return leaf::CompareNoCase(m_text, other);
}

namespace leaf {

namespace {

template <typename Char>
int CompareNoCaseImpl(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    using Unsigned = std::make_unsigned_t<Char>;
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const auto left = static_cast<Unsigned>(AsciiToLower(a[i]));
        const auto right = static_cast<Unsigned>(AsciiToLower(b[i]));
        if (left != right)
            return left < right ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

template <typename Char>
bool StartsWithNoCaseImpl(std::basic_string_view<Char> text, std::basic_string_view<Char> prefix) {
    return text.size() >= prefix.size() && CompareNoCaseImpl(text.substr(0, prefix.size()), prefix) == 0;
}

}  // namespace

int CompareNoCase(std::string_view a, std::string_view b) { return CompareNoCaseImpl(a, b); }
int CompareNoCase(std::u16string_view a, std::u16string_view b) { return CompareNoCaseImpl(a, b); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCaseImpl(a, b) == 0;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && CompareNoCaseImpl(a, b) == 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) { return StartsWithNoCaseImpl(text, prefix); }
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) { return StartsWithNoCaseImpl(text, prefix); }

std::string ToLowerAscii(std::string_view text) {
    std::string result(text);
    for (char& ch : result)
        ch = AsciiToLower(ch);
    return result;
}

std::u16string ToLowerAscii(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& ch : result)
        ch = AsciiToLower(ch);
    return result;
}

size_t NoCaseHash::operator()(std::string_view text) const {
    // FNV-1a over the case-folded bytes.
    std::uint64_t hash = 14695981039346656037ull;
    for (char ch : text) {
        hash ^= static_cast<unsigned char>(AsciiToLower(ch));
        hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash);
}

}  // namespace leaf
