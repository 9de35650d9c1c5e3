#include "markup/MarkupTables.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace leaf::markup {
namespace {

// ---- character classes ----

constexpr std::array<BYTE, 256> MakeByteClasses() {
    std::array<BYTE, 256> classes{};
    for (int i = 0; i < 256; ++i) {
        classes[i] = kSeparator;
    }
    for (int ch = '0'; ch <= '9'; ++ch) classes[ch] = kWordChar;
    for (int ch = 'A'; ch <= 'Z'; ++ch) classes[ch] = kWordChar;
    for (int ch = 'a'; ch <= 'z'; ++ch) classes[ch] = kWordChar;
    for (int ch = 0x80; ch <= 0xFF; ++ch) classes[ch] = kWordChar;
    classes['\''] = kWordInternalChar;
    classes['-'] = kWordInternalChar;
    classes['_'] = kWordInternalChar;
    classes['`'] = kWordInternalChar;
    return classes;
}

constexpr std::array<BYTE, 256> kByteClassArray = MakeByteClasses();

struct CodeRange {
    char16_t first;
    char16_t last;
};

// Letters (L*), marks (M*) and decimal and letter numbers (Nd, Nl) from U+0080 to U+FFFF,
// taken from the Unicode 14 character database.
constexpr CodeRange kWordRanges[] = {
    {0x00AA, 0x00AA}, {0x00B5, 0x00B5}, {0x00BA, 0x00BA}, {0x00C0, 0x00D6}, {0x00D8, 0x00F6},
    {0x00F8, 0x02C1}, {0x02C6, 0x02D1}, {0x02E0, 0x02E4}, {0x02EC, 0x02EC}, {0x02EE, 0x02EE},
    {0x0300, 0x0374}, {0x0376, 0x0377}, {0x037A, 0x037D}, {0x037F, 0x037F}, {0x0386, 0x0386},
    {0x0388, 0x038A}, {0x038C, 0x038C}, {0x038E, 0x03A1}, {0x03A3, 0x03F5}, {0x03F7, 0x0481},
    {0x0483, 0x052F}, {0x0531, 0x0556}, {0x0559, 0x0559}, {0x0560, 0x0588}, {0x0591, 0x05BD},
    {0x05BF, 0x05BF}, {0x05C1, 0x05C2}, {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x05D0, 0x05EA},
    {0x05EF, 0x05F2}, {0x0610, 0x061A}, {0x0620, 0x0669}, {0x066E, 0x06D3}, {0x06D5, 0x06DC},
    {0x06DF, 0x06E8}, {0x06EA, 0x06FC}, {0x06FF, 0x06FF}, {0x0710, 0x074A}, {0x074D, 0x07B1},
    {0x07C0, 0x07F5}, {0x07FA, 0x07FA}, {0x07FD, 0x07FD}, {0x0800, 0x082D}, {0x0840, 0x085B},
    {0x0860, 0x086A}, {0x0870, 0x0887}, {0x0889, 0x088E}, {0x0898, 0x08E1}, {0x08E3, 0x0963},
    {0x0966, 0x096F}, {0x0971, 0x0983}, {0x0985, 0x098C}, {0x098F, 0x0990}, {0x0993, 0x09A8},
    {0x09AA, 0x09B0}, {0x09B2, 0x09B2}, {0x09B6, 0x09B9}, {0x09BC, 0x09C4}, {0x09C7, 0x09C8},
    {0x09CB, 0x09CE}, {0x09D7, 0x09D7}, {0x09DC, 0x09DD}, {0x09DF, 0x09E3}, {0x09E6, 0x09F1},
    {0x09FC, 0x09FC}, {0x09FE, 0x09FE}, {0x0A01, 0x0A03}, {0x0A05, 0x0A0A}, {0x0A0F, 0x0A10},
    {0x0A13, 0x0A28}, {0x0A2A, 0x0A30}, {0x0A32, 0x0A33}, {0x0A35, 0x0A36}, {0x0A38, 0x0A39},
    {0x0A3C, 0x0A3C}, {0x0A3E, 0x0A42}, {0x0A47, 0x0A48}, {0x0A4B, 0x0A4D}, {0x0A51, 0x0A51},
    {0x0A59, 0x0A5C}, {0x0A5E, 0x0A5E}, {0x0A66, 0x0A75}, {0x0A81, 0x0A83}, {0x0A85, 0x0A8D},
    {0x0A8F, 0x0A91}, {0x0A93, 0x0AA8}, {0x0AAA, 0x0AB0}, {0x0AB2, 0x0AB3}, {0x0AB5, 0x0AB9},
    {0x0ABC, 0x0AC5}, {0x0AC7, 0x0AC9}, {0x0ACB, 0x0ACD}, {0x0AD0, 0x0AD0}, {0x0AE0, 0x0AE3},
    {0x0AE6, 0x0AEF}, {0x0AF9, 0x0AFF}, {0x0B01, 0x0B03}, {0x0B05, 0x0B0C}, {0x0B0F, 0x0B10},
    {0x0B13, 0x0B28}, {0x0B2A, 0x0B30}, {0x0B32, 0x0B33}, {0x0B35, 0x0B39}, {0x0B3C, 0x0B44},
    {0x0B47, 0x0B48}, {0x0B4B, 0x0B4D}, {0x0B55, 0x0B57}, {0x0B5C, 0x0B5D}, {0x0B5F, 0x0B63},
    {0x0B66, 0x0B6F}, {0x0B71, 0x0B71}, {0x0B82, 0x0B83}, {0x0B85, 0x0B8A}, {0x0B8E, 0x0B90},
    {0x0B92, 0x0B95}, {0x0B99, 0x0B9A}, {0x0B9C, 0x0B9C}, {0x0B9E, 0x0B9F}, {0x0BA3, 0x0BA4},
    {0x0BA8, 0x0BAA}, {0x0BAE, 0x0BB9}, {0x0BBE, 0x0BC2}, {0x0BC6, 0x0BC8}, {0x0BCA, 0x0BCD},
    {0x0BD0, 0x0BD0}, {0x0BD7, 0x0BD7}, {0x0BE6, 0x0BEF}, {0x0C00, 0x0C0C}, {0x0C0E, 0x0C10},
    {0x0C12, 0x0C28}, {0x0C2A, 0x0C39}, {0x0C3C, 0x0C44}, {0x0C46, 0x0C48}, {0x0C4A, 0x0C4D},
    {0x0C55, 0x0C56}, {0x0C58, 0x0C5A}, {0x0C5D, 0x0C5D}, {0x0C60, 0x0C63}, {0x0C66, 0x0C6F},
    {0x0C80, 0x0C83}, {0x0C85, 0x0C8C}, {0x0C8E, 0x0C90}, {0x0C92, 0x0CA8}, {0x0CAA, 0x0CB3},
    {0x0CB5, 0x0CB9}, {0x0CBC, 0x0CC4}, {0x0CC6, 0x0CC8}, {0x0CCA, 0x0CCD}, {0x0CD5, 0x0CD6},
    {0x0CDD, 0x0CDE}, {0x0CE0, 0x0CE3}, {0x0CE6, 0x0CEF}, {0x0CF1, 0x0CF2}, {0x0D00, 0x0D0C},
    {0x0D0E, 0x0D10}, {0x0D12, 0x0D44}, {0x0D46, 0x0D48}, {0x0D4A, 0x0D4E}, {0x0D54, 0x0D57},
    {0x0D5F, 0x0D63}, {0x0D66, 0x0D6F}, {0x0D7A, 0x0D7F}, {0x0D81, 0x0D83}, {0x0D85, 0x0D96},
    {0x0D9A, 0x0DB1}, {0x0DB3, 0x0DBB}, {0x0DBD, 0x0DBD}, {0x0DC0, 0x0DC6}, {0x0DCA, 0x0DCA},
    {0x0DCF, 0x0DD4}, {0x0DD6, 0x0DD6}, {0x0DD8, 0x0DDF}, {0x0DE6, 0x0DEF}, {0x0DF2, 0x0DF3},
    {0x0E01, 0x0E3A}, {0x0E40, 0x0E4E}, {0x0E50, 0x0E59}, {0x0E81, 0x0E82}, {0x0E84, 0x0E84},
    {0x0E86, 0x0E8A}, {0x0E8C, 0x0EA3}, {0x0EA5, 0x0EA5}, {0x0EA7, 0x0EBD}, {0x0EC0, 0x0EC4},
    {0x0EC6, 0x0EC6}, {0x0EC8, 0x0ECD}, {0x0ED0, 0x0ED9}, {0x0EDC, 0x0EDF}, {0x0F00, 0x0F00},
    {0x0F18, 0x0F19}, {0x0F20, 0x0F29}, {0x0F35, 0x0F35}, {0x0F37, 0x0F37}, {0x0F39, 0x0F39},
    {0x0F3E, 0x0F47}, {0x0F49, 0x0F6C}, {0x0F71, 0x0F84}, {0x0F86, 0x0F97}, {0x0F99, 0x0FBC},
    {0x0FC6, 0x0FC6}, {0x1000, 0x1049}, {0x1050, 0x109D}, {0x10A0, 0x10C5}, {0x10C7, 0x10C7},
    {0x10CD, 0x10CD}, {0x10D0, 0x10FA}, {0x10FC, 0x1248}, {0x124A, 0x124D}, {0x1250, 0x1256},
    {0x1258, 0x1258}, {0x125A, 0x125D}, {0x1260, 0x1288}, {0x128A, 0x128D}, {0x1290, 0x12B0},
    {0x12B2, 0x12B5}, {0x12B8, 0x12BE}, {0x12C0, 0x12C0}, {0x12C2, 0x12C5}, {0x12C8, 0x12D6},
    {0x12D8, 0x1310}, {0x1312, 0x1315}, {0x1318, 0x135A}, {0x135D, 0x135F}, {0x1380, 0x138F},
    {0x13A0, 0x13F5}, {0x13F8, 0x13FD}, {0x1401, 0x166C}, {0x166F, 0x167F}, {0x1681, 0x169A},
    {0x16A0, 0x16EA}, {0x16EE, 0x16F8}, {0x1700, 0x1715}, {0x171F, 0x1734}, {0x1740, 0x1753},
    {0x1760, 0x176C}, {0x176E, 0x1770}, {0x1772, 0x1773}, {0x1780, 0x17D3}, {0x17D7, 0x17D7},
    {0x17DC, 0x17DD}, {0x17E0, 0x17E9}, {0x180B, 0x180D}, {0x180F, 0x1819}, {0x1820, 0x1878},
    {0x1880, 0x18AA}, {0x18B0, 0x18F5}, {0x1900, 0x191E}, {0x1920, 0x192B}, {0x1930, 0x193B},
    {0x1946, 0x196D}, {0x1970, 0x1974}, {0x1980, 0x19AB}, {0x19B0, 0x19C9}, {0x19D0, 0x19D9},
    {0x1A00, 0x1A1B}, {0x1A20, 0x1A5E}, {0x1A60, 0x1A7C}, {0x1A7F, 0x1A89}, {0x1A90, 0x1A99},
    {0x1AA7, 0x1AA7}, {0x1AB0, 0x1ACE}, {0x1B00, 0x1B4C}, {0x1B50, 0x1B59}, {0x1B6B, 0x1B73},
    {0x1B80, 0x1BF3}, {0x1C00, 0x1C37}, {0x1C40, 0x1C49}, {0x1C4D, 0x1C7D}, {0x1C80, 0x1C88},
    {0x1C90, 0x1CBA}, {0x1CBD, 0x1CBF}, {0x1CD0, 0x1CD2}, {0x1CD4, 0x1CFA}, {0x1D00, 0x1F15},
    {0x1F18, 0x1F1D}, {0x1F20, 0x1F45}, {0x1F48, 0x1F4D}, {0x1F50, 0x1F57}, {0x1F59, 0x1F59},
    {0x1F5B, 0x1F5B}, {0x1F5D, 0x1F5D}, {0x1F5F, 0x1F7D}, {0x1F80, 0x1FB4}, {0x1FB6, 0x1FBC},
    {0x1FBE, 0x1FBE}, {0x1FC2, 0x1FC4}, {0x1FC6, 0x1FCC}, {0x1FD0, 0x1FD3}, {0x1FD6, 0x1FDB},
    {0x1FE0, 0x1FEC}, {0x1FF2, 0x1FF4}, {0x1FF6, 0x1FFC}, {0x2071, 0x2071}, {0x207F, 0x207F},
    {0x2090, 0x209C}, {0x20D0, 0x20F0}, {0x2102, 0x2102}, {0x2107, 0x2107}, {0x210A, 0x2113},
    {0x2115, 0x2115}, {0x2119, 0x211D}, {0x2124, 0x2124}, {0x2126, 0x2126}, {0x2128, 0x2128},
    {0x212A, 0x212D}, {0x212F, 0x2139}, {0x213C, 0x213F}, {0x2145, 0x2149}, {0x214E, 0x214E},
    {0x2160, 0x2188}, {0x2C00, 0x2CE4}, {0x2CEB, 0x2CF3}, {0x2D00, 0x2D25}, {0x2D27, 0x2D27},
    {0x2D2D, 0x2D2D}, {0x2D30, 0x2D67}, {0x2D6F, 0x2D6F}, {0x2D7F, 0x2D96}, {0x2DA0, 0x2DA6},
    {0x2DA8, 0x2DAE}, {0x2DB0, 0x2DB6}, {0x2DB8, 0x2DBE}, {0x2DC0, 0x2DC6}, {0x2DC8, 0x2DCE},
    {0x2DD0, 0x2DD6}, {0x2DD8, 0x2DDE}, {0x2DE0, 0x2DFF}, {0x2E2F, 0x2E2F}, {0x3005, 0x3007},
    {0x3021, 0x302F}, {0x3031, 0x3035}, {0x3038, 0x303C}, {0x3041, 0x3096}, {0x3099, 0x309A},
    {0x309D, 0x309F}, {0x30A1, 0x30FA}, {0x30FC, 0x30FF}, {0x3105, 0x312F}, {0x3131, 0x318E},
    {0x31A0, 0x31BF}, {0x31F0, 0x31FF}, {0x3400, 0x4DBF}, {0x4E00, 0xA48C}, {0xA4D0, 0xA4FD},
    {0xA500, 0xA60C}, {0xA610, 0xA62B}, {0xA640, 0xA672}, {0xA674, 0xA67D}, {0xA67F, 0xA6F1},
    {0xA717, 0xA71F}, {0xA722, 0xA788}, {0xA78B, 0xA7CA}, {0xA7D0, 0xA7D1}, {0xA7D3, 0xA7D3},
    {0xA7D5, 0xA7D9}, {0xA7F2, 0xA827}, {0xA82C, 0xA82C}, {0xA840, 0xA873}, {0xA880, 0xA8C5},
    {0xA8D0, 0xA8D9}, {0xA8E0, 0xA8F7}, {0xA8FB, 0xA8FB}, {0xA8FD, 0xA92D}, {0xA930, 0xA953},
    {0xA960, 0xA97C}, {0xA980, 0xA9C0}, {0xA9CF, 0xA9D9}, {0xA9E0, 0xA9FE}, {0xAA00, 0xAA36},
    {0xAA40, 0xAA4D}, {0xAA50, 0xAA59}, {0xAA60, 0xAA76}, {0xAA7A, 0xAAC2}, {0xAADB, 0xAADD},
    {0xAAE0, 0xAAEF}, {0xAAF2, 0xAAF6}, {0xAB01, 0xAB06}, {0xAB09, 0xAB0E}, {0xAB11, 0xAB16},
    {0xAB20, 0xAB26}, {0xAB28, 0xAB2E}, {0xAB30, 0xAB5A}, {0xAB5C, 0xAB69}, {0xAB70, 0xABEA},
    {0xABEC, 0xABED}, {0xABF0, 0xABF9}, {0xAC00, 0xD7A3}, {0xD7B0, 0xD7C6}, {0xD7CB, 0xD7FB},
    {0xF900, 0xFA6D}, {0xFA70, 0xFAD9}, {0xFB00, 0xFB06}, {0xFB13, 0xFB17}, {0xFB1D, 0xFB28},
    {0xFB2A, 0xFB36}, {0xFB38, 0xFB3C}, {0xFB3E, 0xFB3E}, {0xFB40, 0xFB41}, {0xFB43, 0xFB44},
    {0xFB46, 0xFBB1}, {0xFBD3, 0xFD3D}, {0xFD50, 0xFD8F}, {0xFD92, 0xFDC7}, {0xFDF0, 0xFDFB},
    {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFE70, 0xFE74}, {0xFE76, 0xFEFC}, {0xFF10, 0xFF19},
    {0xFF21, 0xFF3A}, {0xFF41, 0xFF5A}, {0xFF66, 0xFFBE}, {0xFFC2, 0xFFC7}, {0xFFCA, 0xFFCF},
    {0xFFD2, 0xFFD7}, {0xFFDA, 0xFFDC},
};

constexpr std::array<BYTE, 65536> MakeUtf16Classes() {
    std::array<BYTE, 65536> classes{};
    for (int i = 0; i < 0x80; ++i) {
        classes[i] = kByteClassArray[i];
    }
    for (int i = 0x80; i < 0x10000; ++i) {
        classes[i] = kSeparator;
    }
    for (const CodeRange& range : kWordRanges) {
        for (int code = range.first; code <= range.last; ++code) {
            classes[code] = kWordChar;
        }
    }
    for (int code = 0xD800; code <= 0xDFFF; ++code) {
        classes[code] = kWordChar;
    }
    classes[0x91] = kWordInternalChar;
    classes[0x92] = kWordInternalChar;
    classes[0xB4] = kWordInternalChar;
    classes[0x2018] = kWordInternalChar;
    classes[0x2019] = kWordInternalChar;
    return classes;
}

// ---- names looked up without regard to case ----

struct TagFlagRow {
    std::string_view name;
    DWORD value;
};

constexpr TagFlagRow kTagFlagRows[] = {
    {"!doctype", 0x1C5}, {"?xml", 0x1C5},     {"a", 0x000},          {"acronym", 0x022},
    {"address", 0x1A1},  {"applet", 0x081},   {"area", 0x084},       {"b", 0x022},
    {"base", 0x0C5},     {"basefont", 0x0C5}, {"bgsound", 0x0CD},    {"big", 0x022},
    {"blockquote", 0x1A1}, {"body", 0x081},   {"br", 0x184},         {"button", 0x181},
    {"caption", 0x081},  {"center", 0x1A1},   {"cite", 0x022},       {"code", 0x022},
    {"col", 0x084},      {"colgroup", 0x098}, {"comment", 0x000},    {"dd", 0x199},
    {"del", 0x020},      {"dfn", 0x020},      {"dir", 0x0A1},        {"div", 0x1A1},
    {"dl", 0x1A1},       {"dt", 0x199},       {"em", 0x022},         {"embed", 0x181},
    {"fieldset", 0x1A0}, {"font", 0x022},     {"form", 0x181},       {"frame", 0x085},
    {"frameset", 0x081}, {"h1", 0x1A1},       {"h2", 0x1A1},         {"h3", 0x1A1},
    {"h4", 0x1A1},       {"h5", 0x1A1},       {"h6", 0x1A1},         {"head", 0x080},
    {"hr", 0x185},       {"html", 0x080},     {"i", 0x022},          {"iframe", 0x181},
    {"img", 0x184},      {"input", 0x198},    {"ins", 0x020},        {"kbd", 0x022},
    {"label", 0x020},    {"legend", 0x081},   {"li", 0x189},         {"link", 0x0CD},
    {"listing", 0x021},  {"map", 0x0A0},      {"marquee", 0x1B8},    {"menu", 0x0A1},
    {"meta", 0x0CD},     {"nobr", 0x008},     {"noembed", 0x081},    {"noframes", 0x081},
    {"noscript", 0x081}, {"object", 0x081},   {"ol", 0x1A1},         {"option", 0x199},
    {"p", 0x199},        {"param", 0x084},    {"plaintext", 0x081},  {"pre", 0x021},
    {"q", 0x022},        {"s", 0x022},        {"samp", 0x022},       {"script", 0x081},
    {"select", 0x180},   {"small", 0x022},    {"span", 0x022},       {"strike", 0x022},
    {"strong", 0x022},   {"style", 0x080},    {"sub", 0x022},        {"sup", 0x022},
    {"table", 0x1A1},    {"tbody", 0x089},    {"td", 0x081},         {"textarea", 0x181},
    {"tfoot", 0x089},    {"th", 0x181},       {"thead", 0x089},      {"title", 0x1C1},
    {"tr", 0x081},       {"tt", 0x022},       {"u", 0x022},          {"ul", 0x1A1},
    {"var", 0x022},      {"wbr", 0x18C},      {"xmp", 0x181},
};
static_assert(std::size(kTagFlagRows) == 99);

struct ContextRow {
    std::string_view name;
    WORD value;
};

constexpr ContextRow kContextRows[] = {
    {"applet", 0x0020}, {"body", 0x0000},   {"comment", 0x0100}, {"del", 0x0200},   {"embed", 0x0040},
    {"head", 0x0004},   {"object", 0x0080}, {"script", 0x0010},  {"style", 0x0008}, {"title", 0x0001},
};

// Tags are looked up for every tag of every file: an open-addressing hash table over the
// lower-cased names, built at compile time.
constexpr size_t kMaxTagNameLength = 10;
constexpr size_t kTagSlots = 256;

// A lower-cased name of at most kMaxTagNameLength characters, packed into two integers
// (its first eight characters and the rest, little-endian), so that a probe compares two
// integers.
struct PackedTagName {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
};

constexpr size_t TagHash(PackedTagName name, size_t length) {
    return static_cast<size_t>(((name.head ^ (name.tail << 7) ^ length) * 0x9E3779B97F4A7C15ull) >> 56) %
           kTagSlots;
}

struct TagTable {
    TagInfo infos[std::size(kTagFlagRows)]{};
    PackedTagName names[std::size(kTagFlagRows)]{};
    BYTE lengths[std::size(kTagFlagRows)]{};
    BYTE slots[kTagSlots]{};  // row index + 1; 0 is an empty slot

