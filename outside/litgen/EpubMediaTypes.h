#pragma once

// The media types of the e-book's items as EPUB names them. Readers must show the core
// media types (pictures in GIF, JPEG, PNG and SVG, MP3 and MP4 sound, the font formats,
// style sheets, scripts, XHTML, the NCX, SMIL and PLS); a content document may use
// another type only with a fallback. An item the control declares with no type, a
// generic one or one EPUB does not know is given the core type its extension names.

#include <string>

namespace litgen {

// The EPUB media type of an item: pages are XHTML content documents, style sheets
// text/css, others their declared type under its EPUB name, or the one their href's
// extension names where that type is not a core one (else the declared type, or
// application/octet-stream when none was declared).
std::string EpubMediaType(bool page, bool styleSheet, const std::string& declaredType, const std::string& href);

// Whether readers must be able to show an item of the media type.
bool IsCoreMediaType(const std::string& mediaType);

// Whether the media type is a picture's that readers need not show (not a core type).
bool IsForeignPicture(const std::string& mediaType);

}  // namespace litgen
