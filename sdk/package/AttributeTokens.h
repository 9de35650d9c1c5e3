#pragma once

// Attribute text of package records, cut into "name=value" tokens the one way the whole
// system does it (the scanner's SplitAttributes), and put back together.

#include <vector>

#include "platform/base/CString.h"

namespace leaf::package {

// The tokens of attribute text: "name=value" with quotes removed, or a bare "name".
std::vector<CString> SplitAttributeText(const CString& text);

// The attribute name of a token (the text before its first '='; the whole token when it
// has none) and its value (the text after the first '='; empty when it has none).
CString TokenName(const CString& token);
CString TokenValue(const CString& token);

// One name="value" piece of attribute text that SplitAttributeText cuts back into the
// same token: the value in double quotes, in single quotes when it holds a double quote,
// and with its double quotes written "&quot;" when it holds both kinds.
CString QuoteAttributeValue(const CString& name, const CString& value);

}  // namespace leaf::package
