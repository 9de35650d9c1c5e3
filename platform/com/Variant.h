#pragma once

// VARIANT, the self-describing value of automation calls, with clearing, copying and
// type coercion, and leaf::Variant, its owning wrapper (CComVariant-shaped).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/Types.h"
#include "platform/com/Bstr.h"
#include "platform/com/HResult.h"
#include "platform/com/Unknown.h"

struct IDispatch;

using VARTYPE = std::uint16_t;
using DATE = double;
using FLOAT = float;
using DOUBLE = double;

// Currency: a 64-bit integer counting ten-thousandths.
struct CY {
    LONGLONG int64;
};

enum : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        CY* pcyVal;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        VARIANT* pvarVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        void* byref;
        void* padding[2];
    };
};
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*), "VARIANT keeps its layout: type, three reserved words, value");
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;

// Flags of VariantChangeType.
inline constexpr USHORT VARIANT_NOVALUEPROP = 0x01;  // do not ask an object for its value property
inline constexpr USHORT VARIANT_ALPHABOOL = 0x02;    // accepted; BOOL text is always "True"/"False"
inline constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
inline constexpr USHORT VARIANT_LOCALBOOL = 0x10;

void VariantInit(VARIANT* value);
// Frees a held BSTR, releases a held interface, and leaves VT_EMPTY. References
// (VT_BYREF) are not followed. DISP_E_BADVARTYPE for a type this layer does not know
// (the value is then left as it was).
HRESULT VariantClear(VARIANT* value);
// Clears dest, then makes it a copy of src (new BSTR, AddRef'ed interface).
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// As VariantCopy, but a reference (VT_BYREF) is replaced by a copy of what it points to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);
// Converts src to type vt into dest (dest may be src). A reference is followed first.
// Between numbers: DISP_E_OVERFLOW out of range (reals round half to even). Text is
// decimal ("12", "-3.5", "1e3"; "True"/"False" for BOOL), other text is
// DISP_E_TYPEMISMATCH. VT_EMPTY gives 0, "" or FALSE; VT_NULL converts to nothing but
// VT_NULL and VT_EMPTY; VT_ERROR only to itself. Objects convert to VT_DISPATCH and
// VT_UNKNOWN by QueryInterface and to values through their value property
// (DISPID_VALUE) unless VARIANT_NOVALUEPROP is given. On failure dest is unchanged.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, DWORD lcid, USHORT flags, VARTYPE vt);

namespace leaf {

// Owns one VARIANT's contents. Derives from VARIANT, so &v or the object itself can be
// passed wherever a VARIANT* is expected.
class Variant : public VARIANT {
public:
    Variant() { VariantInit(this); }
    Variant(const VARIANT& other);
    Variant(const Variant& other) : Variant(static_cast<const VARIANT&>(other)) {}
    Variant(Variant&& other) noexcept;
    Variant(bool value);
    Variant(LONG value);
    Variant(double value);
    Variant(const char* utf8);
    Variant(std::string_view utf8);
    Variant(const std::string& utf8) : Variant(std::string_view(utf8)) {}
    Variant(const char16_t* text);
    Variant(std::u16string_view text);
    Variant(const Bstr& text);
    Variant(IDispatch* object);
    Variant(IUnknown* object);
    ~Variant() { VariantClear(this); }

    Variant& operator=(const Variant& other);
    Variant& operator=(const VARIANT& other);
    Variant& operator=(Variant&& other) noexcept;

    // VT_ERROR values: Missing() is how an omitted optional argument arrives.
    static Variant Error(SCODE code);
    static Variant Missing() { return Error(DISP_E_PARAMNOTFOUND); }
    static Variant Null();
    // VT_BSTR holding a null BSTR (distinct from an empty string).
    static Variant NullBstr();
    // Adopts the contents of `value` and leaves it VT_EMPTY.
    static Variant Take(VARIANT* value);

    VARTYPE Type() const { return vt; }
    bool IsEmpty() const { return vt == VT_EMPTY; }
    bool IsMissing() const { return vt == VT_ERROR && scode == DISP_E_PARAMNOTFOUND; }

    HRESULT Clear() { return VariantClear(this); }
    HRESULT ChangeType(VARTYPE type, USHORT flags = 0) { return VariantChangeType(this, this, flags, type); }
    // Moves the contents into dest (cleared first) and leaves this VT_EMPTY.
    HRESULT Detach(VARIANT* dest);
    HRESULT CopyTo(VARIANT* dest) const { return VariantCopy(dest, this); }

    // Coerced readings; the fallback when the value does not convert.
    LONG ToLong(LONG fallback = 0) const;
    double ToDouble(double fallback = 0) const;
    bool ToBool(bool fallback = false) const;
    std::string ToUtf8(const std::string& fallback = std::string()) const;
    std::u16string ToUtf16() const;
    // The held object as IDispatch (AddRef'ed through the ComPtr); null when none.
    ComPtr<IDispatch> ToDispatch() const;
};

bool operator==(const Variant& a, const Variant& b);

}  // namespace leaf
