#include "sdk/compiler/CompilerMessageFilter.h"

BOOL IsDroppedCompilerMessage(LONG code, const CString& text, const CString& filePath,
                              const std::set<std::string>& ignoredSchemes) {
    switch (code) {
    case 1103:
        return TRUE;
    case 1202:
        return filePath.Find(".eot") >= 0 ? TRUE : FALSE;
    case 2103: {
        if (text.Find(':') < 0)
            return FALSE;
        const int quote = text.Find('\'');
        if (quote < 0)
            return FALSE;
        CString link = text.Mid(quote + 1);
        const int colon = link.Find(':');
        if (colon < 0)
            return FALSE;
        CString scheme = link.Left(colon + 1);
        scheme.MakeLower();
        return ignoredSchemes.count(scheme.str()) != 0 ? TRUE : FALSE;
    }
    default:
        return FALSE;
    }
}
