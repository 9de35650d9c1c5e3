// Hive files are read from disk, where anyone may have edited them: the parser must
// reject bad text cleanly, and what it accepts must format and parse back to the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/HiveText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<leaf::registry::RegistryNode> root = leaf::registry::ParseHiveText(text, "HKEY_CURRENT_USER");
    if (!root)
        return 0;
    std::string formatted = leaf::registry::FormatHiveText(*root, "HKEY_CURRENT_USER");
    std::optional<leaf::registry::RegistryNode> again = leaf::registry::ParseHiveText(formatted, "HKEY_CURRENT_USER");
    if (!again || leaf::registry::FormatHiveText(*again, "HKEY_CURRENT_USER") != formatted)
        std::abort();
    return 0;
}
