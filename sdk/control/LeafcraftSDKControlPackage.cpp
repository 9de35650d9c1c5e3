// CLeafcraftSDKControl: the package writing step of a build. The package in memory names
// every item by its source file; the package file names it by its place in the work
// folder, as a relative URL, because the compiler asks for the items by those names.
// Before writing, the versions of the components that build the e-book are recorded as
// supplemental metadata.

#include <string>
#include <vector>

#include "common/FileDetails.h"
#include "common/LinkEscape.h"
#include "common/StringSort.h"
#include "platform/base/Path.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/Resources.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/control/LeafcraftSDKControl.h"
#include "sdk/control/SDKControlModule.h"
#include "sdk/control/SDKResourceIds.h"

namespace {

// The e-book compiler's module, beside the control's own.
const char* const kCompilerModuleName = "LITGen.so";

}  // namespace

std::vector<CString*> CLeafcraftSDKControl::GuideAndTourHrefs() {
    std::vector<CString*> hrefs;
    for (int i = 0; i < m_package.GetGuideCount(); ++i)
        hrefs.push_back(&m_package.GetGuideItem(i)->m_strHref);
    for (int tour = 0; tour < m_package.GetTourCount(); ++tour)
        for (int site = 0; site < m_package.GetTourSiteCount(tour); ++site)
            hrefs.push_back(&m_package.GetTourSite(tour, site)->m_strHref);
    return hrefs;
}

void CLeafcraftSDKControl::AddVersionMetaData() {
    // The registered filters' ProgIDs, sorted, after the control's own.
    std::vector<CString> progIds;
    leaf::RegistryKey filtersKey = leaf::RegistryKey::Open(HKEY_LOCAL_MACHINE, leaf::ui::LoadResString(IDS_FILTERS_KEY).str());
    if (filtersKey.IsOpen())
        for (const std::string& name : filtersKey.SubKeyNames())
            progIds.emplace_back(name);
    SortStringArray(progIds, TRUE);
    progIds.insert(progIds.begin(), CString(kLeafcraftSDKProgId));

    std::vector<CString> paths;
    for (const CString& progId : progIds)
        paths.push_back(GetInprocServerPath(progId));
    if (paths.front().Find('/') >= 0)
        paths.push_back(CString(leaf::path::Join(leaf::path::FolderPart(paths.front().str()), kCompilerModuleName)));

    for (const CString& path : paths) {
        CString description;
        CString version;
        CString date;
        if (path.IsEmpty() || !GetFileDetails(path, description, version, date))
            continue;
        description.Replace(' ', '-');
        CString name = leaf::ui::FormatResString(IDS_VERSION_META_NAME, description.c_str());
        CString value = leaf::ui::FormatResString(IDS_VERSION_META_VALUE, version.c_str(), date.c_str());
        // A package built before (or imported) has the item already: it gets the new
        // value instead of a second item of the same name.
        bool updated = false;
        for (int i = 0; i < m_package.GetXMetaCount() && !updated; ++i) {
            CDCMetaItem* item = m_package.GetXMetaItem(i);
            if (item->m_strName == name) {
                item->m_strValue = value;
                updated = true;
            }
        }
        if (!updated)
            m_package.AddXMetaData(std::make_unique<CDCMetaItem>(name, value));
    }
}

BOOL CLeafcraftSDKControl::WritePackage(const CString& packagePath, const CString& workFolder) {
    AddVersionMetaData();

    CString folder = workFolder;
    if (folder.GetLength() > 1 && folder[folder.GetLength() - 1] == '/')
        folder = folder.Left(folder.GetLength() - 1);

    // Every item is named by its work path for the time of the write.
    struct Kept {
        CString path;
        CString mediaType;
    };
    std::vector<Kept> kept;
    const bool forceOeb = CSDKControlModule::Instance().GetProfileInt("ForceOEBOutput", 0) != 0;
    kept.reserve(static_cast<size_t>(m_package.GetManifestCount()));
    for (int i = 0; i < m_package.GetManifestCount(); ++i) {
        CManifestItem* item = m_package.GetManifestItem(i);
        kept.push_back({item->m_strPath, item->m_strMediaType});
        CString href = item->m_strWorkPath;
        href.Replace('\\', '/');
        if (leaf::StartsWithNoCase(href.str(), folder.str()) && href[folder.GetLength()] == '/')
            href = href.Mid(folder.GetLength() + 1);
        // A reader of the href decodes "%XX" and ends the path at '#' or '?': the href is
        // escaped, so that "pct%41%.html" or "hash#x.html" reads back under its own name.
        // The package writer escapes '&' and '"' itself.
        item->m_strPath = CString(leaf::EscapeLinkPath(href.str()));
        if (forceOeb) {
            if (item->m_strMediaType == "text/html")
                item->m_strMediaType = "text/x-oeb1-document";
            else if (item->m_strMediaType == "text/css")
                item->m_strMediaType = "text/x-oeb1-css";
        }
    }

    // The guide and the tours name files as links too.
    std::vector<CString> keptHrefs;
    for (CString* href : GuideAndTourHrefs()) {
        keptHrefs.push_back(*href);
        *href = CString(leaf::PathToLink(href->str()));
    }

    HRESULT result = E_FAIL;
    try {
        result = m_package.Write(packagePath);
    } catch (...) {
        result = E_FAIL;
    }

    const std::vector<CString*> hrefs = GuideAndTourHrefs();
    for (size_t i = 0; i < hrefs.size() && i < keptHrefs.size(); ++i)
        *hrefs[i] = std::move(keptHrefs[i]);

    for (size_t i = 0; i < kept.size(); ++i) {
        if (CManifestItem* item = m_package.GetManifestItem(static_cast<int>(i))) {
            item->m_strPath = std::move(kept[i].path);
            item->m_strMediaType = std::move(kept[i].mediaType);
        }
    }
    return SUCCEEDED(result) ? TRUE : FALSE;
}
