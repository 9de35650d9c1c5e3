#pragma once

// Colour values in attributes and style text are written as "#RRGGBB" with upper-case
// digits, which is the one form the e-book compiler accepts for every colour.

#include <string>
#include <string_view>

namespace leaf::html {

// Normalises a colour value in place: a value of hexadecimal digits, with or without a
// leading '#', of six digits ("ffcc00") or of the three-digit short form ("#fc0", each
// digit doubled) becomes "#FFCC00". Any other value (a colour name, another number of
// digits, anything but hexadecimal digits) stays. The value is only replaced when the new
// form differs from it without regard to case, so "#ffcc00" stays as it is. True when the
// value was replaced.
bool NormalizeColorValue(std::string& value);

// The colour-property rule over style text: after every "color" (case-sensitive, so also
// in "background-color"), the blanks and ':' that follow are passed over; when a ':' was
// among them, the run of letters, digits and '#' that comes next is normalised as above.
// Everything else is copied as it was. Linear in the text.
std::string NormalizeColorProperties(std::string_view text);

}  // namespace leaf::html
