#pragma once

// Rewriting of one tag's attributes while the source is read: colours into "#RRGGBB",
// style declarations into the forms the e-book compiler understands, identifiers and
// fragment names that the e-book's document type forbids, class names that start with a
// digit, and (for documents of an Office word processor) the word processor's own
// attributes and declarations. Attribute names are compared without regard to case.

#include <string_view>
#include <vector>

#include "platform/base/CString.h"

namespace leaf::html {

struct AttributeRewriteContext {
    bool office = false;       // the document was made by an Office word processor
    bool insideTable = false;  // the tag stands inside a table
    bool forceOeb = false;     // the output must be an Open eBook document
};

// Rewrites the "name=value" items in place (an item may be removed).
void RewriteAttributes(std::vector<CString>& items, const AttributeRewriteContext& context);

// Rewrites the value of a style attribute; false when the value ends up empty after the
// Office rule removed everything (the item is then dropped).
bool RewriteStyleAttribute(std::string& value, const AttributeRewriteContext& context);

// Prefixes of names that may not start as they do.
inline constexpr std::string_view kOebIdPrefix = "_LCOEB_";

}  // namespace leaf::html
