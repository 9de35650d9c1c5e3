#include "studio/project/WordPropertyReader.h"

#include <cmath>
#include <cstdint>

#include "common/WordBridge.h"

namespace {

// An automation date (days since 30 December 1899, the time of day as the fraction)
// as "%m/%d/%Y", with " %H:%M:%S" when it has a time of day; a pure time is the time alone.
CString FormatAutomationDate(DATE date) {
    if (!std::isfinite(date) || date < -657434.0 || date > 2958465.99999)
        return CString();
    double wholeDays = std::trunc(date);
    // Before the epoch the fraction still counts forward from midnight.
    double fraction = std::fabs(date - wholeDays);
    LONGLONG seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400)
        seconds = 86399;
    // Civil date from a day count (1970-01-01 is day 0).
    LONGLONG days = static_cast<LONGLONG>(wholeDays) - 25569;
    days += 719468;
    LONGLONG era = (days >= 0 ? days : days - 146096) / 146097;
    LONGLONG dayOfEra = days - era * 146097;
    LONGLONG yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    LONGLONG dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    LONGLONG monthIndex = (5 * dayOfYear + 2) / 153;
    int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));

    CString text;
    int hours = static_cast<int>(seconds / 3600), minutes = static_cast<int>(seconds / 60 % 60),
        secs = static_cast<int>(seconds % 60);
    if (wholeDays == 0 && seconds != 0)
        text.Format("%02d:%02d:%02d", hours, minutes, secs);
    else if (seconds == 0)
        text.Format("%02d/%02d/%04d", month, day, year);
    else
        text.Format("%02d/%02d/%04d %02d:%02d:%02d", month, day, year, hours, minutes, secs);
    return text;
}

// Currency (ten-thousandths) as a plain decimal number without trailing zeros.
CString FormatCurrency(CY value) {
    LONGLONG units = value.int64;
    bool negative = units < 0;
    ULONGLONG magnitude = negative ? 0 - static_cast<ULONGLONG>(units) : static_cast<ULONGLONG>(units);
    CString text;
    text.Format("%s%llu", negative ? "-" : "", static_cast<unsigned long long>(magnitude / 10000));
    unsigned fraction = static_cast<unsigned>(magnitude % 10000);
    if (fraction != 0) {
        CString digits;
        digits.Format("%04u", fraction);
        digits.TrimRight("0");
        text += ".";
        text += digits;
    }
    return text;
}

}  // namespace

CString WordPropertyValueText(const VARIANT& value) {
    leaf::Variant plain;
    if ((value.vt & VT_BYREF) != 0) {
        if (value.byref == nullptr || FAILED(VariantCopyInd(&plain, &value)))
            return CString();
    } else if (FAILED(VariantCopy(&plain, &value))) {
        return CString();
    }
    CString text;
    switch (plain.vt) {
    case VT_I2: text.Format("%d", plain.iVal); break;
    case VT_BOOL: text.Format("%d", plain.boolVal); break;
    case VT_I1: text.Format("%d", static_cast<signed char>(plain.cVal)); break;
    case VT_UI1: text.Format("%d", plain.bVal); break;
    case VT_UI2: text.Format("%d", plain.uiVal); break;
    case VT_I4: text.Format("%d", plain.lVal); break;
    case VT_UI4: text.Format("%u", plain.ulVal); break;
    case VT_INT: text.Format("%d", plain.intVal); break;
    case VT_UINT: text.Format("%u", plain.uintVal); break;
    case VT_R4: text.Format("%f", static_cast<double>(plain.fltVal)); break;
    case VT_R8: text.Format("%f", plain.dblVal); break;
    case VT_CY: text = FormatCurrency(plain.cyVal); break;
    case VT_DATE: text = FormatAutomationDate(plain.date); break;
    case VT_BSTR: text = leaf::BstrToUtf8(plain.bstrVal); break;
    default: break;
    }
    return text;
}

CWordPropertyReader::~CWordPropertyReader() { Close(); }

HRESULT CWordPropertyReader::Close() {
    if (!m_word)
        return 0;
    return QuitWord(m_word);
}

HRESULT CWordPropertyReader::GetProperty(const char* path, const char* propertyName, CString* text) {
    if (path == nullptr || propertyName == nullptr || text == nullptr)
        return E_POINTER;
    text->Empty();
    COleDispatchDriver document;
    HRESULT hr = OpenExistingWordDocument(m_word, &document, path);
    if (FAILED(hr))
        return hr;
    hr = S_OK;
    try {
        leaf::ComPtr<IDispatch> properties =
            document.GetProperty(wordid::kDocumentBuiltInProperties).ToDispatch();
        if (!properties) {
            hr = E_FAIL;
        } else {
            COleDispatchDriver collection(properties);
            leaf::DispatchResult item = collection.TryInvoke(wordid::kPropertiesItem, DISPATCH_PROPERTYGET,
                                                             {leaf::Variant(propertyName)});
            leaf::ComPtr<IDispatch> property;
            if (FAILED(item.hr))
                hr = item.hr;
            else if (item.value.vt != VT_DISPATCH || !(property = item.value.ToDispatch()))
                hr = E_FAIL;
            else {
                leaf::DispatchResult value =
                    COleDispatchDriver(property).TryInvoke(wordid::kPropertyValue, DISPATCH_PROPERTYGET, {});
                if (FAILED(value.hr))
                    hr = value.hr;
                else
                    *text = WordPropertyValueText(value.value);
            }
        }
    } catch (...) {
        hr = WordExceptionResult();
    }
    // The document is closed in every case, so that a failed reading leaves nothing open.
    HRESULT closed = CloseWordDocument(m_word.get(), &document);
    return FAILED(hr) ? hr : closed;
}
