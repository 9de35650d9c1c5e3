// Arbitrary bytes as the XML parts of a Word document package: the scanner must end
// within a bound of steps, never report a negative depth, and the bookmark reader must
// give positions in document order and names that are not hidden ones.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string_view>
#include <vector>

#include "outside/word/DocxPackage.h"
#include "outside/word/XmlScanner.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using leaf::fuzz::Check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    wordstub::XmlScanner scanner(text);
    // Every token consumes input, except the end of an empty element, which follows its start.
    std::size_t steps = 0;
    for (;;) {
        wordstub::XmlScanner::Token token = scanner.Next();
        Check(scanner.Depth() >= 0);
        if (token == wordstub::XmlScanner::Token::End || token == wordstub::XmlScanner::Token::Error)
            break;
        Check(++steps <= 2 * size + 2);
    }

    std::vector<wordstub::DocxBookmark> bookmarks;
    if (wordstub::ReadBookmarks(text, bookmarks)) {
        long previous = 0;
        for (const wordstub::DocxBookmark& bookmark : bookmarks) {
            Check(!bookmark.name.empty() && bookmark.name[0] != '_');
            Check(bookmark.start >= previous);
            previous = bookmark.start;
        }
    }

    std::map<std::string, wordstub::DocxPropertyValue> properties;
    wordstub::ReadCoreProperties(text, properties);
    wordstub::ReadAppProperties(text, properties);
    for (const auto& [name, value] : properties)
        Check(wordstub::BuiltInPropertyKind(name).has_value());
    wordstub::ParseW3cDate(text);
    return 0;
}
