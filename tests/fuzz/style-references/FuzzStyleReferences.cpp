// Arbitrary bytes as the style text of a page in a subfolder of the publication.
// Taking out the references to absent files must finish, report as many targets as it
// took out, never lengthen the text by more than "none " per url( it held, and leave text
// in which nothing more is taken out (half the files are "in the book", by a hash of the
// name). Writing every reference to its file's name anew (as for an e-book whose items
// all have names of their own) leaves text that a second pass writes the same. Taking out the direction declarations never lengthens the text and
// leaves none to take out. Writing nested rules flat changes the text exactly when it
// writes a rule flat or leaves one out, and leaves text in which nothing more is to do.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "outside/litgen/DirectionDeclarations.h"
#include "outside/litgen/FlatStyleRules.h"
#include "outside/litgen/StyleReferences.h"
#include "outside/litgen/XmlText.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using leaf::fuzz::Check;

constexpr const char* kDocument = "text/ch1.xhtml";

litgen::StyleReferenceTarget HalfInBook(const std::string& path) {
    return {std::hash<std::string>()(path) % 2 != 0, {}};
}

litgen::StyleReferenceTarget EveryOneRenamed(const std::string& path) {
    return {false, litgen::RelativeHref(kDocument, path)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::string css = input;
    std::vector<std::string> dropped;
    const size_t count = litgen::MapStyleReferences(css, kDocument, HalfInBook, &dropped);
    Check(count == dropped.size());  // one target per reference taken out
    Check((count == 0) == (css == input));    // changed exactly when something was taken out
    Check(css.size() <= input.size() + 5 * count);  // no longer than "none " per reference
    std::string again = css;
    Check(litgen::MapStyleReferences(again, kDocument, HalfInBook) == 0 && again == css);  // nothing more to take out

    std::string renamed = input;
    litgen::MapStyleReferences(renamed, kDocument, EveryOneRenamed);
    std::string twice = renamed;
    litgen::MapStyleReferences(twice, kDocument, EveryOneRenamed);
    Check(twice == renamed);  // names written anew are written the same again

    std::string declarations = input;
    const litgen::DirectionDeclarations removed = litgen::RemoveDirectionDeclarations(declarations);
    Check((removed.removed == 0) == (declarations == input));  // changed exactly when declarations were taken out
    Check(declarations.size() <= input.size());  // never longer
    Check(removed.rightToLeft + removed.overrides <= removed.removed);  // only declarations taken out are lost
    std::string left = declarations;
    Check(litgen::RemoveDirectionDeclarations(left).removed == 0 && left == declarations);  // none left to take out

    std::string sized = input;
    const size_t given = litgen::GiveFontSizesTheirUnit(sized);
    Check((given == 0) == (sized == input));        // changed exactly when a size got its unit
    Check(sized.size() == input.size() + 2 * given);  // "px" for each, nothing else
    std::string sizedAgain = sized;
    Check(litgen::GiveFontSizesTheirUnit(sizedAgain) == 0 && sizedAgain == sized);  // none left without one

    std::string flat = input;
    const litgen::FlatStyleRules written = litgen::FlattenStyleRules(flat);
    Check((written.flattened + written.leftOut == 0) == (flat == input));  // changed exactly when it did something
    std::string flatAgain = flat;
    const litgen::FlatStyleRules second = litgen::FlattenStyleRules(flatAgain);
    Check(second.flattened + second.leftOut == 0 && flatAgain == flat);  // nothing nested or unreadable is left
    return 0;
}
