#include "studio/project/ApplicationLists.h"

#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"
#include "studio/project/AutoSaveHost.h"

namespace leaf {

CMetaDataDefinition* ApplicationLists::FindMetaDataDefinition(const CString& name) const
{
    for (const auto& definition : m_metaDataDefinitions) {
        if (definition->m_strName == name) return definition.get();
    }
    return nullptr;
}

CGuideTypeDefinition* ApplicationLists::FindGuideType(const CString& type) const
{
    for (const auto& definition : m_guideTypes) {
        if (definition->m_strType.CompareNoCase(type) == 0) return definition.get();
    }
    return nullptr;
}

ApplicationLists& GetApplicationLists()
{
    if (auto* lists = dynamic_cast<ApplicationLists*>(AfxGetApp())) return *lists;
    static ApplicationLists fallback;
    return fallback;
}

AutoSaveHost* GetAutoSaveHost()
{
    CWinApp* app = AfxGetApp();
    return app ? dynamic_cast<AutoSaveHost*>(app->GetMainWnd()) : nullptr;
}

}  // namespace leaf
