#pragma once

// References of style-sheet text (a style sheet, a style element, a style attribute) to
// files that the e-book does not hold. A reader finds nothing under such a name and a
// checker of the publication reports it, so the writer takes these references out: a
// url(...) becomes "none" (no picture, no font), an @import of a quoted name is removed
// with its rule. Web addresses, inline data and references within the document stay.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace litgen {

// Takes out the references of `css`, held by the item at `documentPath` (a publication
// path), whose targets `inBook` does not know (it is asked with the resolved publication
// path). Returns how many were taken out; their targets as written are added to `dropped`.
size_t DropMissingStyleReferences(std::string& css, std::string_view documentPath,
                                  const std::function<bool(const std::string& path)>& inBook,
                                  std::vector<std::string>* dropped = nullptr);

}  // namespace litgen
