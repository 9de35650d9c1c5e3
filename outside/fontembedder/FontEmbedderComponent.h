#pragma once

// CFontEmbedderComponent: the font-embedding component the build control drives
// during a build. It is told the work files, finds the fonts their pages and style
// sheets name (pages and sheets in UTF-8 or, with a byte-order mark, in UTF-16), hands the
// client a list to choose from, and embeds the chosen ones into the work folder with a
// style sheet that declares them.

#include <string>
#include <vector>

#include "outside/fontembedder/EmbedFontList.h"
#include "outside/fontembedder/FontCatalog.h"
#include "outside/fontembedder/FontUsageScanner.h"
#include "platform/com/ComObject.h"
#include "sdk/control/FontEmbedder.h"

namespace fontembed {

class CFontEmbedderComponent final : public leaf::ComObject<CFontEmbedderComponent, IFontEmbedder> {
public:
    CFontEmbedderComponent() = default;

    LONG CheckAvailable() override;
    HRESULT Begin(IFilterHost* host) override;
    HRESULT AddFile(LPCOLESTR workFilePath, IFilterHost* host) override;
    HRESULT Analyse(IFilterHost* host) override;
    IDispatch* GetFontList(IFilterHost* host) override;
    HRESULT Embed(LPCOLESTR workFolder, IFilterHost* host) override;
    HRESULT End(IFilterHost* host) override;

private:
    EmbedFontData Classify(const FontUsage& usage) const;

    CFontCatalog m_catalog;
    std::vector<std::string> m_pages;
    std::vector<std::string> m_styleSheets;
    leaf::ComPtr<CEmbedFontList> m_fontList;
};

// A message the component gives the host (IFilterHost::Message): a work file that cannot be
// read (a warning; the file's path goes with it).
inline constexpr LONG kMessageWarning = 1;
inline constexpr LONG kMsgUnreadableFile = 3001;

// The faces every reader carries: listed as "Native", offered unticked.
bool IsReaderFace(const std::string& family);
// serif, sans-serif, monospace, cursive, fantasy (any ASCII case).
bool IsGenericFamily(const std::string& family);

}  // namespace fontembed
