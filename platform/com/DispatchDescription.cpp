#include "platform/com/DispatchDescription.h"

#include "platform/base/TextEncoding.h"
#include "platform/com/DispatchTable.h"

namespace leaf {

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool NamesEqual(const char* a, const char* b) {
    if (a == nullptr || b == nullptr)
        return a == b;
    for (; *a != 0 && *b != 0; ++a, ++b)
        if (FoldAscii(*a) != FoldAscii(*b))
            return false;
    return *a == *b;
}

const MemberDescription* DispInterfaceDescription::FindMember(DISPID dispid, WORD flags) const {
    auto find = [&](MemberKind kind) -> const MemberDescription* {
        for (const MemberDescription& member : members)
            if (member.dispid == dispid && member.kind == kind)
                return &member;
        return nullptr;
    };
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
        return find(MemberKind::PropertyPut);
    if (flags & DISPATCH_METHOD) {
        if (const MemberDescription* method = find(MemberKind::Method))
            return method;
        return find(MemberKind::PropertyGet);
    }
    if (flags & DISPATCH_PROPERTYGET) {
        if (const MemberDescription* get = find(MemberKind::PropertyGet))
            return get;
        return find(MemberKind::Method);
    }
    return nullptr;
}

const MemberDescription* DispInterfaceDescription::FindMemberByName(const char* name) const {
    for (const MemberDescription& member : members)
        if (NamesEqual(member.name, name))
            return &member;
    return nullptr;
}

HRESULT GetIDsOfNamesFromDescription(const DispInterfaceDescription& description, LPOLESTR* names, UINT count,
                                     DISPID* ids) {
    if (count == 0)
        return S_OK;
    if (names == nullptr || ids == nullptr)
        return E_POINTER;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (names[0] == nullptr)
        return DISP_E_UNKNOWNNAME;
    const MemberDescription* member = description.FindMemberByName(Utf16ToUtf8(names[0]).c_str());
    if (member == nullptr)
        return DISP_E_UNKNOWNNAME;
    ids[0] = member->dispid;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
        std::string name = names[i] ? Utf16ToUtf8(names[i]) : std::string();
        bool found = false;
        for (std::size_t p = 0; p < member->params.size(); ++p) {
            if (NamesEqual(member->params[p].name, name.c_str())) {
                ids[i] = static_cast<DISPID>(p);
                found = true;
                break;
            }
        }
        if (!found)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

}  // namespace leaf
