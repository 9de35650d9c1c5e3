#pragma once

// Time formatting with strftime placeholders, always in the C locale, so stored and
// compared text does not depend on the user's language settings. Results of any
// length are produced in full.

#include <ctime>
#include <string>

namespace leaf {

std::string FormatLocalTime(time_t when, const char* strftimeFormat);
std::string FormatUtcTime(time_t when, const char* strftimeFormat);

}  // namespace leaf
