#pragma once

// Type libraries as compiled-in description tables.
//
// A module describes its library (enums, dispatch interfaces, coclasses) in a
// leaf::TypeLibDescription and exports it through the C function
//   const leaf::TypeLibDescription* DllGetTypeLibrary();
// which stands in for the type-library resource of a module. RegisterTypeLib writes
// HKEY_CLASSES_ROOT\TypeLib\{libid}\<major>.<minor> (versions in hexadecimal, as the
// registry has always written them) with the module's path under "0\linux64", and
// HKEY_CLASSES_ROOT\Interface\{iid} for every dispatch interface. LoadRegTypeLib reads
// the path back, loads the module and asks it for the description.
//
// ITypeLib and ITypeInfo are small interfaces of our own: what clients and the dispatch
// implementation ask of a type library, not the whole of the platform's.

#include <string>
#include <vector>

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/DispatchDescription.h"
#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

namespace leaf {

struct EnumMemberDescription {
    const char* name;
    LONG value;
};

struct EnumDescription {
    const char* name;
    const char* helpString;
    std::vector<EnumMemberDescription> members;
};

struct CoClassDescription {
    const char* name;
    CLSID clsid;
    const char* helpString;
    IID defaultInterface;
    IID defaultSourceInterface;  // GUID_NULL when the class fires no events
};

struct TypeLibDescription {
    const char* name;
    GUID libid;
    WORD majorVersion;
    WORD minorVersion;
    const char* helpString;
    std::vector<EnumDescription> enums;
    std::vector<DispInterfaceDescription> interfaces;
    std::vector<CoClassDescription> coclasses;
};

}  // namespace leaf

enum TYPEKIND {
    TKIND_ENUM = 0,
    TKIND_RECORD = 1,
    TKIND_MODULE = 2,
    TKIND_INTERFACE = 3,
    TKIND_DISPATCH = 4,
    TKIND_COCLASS = 5,
    TKIND_ALIAS = 6,
    TKIND_UNION = 7,
};

enum SYSKIND {
    SYS_WIN16 = 0,
    SYS_WIN32 = 1,
    SYS_MAC = 2,
    SYS_WIN64 = 3,
    SYS_LINUX64 = 0x100,  // ours: a module of this platform, registered under "linux64"
};

struct TLIBATTR {
    GUID guid;
    LCID lcid;
    SYSKIND syskind;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    WORD wLibFlags;
};

struct ITypeLib;

struct ITypeInfo : IUnknown {
    static constexpr const IID& kIid = IID_ITypeInfo;

    virtual HRESULT GetTypeKind(TYPEKIND* kind) = 0;
    virtual HRESULT GetGuid(GUID* guid) = 0;
    // names[0] is a member (or, for an enum, a member constant), the others that member's
    // parameters. Unknown names get MEMBERID_NIL and the result is DISP_E_UNKNOWNNAME.
    // For an enum the id of a constant is its index.
    virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) = 0;
    // The member's name followed by its parameters' names (up to maxNames).
    virtual HRESULT GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) = 0;
    // MEMBERID_NIL asks about the type itself. Any out pointer may be null.
    virtual HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* docString, DWORD* helpContext,
                                     BSTR* helpFile) = 0;
    virtual HRESULT GetContainingTypeLib(ITypeLib** typeLib, UINT* index) = 0;
    // The member that answers a call of this kind (DISPATCH_METHOD, ...); the pointer
    // stays valid while this type information lives.
    virtual HRESULT GetMember(MEMBERID id, WORD invokeKind, const leaf::MemberDescription** member) = 0;
    // The value of an enum constant by name (ASCII letters compare without regard to case).
    virtual HRESULT GetEnumValue(LPCOLESTR name, LONG* value) = 0;
    // The description behind this type information; only the one of its kind is non-null.
    virtual const leaf::DispInterfaceDescription* GetInterfaceDescription() = 0;
    virtual const leaf::EnumDescription* GetEnumDescription() = 0;
    virtual const leaf::CoClassDescription* GetCoClassDescription() = 0;

protected:
    ~ITypeInfo() = default;
};

struct ITypeLib : IUnknown {
    static constexpr const IID& kIid = IID_ITypeLib;

    // Type information is numbered enums first, then dispatch interfaces, then coclasses.
    virtual UINT GetTypeInfoCount() = 0;
    virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** typeInfo) = 0;
    virtual HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) = 0;
    virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** typeInfo) = 0;
    virtual HRESULT GetTypeInfoOfName(LPCOLESTR name, ITypeInfo** typeInfo) = 0;
    virtual HRESULT GetLibAttr(TLIBATTR* attributes) = 0;
    // index -1 asks about the library itself.
    virtual HRESULT GetDocumentation(INT index, BSTR* name, BSTR* docString, DWORD* helpContext,
                                     BSTR* helpFile) = 0;
    virtual const leaf::TypeLibDescription* GetDescription() = 0;

protected:
    ~ITypeLib() = default;
};

// Writes the library's registry entries for a module file; TYPE_E_REGISTRYACCESS when a
// key cannot be written.
HRESULT RegisterTypeLib(const leaf::TypeLibDescription& library, const std::string& modulePath);
// Removes the version's entries, the library key when no version is left, and the
// Interface keys that name this library. TYPE_E_LIBNOTREGISTERED when it is not there.
HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);
// Finds a registered version with the same major and at least this minor number (the
// highest such), loads its module and asks it for the description.
// TYPE_E_LIBNOTREGISTERED when none is registered; TYPE_E_CANTLOADLIBRARY when the
// module cannot be loaded or does not hold the library.
HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** typeLib);
// The library of a module file (through its DllGetTypeLibrary).
HRESULT LoadTypeLib(const char* modulePath, ITypeLib** typeLib);

namespace leaf {

// Type library and type information objects over descriptions that outlive them.
HRESULT CreateTypeLibFromDescription(const TypeLibDescription& library, ITypeLib** typeLib);
HRESULT CreateTypeInfoFromDescription(const DispInterfaceDescription& description, ITypeInfo** typeInfo);

}  // namespace leaf
