#pragma once

// The client side of IDispatch (COleDispatchDriver-shaped): holds an object's IDispatch
// and calls its members by dispatch id or by name with C++ arguments.
//
//   leaf::DispatchDriver sdk(object);
//   leaf::Variant ok = sdk.Invoke(6, DISPATCH_METHOD, "/book/a.htm", 1);
//   LONG count = sdk.GetProperty("Count").ToLong();
//
// A failing call throws leaf::DispatchError with the HRESULT, the index of a refused
// argument, and the EXCEPINFO text of an automation error; the Try forms return the
// HRESULT instead.

#include <exception>
#include <string>
#include <vector>

#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

namespace leaf {

class DispatchError : public std::exception {
public:
    DispatchError(HRESULT result, UINT argumentError, SCODE exceptionCode, std::string description);
    HRESULT Result() const { return m_result; }
    // The rgvarg index of the argument that was refused (type mismatch, overflow).
    UINT ArgumentError() const { return m_argumentError; }
    // For DISP_E_EXCEPTION: the member's own error code and text.
    SCODE ExceptionCode() const { return m_exceptionCode; }
    const std::string& Description() const { return m_description; }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    HRESULT m_result;
    UINT m_argumentError;
    SCODE m_exceptionCode;
    std::string m_description;
    std::string m_message;
};

// The outcome of a call that does not throw.
struct DispatchResult {
    HRESULT hr = S_OK;
    Variant value;
    UINT argumentError = 0;
    SCODE exceptionCode = S_OK;
    std::string description;
};

class DispatchDriver {
public:
    DispatchDriver() = default;
    explicit DispatchDriver(IDispatch* object) : m_object(object) {}
    explicit DispatchDriver(ComPtr<IDispatch> object) : m_object(std::move(object)) {}

    void AttachDispatch(IDispatch* object) { m_object = object; }
    void ReleaseDispatch() { m_object = nullptr; }
    IDispatch* GetDispatch() const { return m_object.Get(); }
    explicit operator bool() const { return static_cast<bool>(m_object); }

    // The dispatch id of a member name (GetIDsOfNames); DISPID_UNKNOWN when unknown.
    DISPID GetDispId(const std::string& name) const;

    // Calls a member with arguments in their natural order.
    DispatchResult TryInvoke(DISPID dispid, WORD flags, const std::vector<Variant>& arguments) const;
    DispatchResult TryInvoke(const std::string& name, WORD flags, const std::vector<Variant>& arguments) const;

    template <class... Arguments>
    Variant Invoke(DISPID dispid, WORD flags, const Arguments&... arguments) const {
        return InvokeHelper(dispid, flags, {Variant(arguments)...});
    }
    template <class... Arguments>
    Variant Invoke(const std::string& name, WORD flags, const Arguments&... arguments) const {
        return InvokeHelper(GetDispIdOrThrow(name), flags, {Variant(arguments)...});
    }
    Variant InvokeHelper(DISPID dispid, WORD flags, const std::vector<Variant>& arguments) const;

    Variant GetProperty(DISPID dispid) const { return InvokeHelper(dispid, DISPATCH_PROPERTYGET, {}); }
    Variant GetProperty(const std::string& name) const { return GetProperty(GetDispIdOrThrow(name)); }
    void SetProperty(DISPID dispid, const Variant& value) const;
    void SetProperty(const std::string& name, const Variant& value) const {
        SetProperty(GetDispIdOrThrow(name), value);
    }

private:
    DISPID GetDispIdOrThrow(const std::string& name) const;

    ComPtr<IDispatch> m_object;
};

}  // namespace leaf

using COleDispatchDriver = leaf::DispatchDriver;