    constexpr TagTable() {
        for (size_t row = 0; row < std::size(kTagFlagRows); ++row) {
            const std::string_view name = kTagFlagRows[row].name;
            infos[row].flags = kTagFlagRows[row].value;
            for (const ContextRow& context : kContextRows) {
                if (context.name == name) {
                    infos[row].contextBit = context.value;
                    infos[row].isContext = true;
                }
            }
            for (size_t i = 0; i < name.size(); ++i) {
                std::uint64_t& word = i < 8 ? names[row].head : names[row].tail;
                word |= std::uint64_t(static_cast<unsigned char>(name[i])) << (8 * (i % 8));
            }
            lengths[row] = static_cast<BYTE>(name.size());
            size_t slot = TagHash(names[row], name.size());
            while (slots[slot] != 0) {
                slot = (slot + 1) % kTagSlots;
            }
            slots[slot] = static_cast<BYTE>(row + 1);
        }
    }

    template <typename Ch>
    const TagInfo* Find(std::basic_string_view<Ch> tagName) const {
        const size_t length = tagName.size();
        if (length == 0 || length > kMaxTagNameLength) {
            return nullptr;
        }
        // Packed without a test per character: a name holding a character outside ASCII
        // is refused once packed, and one holding a NUL packs like no name of its length,
        // since no name in the table holds one.
        PackedTagName packed;
        unsigned seen = 0;
        for (size_t i = 0; i < length; ++i) {
            const unsigned code = static_cast<std::make_unsigned_t<Ch>>(tagName[i]);
            seen |= code;
            const std::uint64_t lower = code | (code - 'A' < 26u ? 0x20u : 0u);
            (i < 8 ? packed.head : packed.tail) |= (lower & 0xFF) << (8 * (i % 8));
        }
        if (seen >= 0x80) {
            return nullptr;
        }
        for (size_t slot = TagHash(packed, length); slots[slot] != 0; slot = (slot + 1) % kTagSlots) {
            const size_t row = slots[slot] - 1;
            if (names[row].head == packed.head && names[row].tail == packed.tail && lengths[row] == length) {
                return &infos[row];
            }
        }
        return nullptr;
    }
};

constexpr TagTable kTags;

constexpr RawContentTag kRawContentTags[] = {
    {"title", 0x0001}, {"style", 0x0008},  {"script", 0x0010}, {"applet", 0x0020},
    {"embed", 0x0040}, {"object", 0x0080}, {"comment", 0x0100},
};

struct EntityRow {
    std::string_view name;
    char32_t value;
};

// The character entity references of HTML 4.01 and a few further names (case-sensitive).
constexpr EntityRow kEntityRows[] = {
    {"AElig", 198}, {"AMP", 38}, {"APOS", 39}, {"Aacute", 193}, {"Acirc", 194}, {"Agrave", 192},
    {"Alpha", 913}, {"Aring", 197}, {"Atilde", 195}, {"Auml", 196}, {"Beta", 914}, {"COPY", 169},
    {"Ccedil", 199}, {"Chi", 935}, {"Dagger", 8225}, {"Delta", 916}, {"ETH", 208}, {"Eacute", 201},
    {"Ecirc", 202}, {"Egrave", 200}, {"Epsilon", 917}, {"Eta", 919}, {"Euml", 203}, {"GT", 62},
    {"Gamma", 915}, {"Iacute", 205}, {"Icirc", 206}, {"Igrave", 204}, {"Iota", 921}, {"Iuml", 207},
    {"Kappa", 922}, {"LT", 60}, {"Lambda", 923}, {"Mu", 924}, {"Ntilde", 209}, {"Nu", 925},
    {"OElig", 338}, {"Oacute", 211}, {"Ocirc", 212}, {"Ograve", 210}, {"Omega", 937},
    {"Omicron", 927}, {"Oslash", 216}, {"Otilde", 213}, {"Ouml", 214}, {"Phi", 934}, {"Pi", 928},
    {"Prime", 8243}, {"Psi", 936}, {"QUOT", 34}, {"REG", 174}, {"Rho", 929}, {"Scaron", 352},
    {"Sigma", 931}, {"THORN", 222}, {"TRADE", 8482}, {"Tau", 932}, {"Theta", 920}, {"Uacute", 218},
    {"Ucirc", 219}, {"Ugrave", 217}, {"Upsilon", 933}, {"Uuml", 220}, {"Xi", 926}, {"Yacute", 221},
    {"Yuml", 376}, {"Zeta", 918}, {"aacute", 225}, {"acirc", 226}, {"acute", 180}, {"aelig", 230},
    {"agrave", 224}, {"alefsym", 8501}, {"alpha", 945}, {"amp", 38}, {"and", 8743}, {"ang", 8736},
    {"apos", 39}, {"aring", 229}, {"asymp", 8776}, {"atilde", 227}, {"auml", 228}, {"bdquo", 8222},
    {"beta", 946}, {"brkbar", 166}, {"brvbar", 166}, {"bull", 8226}, {"cap", 8745}, {"ccedil", 231},
    {"cedil", 184}, {"cent", 162}, {"chi", 967}, {"circ", 710}, {"clubs", 9827}, {"cong", 8773},
    {"copy", 169}, {"crarr", 8629}, {"cup", 8746}, {"curren", 164}, {"dArr", 8659},
    {"dagger", 8224}, {"darr", 8595}, {"deg", 176}, {"delta", 948}, {"diams", 9830}, {"die", 168},
    {"divide", 247}, {"eacute", 233}, {"ecirc", 234}, {"egrave", 232}, {"empty", 8709},
    {"emsp", 8195}, {"ensp", 8194}, {"epsilon", 949}, {"equiv", 8801}, {"eta", 951}, {"eth", 240},
    {"euml", 235}, {"euro", 8364}, {"exist", 8707}, {"fnof", 402}, {"forall", 8704},
    {"frac12", 189}, {"frac14", 188}, {"frac34", 190}, {"frasl", 8260}, {"gamma", 947},
    {"ge", 8805}, {"gt", 62}, {"hArr", 8660}, {"harr", 8596}, {"hearts", 9829}, {"hellip", 8230},
    {"hibar", 175}, {"iacute", 237}, {"icirc", 238}, {"iexcl", 161}, {"igrave", 236},
    {"image", 8465}, {"infin", 8734}, {"int", 8747}, {"iota", 953}, {"iquest", 191}, {"isin", 8712},
    {"iuml", 239}, {"kappa", 954}, {"lArr", 8656}, {"lambda", 955}, {"lang", 9001}, {"laquo", 171},
    {"larr", 8592}, {"lceil", 8968}, {"ldquo", 8220}, {"le", 8804}, {"lfloor", 8970},
    {"lowast", 8727}, {"loz", 9674}, {"lrm", 8206}, {"lsaquo", 8249}, {"lsquo", 8216}, {"lt", 60},
    {"macr", 175}, {"mdash", 8212}, {"micro", 181}, {"middot", 183}, {"minus", 8722}, {"mu", 956},
    {"nabla", 8711}, {"nbsp", 160}, {"ndash", 8211}, {"ne", 8800}, {"ni", 8715}, {"not", 172},
    {"notin", 8713}, {"nsub", 8836}, {"ntilde", 241}, {"nu", 957}, {"oacute", 243}, {"ocirc", 244},
    {"oelig", 339}, {"ograve", 242}, {"oline", 8254}, {"omega", 969}, {"omicron", 959},
    {"oplus", 8853}, {"or", 8744}, {"ordf", 170}, {"ordm", 186}, {"oslash", 248}, {"otilde", 245},
    {"otimes", 8855}, {"ouml", 246}, {"para", 182}, {"part", 8706}, {"permil", 8240},
    {"perp", 8869}, {"phi", 966}, {"pi", 960}, {"piv", 982}, {"plusmn", 177}, {"pound", 163},
    {"prime", 8242}, {"prod", 8719}, {"prop", 8733}, {"psi", 968}, {"quot", 34}, {"rArr", 8658},
    {"radic", 8730}, {"rang", 9002}, {"raquo", 187}, {"rarr", 8594}, {"rceil", 8969},
    {"rdquo", 8221}, {"real", 8476}, {"reg", 174}, {"rfloor", 8971}, {"rho", 961}, {"rlm", 8207},
    {"rsaquo", 8250}, {"rsquo", 8217}, {"sbquo", 8218}, {"scaron", 353}, {"sdot", 8901},
    {"sect", 167}, {"shy", 173}, {"sigma", 963}, {"sigmaf", 962}, {"sim", 8764}, {"spades", 9824},
    {"sub", 8834}, {"sube", 8838}, {"sum", 8721}, {"sup", 8835}, {"sup1", 185}, {"sup2", 178},
    {"sup3", 179}, {"supe", 8839}, {"szlig", 223}, {"tau", 964}, {"there4", 8756}, {"theta", 952},
    {"thetasym", 977}, {"thinsp", 8201}, {"thorn", 254}, {"tilde", 732}, {"times", 215},
    {"trade", 8482}, {"uArr", 8657}, {"uacute", 250}, {"uarr", 8593}, {"ucirc", 251},
    {"ugrave", 249}, {"uml", 168}, {"upsih", 978}, {"upsilon", 965}, {"uuml", 252},
    {"weierp", 8472}, {"xi", 958}, {"yacute", 253}, {"yen", 165}, {"yuml", 255}, {"zeta", 950},
    {"zwj", 8205}, {"zwnj", 8204},
};
static_assert(std::size(kEntityRows) == 264);

// Entity names are looked up for every reference in text: an open-addressing hash table
// over the names packed little-endian into one integer (none is longer than eight
// characters), built at compile time.
constexpr size_t kEntitySlots = 1024;

constexpr size_t EntityHash(std::uint64_t packedName) {
    return static_cast<size_t>((packedName * 0x9E3779B97F4A7C15ull) >> 54) % kEntitySlots;
}

struct EntityTable {
    std::uint64_t names[std::size(kEntityRows)]{};
    char32_t codes[std::size(kEntityRows)]{};
    std::uint16_t slots[kEntitySlots]{};  // row index + 1; 0 is an empty slot

