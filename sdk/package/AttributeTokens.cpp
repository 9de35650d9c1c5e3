#include "sdk/package/AttributeTokens.h"

#include "markup/MarkupParser.h"

namespace leaf::package {

std::vector<CString> SplitAttributeText(const CString& text)
{
    std::vector<CString> tokens;
    CMarkupParser::SplitAttributes(text.str(), tokens);
    return tokens;
}

CString TokenName(const CString& token)
{
    const int equals = token.Find('=');
    return equals < 0 ? token : token.Left(equals);
}

CString TokenValue(const CString& token)
{
    const int equals = token.Find('=');
    return equals < 0 ? CString() : token.Mid(equals + 1);
}

CString QuoteAttributeValue(const CString& name, const CString& value)
{
    if (value.Find('"') < 0) return name + "=\"" + value + "\"";
    if (value.Find('\'') < 0) return name + "='" + value + "'";
    CString escaped = value;
    escaped.Replace("\"", "&quot;");
    return name + "=\"" + escaped + "\"";
}

}  // namespace leaf::package
