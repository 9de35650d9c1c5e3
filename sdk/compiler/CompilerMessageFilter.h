#pragma once

// Which of the e-book compiler's messages the control keeps from its client: code 1103
// always; code 1202 for a file whose path contains ".eot"; code 2103 when the text quotes
// a link whose scheme (up to its first ':', lower-cased) is one the control ignores.

#include <set>
#include <string>

#include "platform/base/CString.h"

BOOL IsDroppedCompilerMessage(LONG code, const CString& text, const CString& filePath,
                              const std::set<std::string>& ignoredSchemes);
