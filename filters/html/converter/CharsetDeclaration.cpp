#include "filters/html/converter/CharsetDeclaration.h"

#include "filters/html/converter/TextScan.h"
#include "platform/base/TextEncoding.h"

namespace leaf::html {

namespace {

bool NamesUtf8(std::string_view charset) {
    return leaf::EqualsNoCase(charset, "utf-8") || leaf::EqualsNoCase(charset, "utf8");
}

// The value of the first item called `name` (without regard to case); null when none.
CString* FindItem(std::vector<CString>& items, std::string_view name) {
    for (CString& item : items) {
        const std::string& text = item.str();
        if (text.size() > name.size() && text[name.size()] == '=' &&
            leaf::EqualsNoCase(std::string_view(text).substr(0, name.size()), name)) {
            return &item;
        }
    }
    return nullptr;
}

// Replaces the value of "name=value" by the output character set, keeping the name as
// written and a '?' that closes an XML declaration.
void ReplaceValue(CString& item) {
    const std::string& text = item.str();
    const size_t equals = text.find('=');
    std::string_view value = std::string_view(text).substr(equals + 1);
    const bool closesDeclaration = !value.empty() && value.back() == '?';
    if (closesDeclaration) value.remove_suffix(1);
    if (NamesUtf8(value)) return;
    std::string rewritten = text.substr(0, equals + 1);
    rewritten += kOutputCharset;
    if (closesDeclaration) rewritten += '?';
    item = CString(rewritten);
}

// The charset parameter of a content type ("text/html; charset=windows-1252").
void ReplaceContentCharset(CString& item) {
    const std::string& text = item.str();
    const std::string lower = leaf::ToLowerAscii(text);
    static constexpr std::string_view kParameter = "charset=";
    size_t at = lower.find(kParameter);
    // Only a parameter, not the tail of another name ("xcharset=").
    while (at != std::string::npos && at > 0 && (IsAsciiAlnum(lower[at - 1]) || lower[at - 1] == '-')) {
        at = lower.find(kParameter, at + 1);
    }
    if (at == std::string::npos) return;
    const size_t start = at + kParameter.size();
    size_t end = start;
    while (end < text.size() && text[end] != ';' && text[end] != '"' && text[end] != '\'' && !IsBlank(text[end])) {
        ++end;
    }
    if (NamesUtf8(std::string_view(text).substr(start, end - start))) return;
    std::string rewritten = text.substr(0, start);
    rewritten += kOutputCharset;
    rewritten += text.substr(end);
    item = CString(rewritten);
}

}  // namespace

void DeclareOutputCharset(std::string_view tagName, std::vector<CString>& items) {
    if (tagName == "?xml") {
        if (CString* encoding = FindItem(items, "encoding")) ReplaceValue(*encoding);
        return;
    }
    if (tagName != "meta") return;
    if (CString* charset = FindItem(items, "charset")) ReplaceValue(*charset);
    const CString* equiv = FindItem(items, "http-equiv");
    if (!equiv || !leaf::EqualsNoCase(std::string_view(equiv->str()).substr(11), "content-type")) return;
    if (CString* content = FindItem(items, "content")) ReplaceContentCharset(*content);
}

std::string AsValidUtf8(std::string&& bytes) {
    if (leaf::IsValidUtf8(bytes)) return std::move(bytes);
    return leaf::Utf16ToUtf8(leaf::Utf8ToUtf16(bytes));
}

}  // namespace leaf::html
