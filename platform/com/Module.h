#pragma once

// What an in-process server module needs for its four exports: the live-object count,
// the table of its creatable classes, registration of those classes (and of its type
// library), and DllGetClassObject / DllCanUnloadNow over the table.
//
// A module describes itself once and lets a macro write the exports:
//
//   const leaf::ComModule& ThisModule() {
//       static const leaf::ComModule module{
//           {leaf::MakeClassEntry<CWidget>(CLSID_Widget, "Acme.Widget.1", "Acme.Widget", "Widget Class")},
//           &WidgetTypeLibrary()};
//       return module;
//   }
//   LEAF_COM_MODULE_EXPORTS(ThisModule())
//
// Each module compiles its own copy of this code (symbols are hidden), so the count and
// the tables are per module.

#include <string>
#include <vector>

#include "platform/base/Types.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

namespace leaf {

struct TypeLibDescription;

// One creatable class of a module and its registry entries.
struct ClassEntry {
    CLSID clsid;
    std::string progId;                    // versioned, e.g. "Leafcraft.SDK.1"; may be empty
    std::string versionIndependentProgId;  // e.g. "Leafcraft.SDK"; may be empty
    std::string description;               // the default value of the CLSID and ProgID keys
    CreateFactoryFunction createFactory;   // a new class factory (count 0), or null
    std::string threadingModel = "Apartment";
    // Extra registry work for the class (a control's "Control" or "MiscStatus" keys):
    // called after the standard entries are written with registering = true, and
    // before they are removed with registering = false.
    HRESULT (*registerExtra)(const ClassEntry& entry, bool registering) = nullptr;
};

template <class T>
ClassEntry MakeClassEntry(REFCLSID clsid, std::string progId, std::string versionIndependentProgId,
                          std::string description) {
    return ClassEntry{clsid, std::move(progId), std::move(versionIndependentProgId), std::move(description),
                      &CreateClassFactory<T>};
}

class ComModule {
public:
    ComModule(std::vector<ClassEntry> classes, const TypeLibDescription* typeLibrary = nullptr)
        : m_classes(std::move(classes)), m_typeLibrary(typeLibrary) {}

    const std::vector<ClassEntry>& Classes() const { return m_classes; }
    const TypeLibDescription* TypeLibrary() const { return m_typeLibrary; }

    // The bodies of the exports. `addressInModule` is any address inside the module
    // (it finds the module's file for InprocServer32).
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) const;
    HRESULT CanUnloadNow() const;
    // Registers the type library (failure: SELFREG_E_TYPELIB), then every class
    // (failure: SELFREG_E_CLASS).
    HRESULT RegisterServer(const void* addressInModule) const;
    // Removes the type library and every class's entries.
    HRESULT UnregisterServer() const;

private:
    std::vector<ClassEntry> m_classes;
    const TypeLibDescription* m_typeLibrary;
};

// Registry entries of one class (HKEY_CLASSES_ROOT\CLSID\{...} with InprocServer32,
// ProgID, VersionIndependentProgID, TypeLib; the ProgID keys with CLSID and CurVer).
HRESULT RegisterClassEntry(const ClassEntry& entry, const std::string& modulePath,
                           const TypeLibDescription* typeLibrary);
HRESULT UnregisterClassEntry(const ClassEntry& entry);

}  // namespace leaf

// Defines the four exports and DllGetTypeLibrary of a module from a leaf::ComModule
// expression.
#define LEAF_COM_MODULE_EXPORTS(moduleExpression)                                              \
    LEAF_EXPORT_C HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {      \
        return (moduleExpression).GetClassObject(clsid, riid, object);                         \
    }                                                                                          \
    LEAF_EXPORT_C HRESULT DllCanUnloadNow() { return (moduleExpression).CanUnloadNow(); }       \
    LEAF_EXPORT_C HRESULT DllRegisterServer() {                                                \
        static const char addressInModule = 0;                                                 \
        return (moduleExpression).RegisterServer(&addressInModule);                            \
    }                                                                                          \
    LEAF_EXPORT_C HRESULT DllUnregisterServer() { return (moduleExpression).UnregisterServer(); } \
    LEAF_EXPORT_C const leaf::TypeLibDescription* DllGetTypeLibrary() {                        \
        return (moduleExpression).TypeLibrary();                                               \
    }
