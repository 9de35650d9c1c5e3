#include "markup/MarkupParserW.h"

#include "markup/MarkupAttributes.h"

CMarkupParserW::CMarkupParserW() = default;

CMarkupParserW::~CMarkupParserW() = default;

void CMarkupParserW::SplitAttributes(std::u16string_view attributes, std::vector<std::u16string>& tokens) {
    leaf::markup::SplitAttributes(attributes, tokens);
}

void CMarkupParserW::FoldPath(std::u16string& path) { leaf::markup::FoldPath(path); }
