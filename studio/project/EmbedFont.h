#pragma once

// CEmbedFont: the dispatch driver of one font object of the font embedder's list, as the
// build control hands it to the program's SelectEmbeddedFonts call-back.

#include "common/WideBuffer.h"
#include "platform/base/CString.h"
#include "platform/com/DispatchDriver.h"

// Kinds of a font (property 5).
enum EmbedFontKind : LONG {
    kEmbedFontNative = 0,
    kEmbedFontGeneric = 1,
    kEmbedFontEmbeddable = 2,
    kEmbedFontNotEmbeddable = 3,
    kEmbedFontExternal = 4,
    kEmbedFontUnknown = 5,
};

class CEmbedFont : public leaf::DispatchDriver {
public:
    CEmbedFont() = default;
    explicit CEmbedFont(leaf::ComPtr<IDispatch> font) : leaf::DispatchDriver(std::move(font)) {}

    BOOL GetEmbed() const;             // 1
    void SetEmbed(BOOL embed) const;   // 1
    CString GetName() const;           // 2
    LONG GetWeight() const;            // 3: 700 is bold
    LONG GetItalic() const;            // 4: 1 is italic
    LONG GetKind() const;              // 5: EmbedFontKind
    // 6: the characters the book uses with the font, as UTF-16 (empty when none).
    CWideBuffer GetCharacters() const;
};
