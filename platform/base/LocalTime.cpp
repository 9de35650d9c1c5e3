#include "platform/base/LocalTime.h"

#include <locale.h>

#include <cstring>

namespace leaf {

namespace {

locale_t ClassicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

std::string Format(const std::tm& fields, const char* format) {
    if (!format || !*format)
        return {};
    // strftime gives 0 both for "too small" and for an empty result, so grow the buffer
    // up to a bound far above anything a format of this length can produce.
    const size_t limit = 4096 + std::strlen(format) * 256;
    for (size_t size = 256; size <= limit; size *= 2) {
        std::string buffer(size, '\0');
        const size_t written = strftime_l(buffer.data(), size, format, &fields, ClassicLocale());
        if (written > 0) {
            buffer.resize(written);
            return buffer;
        }
    }
    return {};
}

}  // namespace

std::string FormatLocalTime(time_t when, const char* strftimeFormat) {
    std::tm fields{};
    if (!localtime_r(&when, &fields))
        return {};
    return Format(fields, strftimeFormat);
}

std::string FormatUtcTime(time_t when, const char* strftimeFormat) {
    std::tm fields{};
    if (!gmtime_r(&when, &fields))
        return {};
    return Format(fields, strftimeFormat);
}

}  // namespace leaf
