#pragma once

// Embedding chosen fonts into a work folder: each font file is copied into
// <work folder>/fonts/ under a name of its own, a style sheet embedded-fonts.css beside
// them declares every font with @font-face, and the files and the sheet are added to
// the book through the host (the control links that sheet into every page). Nothing is
// added unless every copy succeeded; a failure leaves no copied file behind.

#include <string>
#include <vector>

#include "common/InputFilter.h"
#include "outside/fontembedder/EmbedFont.h"

namespace fontembed {

inline constexpr const char* kFontsFolderName = "fonts";
inline constexpr const char* kFontStyleSheetName = "embedded-fonts.css";

// S_OK (also when no font is chosen: nothing is written); E_ABORT when the host answers
// a progress call with an abort; E_FAIL with the reason given to the host's
// SetErrorDetails when a folder or file cannot be written.
HRESULT EmbedFonts(const std::vector<EmbedFontData>& fonts, const std::string& workFolder, IFilterHost* host);

// A name safe for a file and a url: letters, digits, '.', '-' and '_' kept, anything
// else becomes '_'; never empty, never starting with '.'.
std::string SafeFileName(const std::string& name);

}  // namespace fontembed
