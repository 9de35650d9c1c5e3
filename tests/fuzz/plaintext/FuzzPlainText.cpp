// Arbitrary bytes as a plain-text file: the page must not depend on where the file is cut
// into blocks, no tab or raw markup character may be left in the text of a byte-mode page,
// and big-endian UTF-16 must give the page of the same text in little-endian units.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "filters/text/PlainTextConverter.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using leaf::fuzz::Check;

std::string ConvertInPieces(std::string_view text, bool utf16, int tabStop, size_t cut, bool bigEndian = false) {
    CPlainTextConverter converter(utf16, tabStop, bigEndian);
    std::string out;
    converter.Convert(text.substr(0, cut), out);
    converter.Convert(text.substr(cut), out);
    converter.Finish(out);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const bool utf16 = (data[0] & 1) != 0;
    const int tabStop = 1 + data[0] % 64;
    std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const size_t cut = text.empty() ? 0 : data[1] % (text.size() + 1);

    const std::string whole = ConvertInPieces(text, utf16, tabStop, text.size());
    Check(whole == ConvertInPieces(text, utf16, tabStop, cut));
    Check(whole == ConvertInPieces(text, utf16, tabStop, 0));
    if (!utf16)
        Check(whole.find_first_of("\t<>") == std::string::npos);
    if (utf16 && (data[0] & 2) != 0) {
        std::string swapped(text);
        for (size_t i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        Check(whole == ConvertInPieces(swapped, true, tabStop, cut, true));
    }
    return 0;
}
