// Type coercion between VARIANTs: the conversions an automation member needs to accept
// its arguments in whatever form a client sends them.

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/base/TextEncoding.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

namespace leaf::detail {
HRESULT Dereference(const VARIANT& src, VARIANT& out);
}

namespace {

// A number read from a VARIANT, kept in the widest form of its kind so that range
// checks see the exact value.
struct Number {
    enum class Kind { Signed, Unsigned, Real } kind = Kind::Signed;
    std::int64_t integer = 0;
    std::uint64_t unsignedInteger = 0;
    double real = 0;
    bool single = false;  // read from a 4-byte real: print it with float precision
    bool currency = false;

    static Number FromSigned(std::int64_t v) {
        Number n;
        n.integer = v;
        return n;
    }
    static Number FromUnsigned(std::uint64_t v) {
        Number n;
        n.kind = Kind::Unsigned;
        n.unsignedInteger = v;
        return n;
    }
    static Number FromReal(double v) {
        Number n;
        n.kind = Kind::Real;
        n.real = v;
        return n;
    }
    double AsDouble() const {
        switch (kind) {
        case Kind::Signed: return static_cast<double>(integer);
        case Kind::Unsigned: return static_cast<double>(unsignedInteger);
        case Kind::Real: return real;
        }
        return 0;
    }
    bool IsZero() const { return AsDouble() == 0; }
};

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::string TrimmedAscii(BSTR text, bool& ascii) {
    std::u16string_view view = leaf::BstrView(text);
    while (!view.empty() && IsSpace(view.front()))
        view.remove_prefix(1);
    while (!view.empty() && IsSpace(view.back()))
        view.remove_suffix(1);
    std::string result;
    ascii = true;
    for (char16_t c : view) {
        if (c == 0 || c > 0x7F) {
            ascii = false;
            return {};
        }
        result.push_back(static_cast<char>(c));
    }
    return result;
}

HRESULT ParseNumber(BSTR text, Number& number) {
    bool ascii = false;
    std::string trimmed = TrimmedAscii(text, ascii);
    if (!ascii || trimmed.empty())
        return DISP_E_TYPEMISMATCH;
    std::string_view digits = trimmed;
    if (digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-')
            return DISP_E_TYPEMISMATCH;
    }
    // Plain decimal text only: no "inf", "nan", hexadecimal or a second sign.
    std::string_view body = digits;
    if (!body.empty() && body.front() == '-')
        body.remove_prefix(1);
    if (body.empty() || !(std::isdigit(static_cast<unsigned char>(body.front())) || body.front() == '.'))
        return DISP_E_TYPEMISMATCH;
    const char* begin = digits.data();
    const char* end = begin + digits.size();

    std::int64_t signedValue = 0;
    auto [signedEnd, signedError] = std::from_chars(begin, end, signedValue);
    if (signedEnd == end && signedError == std::errc()) {
        number = Number::FromSigned(signedValue);
        return S_OK;
    }
    std::uint64_t unsignedValue = 0;
    auto [unsignedEnd, unsignedError] = std::from_chars(begin, end, unsignedValue);
    if (unsignedEnd == end && unsignedError == std::errc()) {
        number = Number::FromUnsigned(unsignedValue);
        return S_OK;
    }
    double realValue = 0;
    auto [realEnd, realError] = std::from_chars(begin, end, realValue, std::chars_format::general);
    if (realEnd != end)
        return DISP_E_TYPEMISMATCH;
    if (realError == std::errc::result_out_of_range)
        return DISP_E_OVERFLOW;
    if (realError != std::errc())
        return DISP_E_TYPEMISMATCH;
    number = Number::FromReal(realValue);
    return S_OK;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

HRESULT ReadNumber(const VARIANT& src, Number& number) {
    switch (src.vt) {
    case VT_EMPTY: number = Number::FromSigned(0); return S_OK;
    case VT_BOOL: number = Number::FromSigned(src.boolVal != VARIANT_FALSE ? -1 : 0); return S_OK;
    case VT_I1: number = Number::FromSigned(src.cVal); return S_OK;
    case VT_I2: number = Number::FromSigned(src.iVal); return S_OK;
    case VT_I4: number = Number::FromSigned(src.lVal); return S_OK;
    case VT_INT: number = Number::FromSigned(src.intVal); return S_OK;
    case VT_I8: number = Number::FromSigned(src.llVal); return S_OK;
    case VT_UI1: number = Number::FromUnsigned(src.bVal); return S_OK;
    case VT_UI2: number = Number::FromUnsigned(src.uiVal); return S_OK;
    case VT_UI4: number = Number::FromUnsigned(src.ulVal); return S_OK;
    case VT_UINT: number = Number::FromUnsigned(src.uintVal); return S_OK;
    case VT_UI8: number = Number::FromUnsigned(src.ullVal); return S_OK;
    case VT_R4:
        number = Number::FromReal(src.fltVal);
        number.single = true;
        return S_OK;
    case VT_R8: number = Number::FromReal(src.dblVal); return S_OK;
    case VT_DATE: number = Number::FromReal(src.date); return S_OK;
    case VT_CY:
        number = Number::FromReal(static_cast<double>(src.cyVal.int64) / 10000.0);
        number.currency = true;
        number.integer = src.cyVal.int64;
        return S_OK;
    case VT_BSTR: return ParseNumber(src.bstrVal, number);
    default: return DISP_E_TYPEMISMATCH;
    }
}

// Stores an integer of the range [low, high] into `out`; DISP_E_OVERFLOW outside it.
// Reals round to the nearest integer, halves to the even one.
HRESULT ToInteger(const Number& number, std::int64_t low, std::uint64_t high, std::int64_t& asSigned,
                  std::uint64_t& asUnsigned) {
    switch (number.kind) {
    case Number::Kind::Signed:
        if (number.integer < low || (number.integer > 0 && static_cast<std::uint64_t>(number.integer) > high))
            return DISP_E_OVERFLOW;
        asSigned = number.integer;
        asUnsigned = static_cast<std::uint64_t>(number.integer);
        return S_OK;
    case Number::Kind::Unsigned:
        if (number.unsignedInteger > high)
            return DISP_E_OVERFLOW;
        asSigned = static_cast<std::int64_t>(number.unsignedInteger);
        asUnsigned = number.unsignedInteger;
        return S_OK;
    case Number::Kind::Real: {
        if (std::isnan(number.real))
            return DISP_E_OVERFLOW;
        double rounded = std::nearbyint(number.real);
        // 2^63 and 2^64 are exact doubles; compare against them to stay exact.
        if (rounded < static_cast<double>(low) || rounded >= 18446744073709551616.0)
            return DISP_E_OVERFLOW;
        if (rounded < 0) {
            asSigned = static_cast<std::int64_t>(rounded);
            asUnsigned = static_cast<std::uint64_t>(asSigned);
        } else {
            asUnsigned = static_cast<std::uint64_t>(rounded);
            if (asUnsigned > high)
                return DISP_E_OVERFLOW;
            asSigned = static_cast<std::int64_t>(asUnsigned);
        }
        return S_OK;
    }
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT WriteNumber(const Number& number, VARTYPE type, VARIANT& out) {
    std::int64_t s = 0;
    std::uint64_t u = 0;
    HRESULT hr = S_OK;
    auto integer = [&](std::int64_t low, std::uint64_t high) { return hr = ToInteger(number, low, high, s, u); };
    out.vt = type;
    switch (type) {
    case VT_I1:
        if (FAILED(integer(INT8_MIN, INT8_MAX))) return hr;
        out.cVal = static_cast<CHAR>(s);
        return S_OK;
    case VT_UI1:
        if (FAILED(integer(0, UINT8_MAX))) return hr;
        out.bVal = static_cast<BYTE>(u);
        return S_OK;
    case VT_I2:
        if (FAILED(integer(INT16_MIN, INT16_MAX))) return hr;
        out.iVal = static_cast<SHORT>(s);
        return S_OK;
    case VT_UI2:
        if (FAILED(integer(0, UINT16_MAX))) return hr;
        out.uiVal = static_cast<USHORT>(u);
        return S_OK;
    case VT_I4:
    case VT_INT:
        if (FAILED(integer(INT32_MIN, INT32_MAX))) return hr;
        out.lVal = static_cast<LONG>(s);
        return S_OK;
    case VT_UI4:
    case VT_UINT:
        if (FAILED(integer(0, UINT32_MAX))) return hr;
        out.ulVal = static_cast<ULONG>(u);
        return S_OK;
    case VT_I8:
        if (FAILED(integer(INT64_MIN, INT64_MAX))) return hr;
        out.llVal = s;
        return S_OK;
    case VT_UI8:
        if (FAILED(integer(0, UINT64_MAX))) return hr;
        out.ullVal = u;
        return S_OK;
    case VT_R4: {
        double value = number.AsDouble();
        if (std::isfinite(value) && std::fabs(value) > FLT_MAX)
            return DISP_E_OVERFLOW;
        out.fltVal = static_cast<float>(value);
        return S_OK;
    }
    case VT_R8:
        out.dblVal = number.AsDouble();
        return S_OK;
    case VT_DATE:
        out.date = number.AsDouble();
        return S_OK;
    case VT_CY: {
        if (number.currency) {
            out.cyVal.int64 = number.integer;
            return S_OK;
        }
        double scaled = number.AsDouble() * 10000.0;
        if (!std::isfinite(scaled) || scaled < -9223372036854775808.0 || scaled >= 9223372036854775808.0)
            return DISP_E_OVERFLOW;
        out.cyVal.int64 = static_cast<std::int64_t>(std::nearbyint(scaled));
        return S_OK;
    }
    case VT_BOOL:
        out.boolVal = number.IsZero() ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    default:
        return DISP_E_BADVARTYPE;
    }
}

std::string NumberText(const Number& number) {
    if (number.currency) {
        std::int64_t value = number.integer;
        bool negative = value < 0;
        std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
        std::uint64_t fraction = magnitude % 10000;
        if (fraction != 0) {
            std::string digits = std::to_string(fraction + 10000).substr(1);
            while (digits.back() == '0')
                digits.pop_back();
            text += "." + digits;
        }
        return text;
    }
    switch (number.kind) {
    case Number::Kind::Signed: return std::to_string(number.integer);
    case Number::Kind::Unsigned: return std::to_string(number.unsignedInteger);
    case Number::Kind::Real: break;
    }
    char buffer[64];
    std::to_chars_result result = number.single
        ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(number.real))
        : std::to_chars(buffer, buffer + sizeof buffer, number.real);
    return std::string(buffer, result.ptr);
}

HRESULT MakeText(const std::string& text, VARIANT& out) {
    out.vt = VT_BSTR;
    out.bstrVal = leaf::Bstr::FromUtf8(text).Detach();
    return out.bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ConvertPlain(const VARIANT& src, VARTYPE type, USHORT flags, VARIANT& out, int depth);

// An object converts to a plain value through its value property.
HRESULT ConvertObjectValue(const VARIANT& src, VARTYPE type, USHORT flags, VARIANT& out, int depth) {
    if (src.punkVal == nullptr || (flags & VARIANT_NOVALUEPROP) || depth > 4)
        return DISP_E_TYPEMISMATCH;
    leaf::ComPtr<IDispatch> object;
    if (FAILED(src.punkVal->QueryInterface(IID_IDispatch, object.ReceiveVoid())))
        return DISP_E_TYPEMISMATCH;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    leaf::Variant value;
    if (FAILED(object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                              nullptr, nullptr)))
        return DISP_E_TYPEMISMATCH;
    leaf::Variant plain;
    HRESULT hr = VariantCopyInd(&plain, &value);
    if (FAILED(hr))
        return hr;
    return ConvertPlain(plain, type, flags, out, depth + 1);
}

HRESULT ConvertPlain(const VARIANT& src, VARTYPE type, USHORT flags, VARIANT& out, int depth) {
    VariantInit(&out);
    if (type == VT_EMPTY)
        return S_OK;
    if (type == src.vt)
        return VariantCopy(&out, &src);
    if (type == VT_NULL) {
        if (src.vt != VT_EMPTY)
            return DISP_E_TYPEMISMATCH;
        out.vt = VT_NULL;
        return S_OK;
    }
    if (src.vt == VT_NULL || src.vt == VT_ERROR || type == VT_ERROR)
        return DISP_E_TYPEMISMATCH;

    if (type == VT_DISPATCH || type == VT_UNKNOWN) {
        if (src.vt == VT_EMPTY) {
            out.vt = type;
            out.punkVal = nullptr;
            return S_OK;
        }
        if (src.vt != VT_DISPATCH && src.vt != VT_UNKNOWN)
            return DISP_E_TYPEMISMATCH;
        out.vt = type;
        if (src.punkVal == nullptr) {
            out.punkVal = nullptr;
            return S_OK;
        }
        const IID& wanted = type == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
        void* object = nullptr;
        if (FAILED(src.punkVal->QueryInterface(wanted, &object))) {
            VariantInit(&out);
            return DISP_E_TYPEMISMATCH;
        }
        out.punkVal = static_cast<IUnknown*>(object);
        return S_OK;
    }
    if (src.vt == VT_DISPATCH || src.vt == VT_UNKNOWN)
        return ConvertObjectValue(src, type, flags, out, depth);

    if (type == VT_BSTR) {
        if (src.vt == VT_EMPTY)
            return MakeText("", out);
        if (src.vt == VT_BOOL)
            return MakeText(src.boolVal != VARIANT_FALSE ? "True" : "False", out);
        Number number;
        HRESULT hr = ReadNumber(src, number);
        if (FAILED(hr))
            return hr;
        return MakeText(NumberText(number), out);
    }
    if (type == VT_BOOL && src.vt == VT_BSTR) {
        bool ascii = false;
        std::string text = TrimmedAscii(src.bstrVal, ascii);
        if (ascii && EqualsIgnoringAsciiCase(text, "true")) {
            out.vt = VT_BOOL;
            out.boolVal = VARIANT_TRUE;
            return S_OK;
        }
        if (ascii && EqualsIgnoringAsciiCase(text, "false")) {
            out.vt = VT_BOOL;
            out.boolVal = VARIANT_FALSE;
            return S_OK;
        }
    }
    Number number;
    HRESULT hr = ReadNumber(src, number);
    if (FAILED(hr))
        return hr;
    hr = WriteNumber(number, type, out);
    if (FAILED(hr))
        VariantInit(&out);
    return hr;
}

bool IsConvertibleTarget(VARTYPE type) {
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

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt) {
    if (dest == nullptr || src == nullptr)
        return E_INVALIDARG;
    if (!IsConvertibleTarget(vt))
        return DISP_E_BADVARTYPE;
    VARIANT plain;
    HRESULT hr = leaf::detail::Dereference(*src, plain);
    if (FAILED(hr))
        return hr;
    VARIANT converted;
    hr = ConvertPlain(plain, vt, flags, converted, 0);
    VariantClear(&plain);
    if (FAILED(hr))
        return hr;
    hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&converted);
        return hr;
    }
    *dest = converted;
    return S_OK;
}

HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, DWORD, USHORT flags, VARTYPE vt) {
    return VariantChangeType(dest, src, flags, vt);
}
