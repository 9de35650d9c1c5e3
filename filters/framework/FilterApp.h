#pragma once

// The application object of a filter module. Each module declares exactly one, as a
// global of a class derived from CFilterApp:
//
//   class CHtmlFilterApp : public CFilterApp {
//   public:
//       CLSID GetCLSID() const override { return CLSID_HtmlFilter; }
//       CFilterClassFactory* CreateClassFactory() override {
//           return new (std::nothrow) TFilterClassFactory<CHtmlFilter>;
//       }
//   };
//   CHtmlFilterApp theApp;
//
// The constructor makes the instance the module's application object; the module's
// exports (FilterExports.cpp) find it through CFilterApp::GetApp, which runs its start-up
// (InitInstance) once, on first use.

#include <optional>

#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "platform/com/Guid.h"
#include "platform/registry/Profile.h"

class CFilterClassFactory;

// String resources every filter module carries.
inline constexpr UINT IDS_FILTER_COMPANY = 100;                // the profile's registry key
inline constexpr UINT IDS_FILTER_DESCRIPTION = 2000;
inline constexpr UINT IDS_FILTER_PROGID = 2001;                // versioned ProgID
inline constexpr UINT IDS_FILTER_INDEPENDENT_PROGID = 2002;    // version-independent ProgID
inline constexpr UINT IDS_FILTER_EXTENSIONS = 2003;            // ".htm|.html"
inline constexpr UINT IDS_FILTER_KEY_TEMPLATE = 2009;          // HKLM "...\Filters\%s"; the next
                                                               // string is the HKEY_USERS template

class CFilterApp {
public:
    // filtersKeyTemplateId: the string that holds the HKEY_LOCAL_MACHINE filters key
    // template; the string after it holds the HKEY_USERS extension key template.
    explicit CFilterApp(UINT filtersKeyTemplateId = IDS_FILTER_KEY_TEMPLATE);
    virtual ~CFilterApp();
    CFilterApp(const CFilterApp&) = delete;
    CFilterApp& operator=(const CFilterApp&) = delete;

    // The module's application object once its start-up has succeeded; null when the
    // module declares none or its start-up failed.
    static CFilterApp* GetApp();

    // Start-up: sets the profile's registry key from string 100. FALSE fails the module.
    virtual BOOL InitInstance();

    virtual CLSID GetCLSID() const = 0;
    // The threading model the class is registered with. "Apartment" by default; a filter
    // whose objects may each be called on a thread of their own, and whose calls give the
    // same result whichever of its objects makes them, says "Both" (the build control then
    // prepares and converts pages with several objects at once).
    virtual const char* GetThreadingModel() const { return "Apartment"; }
    // A new class factory with a reference count of 0, or null when memory is short.
    virtual CFilterClassFactory* CreateClassFactory() = 0;

    const CString& GetAppName() const { return m_appName; }
    UINT GetFiltersKeyTemplateId() const { return m_filtersKeyTemplateId; }
    UINT GetExtensionKeyTemplateId() const { return m_filtersKeyTemplateId + 1; }

    // Class factories and filter objects that exist in the module.
    LONG GetObjectCount() const { return m_objectCount; }
    static void ObjectCreated();
    static void ObjectDestroyed();

    // The per-user profile below HKEY_CURRENT_USER\Software\<company>\<application name>.
    void SetRegistryKey(const char* company);
    const leaf::Profile* GetProfile() const { return m_profile ? &*m_profile : nullptr; }
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue) const;
    CString GetProfileString(const char* section, const char* entry, const char* defaultValue = "") const;
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);

private:
    CString m_appName = "Leafcraft";
    UINT m_filtersKeyTemplateId;
    LONG m_objectCount = 0;
    std::optional<leaf::Profile> m_profile;
    enum class StartUp { NotRun, Succeeded, Failed } m_startUp = StartUp::NotRun;
};

// Keeps a factory or filter object counted in the module's live objects while it exists.
class CFilterLiveObject {
public:
    CFilterLiveObject() { CFilterApp::ObjectCreated(); }
    ~CFilterLiveObject() { CFilterApp::ObjectDestroyed(); }
    CFilterLiveObject(const CFilterLiveObject&) = delete;
    CFilterLiveObject& operator=(const CFilterLiveObject&) = delete;
};
