#pragma once

// The integer and character types the system is written in. Sizes are those of the
// original platform: 32-bit DWORD/LONG/BOOL/HRESULT whatever the host's `long` is, and
// 16-bit UTF-16 code units for WCHAR (never wchar_t, which is 32 bits here).

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using INT = std::int32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using VARIANT_BOOL = std::int16_t;

using CHAR = char;
using WCHAR = char16_t;
using OLECHAR = char16_t;

using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// Marks the few symbols a module exports (its COM entry points); everything else is
// built with hidden visibility.
#define LEAF_EXPORT __attribute__((visibility("default")))

// The C-linkage exports of a module.
#define LEAF_EXPORT_C extern "C" LEAF_EXPORT
