#pragma once

// CHtmlFilter: the filter object of markupintake, registered for ".htm" and ".html".
// Prepare reports every file a page needs (pictures, style sheets, scripts, frames and
// the pages it links to, and theirs, down to WalkLinkLevel levels of linked pages);
// Convert turns a page into a package-ready document; GetSize tells how much work a
// page is. The Word filter creates this filter by CLSID_HtmlFilter and forwards to it.

#include "filters/framework/FilterObject.h"
#include "filters/html/LinkTargetCache.h"
#include "filters/html/LinkedPaths.h"
#include "platform/base/CString.h"

class CHtmlFilter : public CFilterObject {
public:
    CHtmlFilter();

    // WalkLinkLevel from the profile.
    HRESULT Initialize() override;
    // Reports each file the source needs through IFilterHost::AddDependency; with a
    // mapping folder, files below the source's folder are reported as lying below it.
    HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR mappingFolder, IFilterHost* host) override;
    HRESULT Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG flags, IFilterHost* host) override;
    // The source's size in bytes for the dependency scan, twice that for the conversion
    // (which reads the source and writes the result).
    HRESULT GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) override;

    // The progress call-back of the link collector and of the converter: TRUE (go on)
    // without a host, else TRUE unless the host's StepProgress asks to stop.
    static BOOL ReportProgress(LONG units, IFilterHost* host);

    // The depth of the walk through linked documents, 0..64: 0 and 1 report the source's
    // own links without opening linked pages; each further level opens one more level.
    int GetWalkLinkLevel() const { return m_walkLinkLevel; }
    void SetWalkLinkLevel(int level) { m_walkLinkLevel = ClampWalkLinkLevel(level); }
    static int ClampWalkLinkLevel(int level);
    // The profile's value ("HTML Filter", WalkLinkLevel; 3 when unset), clamped.
    static int ReadWalkLinkLevel();

    // The outcome of a walk.
    enum class WalkResult { Done, Aborted };
    // Collects the link targets of the page at `path` into `seen`, and opens the linked
    // pages while depth is 2 or more. Progress is reported for the source itself only
    // (depth equal to WalkLinkLevel).
    WalkResult WalkLinks(const CString& path, int depth, CLinkedPaths& seen, IFilterHost* host);

    // A link target as a full path: "file:" links lose their scheme, '\' becomes '/',
    // a relative target is taken from `folder`, and "x/../" and "/./" are folded.
    // Targets with another scheme (a ':' in them) stay as written.
    static CString ResolveTarget(const CString& folder, const CString& target);
    // Folds "x/../" and "/./" out of a path ('\' read as '/'); folding stops at a "../"
    // that has no folder before it.
    static void NormalizePath(CString& path);

protected:
    // The option page (dialog 7000): the filter's setting between the profile and the page.
    std::unique_ptr<CFilterPageFace> CreatePropertyPage(IUnknown* owner, UINT dialogId) override;

private:
    int m_walkLinkLevel = 1;
    // The targets of the pages read by earlier walks of the filter objects of the process.
    CLinkTargetCache& m_linkTargets = CLinkTargetCache::Shared();
};
