#include "platform/com/Variant.h"

#include <cstring>
#include <utility>

#include "platform/base/TextEncoding.h"
#include "platform/com/Dispatch.h"

namespace {

bool IsKnownScalarType(VARTYPE type) {
    switch (type) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY:
    case VT_DATE: case VT_BSTR: case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_UNKNOWN:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

bool IsValidReferenceType(VARTYPE type) {
    VARTYPE base = type & VT_TYPEMASK;
    return (type & VT_ARRAY) == 0 && base != VT_EMPTY && base != VT_NULL &&
           (base == VT_VARIANT || IsKnownScalarType(base));
}

}  // namespace

void VariantInit(VARIANT* value) {
    if (value == nullptr)
        return;
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value) {
    if (value == nullptr)
        return E_INVALIDARG;
    if (value->vt & VT_BYREF) {
        if (!IsValidReferenceType(value->vt))
            return DISP_E_BADVARTYPE;
    } else if (!IsKnownScalarType(value->vt)) {
        return DISP_E_BADVARTYPE;
    } else if (value->vt == VT_BSTR) {
        SysFreeString(value->bstrVal);
    } else if (value->vt == VT_DISPATCH || value->vt == VT_UNKNOWN) {
        if (value->punkVal != nullptr)
            value->punkVal->Release();
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (dest == nullptr || src == nullptr)
        return E_INVALIDARG;
    if (dest == src)
        return S_OK;
    bool valid = (src->vt & VT_BYREF) ? IsValidReferenceType(src->vt) : IsKnownScalarType(src->vt);
    if (!valid)
        return DISP_E_BADVARTYPE;
    VARIANT copy = *src;
    if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
        copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(src->bstrVal),
                                             SysStringByteLen(src->bstrVal));
        if (copy.bstrVal == nullptr)
            return E_OUTOFMEMORY;
    } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal != nullptr) {
        src->punkVal->AddRef();
    }
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *dest = copy;
    return S_OK;
}

namespace leaf::detail {

// Reads through one level of reference into a plain (owned) VARIANT.
HRESULT Dereference(const VARIANT& src, VARIANT& out) {
    VariantInit(&out);
    if (!(src.vt & VT_BYREF))
        return VariantCopy(&out, &src);
    if (!IsValidReferenceType(src.vt))
        return DISP_E_BADVARTYPE;
    if (src.byref == nullptr)
        return E_POINTER;
    VARTYPE base = src.vt & VT_TYPEMASK;
    if (base == VT_VARIANT) {
        const VARIANT& inner = *src.pvarVal;
        if (inner.vt == (VT_BYREF | VT_VARIANT))
            return E_INVALIDARG;
        return inner.vt & VT_BYREF ? Dereference(inner, out) : VariantCopy(&out, &inner);
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = base;
    switch (base) {
    case VT_I2: value.iVal = *src.piVal; break;
    case VT_I4: value.lVal = *src.plVal; break;
    case VT_R4: value.fltVal = *src.pfltVal; break;
    case VT_R8: value.dblVal = *src.pdblVal; break;
    case VT_CY: value.cyVal = *src.pcyVal; break;
    case VT_DATE: value.date = *src.pdate; break;
    case VT_BSTR: value.bstrVal = *src.pbstrVal; break;
    case VT_DISPATCH: value.pdispVal = *src.ppdispVal; break;
    case VT_UNKNOWN: value.punkVal = *src.ppunkVal; break;
    case VT_ERROR: value.scode = *src.pscode; break;
    case VT_BOOL: value.boolVal = *src.pboolVal; break;
    case VT_I1: value.cVal = *src.pcVal; break;
    case VT_UI1: value.bVal = *src.pbVal; break;
    case VT_UI2: value.uiVal = *src.puiVal; break;
    case VT_UI4: value.ulVal = *src.pulVal; break;
    case VT_I8: value.llVal = *src.pllVal; break;
    case VT_UI8: value.ullVal = *src.pullVal; break;
    case VT_INT: value.intVal = *src.pintVal; break;
    case VT_UINT: value.uintVal = *src.puintVal; break;
    default: return DISP_E_BADVARTYPE;
    }
    // `value` borrows the referenced string or object; VariantCopy makes it owned.
    return VariantCopy(&out, &value);
}

}  // namespace leaf::detail

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src) {
    if (dest == nullptr || src == nullptr)
        return E_INVALIDARG;
    VARIANT value;
    HRESULT hr = leaf::detail::Dereference(*src, value);
    if (FAILED(hr))
        return hr;
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&value);
        return hr;
    }
    *dest = value;
    return S_OK;
}

