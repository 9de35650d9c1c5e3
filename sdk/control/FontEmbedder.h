#pragma once

// The interface of the outside font-embedding component ("Leafcraft.FontEmbedder") as
// the build control calls it during a build. Every operation after the availability
// check receives the control's host object, through which the component reports
// progress and error text and learns of an abort.

#include "common/InputFilter.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"

inline constexpr IID IID_IFontEmbedder = leaf::MakeGuid("{B2693724-7657-4EB8-90AF-7110704D79B4}");
inline constexpr const char* kFontEmbedderProgId = "Leafcraft.FontEmbedder";

struct IFontEmbedder : IUnknown {
    static constexpr const IID& kIid = IID_IFontEmbedder;

    // 0: usable; any other value: the component cannot work on this machine.
    virtual LONG CheckAvailable() = 0;
    virtual HRESULT Begin(IFilterHost* host) = 0;
    virtual HRESULT AddFile(LPCOLESTR workFilePath, IFilterHost* host) = 0;
    // A negative result: no font is to be embedded.
    virtual HRESULT Analyse(IFilterHost* host) = 0;
    // The fonts the client may choose from, as an automation object (Count, Item(i)
    // giving font objects with embed, name, weight, italic, kind and characters); the
    // caller owns the returned reference.
    virtual IDispatch* GetFontList(IFilterHost* host) = 0;
    // Embeds the chosen fonts into the work folder; a negative result fails the build.
    virtual HRESULT Embed(LPCOLESTR workFolder, IFilterHost* host) = 0;
    virtual HRESULT End(IFilterHost* host) = 0;

protected:
    ~IFontEmbedder() = default;
};

// Dispatch ids of the font list and font objects.
namespace fontlist {
inline constexpr DISPID kCount = 1;
inline constexpr DISPID kItem = 2;
}  // namespace fontlist
namespace embedfont {
inline constexpr DISPID kEmbed = 1;
inline constexpr DISPID kName = 2;
inline constexpr DISPID kWeight = 3;
inline constexpr DISPID kItalic = 4;
inline constexpr DISPID kKind = 5;
inline constexpr DISPID kCharacters = 6;
}  // namespace embedfont
