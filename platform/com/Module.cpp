#include "platform/com/Module.h"

#include <cstdio>

#include "platform/base/ModulePath.h"
#include "platform/com/ComRegistry.h"
#include "platform/com/ModuleLock.h"
#include "platform/com/TypeLib.h"

namespace leaf {

namespace {

std::string ClassKey(REFCLSID clsid) { return "CLSID\\" + GuidToString(clsid); }

}  // namespace

HRESULT ComModule::GetClassObject(REFCLSID clsid, REFIID riid, void** object) const {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    for (const ClassEntry& entry : m_classes) {
        if (entry.clsid != clsid)
            continue;
        IClassFactory* factory = entry.createFactory ? entry.createFactory() : nullptr;
        if (factory == nullptr)
            return E_OUTOFMEMORY;
        factory->AddRef();
        HRESULT hr = factory->QueryInterface(riid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ComModule::CanUnloadNow() const { return ModuleLock::Count() == 0 ? S_OK : S_FALSE; }

HRESULT ComModule::RegisterServer(const void* addressInModule) const {
    std::string modulePath = GetModulePath(addressInModule);
    if (modulePath.empty())
        return SELFREG_E_CLASS;
    if (m_typeLibrary != nullptr && FAILED(RegisterTypeLib(*m_typeLibrary, modulePath)))
        return SELFREG_E_TYPELIB;
    for (const ClassEntry& entry : m_classes)
        if (FAILED(RegisterClassEntry(entry, modulePath, m_typeLibrary)))
            return SELFREG_E_CLASS;
    return S_OK;
}

HRESULT ComModule::UnregisterServer() const {
    HRESULT result = S_OK;
    if (m_typeLibrary != nullptr) {
        HRESULT hr = UnRegisterTypeLib(m_typeLibrary->libid, m_typeLibrary->majorVersion, m_typeLibrary->minorVersion,
                                       0, SYS_LINUX64);
        if (FAILED(hr) && hr != TYPE_E_LIBNOTREGISTERED)
            result = SELFREG_E_TYPELIB;
    }
    for (const ClassEntry& entry : m_classes)
        if (FAILED(UnregisterClassEntry(entry)) && SUCCEEDED(result))
            result = SELFREG_E_CLASS;
    return result;
}

HRESULT RegisterClassEntry(const ClassEntry& entry, const std::string& modulePath,
                           const TypeLibDescription* typeLibrary) {
    using comreg::WriteString;
    std::string clsidText = GuidToString(entry.clsid);
    std::string classKey = ClassKey(entry.clsid);
    bool written = WriteString(classKey, entry.description) &&
                   WriteString(classKey + "\\InprocServer32", modulePath) &&
                   WriteString(classKey + "\\InprocServer32", entry.threadingModel, "ThreadingModel");
    if (written && !entry.progId.empty())
        written = WriteString(classKey + "\\ProgID", entry.progId) && WriteString(entry.progId, entry.description) &&
                  WriteString(entry.progId + "\\CLSID", clsidText);
    if (written && !entry.versionIndependentProgId.empty()) {
        written = WriteString(classKey + "\\VersionIndependentProgID", entry.versionIndependentProgId) &&
                  WriteString(entry.versionIndependentProgId, entry.description) &&
                  WriteString(entry.versionIndependentProgId + "\\CLSID", clsidText);
        if (written && !entry.progId.empty() && entry.progId != entry.versionIndependentProgId)
            written = WriteString(entry.versionIndependentProgId + "\\CurVer", entry.progId);
    }
    if (written && typeLibrary != nullptr) {
        char version[16];
        std::snprintf(version, sizeof version, "%x.%x", typeLibrary->majorVersion, typeLibrary->minorVersion);
        written = WriteString(classKey + "\\TypeLib", GuidToString(typeLibrary->libid)) &&
                  WriteString(classKey + "\\Version", version);
    }
    if (!written)
        return SELFREG_E_CLASS;
    if (entry.registerExtra != nullptr)
        return entry.registerExtra(entry, true);
    return S_OK;
}

HRESULT UnregisterClassEntry(const ClassEntry& entry) {
    if (entry.registerExtra != nullptr)
        entry.registerExtra(entry, false);
    bool removed = comreg::DeleteTree(ClassKey(entry.clsid));
    // A ProgID is removed only while it still names this class: another server may
    // have taken it over since.
    auto removeProgId = [&](const std::string& progId) {
        if (progId.empty())
            return;
        std::optional<std::string> owner = comreg::ReadString(progId + "\\CLSID");
        if (!owner || ParseGuid(std::string_view(*owner)) == std::optional<GUID>(entry.clsid))
            removed = comreg::DeleteTree(progId) && removed;
    };
    removeProgId(entry.progId);
    removeProgId(entry.versionIndependentProgId);
    return removed ? S_OK : SELFREG_E_CLASS;
}

}  // namespace leaf
