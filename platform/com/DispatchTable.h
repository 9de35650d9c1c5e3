#pragma once

// The server side of IDispatch, driven by a description (DispatchDescription.h) and a
// table that binds each member to a C++ member function.
//
//   class CCollection : public leaf::DispatchImpl<CCollection> {
//   public:
//       static const leaf::DispatchTable<CCollection>& GetDispatchTable();
//       leaf::Variant Count(const leaf::DispatchArguments&);
//       ...
//   };
//   const leaf::DispatchTable<CCollection>& CCollection::GetDispatchTable() {
//       static const leaf::DispatchTable<CCollection> table(CollectionInterface(), {
//           {1, leaf::MemberKind::PropertyGet, &CCollection::Count}, ...});
//       return table;
//   }
//
// Invoke checks the call against the description: DISP_E_MEMBERNOTFOUND for an unknown
// member or kind; DISP_E_NONAMEDARGS for named arguments other than a put's value;
// DISP_E_BADPARAMCOUNT for too many arguments or too few non-optional ones;
// each argument is coerced to its declared type (VT_VARIANT passes as it is), and a
// failure returns that error (DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW) with *argumentError
// set to the argument's index in rgvarg (arguments are stored last first). Omitted
// optional arguments, and those passed as VT_ERROR/DISP_E_PARAMNOTFOUND, reach the
// handler as VT_ERROR/DISP_E_PARAMNOTFOUND; passed for a required parameter they give
// DISP_E_PARAMNOTOPTIONAL. A handler fails by throwing leaf::AutomationException, which
// becomes DISP_E_EXCEPTION with the EXCEPINFO filled in. The handler's result is
// coerced to the member's result type.

#include <exception>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"
#include "platform/com/DispatchDescription.h"
#include "platform/com/TypeLib.h"
#include "platform/com/Variant.h"

namespace leaf {

// An automation error raised by a member's handler.
class AutomationException : public std::exception {
public:
    explicit AutomationException(SCODE code, std::string description = std::string(),
                                 std::string source = std::string())
        : m_code(code), m_description(std::move(description)), m_source(std::move(source)) {}
    SCODE Code() const { return m_code; }
    const std::string& Description() const { return m_description; }
    const std::string& Source() const { return m_source; }
    const char* what() const noexcept override { return m_description.c_str(); }

private:
    SCODE m_code;
    std::string m_description;
    std::string m_source;
};

// The arguments of one call, coerced to their declared types, in declaration order.
class DispatchArguments {
public:
    explicit DispatchArguments(std::vector<Variant> values) : m_values(std::move(values)) {}

    std::size_t Count() const { return m_values.size(); }
    const Variant& operator[](std::size_t index) const { return m_values.at(index); }
    bool IsMissing(std::size_t index) const { return m_values.at(index).IsMissing(); }

    // Readings of arguments declared with the matching type.
    LONG Long(std::size_t index) const { return m_values.at(index).lVal; }
    bool Bool(std::size_t index) const { return m_values.at(index).boolVal != VARIANT_FALSE; }
    double Double(std::size_t index) const { return m_values.at(index).dblVal; }
    BSTR Bstr(std::size_t index) const { return m_values.at(index).bstrVal; }
    std::string Utf8(std::size_t index) const { return BstrToUtf8(Bstr(index)); }
    IDispatch* Dispatch(std::size_t index) const { return m_values.at(index).pdispVal; }

private:
    std::vector<Variant> m_values;
};

using MemberCall = std::function<Variant(const MemberDescription&, const DispatchArguments&)>;

// Checks and coerces the call, runs `call` and stores its result (see above).
HRESULT InvokeFromDescription(const DispInterfaceDescription& description, DISPID dispid, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argumentError,
                              const MemberCall& call);

// GetIDsOfNames over a description: names[0] is a member, the others its parameters
// (their ids are their positions). Unknown names get DISPID_UNKNOWN and the result is
// DISP_E_UNKNOWNNAME.
HRESULT GetIDsOfNamesFromDescription(const DispInterfaceDescription& description, LPOLESTR* names, UINT count,
                                     DISPID* ids);

// Fills an EXCEPINFO (when given) for DISP_E_EXCEPTION.
void FillExcepInfo(EXCEPINFO* exception, SCODE code, const std::string& description, const std::string& source);

template <class T>
class DispatchTable {
public:
    using Handler = Variant (T::*)(const DispatchArguments&);
    struct Binding {
        DISPID dispid;
        MemberKind kind;
        Handler handler;
    };

    DispatchTable(const DispInterfaceDescription& description, std::initializer_list<Binding> bindings)
        : m_description(description) {
        for (const Binding& binding : bindings)
            m_handlers[{binding.dispid, binding.kind}] = binding.handler;
    }

    const DispInterfaceDescription& Description() const { return m_description; }

    HRESULT Invoke(T& object, DISPID dispid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) const {
        const MemberDescription* member = m_description.FindMember(dispid, flags);
        if (member == nullptr || m_handlers.find({member->dispid, member->kind}) == m_handlers.end())
            return DISP_E_MEMBERNOTFOUND;
        return InvokeFromDescription(m_description, dispid, flags, params, result, exception, argumentError,
                                     [&](const MemberDescription& called, const DispatchArguments& arguments) {
                                         Handler handler = m_handlers.at({called.dispid, called.kind});
                                         return (object.*handler)(arguments);
                                     });
    }

private:
    const DispInterfaceDescription& m_description;
    std::map<std::pair<DISPID, MemberKind>, Handler> m_handlers;
};

// IDispatch for a class with a static GetDispatchTable(). `Interface` is IDispatch or
// an interface derived from it; further interfaces may follow. Type information comes
// from CreateTypeInfo, by default built from the table's description; a class whose
// type library is registered may load it from there instead. GetIDsOfNames is answered
// by that type information.
template <class Derived, class Interface = IDispatch, class... OtherInterfaces>
class DispatchImpl : public ComObject<Derived, Interface, OtherInterfaces...> {
public:
    HRESULT GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) override {
        if (typeInfo == nullptr)
            return E_POINTER;
        *typeInfo = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        if (!m_typeInfo) {
            HRESULT hr = CreateTypeInfo(m_typeInfo.Receive());
            if (FAILED(hr))
                return hr;
        }
        return m_typeInfo.CopyTo(typeInfo);
    }

    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> typeInfo;
        if (SUCCEEDED(GetTypeInfo(0, lcid, typeInfo.Receive())) && typeInfo)
            return typeInfo->GetIDsOfNames(names, count, ids);
        return GetIDsOfNamesFromDescription(Derived::GetDispatchTable().Description(), names, count, ids);
    }

    HRESULT Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) override {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ComPtr<Derived> keepAlive(static_cast<Derived*>(this));
        return Derived::GetDispatchTable().Invoke(*static_cast<Derived*>(this), dispid, flags, params, result,
                                                  exception, argumentError);
    }

protected:
    virtual HRESULT CreateTypeInfo(ITypeInfo** typeInfo) {
        return CreateTypeInfoFromDescription(Derived::GetDispatchTable().Description(), typeInfo);
    }

    // The dispatch interface's own IID answers with the IDispatch face.
    void* QueryOtherInterface(REFIID riid) override {
        if (riid == Derived::GetDispatchTable().Description().iid)
            return static_cast<Interface*>(this);
        return nullptr;
    }

private:
    ComPtr<ITypeInfo> m_typeInfo;
};

}  // namespace leaf
