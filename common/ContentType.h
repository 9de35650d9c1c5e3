#pragma once

// Content (MIME) types of file names and the split of a "#fragment" off a path.

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// The content type of a file name from its extension: the built-in table of the types a
// package uses first (skipped when registryOnly is set), then the "Content Type" value of
// HKEY_CLASSES_ROOT\<extension>. Empty when the name has no extension or no type is known.
// The extension is taken from the last dot of the file name (after the last '/' or '\').
CString GetContentType(const CString& fileName, BOOL registryOnly = FALSE);

// Whether a content type is that of a Word document: the binary ".doc" type
// ("application/msword") or the package ".docx" type, compared without regard to case.
// Every reader of Word titles and bookmarks asks this, so that both forms get them.
BOOL IsWordContentType(const CString& contentType);

// Splits "page.htm#top" into the path part "page.htm" and the fragment "#top" (the '#'
// kept). A path that begins with '#' is all fragment. Otherwise the split is made only
// when the text before the last '#' has a known content type, and with textTypesOnly set
// only when that type is a "text/" type; else the whole input is the path part.
void SplitFragment(const CString& path, CString& pathPart, CString& fragment, BOOL textTypesOnly);
