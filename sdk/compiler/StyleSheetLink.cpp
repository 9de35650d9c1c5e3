#include "sdk/compiler/StyleSheetLink.h"

#include "sdk/package/RelativePath.h"

CString MakeStyleSheetLink(const CString& documentPath, const CString& styleSheetPath) {
    CString relative;
    if (!MakeRelativePath(documentPath, styleSheetPath, relative))
        relative = styleSheetPath;
    CString attributes;
    attributes.Format("rel='stylesheet' href='%s' type='text/css' /", relative.c_str());
    return attributes;
}