    constexpr EntityTable() {
        for (size_t row = 0; row < std::size(kEntityRows); ++row) {
            const std::string_view name = kEntityRows[row].name;
            for (size_t i = 0; i < name.size(); ++i) {
                names[row] |= std::uint64_t(static_cast<unsigned char>(name[i])) << (8 * i);
            }
            codes[row] = kEntityRows[row].value;
            size_t slot = EntityHash(names[row]);
            while (slots[slot] != 0) {
                slot = (slot + 1) % kEntitySlots;
            }
            slots[slot] = static_cast<std::uint16_t>(row + 1);
        }
    }

    // Case-sensitive; 0 when the name is unknown. A NUL or a character outside ASCII
    // matches no name, so names of different lengths never pack alike.
    template <typename Ch>
    char32_t Find(std::basic_string_view<Ch> name) const {
        if (name.empty() || name.size() > kMaxEntityNameLength) {
            return 0;
        }
        std::uint64_t packed = 0;
        for (size_t i = 0; i < name.size(); ++i) {
            const unsigned code = static_cast<std::make_unsigned_t<Ch>>(name[i]);
            if (code == 0 || code >= 0x80) {
                return 0;
            }
            packed |= std::uint64_t(code) << (8 * i);
        }
        for (size_t slot = EntityHash(packed); slots[slot] != 0; slot = (slot + 1) % kEntitySlots) {
            if (names[slots[slot] - 1] == packed) {
                return codes[slots[slot] - 1];
            }
        }
        return 0;
    }
};

constexpr EntityTable kEntities;

constexpr bool EntityNamesFitTheKey() {
    for (const EntityRow& row : kEntityRows) {
        if (row.name.size() > kMaxEntityNameLength) {
            return false;
        }
    }
    return true;
}
static_assert(kMaxEntityNameLength == 8 && EntityNamesFitTheKey());

template <typename Ch>
char32_t EntityOf(std::basic_string_view<Ch> name) {
    return kEntities.Find(name);
}

}  // namespace

