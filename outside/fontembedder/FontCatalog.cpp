#include "outside/fontembedder/FontCatalog.h"

#include <fontconfig/fontconfig.h>

#include "outside/fontembedder/CssRules.h"
#include "platform/base/Path.h"

namespace fontembed {
namespace {

const char* AsText(const FcChar8* text) { return reinterpret_cast<const char*>(text); }

std::string Squeezed(const std::string& name) {
    std::string out;
    for (char c : ToLowerAscii(name))
        if (c != ' ' && c != '\t')
            out.push_back(c);
    return out;
}

// Files a reader can take as they are: a TrueType or OpenType font on its own (not one
// face of a collection) in a format style sheets can declare.
bool IsEmbeddableFile(const FcPattern* match, const std::string& file) {
    FcBool scalable = FcFalse;
    FcChar8* format = nullptr;
    int index = 0;
    if (FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) != FcResultMatch || !scalable)
        return false;
    if (FcPatternGetString(match, FC_FONTFORMAT, 0, &format) != FcResultMatch)
        return false;
    std::string kind = AsText(format);
    if (kind != "TrueType" && kind != "CFF")
        return false;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch && index != 0)
        return false;
    std::string extension = ToLowerAscii(leaf::path::Extension(file));
    return extension == ".ttf" || extension == ".otf" || extension == ".woff" || extension == ".woff2";
}

}  // namespace

bool SameFamilyName(const std::string& a, const std::string& b) { return Squeezed(a) == Squeezed(b); }

CFontCatalog::~CFontCatalog() {
    if (m_config != nullptr)
        FcConfigDestroy(m_config);
}

bool CFontCatalog::Open() {
    if (m_config == nullptr)
        m_config = FcInitLoadConfigAndFonts();
    return m_config != nullptr;
}

std::optional<InstalledFont> CFontCatalog::Find(const std::string& family, LONG weight, bool italic) const {
    if (m_config == nullptr || family.empty())
        return std::nullopt;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr)
        return std::nullopt;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= kWeightBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(m_config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(m_config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return std::nullopt;

    std::optional<InstalledFont> found;
    bool sameFamily = false;
    FcChar8* name = nullptr;
    for (int i = 0; !sameFamily && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i)
        sameFamily = SameFamilyName(AsText(name), family);
    FcChar8* file = nullptr;
    if (sameFamily && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        found = InstalledFont{AsText(file), false};
        found->embeddable = IsEmbeddableFile(match, found->file);
    }
    FcPatternDestroy(match);
    return found;
}

}  // namespace fontembed
