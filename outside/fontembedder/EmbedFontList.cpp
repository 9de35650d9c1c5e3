#include "outside/fontembedder/EmbedFontList.h"

#include "sdk/control/FontEmbedder.h"

namespace fontembed {
namespace {

using leaf::MemberKind;

constexpr IID DIID_IEmbedFontList = leaf::MakeGuid("{9B7F2E64-0C15-4D38-B6A2-71E5C9048D2B}");

const leaf::DispInterfaceDescription& EmbedFontListInterface() {
    static const leaf::DispInterfaceDescription description{
        "IEmbedFontList",
        DIID_IEmbedFontList,
        "The fonts a book uses",
        {
            {"Count", fontlist::kCount, MemberKind::PropertyGet, VT_I4},
            {"Item", fontlist::kItem, MemberKind::PropertyGet, VT_DISPATCH, {{"nIndex", VT_I4}}},
        }};
    return description;
}

}  // namespace

const leaf::DispatchTable<CEmbedFontList>& CEmbedFontList::GetDispatchTable() {
    static const leaf::DispatchTable<CEmbedFontList> table(
        EmbedFontListInterface(), {{fontlist::kCount, MemberKind::PropertyGet, &CEmbedFontList::Count},
                                   {fontlist::kItem, MemberKind::PropertyGet, &CEmbedFontList::Item}});
    return table;
}

leaf::Variant CEmbedFontList::Count(const leaf::DispatchArguments&) {
    return leaf::Variant(static_cast<LONG>(m_fonts.size()));
}

leaf::Variant CEmbedFontList::Item(const leaf::DispatchArguments& arguments) {
    LONG index = arguments.Long(0);
    if (index < 1 || static_cast<size_t>(index) > m_fonts.size())
        throw leaf::AutomationException(E_INVALIDARG, "The font index is out of range.");
    return leaf::Variant(static_cast<IDispatch*>(m_fonts[index - 1].Get()));
}

}  // namespace fontembed