constinit const std::array<BYTE, 256> kByteCharClasses = kByteClassArray;
constinit const std::array<BYTE, 65536> kUtf16CharClasses = MakeUtf16Classes();

const TagInfo* FindTag(std::string_view tagName) { return kTags.Find(tagName); }
const TagInfo* FindTag(std::u16string_view tagName) { return kTags.Find(tagName); }

DWORD GetTagFlags(std::string_view tagName) {
    const TagInfo* info = FindTag(tagName);
    return info ? info->flags : 0;
}
DWORD GetTagFlags(std::u16string_view tagName) {
    const TagInfo* info = FindTag(tagName);
    return info ? info->flags : 0;
}

WORD GetContextBit(std::string_view tagName, bool& found) {
    const TagInfo* info = FindTag(tagName);
    found = info && info->isContext;
    return found ? info->contextBit : 0;
}
WORD GetContextBit(std::u16string_view tagName, bool& found) {
    const TagInfo* info = FindTag(tagName);
    found = info && info->isContext;
    return found ? info->contextBit : 0;
}

std::span<const RawContentTag> RawContentTags() { return kRawContentTags; }

bool IsRawContentTag(std::string_view tagName) {
    for (const RawContentTag& tag : kRawContentTags) {
        if (tag.name == tagName) return true;
    }
    return false;
}

WORD RawContentMask() {
    WORD mask = 0;
    for (const RawContentTag& tag : kRawContentTags) {
        mask |= tag.bit;
    }
    return mask;
}

char32_t LookupEntity(std::string_view name) { return EntityOf(name); }
char32_t LookupEntity(std::u16string_view name) { return EntityOf(name); }

}  // namespace leaf::markup
