#pragma once

// The conversion step of the HTML filter: turns one HTML source into the document that
// goes into the package, reporting the source's size twice as progress (once while it
// is read, once while the result is written), as GetSize announced.

#include "common/InputFilter.h"
#include "platform/base/CString.h"

// Answers FALSE to stop; the host may be null.
using HtmlProgressFunction = BOOL (*)(LONG units, IFilterHost* host);

// TRUE on success. FALSE: errorText tells why, or is empty when the progress function
// asked to stop.
BOOL ConvertHtmlDocument(const CString& sourcePath, const CString& destinationPath, HtmlProgressFunction progress,
                         IFilterHost* host, CString& errorText);
