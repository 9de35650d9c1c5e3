#include "platform/com/TypeLib.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <new>

#include "platform/base/TextEncoding.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComRegistry.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/DispatchTable.h"
#include "platform/registry/RegistryKey.h"

namespace leaf {

namespace {

using GetTypeLibraryFunction = const TypeLibDescription* (*)();

HRESULT SetText(BSTR* out, const char* text) {
    if (out == nullptr)
        return S_OK;
    *out = Bstr::FromUtf8(text ? text : "").Detach();
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// One type of a library (or a lone dispatch interface): exactly one of the three
// descriptions is set.
class TypeInfo final : public ComObject<TypeInfo, ITypeInfo> {
public:
    TypeInfo(ITypeLib* library, UINT index, const DispInterfaceDescription* dispatch, const EnumDescription* enumeration,
             const CoClassDescription* coclass)
        : m_library(library), m_index(index), m_dispatch(dispatch), m_enum(enumeration), m_coclass(coclass) {}

    HRESULT GetTypeKind(TYPEKIND* kind) override {
        if (kind == nullptr)
            return E_POINTER;
        *kind = m_dispatch ? TKIND_DISPATCH : m_enum ? TKIND_ENUM : TKIND_COCLASS;
        return S_OK;
    }

    HRESULT GetGuid(GUID* guid) override {
        if (guid == nullptr)
            return E_POINTER;
        *guid = m_dispatch ? m_dispatch->iid : m_coclass ? m_coclass->clsid : GUID_NULL;
        return S_OK;
    }

    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
        if (m_dispatch)
            return GetIDsOfNamesFromDescription(*m_dispatch, names, count, ids);
        if (count == 0)
            return S_OK;
        if (names == nullptr || ids == nullptr)
            return E_POINTER;
        for (UINT i = 0; i < count; ++i)
            ids[i] = MEMBERID_NIL;
        if (m_enum && names[0] != nullptr) {
            std::string name = Utf16ToUtf8(names[0]);
            for (std::size_t i = 0; i < m_enum->members.size(); ++i)
                if (NamesEqual(m_enum->members[i].name, name.c_str())) {
                    ids[0] = static_cast<MEMBERID>(i);
                    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
                }
        }
        return DISP_E_UNKNOWNNAME;
    }

    HRESULT GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) override {
        if (names == nullptr || count == nullptr)
            return E_POINTER;
        *count = 0;
        if (m_enum) {
            if (id < 0 || static_cast<std::size_t>(id) >= m_enum->members.size())
                return TYPE_E_ELEMENTNOTFOUND;
            if (maxNames > 0) {
                names[0] = Bstr::FromUtf8(m_enum->members[static_cast<std::size_t>(id)].name).Detach();
                *count = 1;
            }
            return S_OK;
        }
        const MemberDescription* member = FindAnyKind(id);
        if (member == nullptr)
            return TYPE_E_ELEMENTNOTFOUND;
        std::vector<const char*> all{member->name};
        for (const ParamDescription& param : member->params)
            all.push_back(param.name);
        for (std::size_t i = 0; i < all.size() && i < maxNames; ++i) {
            names[i] = Bstr::FromUtf8(all[i]).Detach();
            *count = static_cast<UINT>(i + 1);
        }
        return S_OK;
    }

    HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* docString, DWORD* helpContext, BSTR* helpFile) override {
        const char* itemName = nullptr;
        const char* itemHelp = nullptr;
        if (id == MEMBERID_NIL) {
            itemName = m_dispatch ? m_dispatch->name : m_enum ? m_enum->name : m_coclass->name;
            itemHelp = m_dispatch ? m_dispatch->helpString : m_enum ? m_enum->helpString : m_coclass->helpString;
        } else if (m_enum) {
            if (id < 0 || static_cast<std::size_t>(id) >= m_enum->members.size())
                return TYPE_E_ELEMENTNOTFOUND;
            itemName = m_enum->members[static_cast<std::size_t>(id)].name;
            itemHelp = "";
        } else if (const MemberDescription* member = FindAnyKind(id)) {
            itemName = member->name;
            itemHelp = member->helpString;
        } else {
            return TYPE_E_ELEMENTNOTFOUND;
        }
        if (helpContext != nullptr)
            *helpContext = 0;
        if (helpFile != nullptr)
            *helpFile = nullptr;
        HRESULT hr = SetText(name, itemName);
        if (SUCCEEDED(hr))
            hr = SetText(docString, itemHelp);
        return hr;
    }

