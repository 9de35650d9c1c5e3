#pragma once

// Classifies the characters of a line of text for the scanner's bulk text loop: up to
// 64 characters at a time become three bit masks (word characters, word-internal
// characters, and '&', '<' and '>', where the loop must stop), so that words are found from
// their first to their last character with bit scans instead of one character at a time.
// The default character classes apply (MarkupTables.h). SSE2 classifies sixteen characters
// at a time where the compiler targets it; elsewhere a portable loop does the same.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "markup/MarkupTables.h"

namespace leaf::markup {

// Bit i stands for character i of the window; bits from count on are clear.
struct TextMasks {
    std::uint64_t word = 0;
    std::uint64_t internal = 0;
    std::uint64_t stop = 0;
    unsigned count = 0;  // characters classified
};

// The most characters one window holds: one bit each in a 64-bit mask.
inline constexpr unsigned kTextWindow = 64;

namespace detail {

// Characters classified in one step.
inline constexpr unsigned kTextPart = 16;

// The masks of kTextPart characters.
struct PartMasks {
    unsigned word = 0, internal = 0, stop = 0;
};

inline int DefaultClass(char ch) { return ByteCharClass(static_cast<unsigned char>(ch)); }
inline int DefaultClass(char16_t ch) { return Utf16CharClass(ch); }

template <typename Ch>
PartMasks ClassifyPartOneByOne(const Ch* text) {
    PartMasks masks;
    for (unsigned i = 0; i < kTextPart; ++i) {
        const Ch ch = text[i];
        if (ch == '&' || ch == '<' || ch == '>') {
            masks.stop |= 1u << i;
            continue;
        }
        const int charClass = DefaultClass(ch);
        if (charClass == kWordChar) {
            masks.word |= 1u << i;
        } else if (charClass == kWordInternalChar) {
            masks.internal |= 1u << i;
        }
    }
    return masks;
}

#if defined(__SSE2__)
// Sixteen bytes: ASCII as the byte table has it, and every byte from 0x80 up a word
// character, as in the byte build's table.
[[gnu::always_inline]] inline PartMasks ClassifyBytes16(__m128i bytes) {
    // x - lo <= hi - lo, unsigned: min(x - lo, hi - lo) == x - lo.
    const auto inRange = [](__m128i x, char low, char high) {
        const __m128i offset = _mm_sub_epi8(x, _mm_set1_epi8(low));
        return _mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(static_cast<char>(high - low))), offset);
    };
    const __m128i digit = inRange(bytes, '0', '9');
    const __m128i letter = inRange(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), 'a', 'z');
    const auto equals = [&](char ch) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(ch)); };
    const __m128i internal = _mm_or_si128(_mm_or_si128(equals('\''), equals('-')), _mm_or_si128(equals('_'), equals('`')));
    const __m128i stop = _mm_or_si128(_mm_or_si128(equals('&'), equals('<')), equals('>'));
    return {static_cast<unsigned>(_mm_movemask_epi8(bytes) | _mm_movemask_epi8(_mm_or_si128(digit, letter))),
            static_cast<unsigned>(_mm_movemask_epi8(internal)), static_cast<unsigned>(_mm_movemask_epi8(stop))};
}
#endif

[[gnu::always_inline]] inline PartMasks ClassifyPart(const char* text) {
#if defined(__SSE2__)
    return ClassifyBytes16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text)));
#else
    return ClassifyPartOneByOne(text);
#endif
}

[[gnu::always_inline]] inline PartMasks ClassifyPart(const char16_t* text) {
#if defined(__SSE2__)
    const auto* units = reinterpret_cast<const __m128i*>(text);
    const __m128i low = _mm_loadu_si128(units);
    const __m128i high = _mm_loadu_si128(units + 1);
    const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i ascii = _mm_packs_epi16(_mm_cmpeq_epi16(_mm_and_si128(low, nonAscii), _mm_setzero_si128()),
                                          _mm_cmpeq_epi16(_mm_and_si128(high, nonAscii), _mm_setzero_si128()));
    // ASCII units narrowed to bytes (the others to their low seven bits, masked off below).
    const __m128i seven = _mm_set1_epi16(0x7F);
    const __m128i bytes = _mm_packus_epi16(_mm_and_si128(low, seven), _mm_and_si128(high, seven));
    const unsigned asciiBits = static_cast<unsigned>(_mm_movemask_epi8(ascii));
    PartMasks masks = ClassifyBytes16(bytes);
    masks.word &= asciiBits;
    masks.internal &= asciiBits;
    masks.stop &= asciiBits;
    // Units from U+0080 up are classed by the table.
    for (unsigned other = ~asciiBits & 0xFFFF; other != 0; other &= other - 1) {
        const int i = __builtin_ctz(other);
        const int charClass = Utf16CharClass(text[i]);
        if (charClass == kWordChar) {
            masks.word |= 1u << i;
        } else if (charClass == kWordInternalChar) {
            masks.internal |= 1u << i;
        }
    }
    return masks;
#else
    return ClassifyPartOneByOne(text);
#endif
}

}  // namespace detail

// Classifies line[from, size) from `from` on, kTextPart characters at a time, up to the end
// of the first part that holds a stop character, the end of the line or kTextWindow
// characters, whichever comes first; from < size. Only characters of the line are read.
template <typename Ch>
[[gnu::always_inline]] inline TextMasks ClassifyTextWindow(const Ch* line, size_t from, size_t size) {
    using detail::kTextPart;
    TextMasks masks;
    for (;;) {
        const size_t at = from + masks.count;
        const size_t rest = size - at;
        detail::PartMasks part;
        unsigned taken = kTextPart;
        if (rest >= kTextPart) {
            part = detail::ClassifyPart(line + at);
        } else {
            taken = static_cast<unsigned>(rest);
            if (size >= kTextPart) {
                // The last kTextPart characters of the line, shifted down to the ones wanted.
                part = detail::ClassifyPart(line + size - kTextPart);
                const unsigned shift = kTextPart - taken;
                part.word >>= shift;
                part.internal >>= shift;
                part.stop >>= shift;
            } else {
                // A line shorter than one part: a copy padded with NULs (separators).
                Ch padded[kTextPart] = {};
                std::copy(line + at, line + size, padded);
                part = detail::ClassifyPart(padded);
            }
        }
        masks.word |= std::uint64_t(part.word) << masks.count;
        masks.internal |= std::uint64_t(part.internal) << masks.count;
        masks.stop |= std::uint64_t(part.stop) << masks.count;
        masks.count += taken;
        if (part.stop != 0 || taken < kTextPart || masks.count == kTextWindow) {
            return masks;
        }
    }
}

}  // namespace leaf::markup
