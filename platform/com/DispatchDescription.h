#pragma once

// Compiled-in descriptions of dispatch interfaces: their members with dispatch ids,
// kinds, result types and parameters. One description serves three purposes: the
// type library publishes it, the server-side dispatch table (DispatchTable.h) coerces
// arguments by it, and GetIDsOfNames answers from it.

#include <vector>

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/Variant.h"

namespace leaf {

enum class MemberKind : WORD {
    Method = DISPATCH_METHOD,
    PropertyGet = DISPATCH_PROPERTYGET,
    PropertyPut = DISPATCH_PROPERTYPUT,
};

struct ParamDescription {
    const char* name;
    VARTYPE type;  // VT_VARIANT takes any value as it is
    bool optional = false;
};

// A property put's value is its last parameter.
struct MemberDescription {
    const char* name;
    DISPID dispid;
    MemberKind kind;
    VARTYPE resultType;  // VT_EMPTY: no result
    std::vector<ParamDescription> params = {};
    const char* helpString = "";
};

struct DispInterfaceDescription {
    const char* name;
    IID iid;
    const char* helpString;
    std::vector<MemberDescription> members;

    // The member answering a call with these flags, or null. A put needs a put member; a
    // method call takes a method, else a property get; a property get takes a get, else a
    // method.
    const MemberDescription* FindMember(DISPID dispid, WORD flags) const;
    // The first member of that name (ASCII letters compare without regard to case).
    const MemberDescription* FindMemberByName(const char* name) const;
};

// Compares ASCII letters without regard to case; other bytes exactly.
bool NamesEqual(const char* a, const char* b);

}  // namespace leaf
