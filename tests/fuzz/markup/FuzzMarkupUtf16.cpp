// Arbitrary bytes through the UTF-16 build of the scanner, read from a file (as UTF-16
// when they begin with FF FE, else as 8-bit text).
#include "markup/MarkupParserW.h"
#include "tests/fuzz/markup/FuzzMarkup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return leaf::fuzz::FuzzOneInput<CMarkupParserW>(data, size);
}
