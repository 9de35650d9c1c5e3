// Arbitrary bytes through the byte build of the scanner, read from a file.
#include "markup/MarkupParser.h"
#include "tests/fuzz/markup/FuzzMarkup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return leaf::fuzz::FuzzOneInput<CMarkupParser>(data, size);
}
