#include "platform/com/DispatchTable.h"

#include <new>

namespace leaf {

void FillExcepInfo(EXCEPINFO* exception, SCODE code, const std::string& description, const std::string& source) {
    if (exception == nullptr)
        return;
    *exception = EXCEPINFO{};
    exception->scode = code;
    exception->bstrDescription = Bstr::FromUtf8(description).Detach();
    exception->bstrSource = Bstr::FromUtf8(source).Detach();
}

namespace {

// The positional arguments of a call in declaration order, the value of a property put
// last. Returns the rgvarg index of each so that errors can name it.
HRESULT CollectArguments(const MemberDescription& member, const DISPPARAMS& params,
                         std::vector<const VARIANT*>& arguments, std::vector<UINT>& indexes) {
    UINT named = params.cNamedArgs;
    if (named > params.cArgs)
        return E_INVALIDARG;
    if (named > 0 && params.rgdispidNamedArgs == nullptr)
        return E_INVALIDARG;
    if (params.cArgs > 0 && params.rgvarg == nullptr)
        return E_INVALIDARG;
    bool put = member.kind == MemberKind::PropertyPut;
    for (UINT i = 0; i < named; ++i) {
        if (!put || params.rgdispidNamedArgs[i] != DISPID_PROPERTYPUT || named > 1)
            return DISP_E_NONAMEDARGS;
    }
    for (UINT i = params.cArgs; i > named; --i) {
        arguments.push_back(&params.rgvarg[i - 1]);
        indexes.push_back(i - 1);
    }
    if (put && named == 1) {
        arguments.push_back(&params.rgvarg[0]);
        indexes.push_back(0);
    }
    return S_OK;
}

std::size_t RequiredCount(const MemberDescription& member) {
    std::size_t required = 0;
    for (std::size_t i = 0; i < member.params.size(); ++i)
        if (!member.params[i].optional)
            required = i + 1;
    return required;
}

bool IsMissingValue(const VARIANT& value) {
    const VARIANT* v = &value;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal != nullptr)
        v = v->pvarVal;
    return v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND;
}

}  // namespace

HRESULT InvokeFromDescription(const DispInterfaceDescription& description, DISPID dispid, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argumentError,
                              const MemberCall& call) {
    const MemberDescription* member = description.FindMember(dispid, flags);
    if (member == nullptr)
        return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    const DISPPARAMS& given = params != nullptr ? *params : none;

    std::vector<const VARIANT*> arguments;
    std::vector<UINT> indexes;
    HRESULT hr = CollectArguments(*member, given, arguments, indexes);
    if (FAILED(hr))
        return hr;
    if (arguments.size() > member->params.size() || arguments.size() < RequiredCount(*member))
        return DISP_E_BADPARAMCOUNT;

    std::vector<Variant> values;
    values.reserve(member->params.size());
    for (std::size_t i = 0; i < member->params.size(); ++i) {
        const ParamDescription& param = member->params[i];
        if (i >= arguments.size() || IsMissingValue(*arguments[i])) {
            if (!param.optional) {
                if (argumentError != nullptr && i < arguments.size())
                    *argumentError = indexes[i];
                return DISP_E_PARAMNOTOPTIONAL;
            }
            values.push_back(Variant::Missing());
            continue;
        }
        Variant value;
        hr = param.type == VT_VARIANT ? VariantCopy(&value, arguments[i])
                                      : VariantChangeType(&value, arguments[i], 0, param.type);
        if (FAILED(hr)) {
            if (argumentError != nullptr)
                *argumentError = indexes[i];
            return hr == E_OUTOFMEMORY ? hr : (hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH);
        }
        values.push_back(std::move(value));
    }

    Variant returned;
    try {
        returned = call(*member, DispatchArguments(std::move(values)));
    } catch (const AutomationException& error) {
        FillExcepInfo(exception, error.Code(), error.Description(), error.Source());
        return DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        FillExcepInfo(exception, E_UNEXPECTED, error.what(), std::string());
        return DISP_E_EXCEPTION;
    }

    if (result == nullptr || member->resultType == VT_EMPTY || member->resultType == VT_VOID)
        return S_OK;
    VariantInit(result);
    if (member->resultType == VT_VARIANT)
        return returned.Detach(result);
    return VariantChangeType(result, &returned, 0, member->resultType);
}

}  // namespace leaf
