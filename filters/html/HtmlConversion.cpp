#include "filters/html/HtmlConversion.h"

#include "filters/html/converter/HtmlConverter.h"

BOOL ConvertHtmlDocument(const CString& sourcePath, const CString& destinationPath, HtmlProgressFunction progress,
                         IFilterHost* host, CString& errorText) {
    CHtmlConverter converter(progress, host);
    if (converter.Convert(sourcePath, destinationPath)) {
        errorText.Empty();
        return TRUE;
    }
    errorText = converter.GetErrorText();
    return FALSE;
}
