#pragma once

// Globally unique identifiers: the 16-byte binary layout, the registry's text form
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper-case hexadecimal), parsing, hashing,
// and new random identifiers.
//
// In code, write a known identifier from its text:
//   inline constexpr CLSID CLSID_Thing = leaf::MakeGuid("{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}");
// or with the literal "..."_guid from leaf::literals. Both are checked at compile time
// when used in a constant expression.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/base/Types.h"
#include "platform/com/HResult.h"

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID must keep its binary layout");

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
using LPCLSID = CLSID*;

constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
constexpr bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

namespace leaf {

namespace detail {

constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

constexpr bool ReadHex(std::string_view text, std::size_t& position, int digits, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i, ++position) {
        if (position >= text.size())
            return false;
        int digit = HexDigitValue(text[position]);
        if (digit < 0)
            return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return true;
}

constexpr bool Expect(std::string_view text, std::size_t& position, char c) {
    if (position >= text.size() || text[position] != c)
        return false;
    ++position;
    return true;
}

}  // namespace detail

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex digits of either case; the braces
// are required). Nothing else is accepted, not even surrounding spaces.
constexpr std::optional<GUID> ParseGuid(std::string_view text) {
    using detail::Expect;
    using detail::ReadHex;
    GUID guid{};
    std::size_t at = 0;
    std::uint32_t value = 0;
    if (!Expect(text, at, '{') || !ReadHex(text, at, 8, value))
        return std::nullopt;
    guid.Data1 = value;
    if (!Expect(text, at, '-') || !ReadHex(text, at, 4, value))
        return std::nullopt;
    guid.Data2 = static_cast<std::uint16_t>(value);
    if (!Expect(text, at, '-') || !ReadHex(text, at, 4, value))
        return std::nullopt;
    guid.Data3 = static_cast<std::uint16_t>(value);
    if (!Expect(text, at, '-'))
        return std::nullopt;
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !Expect(text, at, '-'))
            return std::nullopt;
        if (!ReadHex(text, at, 2, value))
            return std::nullopt;
        guid.Data4[i] = static_cast<std::uint8_t>(value);
    }
    if (!Expect(text, at, '}') || at != text.size())
        return std::nullopt;
    return guid;
}

// A GUID written in code. Malformed text is a compile error in a constant expression
// and throws std::invalid_argument otherwise.
constexpr GUID MakeGuid(std::string_view text) {
    std::optional<GUID> guid = ParseGuid(text);
    if (!guid)
        throw std::invalid_argument("malformed GUID text");
    return *guid;
}

namespace literals {
consteval GUID operator""_guid(const char* text, std::size_t length) {
    return MakeGuid(std::string_view(text, length));
}
}  // namespace literals

// The registry's text form: braces, upper-case hexadecimal digits, hyphens.
std::string GuidToString(REFGUID guid);
std::u16string GuidToUtf16(REFGUID guid);

// Parses UTF-16 text of the registry's form.
std::optional<GUID> ParseGuid(std::u16string_view text);

}  // namespace leaf

template <>
struct std::hash<GUID> {
    std::size_t operator()(const GUID& guid) const noexcept {
        std::uint64_t low = (static_cast<std::uint64_t>(guid.Data1) << 32) |
                            (static_cast<std::uint64_t>(guid.Data2) << 16) | guid.Data3;
        std::uint64_t high = 0;
        for (int i = 0; i < 8; ++i)
            high = (high << 8) | guid.Data4[i];
        return std::hash<std::uint64_t>()(low * 0x9E3779B97F4A7C15ull ^ high);
    }
};

// Win32-shaped text conversions. StringFromCLSID and StringFromIID allocate the text
// with CoTaskMemAlloc; the caller frees it with CoTaskMemFree.
HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text);
HRESULT StringFromIID(REFIID iid, LPOLESTR* text);
// Writes the text with its NUL into `buffer`; returns the characters written
// including the NUL (39), or 0 when the buffer is too small.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int bufferLength);
// Accepts the braced form, or a ProgID registered under HKEY_CLASSES_ROOT;
// CO_E_CLASSSTRING when it is neither.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
// Braced form only; E_INVALIDARG when malformed.
HRESULT IIDFromString(LPCOLESTR text, IID* iid);

// A new random (version 4) identifier from the system's random source.
HRESULT CoCreateGuid(GUID* guid);