namespace leaf {

Variant::Variant(const VARIANT& other) {
    VariantInit(this);
    VariantCopy(this, &other);
}

Variant::Variant(Variant&& other) noexcept {
    static_cast<VARIANT&>(*this) = other;
    VariantInit(&other);
}

Variant::Variant(bool value) {
    VariantInit(this);
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(LONG value) {
    VariantInit(this);
    vt = VT_I4;
    lVal = value;
}

Variant::Variant(double value) {
    VariantInit(this);
    vt = VT_R8;
    dblVal = value;
}

Variant::Variant(const char* utf8) : Variant(std::string_view(utf8 ? utf8 : "")) {}

Variant::Variant(std::string_view utf8) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = Bstr::FromUtf8(utf8).Detach();
}

Variant::Variant(const char16_t* text) : Variant(std::u16string_view(text ? text : u"")) {}

Variant::Variant(std::u16string_view text) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = Bstr(text).Detach();
}

Variant::Variant(const Bstr& text) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = text.Copy();
}

Variant::Variant(IDispatch* object) {
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = object;
    if (object)
        object->AddRef();
}

Variant::Variant(IUnknown* object) {
    VariantInit(this);
    vt = VT_UNKNOWN;
    punkVal = object;
    if (object)
        object->AddRef();
}

Variant& Variant::operator=(const Variant& other) {
    VariantCopy(this, &other);
    return *this;
}

Variant& Variant::operator=(const VARIANT& other) {
    VariantCopy(this, &other);
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(this);
        static_cast<VARIANT&>(*this) = other;
        VariantInit(&other);
    }
    return *this;
}

Variant Variant::Error(SCODE code) {
    Variant value;
    value.vt = VT_ERROR;
    value.scode = code;
    return value;
}

Variant Variant::Null() {
    Variant value;
    value.vt = VT_NULL;
    return value;
}

Variant Variant::NullBstr() {
    Variant value;
    value.vt = VT_BSTR;
    value.bstrVal = nullptr;
    return value;
}

Variant Variant::Take(VARIANT* value) {
    Variant result;
    if (value != nullptr) {
        static_cast<VARIANT&>(result) = *value;
        VariantInit(value);
    }
    return result;
}

HRESULT Variant::Detach(VARIANT* dest) {
    if (dest == nullptr)
        return E_POINTER;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    *dest = *this;
    VariantInit(this);
    return S_OK;
}

LONG Variant::ToLong(LONG fallback) const {
    Variant converted;
    return SUCCEEDED(VariantChangeType(&converted, this, 0, VT_I4)) ? converted.lVal : fallback;
}

double Variant::ToDouble(double fallback) const {
    Variant converted;
    return SUCCEEDED(VariantChangeType(&converted, this, 0, VT_R8)) ? converted.dblVal : fallback;
}

bool Variant::ToBool(bool fallback) const {
    Variant converted;
    return SUCCEEDED(VariantChangeType(&converted, this, 0, VT_BOOL)) ? converted.boolVal != VARIANT_FALSE
                                                                        : fallback;
}

std::string Variant::ToUtf8(const std::string& fallback) const {
    Variant converted;
    return SUCCEEDED(VariantChangeType(&converted, this, 0, VT_BSTR)) ? BstrToUtf8(converted.bstrVal) : fallback;
}

std::u16string Variant::ToUtf16() const {
    Variant converted;
    if (FAILED(VariantChangeType(&converted, this, 0, VT_BSTR)))
        return {};
    return std::u16string(BstrView(converted.bstrVal));
}

ComPtr<IDispatch> Variant::ToDispatch() const {
    Variant converted;
    if (FAILED(VariantChangeType(&converted, this, VARIANT_NOVALUEPROP, VT_DISPATCH)))
        return nullptr;
    return ComPtr<IDispatch>(converted.pdispVal);
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.vt != b.vt)
        return false;
    switch (a.vt) {
    case VT_EMPTY: case VT_NULL: return true;
    case VT_BSTR:
        return (a.bstrVal == nullptr) == (b.bstrVal == nullptr) && BstrView(a.bstrVal) == BstrView(b.bstrVal);
    case VT_R4: return a.fltVal == b.fltVal;
    case VT_R8: case VT_DATE: return a.dblVal == b.dblVal;
    case VT_BOOL: return a.boolVal == b.boolVal;
    case VT_I1: return a.cVal == b.cVal;
    case VT_UI1: return a.bVal == b.bVal;
    case VT_I2: return a.iVal == b.iVal;
    case VT_UI2: return a.uiVal == b.uiVal;
    case VT_I4: case VT_INT: case VT_ERROR: return a.lVal == b.lVal;
    case VT_UI4: case VT_UINT: return a.ulVal == b.ulVal;
    case VT_I8: case VT_CY: return a.llVal == b.llVal;
    case VT_UI8: return a.ullVal == b.ullVal;
    default: return a.byref == b.byref;
    }
}

}  // namespace leaf

void leaf::ClearExcepInfo(EXCEPINFO* info) {
    if (info == nullptr)
        return;
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    std::memset(info, 0, sizeof *info);
}
