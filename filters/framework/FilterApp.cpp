#include "filters/framework/FilterApp.h"

#include "platform/ui/Resources.h"

namespace {

// The one application object of this module (each module has its own copy of this
// variable, since the framework is compiled into each).
CFilterApp* g_app = nullptr;

}  // namespace

CFilterApp::CFilterApp(UINT filtersKeyTemplateId) : m_filtersKeyTemplateId(filtersKeyTemplateId) {
    // A second application object in one module would be a build mistake; the first stays.
    if (g_app == nullptr)
        g_app = this;
}

CFilterApp::~CFilterApp() {
    if (g_app == this)
        g_app = nullptr;
}

CFilterApp* CFilterApp::GetApp() {
    CFilterApp* app = g_app;
    if (app == nullptr)
        return nullptr;
    if (app->m_startUp == StartUp::NotRun)
        app->m_startUp = app->InitInstance() ? StartUp::Succeeded : StartUp::Failed;
    return app->m_startUp == StartUp::Succeeded ? app : nullptr;
}

BOOL CFilterApp::InitInstance() {
    CString company = leaf::ui::LoadResString(IDS_FILTER_COMPANY);
    // Without its company string the module would keep its settings in the wrong place.
    if (company.IsEmpty())
        return FALSE;
    SetRegistryKey(company.c_str());
    return TRUE;
}

void CFilterApp::ObjectCreated() {
    if (g_app)
        ++g_app->m_objectCount;
}

void CFilterApp::ObjectDestroyed() {
    if (g_app)
        --g_app->m_objectCount;
}

void CFilterApp::SetRegistryKey(const char* company) {
    m_profile.emplace(company ? company : "", m_appName.str());
}

UINT CFilterApp::GetProfileInt(const char* section, const char* entry, int defaultValue) const {
    return m_profile ? m_profile->GetProfileInt(section, entry, defaultValue) : static_cast<UINT>(defaultValue);
}

CString CFilterApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) const {
    if (m_profile)
        return m_profile->GetProfileString(section, entry, defaultValue);
    return CString(defaultValue);
}

BOOL CFilterApp::WriteProfileInt(const char* section, const char* entry, int value) {
    return m_profile ? m_profile->WriteProfileInt(section, entry, value) : FALSE;
}

BOOL CFilterApp::WriteProfileString(const char* section, const char* entry, const char* value) {
    return m_profile ? m_profile->WriteProfileString(section, entry, value) : FALSE;
}
