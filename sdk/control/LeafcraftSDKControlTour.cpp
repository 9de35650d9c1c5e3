// CLeafcraftSDKControl: CreateTourFromTOC, which gives the book a chapter tour made of
// the links of the page that the guide names as its table of contents.

#include <optional>
#include <string>
#include <vector>

#include "common/ContentType.h"
#include "common/LinkEscape.h"
#include "platform/base/CString.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/control/LeafcraftSDKControl.h"
#include "sdk/control/TOCLinkCollector.h"

namespace {

constexpr const char* kTocGuideType = "toc";
constexpr const char* kChapterTourMetaName = "ms-chaptertour";
constexpr const char* kChapterTourId = "chaptertour";
constexpr const char* kChapterTourTitle = "Chapter Tour";

// Paths compare without regard to letter case and whatever separator they were written with.
bool SamePath(const CString& a, const CString& b) {
    return leaf::EqualsNoCase(leaf::path::Normalize(a.str()), leaf::path::Normalize(b.str()));
}

// The file part of an href ("toc.htm#top" gives "toc.htm").
CString FilePartOfHref(const CString& href) {
    CString file, fragment;
    SplitFragment(href, file, fragment, FALSE);
    return file;
}

}  // namespace

leaf::Variant CLeafcraftSDKControl::DispCreateTourFromTOC(const leaf::DispatchArguments& arguments) {
    return Guarded(leaf::Variant(false), [&] { return leaf::Variant(CreateTourFromTOC(arguments.Long(0)) != FALSE); });
}

BOOL CLeafcraftSDKControl::CreateTourFromTOC(LONG flags) {
    ClearError();
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return FALSE;
    }
    if (IsRunning()) {
        // The running preparation or build is reading the package.
        SetError(LCERR_UNEXPECTED);
        return FALSE;
    }

    // The first guide reference of type "toc" (the type compares exactly).
    int tocIndex = -1;
    for (int i = 0; i < m_package.GetGuideCount() && tocIndex < 0; ++i)
        if (m_package.GetGuideItem(i)->m_strType == kTocGuideType)
            tocIndex = i;
    if (tocIndex < 0) {
        SetError(LCERR_TOUR_NO_TOC);
        return FALSE;
    }
    const CString href = m_package.GetGuideItem(tocIndex)->m_strHref;

    // A relative href lies in the source folder of the reading order.
    CString path(leaf::path::Normalize(href.str()));
    if (!leaf::path::IsAbsolute(path.str()))
        path = FindSourceFolder(TRUE) + "/" + path;
    ResolveRelativePath(path);
    CString onDisk = FindExistingFile(path);
    if (!onDisk.IsEmpty())
        path = onDisk;

    // The reference must name a whole HTML page, and no other guide reference the same page.
    CString tocFile, fragment;
    SplitFragment(href, tocFile, fragment, FALSE);
    if (!fragment.IsEmpty() || GetContentType(tocFile).CompareNoCase("text/html") != 0) {
        SetError(LCERR_TOUR_INVALID_TOC);
        return FALSE;
    }
    for (int i = 0; i < m_package.GetGuideCount(); ++i) {
        if (i != tocIndex && SamePath(FilePartOfHref(m_package.GetGuideItem(i)->m_strHref), href)) {
            SetError(LCERR_TOUR_INVALID_TOC);
            return FALSE;
        }
    }

    // The tour needs a page to go to besides the table of contents itself.
    bool otherPage = false;
    for (int position = 0; position < m_package.GetSpineCount() && !otherPage; ++position) {
        const CManifestItem* item = m_package.GetManifestItem(m_package.GetSpineItem(position));
        otherPage = item != nullptr && !SamePath(item->m_strPath, path);
    }
    if (!otherPage) {
        SetError(LCERR_TOUR_INVALID_TOC);
        return FALSE;
    }

    int chapterTourMeta = -1;
    for (int i = 0; i < m_package.GetXMetaCount() && chapterTourMeta < 0; ++i)
        if (m_package.GetXMetaItem(i)->m_strName == kChapterTourMetaName)
            chapterTourMeta = i;
    if (chapterTourMeta >= 0 && (flags & LCF_OVERWRITETOUR) == 0) {
        SetError(LCERR_TOUR_ALREADY_EXISTS);
        return FALSE;
    }

    // A page that cannot be read simply gives no links. The links are collected before an
    // old tour is removed, so a failure leaves the book's tour as it was.
    std::vector<CTocLink> links;
    CTocLinkCollector collector;
    collector.ParseFile(path.str(), links);
    if (links.empty()) {
        SetError(LCERR_TOUR_NO_TOC_LINKS);
        return FALSE;
    }

    if (chapterTourMeta >= 0) {
        const CString oldTourId = m_package.GetXMetaItem(chapterTourMeta)->m_strValue;
        for (int i = 0; i < m_package.GetTourCount(); ++i) {
            if (m_package.GetTour(i)->m_strId == oldTourId) {
                m_package.RemoveTour(i);
                break;
            }
        }
        m_package.RemoveXMetaItem(chapterTourMeta);
    }

    m_package.AddXMetaData(std::make_unique<CDCMetaItem>(kChapterTourMetaName, kChapterTourId));
    auto tour = std::make_unique<CTourRecord>(kChapterTourTitle, kChapterTourId);
    // The sites name their files by their paths, as the client's own sites do.
    for (const CTocLink& link : links)
        tour->m_sites.push_back(std::make_unique<CTourSite>(CString(leaf::Utf16ToUtf8(link.title)),
                                                            CString(leaf::LinkToPath(leaf::Utf16ToUtf8(link.href)))));
    m_package.AddTour(std::move(tour));
    return TRUE;
}
