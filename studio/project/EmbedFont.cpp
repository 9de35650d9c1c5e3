#include "studio/project/EmbedFont.h"

namespace {

enum EmbedFontDispid : DISPID {
    kEmbed = 1,
    kName = 2,
    kWeight = 3,
    kItalic = 4,
    kKind = 5,
    kCharacters = 6,
};

}  // namespace

BOOL CEmbedFont::GetEmbed() const {
    return GetProperty(kEmbed).ToBool() ? TRUE : FALSE;
}

void CEmbedFont::SetEmbed(BOOL embed) const {
    SetProperty(kEmbed, leaf::Variant(embed != FALSE));
}

CString CEmbedFont::GetName() const {
    return CString(GetProperty(kName).ToUtf8().c_str());
}

LONG CEmbedFont::GetWeight() const {
    return GetProperty(kWeight).ToLong();
}

LONG CEmbedFont::GetItalic() const {
    return GetProperty(kItalic).ToLong();
}

LONG CEmbedFont::GetKind() const {
    return GetProperty(kKind).ToLong();
}

CWideBuffer CEmbedFont::GetCharacters() const {
    leaf::Variant characters = GetProperty(kCharacters);
    CWideBuffer buffer;
    if (characters.Type() == VT_BSTR) {
        const std::u16string text = characters.ToUtf16();
        buffer.Assign(text.c_str());
    }
    return buffer;
}
