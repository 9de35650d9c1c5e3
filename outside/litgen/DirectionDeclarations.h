#pragma once

// Declarations of style text that EPUB does not allow: "direction" and
// "unicode-bidi" (a reader takes the text's direction from the markup's dir attributes).
// The writer takes them out of style sheets, style elements and style attributes, and
// tells what the text loses by it: a right-to-left direction, and an override of the
// bidirectional algorithm (bidi-override, isolate-override, plaintext). A left-to-right
// direction, and embedding or isolation, are what the markup's dir gives anyway.

#include <cstddef>
#include <string>

namespace litgen {

struct DirectionDeclarations {
    size_t removed = 0;      // declarations taken out
    size_t rightToLeft = 0;  // of those, directions that set right to left
    size_t overrides = 0;    // of those, unicode-bidi values that override the bidirectional algorithm
    std::string direction;   // the direction the last of them set ("ltr", "rtl"), empty for none
};

// Takes the declarations out of `css`: a style sheet's or style element's rules, or a
// style attribute's declarations. Selectors, strings, comments and other declarations
// stay as they are.
DirectionDeclarations RemoveDirectionDeclarations(std::string& css);

// A font size given as a bare number ("font-size: 12"), which style text of EPUB may not
// hold, gets the unit HTML readers have always read it in: pixels ("12px"). Zero and sizes
// with a unit or a keyword stay as they are. Returns how many sizes it gave their unit.
size_t GiveFontSizesTheirUnit(std::string& css);

}  // namespace litgen
