// Feeds arbitrary bytes to the reader of module version blocks: the ELF section lookup
// and the block parser must never read outside the input.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/com/VersionInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> image(data, size);
    if (auto section = leaf::FindVersionSection(image)) {
        if (auto info = leaf::VersionInfo::Parse(*section))
            info->Query("FileVersion");
    }
    // The bytes as a block of their own.
    if (auto info = leaf::VersionInfo::Parse(image))
        info->Query("CompanyName");
    return 0;
}
