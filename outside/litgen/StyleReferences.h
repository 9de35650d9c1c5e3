#pragma once

// References of style-sheet text (a style sheet, a style element, a style attribute) to
// the files of the publication. A reference to a file that the e-book does not hold finds
// nothing in a reader and a checker of the publication reports it, so the writer takes it
// out: a url(...) becomes "none" (no picture, no font), an @import of a quoted name is
// removed with its rule. A reference to a file that the e-book holds under another name
// (or from another place) is written to that name. Web addresses, inline data and
// references within the document stay.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace litgen {

// What a reference names, as the lookup tells it.
struct StyleReferenceTarget {
    bool missing = false;   // a file that the e-book does not hold: the reference is taken out
    std::string rewritten;  // else, when not empty, the reference (percent-escaped) written instead
};
// Asked with the publication path a reference resolves to.
using StyleReferenceLookup = std::function<StyleReferenceTarget(const std::string& path)>;

// Takes out or rewrites the references of `css`, held by the item at `documentPath` (a
// publication path), as `lookup` says; a rewritten one keeps its fragment. Returns how
// many were taken out; their targets as written are added to `dropped`.
size_t MapStyleReferences(std::string& css, std::string_view documentPath, const StyleReferenceLookup& lookup,
                          std::vector<std::string>* dropped = nullptr);

}  // namespace litgen
