#pragma once

// CFontCatalog: the fonts installed on this machine, as fontconfig knows them. Each
// catalog has a fontconfig configuration of its own, loaded when it is opened and
// freed with it.

#include <optional>
#include <string>

#include "platform/base/Types.h"

struct _FcConfig;

namespace fontembed {

struct InstalledFont {
    std::string file;          // the font file fontconfig chose for the face
    bool embeddable = false;   // a scalable TrueType or OpenType file that can be copied whole
};

class CFontCatalog {
public:
    CFontCatalog() = default;
    ~CFontCatalog();
    CFontCatalog(const CFontCatalog&) = delete;
    CFontCatalog& operator=(const CFontCatalog&) = delete;

    // Loads the configuration and the font list; false when fontconfig cannot start.
    bool Open();
    bool IsOpen() const { return m_config != nullptr; }

    // The installed file of a family in the weight and style closest to those asked
    // for; nullopt when the family is not installed (fontconfig would only offer a
    // substitute of another family).
    std::optional<InstalledFont> Find(const std::string& family, LONG weight, bool italic) const;

private:
    _FcConfig* m_config = nullptr;
};

// Compares family names as fontconfig does: ASCII case and blanks do not count.
bool SameFamilyName(const std::string& a, const std::string& b);

}  // namespace fontembed
