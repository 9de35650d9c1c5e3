#pragma once

#include "platform/base/CString.h"

// The attribute text of the link element that ties a document to the style sheet that
// font embedding produced: the style sheet's path relative to the document's folder (its
// full path when the two share no folder).
CString MakeStyleSheetLink(const CString& documentPath, const CString& styleSheetPath);
