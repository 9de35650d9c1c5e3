#include "tools/build-book/FontChoiceClient.h"

#include "platform/com/DispatchDriver.h"
#include "platform/com/Variant.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/control/FontEmbedder.h"

HRESULT CFontChoiceClient::GetTypeInfoCount(UINT* count) {
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CFontChoiceClient::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO*, UINT*) {
    if (dispid != kSelectEmbeddedFontsDispid)
        return DISP_E_MEMBERNOTFOUND;
    if (params != nullptr && params->cArgs >= 1) {
        leaf::Variant list(params->rgvarg[params->cArgs - 1]);
        if (leaf::ComPtr<IDispatch> fonts = list.ToDispatch())
            ListFonts(fonts.Get());
    }
    if (result != nullptr) {
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = 1;
    }
    return S_OK;
}

void CFontChoiceClient::ListFonts(IDispatch* fontList) {
    try {
        leaf::DispatchDriver list(fontList);
        LONG count = list.GetProperty(fontlist::kCount).ToLong();
        for (LONG i = 1; i <= count; ++i) {
            leaf::ComPtr<IDispatch> font =
                list.InvokeHelper(fontlist::kItem, DISPATCH_PROPERTYGET, {leaf::Variant(i)}).ToDispatch();
            if (!font)
                continue;
            leaf::DispatchDriver driver(font);
            bool embed = driver.GetProperty(embedfont::kEmbed).ToBool();
            std::string name = driver.GetProperty(embedfont::kName).ToUtf8();
            std::fprintf(m_out, "font %s: %s\n", name.c_str(), embed ? "embedded" : "not embedded");
        }
        std::fflush(m_out);
    } catch (const leaf::DispatchError& error) {
        // Listing is only information; the embedder's choice stands either way.
        std::fprintf(m_out, "fonts: cannot list the fonts (%s)\n", error.what());
    }
}
