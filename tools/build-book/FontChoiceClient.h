#pragma once

// The call-back object build-book hands to BuildEBook. When fonts are to be embedded,
// the control calls its member 1 (SelectEmbeddedFonts) with the list of fonts the
// pages use; a person would choose there. This client lists the fonts, keeps the
// choice the font embedder proposed and answers 1 (go on).

#include <cstdio>

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

class CFontChoiceClient final : public leaf::ComObject<CFontChoiceClient, IDispatch> {
public:
    explicit CFontChoiceClient(std::FILE* out) : m_out(out) {}

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT*) override;

private:
    void ListFonts(IDispatch* fontList);

    std::FILE* m_out;
};
