// Arbitrary bytes as one line of a style sheet: the colour rewriting must finish, leave
// a line that a second rewriting does not change, and grow the line by at most six
// characters per "color" in it. The same bytes as style-sheet text: the url(...) scan
// must finish and find no more targets than the text has "url(" and "@import", none of
// them empty.

#include <cstdint>
#include <cstdlib>
#include <string>

#include <vector>

#include "common/StyleSheetUrls.h"
#include "sdk/control/CssInputFilter.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using leaf::fuzz::Check;

size_t CountColor(const std::string& text) {
    size_t count = 0;
    for (size_t at = text.find("color"); at != std::string::npos; at = text.find("color", at + 1))
        ++count;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string line = input;
    BOOL changed = CCssInputFilter::RewriteLine(line);
    Check((changed != FALSE) == (line != input));
    Check(line.size() <= input.size() + 6 * CountColor(input));
    std::string again = line;
    Check(CCssInputFilter::RewriteLine(again) == FALSE && again == line);

    std::string lower = input;
    for (char& ch : lower)
        ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + ('a' - 'A') : ch);
    size_t openings = 0;
    for (const char* opening : {"url(", "@import"})
        for (size_t at = lower.find(opening); at != std::string::npos; at = lower.find(opening, at + 1))
            ++openings;
    const std::vector<std::string> urls = leaf::FindStyleSheetUrls(input);
    Check(urls.size() <= openings);
    for (const std::string& url : urls)
        Check(!url.empty() && url.find('#') == std::string::npos);
    // Each value's place lies within the text, after the one before it.
    size_t last = 0;
    for (const leaf::StyleSheetUrl& url : leaf::FindStyleSheetUrlSpans(input)) {
        Check(last <= url.begin && url.begin <= url.end && url.end <= input.size());
        last = url.end;
    }
    return 0;
}