    HRESULT GetContainingTypeLib(ITypeLib** typeLib, UINT* index) override {
        if (typeLib != nullptr)
            *typeLib = nullptr;
        if (!m_library)
            return E_NOTIMPL;
        if (index != nullptr)
            *index = m_index;
        return typeLib != nullptr ? m_library.CopyTo(typeLib) : S_OK;
    }

    HRESULT GetMember(MEMBERID id, WORD invokeKind, const MemberDescription** member) override {
        if (member == nullptr)
            return E_POINTER;
        *member = m_dispatch ? m_dispatch->FindMember(id, invokeKind) : nullptr;
        return *member != nullptr ? S_OK : TYPE_E_ELEMENTNOTFOUND;
    }

    HRESULT GetEnumValue(LPCOLESTR name, LONG* value) override {
        if (name == nullptr || value == nullptr)
            return E_POINTER;
        if (m_enum) {
            std::string text = Utf16ToUtf8(name);
            for (const EnumMemberDescription& member : m_enum->members)
                if (NamesEqual(member.name, text.c_str())) {
                    *value = member.value;
                    return S_OK;
                }
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }

    const DispInterfaceDescription* GetInterfaceDescription() override { return m_dispatch; }
    const EnumDescription* GetEnumDescription() override { return m_enum; }
    const CoClassDescription* GetCoClassDescription() override { return m_coclass; }

private:
    const MemberDescription* FindAnyKind(MEMBERID id) const {
        if (!m_dispatch)
            return nullptr;
        for (const MemberDescription& member : m_dispatch->members)
            if (member.dispid == id)
                return &member;
        return nullptr;
    }

    ComPtr<ITypeLib> m_library;
    UINT m_index;
    const DispInterfaceDescription* m_dispatch;
    const EnumDescription* m_enum;
    const CoClassDescription* m_coclass;
};

class TypeLib final : public ComObject<TypeLib, ITypeLib> {
public:
    explicit TypeLib(const TypeLibDescription& description) : m_description(description) {}

    UINT GetTypeInfoCount() override {
        return static_cast<UINT>(m_description.enums.size() + m_description.interfaces.size() +
                                 m_description.coclasses.size());
    }

    HRESULT GetTypeInfo(UINT index, ITypeInfo** typeInfo) override {
        if (typeInfo == nullptr)
            return E_POINTER;
        *typeInfo = nullptr;
        std::size_t i = index;
        const DispInterfaceDescription* dispatch = nullptr;
        const EnumDescription* enumeration = nullptr;
        const CoClassDescription* coclass = nullptr;
        if (i < m_description.enums.size()) {
            enumeration = &m_description.enums[i];
        } else if ((i -= m_description.enums.size()) < m_description.interfaces.size()) {
            dispatch = &m_description.interfaces[i];
        } else if ((i -= m_description.interfaces.size()) < m_description.coclasses.size()) {
            coclass = &m_description.coclasses[i];
        } else {
            return TYPE_E_ELEMENTNOTFOUND;
        }
        auto* info = new (std::nothrow) TypeInfo(this, index, dispatch, enumeration, coclass);
        if (info == nullptr)
            return E_OUTOFMEMORY;
        return info->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(typeInfo));
    }

    HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) override {
        if (kind == nullptr)
            return E_POINTER;
        ComPtr<ITypeInfo> info;
        HRESULT hr = GetTypeInfo(index, info.Receive());
        return FAILED(hr) ? hr : info->GetTypeKind(kind);
    }

    HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** typeInfo) override {
        if (typeInfo == nullptr)
            return E_POINTER;
        *typeInfo = nullptr;
        UINT base = static_cast<UINT>(m_description.enums.size());
        for (std::size_t i = 0; i < m_description.interfaces.size(); ++i)
            if (m_description.interfaces[i].iid == guid)
                return GetTypeInfo(base + static_cast<UINT>(i), typeInfo);
        base += static_cast<UINT>(m_description.interfaces.size());
        for (std::size_t i = 0; i < m_description.coclasses.size(); ++i)
            if (m_description.coclasses[i].clsid == guid)
                return GetTypeInfo(base + static_cast<UINT>(i), typeInfo);
        return TYPE_E_ELEMENTNOTFOUND;
    }

    HRESULT GetTypeInfoOfName(LPCOLESTR name, ITypeInfo** typeInfo) override {
        if (name == nullptr || typeInfo == nullptr)
            return E_POINTER;
        *typeInfo = nullptr;
        std::string text = Utf16ToUtf8(name);
        for (UINT i = 0; i < GetTypeInfoCount(); ++i)
            if (NamesEqual(NameOf(i), text.c_str()))
                return GetTypeInfo(i, typeInfo);
        return TYPE_E_ELEMENTNOTFOUND;
    }

    HRESULT GetLibAttr(TLIBATTR* attributes) override {
        if (attributes == nullptr)
            return E_POINTER;
        *attributes = TLIBATTR{m_description.libid, 0, SYS_LINUX64, m_description.majorVersion,
                               m_description.minorVersion, 0};
        return S_OK;
    }

    HRESULT GetDocumentation(INT index, BSTR* name, BSTR* docString, DWORD* helpContext, BSTR* helpFile) override {
        if (helpContext != nullptr)
            *helpContext = 0;
        if (helpFile != nullptr)
            *helpFile = nullptr;
        if (index == -1) {
            HRESULT hr = SetText(name, m_description.name);
            return SUCCEEDED(hr) ? SetText(docString, m_description.helpString) : hr;
        }
        ComPtr<ITypeInfo> info;
        HRESULT hr = GetTypeInfo(static_cast<UINT>(index), info.Receive());
        if (FAILED(hr))
            return hr;
        return info->GetDocumentation(MEMBERID_NIL, name, docString, helpContext, helpFile);
    }

    const TypeLibDescription* GetDescription() override { return &m_description; }

private:
    const char* NameOf(UINT index) const {
        std::size_t i = index;
        if (i < m_description.enums.size())
            return m_description.enums[i].name;
        i -= m_description.enums.size();
        if (i < m_description.interfaces.size())
            return m_description.interfaces[i].name;
        i -= m_description.interfaces.size();
        return i < m_description.coclasses.size() ? m_description.coclasses[i].name : "";
    }

    const TypeLibDescription& m_description;
};

std::string VersionText(WORD major, WORD minor) {
    char text[16];
    std::snprintf(text, sizeof text, "%x.%x", major, minor);
    return text;
}

std::string LibraryKey(REFGUID libid) { return "TypeLib\\" + GuidToString(libid); }

}  // namespace

HRESULT CreateTypeLibFromDescription(const TypeLibDescription& library, ITypeLib** typeLib) {
    if (typeLib == nullptr)
        return E_POINTER;
    *typeLib = nullptr;
    auto* object = new (std::nothrow) TypeLib(library);
    if (object == nullptr)
        return E_OUTOFMEMORY;
    return object->QueryInterface(IID_ITypeLib, reinterpret_cast<void**>(typeLib));
}

HRESULT CreateTypeInfoFromDescription(const DispInterfaceDescription& description, ITypeInfo** typeInfo) {
    if (typeInfo == nullptr)
        return E_POINTER;
    *typeInfo = nullptr;
    auto* object = new (std::nothrow) TypeInfo(nullptr, 0, &description, nullptr, nullptr);
    if (object == nullptr)
        return E_OUTOFMEMORY;
    return object->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(typeInfo));
}

}  // namespace leaf

HRESULT RegisterTypeLib(const leaf::TypeLibDescription& library, const std::string& modulePath) {
    using namespace leaf::comreg;
    std::string libraryText = leaf::GuidToString(library.libid);
    std::string versionKey = leaf::LibraryKey(library.libid) + "\\" +
                             leaf::VersionText(library.majorVersion, library.minorVersion);
    std::string folder = std::filesystem::path(modulePath).parent_path().string();
    bool written = WriteString(versionKey, library.helpString ? library.helpString : "") &&
                   WriteString(versionKey + "\\FLAGS", "0") && WriteString(versionKey + "\\HELPDIR", folder) &&
                   WriteString(versionKey + "\\0\\linux64", modulePath);
    for (const leaf::DispInterfaceDescription& iface : library.interfaces) {
        std::string interfaceKey = "Interface\\" + leaf::GuidToString(iface.iid);
        written = written && WriteString(interfaceKey, iface.name) &&
                  WriteString(interfaceKey + "\\TypeLib", libraryText) &&
                  WriteString(interfaceKey + "\\TypeLib",
                              leaf::VersionText(library.majorVersion, library.minorVersion), "Version");
    }
    return written ? S_OK : TYPE_E_REGISTRYACCESS;
}

HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID, SYSKIND) {
    using namespace leaf::comreg;
    std::string libraryKey = leaf::LibraryKey(libid);
    std::string versionKey = libraryKey + "\\" + leaf::VersionText(major, minor);
    {
        leaf::RegistryKey version = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, versionKey);
        if (!version.IsOpen())
            return TYPE_E_LIBNOTREGISTERED;
    }
    // The Interface keys that name this library: found by their TypeLib entry, so that
    // they go even when the module that described them is gone.
    std::string libraryText = leaf::GuidToString(libid);
    std::vector<std::string> interfaces;
    {
        leaf::RegistryKey all = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Interface");
        if (all.IsOpen())
            for (const std::string& name : all.SubKeyNames()) {
                std::optional<std::string> owner = ReadString("Interface\\" + name + "\\TypeLib");
                if (owner && leaf::ParseGuid(std::string_view(*owner)) == std::optional<GUID>(libid))
                    interfaces.push_back(name);
            }
    }
    bool removed = DeleteTree(versionKey);
    for (const std::string& name : interfaces)
        removed = DeleteTree("Interface\\" + name) && removed;
    DeleteIfEmpty(libraryKey);
    return removed ? S_OK : TYPE_E_REGISTRYACCESS;
}

HRESULT LoadTypeLib(const char* modulePath, ITypeLib** typeLib) {
    if (typeLib == nullptr)
        return E_POINTER;
    *typeLib = nullptr;
    if (modulePath == nullptr)
        return E_INVALIDARG;
    HRESULT error = S_OK;
    void* handle = leaf::LoadComModule(modulePath, error);
    if (handle == nullptr)
        return TYPE_E_CANTLOADLIBRARY;
    auto getLibrary = leaf::FindModuleFunction<leaf::GetTypeLibraryFunction>(handle, "DllGetTypeLibrary");
    const leaf::TypeLibDescription* description = getLibrary ? getLibrary() : nullptr;
    if (description == nullptr)
        return TYPE_E_CANTLOADLIBRARY;
    // The description lives in the module: keep it loaded for as long as the process.
    leaf::PinComModule(handle);
    return leaf::CreateTypeLibFromDescription(*description, typeLib);
}

HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID, ITypeLib** typeLib) {
    if (typeLib == nullptr)
        return E_POINTER;
    *typeLib = nullptr;
    std::string libraryKey = leaf::LibraryKey(libid);
    leaf::RegistryKey library = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, libraryKey);
    if (!library.IsOpen())
        return TYPE_E_LIBNOTREGISTERED;
    std::string best;
    long bestMinor = -1;
    for (const std::string& name : library.SubKeyNames()) {
        unsigned int foundMajor = 0, foundMinor = 0;
        char extra = 0;
        if (std::sscanf(name.c_str(), "%x.%x%c", &foundMajor, &foundMinor, &extra) != 2)
            continue;
        if (foundMajor == major && foundMinor >= minor && static_cast<long>(foundMinor) > bestMinor) {
            best = name;
            bestMinor = foundMinor;
        }
    }
    if (best.empty())
        return TYPE_E_LIBNOTREGISTERED;
    std::optional<std::string> path = leaf::comreg::ReadString(libraryKey + "\\" + best + "\\0\\linux64");
    if (!path || path->empty())
        return TYPE_E_LIBNOTREGISTERED;
    leaf::ComPtr<ITypeLib> loaded;
    HRESULT hr = LoadTypeLib(path->c_str(), loaded.Receive());
    if (FAILED(hr))
        return hr;
    if (loaded->GetDescription()->libid != libid)
        return TYPE_E_CANTLOADLIBRARY;
    *typeLib = loaded.Detach();
    return S_OK;
}
