#pragma once

// Character and entity references in package text. The package model keeps values as
// XML text in which references stand for themselves ("&copy;" stays "&copy;"); only the
// escapes the writer adds for '<', '>' and a lone '&' are undone when a file is read.

#include <string_view>

#include "platform/base/CString.h"

namespace leaf::package {

// True when text[at] is an '&' that begins a complete reference: "&name;" with a name the
// scanner's entity table knows (or one of XML's own five), "&#digits;" or "&#xhex;"
// naming a character an XML document may carry.
bool BeginsCompleteReference(std::string_view text, size_t at);

// Undoes the writer's escapes in one pass: "&lt;" and "&gt;" become '<' and '>', and
// "&amp;" becomes '&' unless that '&' would then begin a complete reference (so
// "&amp;copy;" stays as written). Other references are kept.
CString UnescapeXml(const CString& text);

}  // namespace leaf::package
