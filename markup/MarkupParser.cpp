#include "markup/MarkupParser.h"

#include "markup/MarkupAttributes.h"

CMarkupParser::CMarkupParser() = default;

CMarkupParser::~CMarkupParser() = default;

void CMarkupParser::SplitAttributes(std::string_view attributes, std::vector<CString>& tokens) {
    std::vector<std::string> split;
    leaf::markup::SplitAttributes(attributes, split);
    tokens.clear();
    tokens.reserve(split.size());
    for (std::string& token : split) {
        tokens.emplace_back(std::move(token));
    }
}

void CMarkupParser::FoldPath(CString& path) { leaf::markup::FoldPath(path.str()); }
