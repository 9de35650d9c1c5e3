// FontEmbedder.so: the in-process server of the font-embedding component, with its
// registration under the ProgID the build control looks for and its version block.

#include "outside/fontembedder/FontEmbedderComponent.h"
#include "outside/fontembedder/FontEmbedderModule.h"
#include "platform/com/Module.h"
#include "platform/com/VersionInfo.h"

LEAF_VERSION_BLOCK(
    LEAF_VERSION_ENTRY("CompanyName", "Tallbrook Systems, Inc.")
    LEAF_VERSION_ENTRY("FileDescription", "Leafcraft Font Embedder")
    LEAF_VERSION_ENTRY("FileVersion", "1, 0, 0, 1")
    LEAF_VERSION_ENTRY("InternalName", "FontEmbedder")
    LEAF_VERSION_ENTRY("ProductName", "Leafcraft Font Embedder")
    LEAF_VERSION_ENTRY("ProductVersion", "1, 0, 0, 1")
    LEAF_VERSION_ENTRY("OLESelfRegister", ""))

namespace {

const leaf::ComModule& ThisModule() {
    static const leaf::ComModule module{{leaf::MakeClassEntry<fontembed::CFontEmbedderComponent>(
        CLSID_FontEmbedder, "Leafcraft.FontEmbedder.1", kFontEmbedderProgId, "Leafcraft Font Embedder")}};
    return module;
}

}  // namespace

LEAF_COM_MODULE_EXPORTS(ThisModule())
