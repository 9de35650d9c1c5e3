#pragma once

// CEmbedFontList: the fonts the client may choose from, as an automation collection:
// Count, and Item(index) counted from 1 giving the font objects. The list and the
// embedder share the font objects, so the choices the client writes are the ones the
// embedder reads when it embeds.

#include <vector>

#include "outside/fontembedder/EmbedFont.h"

namespace fontembed {

class CEmbedFontList final : public leaf::DispatchImpl<CEmbedFontList> {
public:
    explicit CEmbedFontList(std::vector<leaf::ComPtr<CEmbedFont>> fonts) : m_fonts(std::move(fonts)) {}

    const std::vector<leaf::ComPtr<CEmbedFont>>& Fonts() const { return m_fonts; }

    static const leaf::DispatchTable<CEmbedFontList>& GetDispatchTable();

private:
    leaf::Variant Count(const leaf::DispatchArguments&);
    leaf::Variant Item(const leaf::DispatchArguments& arguments);

    std::vector<leaf::ComPtr<CEmbedFont>> m_fonts;
};

}  // namespace fontembed
