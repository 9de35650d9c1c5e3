#include "filters/word/WordDocument.h"

#include "common/WordBridge.h"

void CWordDocument::SaveAs(const CString& fileName, LONG fileFormat, LONG addToRecentFiles) const {
    leaf::Variant values[11] = {leaf::Variant(fileName.str()), leaf::Variant(fileFormat)};
    for (int i = 2; i < 11; ++i)
        values[i] = WordMissingArgument();
    values[4] = leaf::Variant(addToRecentFiles);
    std::vector<leaf::Variant> arguments;
    for (leaf::Variant& value : values)
        arguments.push_back(WordByRef(value));
    InvokeHelper(wordid::kDocumentSaveAs, DISPATCH_METHOD, arguments);
}
