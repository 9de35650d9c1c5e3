#include "outside/fontembedder/EmbedFont.h"

#include "sdk/control/FontEmbedder.h"

namespace fontembed {
namespace {

using leaf::MemberKind;

constexpr IID DIID_IEmbedFont = leaf::MakeGuid("{5E0C8A31-7D42-4F6B-9A1E-2C4B8D3F6A17}");

const leaf::DispInterfaceDescription& EmbedFontInterface() {
    static const leaf::DispInterfaceDescription description{
        "IEmbedFont",
        DIID_IEmbedFont,
        "A font the book uses, with the choice whether to embed it",
        {
            {"embed", embedfont::kEmbed, MemberKind::PropertyGet, VT_BOOL},
            {"embed", embedfont::kEmbed, MemberKind::PropertyPut, VT_EMPTY, {{"value", VT_BOOL}}},
            {"name", embedfont::kName, MemberKind::PropertyGet, VT_BSTR},
            {"weight", embedfont::kWeight, MemberKind::PropertyGet, VT_I4},
            {"italic", embedfont::kItalic, MemberKind::PropertyGet, VT_I4},
            {"kind", embedfont::kKind, MemberKind::PropertyGet, VT_I4},
            {"characters", embedfont::kCharacters, MemberKind::PropertyGet, VT_VARIANT},
        }};
    return description;
}

}  // namespace

const leaf::DispatchTable<CEmbedFont>& CEmbedFont::GetDispatchTable() {
    static const leaf::DispatchTable<CEmbedFont> table(
        EmbedFontInterface(), {{embedfont::kEmbed, MemberKind::PropertyGet, &CEmbedFont::GetEmbed},
                               {embedfont::kEmbed, MemberKind::PropertyPut, &CEmbedFont::PutEmbed},
                               {embedfont::kName, MemberKind::PropertyGet, &CEmbedFont::GetName},
                               {embedfont::kWeight, MemberKind::PropertyGet, &CEmbedFont::GetWeight},
                               {embedfont::kItalic, MemberKind::PropertyGet, &CEmbedFont::GetItalic},
                               {embedfont::kKind, MemberKind::PropertyGet, &CEmbedFont::GetKind},
                               {embedfont::kCharacters, MemberKind::PropertyGet, &CEmbedFont::GetCharacters}});
    return table;
}

leaf::Variant CEmbedFont::GetEmbed(const leaf::DispatchArguments&) { return leaf::Variant(m_data.embed); }

leaf::Variant CEmbedFont::PutEmbed(const leaf::DispatchArguments& arguments) {
    m_data.embed = arguments.Bool(0);
    return {};
}

leaf::Variant CEmbedFont::GetName(const leaf::DispatchArguments&) { return leaf::Variant(std::string_view(m_data.name)); }

leaf::Variant CEmbedFont::GetWeight(const leaf::DispatchArguments&) { return leaf::Variant(m_data.weight); }

leaf::Variant CEmbedFont::GetItalic(const leaf::DispatchArguments&) { return leaf::Variant(LONG{m_data.italic ? 1 : 0}); }

leaf::Variant CEmbedFont::GetKind(const leaf::DispatchArguments&) {
    return leaf::Variant(static_cast<LONG>(m_data.kind));
}

leaf::Variant CEmbedFont::GetCharacters(const leaf::DispatchArguments&) {
    return leaf::Variant(std::u16string_view(m_data.characters));
}

}  // namespace fontembed
