// Arbitrary bytes as the style text of a page in a subfolder of the publication: taking
// out the references to absent files must finish, report as many targets as it took out,
// never lengthen the text by more than "none " per url( it held, and leave text in which
// nothing more is taken out. Half the files are "in the book", by a hash of the name.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "outside/litgen/StyleReferences.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "failed: %s\n", what);
        std::abort();
    }
}

bool InBook(const std::string& path) { return std::hash<std::string>()(path) % 2 == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string css(reinterpret_cast<const char*>(data), size);
    const std::string input = css;
    std::vector<std::string> dropped;
    const size_t count = litgen::DropMissingStyleReferences(css, "text/ch1.xhtml", InBook, &dropped);
    Check(count == dropped.size(), "one target per reference taken out");
    Check((count == 0) == (css == input), "changed exactly when something was taken out");
    Check(css.size() <= input.size() + 5 * count, "no longer than \"none \" per reference");
    std::string again = css;
    Check(litgen::DropMissingStyleReferences(again, "text/ch1.xhtml", InBook) == 0 && again == css,
          "nothing more to take out");
    return 0;
}
