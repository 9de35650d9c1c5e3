#pragma once

// CEmbedFont: one font of the list handed to the client, an automation object whose
// properties the font dialog reads (name, weight, italic, kind, characters) and whose
// embed choice it writes back before the fonts are embedded.

#include <string>

#include "platform/com/DispatchTable.h"

namespace fontembed {

// What the client is told about a font (the numbers are the kind property's values).
enum class FontKind : LONG {
    Native = 0,         // one of the reader's own faces
    GenericName = 1,    // serif, sans-serif, ...
    Embeddable = 2,     // installed as a file that can be embedded
    NotEmbeddable = 3,  // installed, but not as a scalable TrueType or OpenType file
    External = 4,       // the book declares it with @font-face from a url
    Unknown = 5,        // not installed here
};

struct EmbedFontData {
    std::string name;
    LONG weight = 400;
    bool italic = false;
    FontKind kind = FontKind::Unknown;
    std::u16string characters;  // each character once
    std::string file;           // the installed file, when there is one
    bool embed = false;
};

class CEmbedFont final : public leaf::DispatchImpl<CEmbedFont> {
public:
    explicit CEmbedFont(EmbedFontData data) : m_data(std::move(data)) {}

    const EmbedFontData& Data() const { return m_data; }

    static const leaf::DispatchTable<CEmbedFont>& GetDispatchTable();

private:
    leaf::Variant GetEmbed(const leaf::DispatchArguments&);
    leaf::Variant PutEmbed(const leaf::DispatchArguments& arguments);
    leaf::Variant GetName(const leaf::DispatchArguments&);
    leaf::Variant GetWeight(const leaf::DispatchArguments&);
    leaf::Variant GetItalic(const leaf::DispatchArguments&);
    leaf::Variant GetKind(const leaf::DispatchArguments&);
    leaf::Variant GetCharacters(const leaf::DispatchArguments&);

    EmbedFontData m_data;
};

}  // namespace fontembed
