// Arbitrary bytes as a page the word processor saved, and as one of its links: the
// rewrite ends, leaves a page without link attributes exactly as it was, and a mapped
// link never holds a blank or a quote before its query or fragment.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "filters/word/WordPageLinks.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using leaf::fuzz::Check;

bool HoldsLinkAttributeName(const std::string& text) {
    std::string lower;
    for (char ch : text)
        lower += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return lower.find("src") != std::string::npos || lower.find("href") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CWordPagePlaces places{"/tmp/wordintake.001/$doc0001.htm", "/book/text/chapter.doc", "/book"};

    std::string rewritten = RewriteWordPageLinks(text, places);
    if (!HoldsLinkAttributeName(text))
        Check(rewritten == text);

    if (std::optional<std::string> mapped = MapWordPageLink(text, places)) {
        std::string path = mapped->substr(0, mapped->find_first_of("?#"));
        Check(path.find_first_of(" \"'<>\t\r\n") == std::string::npos);
    }
    return 0;
}
