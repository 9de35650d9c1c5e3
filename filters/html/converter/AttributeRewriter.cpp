#include "filters/html/converter/AttributeRewriter.h"

#include "common/ContentType.h"
#include "filters/html/converter/ColorValue.h"
#include "filters/html/converter/StyleRewriter.h"
#include "filters/html/converter/TextScan.h"

namespace leaf::html {

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && leaf::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

CString MakeItem(std::string_view name, std::string_view value) {
    std::string item;
    item.reserve(name.size() + 1 + value.size());
    item.append(name).append("=").append(value);
    return CString(std::move(item));
}

}  // namespace

bool RewriteStyleAttribute(std::string& value, const AttributeRewriteContext& context) {
    ApplyBackgroundRule(value);
    if (context.insideTable) RemoveTablePageBreaks(value);
    value = NormalizeColorProperties(value);
    if (context.office) {
        std::string rewritten = RewriteOfficeDeclarations(value);
        if (rewritten != value) {
            if (rewritten.empty()) return false;
            value = std::move(rewritten);
        }
    }
    if (!value.empty() && value.back() == ';') value.pop_back();
    return true;
}

void RewriteAttributes(std::vector<CString>& items, const AttributeRewriteContext& context) {
    std::vector<CString> kept;
    kept.reserve(items.size());
    for (CString& item : items) {
        const std::string& text = item.str();
        const size_t equals = text.find('=');
        const std::string name = text.substr(0, equals);
        std::string value = equals == std::string::npos ? std::string() : text.substr(equals + 1);

        if (context.office && name.find(':') != std::string::npos) continue;

        if (EndsWithNoCase(name, "color")) {
            if (NormalizeColorValue(value)) item = MakeItem(name, value);
        } else if (leaf::EqualsNoCase(name, "style")) {
            if (!RewriteStyleAttribute(value, context)) continue;
            item = MakeItem(name, value);
        } else if (context.forceOeb && (leaf::EqualsNoCase(name, "id") || leaf::EqualsNoCase(name, "name"))) {
            if (!value.empty() && !CanStartName(value.front())) item = MakeItem(name, std::string(kOebIdPrefix) + value);
            kept.push_back(std::move(item));
            continue;
        } else if (context.forceOeb && leaf::EqualsNoCase(name, "href")) {
            CString path, fragment;
            SplitFragment(CString(value), path, fragment, FALSE);
            if (fragment.GetLength() > 1 && !CanStartName(fragment[1])) {
                item = MakeItem(name, path.str() + "#" + std::string(kOebIdPrefix) + fragment.Mid(1).str());
            }
            kept.push_back(std::move(item));
            continue;
        }

        if (leaf::EqualsNoCase(name, "class") && !value.empty() && IsAsciiDigit(value.front())) {
            item = MakeItem(name, std::string(kNumericClassPrefix) + value);
        }
        kept.push_back(std::move(item));
    }
    items = std::move(kept);
}

}  // namespace leaf::html
