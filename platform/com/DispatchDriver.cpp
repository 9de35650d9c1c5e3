#include "platform/com/DispatchDriver.h"

#include <cstdio>

#include "platform/base/TextEncoding.h"

namespace leaf {

namespace {

std::string DescribeFailure(HRESULT hr, const std::string& description) {
    char code[32];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    return description.empty() ? std::string("automation call failed: ") + code
                               : std::string("automation call failed: ") + code + ": " + description;
}

[[noreturn]] void Throw(const DispatchResult& result) {
    throw DispatchError(result.hr, result.argumentError, result.exceptionCode, result.description);
}

}  // namespace

DispatchError::DispatchError(HRESULT result, UINT argumentError, SCODE exceptionCode, std::string description)
    : m_result(result),
      m_argumentError(argumentError),
      m_exceptionCode(exceptionCode),
      m_description(std::move(description)),
      m_message(DescribeFailure(result, m_description)) {}

DISPID DispatchDriver::GetDispId(const std::string& name) const {
    if (!m_object)
        return DISPID_UNKNOWN;
    std::u16string wide = Utf8ToUtf16(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(m_object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        return DISPID_UNKNOWN;
    return id;
}

DISPID DispatchDriver::GetDispIdOrThrow(const std::string& name) const {
    if (!m_object)
        throw DispatchError(E_POINTER, 0, S_OK, "no object");
    DISPID id = GetDispId(name);
    if (id == DISPID_UNKNOWN)
        throw DispatchError(DISP_E_UNKNOWNNAME, 0, S_OK, name);
    return id;
}

DispatchResult DispatchDriver::TryInvoke(DISPID dispid, WORD flags, const std::vector<Variant>& arguments) const {
    DispatchResult result;
    if (!m_object) {
        result.hr = E_POINTER;
        return result;
    }
    // rgvarg holds the arguments last first; the arguments' own storage is passed, so
    // nothing is copied.
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    result.hr = m_object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result.value, &exception,
                                 &result.argumentError);
    if (result.hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn != nullptr)
            exception.pfnDeferredFillIn(&exception);
        result.exceptionCode = exception.scode;
        result.description = BstrToUtf8(exception.bstrDescription);
    }
    ClearExcepInfo(&exception);
    return result;
}

DispatchResult DispatchDriver::TryInvoke(const std::string& name, WORD flags,
                                         const std::vector<Variant>& arguments) const {
    DISPID id = GetDispId(name);
    if (id == DISPID_UNKNOWN) {
        DispatchResult result;
        result.hr = m_object ? DISP_E_UNKNOWNNAME : E_POINTER;
        return result;
    }
    return TryInvoke(id, flags, arguments);
}

Variant DispatchDriver::InvokeHelper(DISPID dispid, WORD flags, const std::vector<Variant>& arguments) const {
    DispatchResult result = TryInvoke(dispid, flags, arguments);
    if (FAILED(result.hr))
        Throw(result);
    return std::move(result.value);
}

void DispatchDriver::SetProperty(DISPID dispid, const Variant& value) const {
    DispatchResult result = TryInvoke(dispid, DISPATCH_PROPERTYPUT, {value});
    if (FAILED(result.hr))
        Throw(result);
}

}  // namespace leaf
