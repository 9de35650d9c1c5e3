// CLeafcraftSDKControl::PrepareEBook: the source folder, the work total, the dependency
// scan through the input filters, and the sorting of the files the filters reported into
// kept, missing and external.

#include <algorithm>
#include <filesystem>
#include <new>
#include <set>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "common/ContentType.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/control/CssFilterScope.h"
#include "sdk/control/LeafcraftSDKControl.h"
#include "sdk/control/MessagePump.h"
#include "sdk/control/RunScope.h"

namespace {

// How many preparations each worker runs ahead of the page the client's thread replays.
// Preparing a page takes very different times from page to page (a walk that reaches
// pages no walk has read yet reads them all; one that meets them again takes their links
// from the cache), so the workers run well ahead, lest one slow page hold them all up.
constexpr size_t kPreparationsAheadPerWorker = 8;

leaf::Bstr Wide(const CString& text) { return leaf::Bstr::FromUtf8(text.str()); }

CString Slashed(const CString& path) {
    CString result = path;
    result.Replace('\\', '/');
    return result;
}

// The path with every symbolic link resolved; empty when it names nothing on disk.
std::string RealPath(const CString& path) {
    std::error_code error;
    std::filesystem::path real = std::filesystem::canonical(path.str(), error);
    return error ? std::string() : real.string();
}

// The existing path found on disk when it names a file; empty for a folder. A folder is
// no source, and a link to one cannot become an item of the package, whose build would
// then fail to copy it.
CString FileOnly(const CString& onDisk) {
    std::error_code error;
    if (!onDisk.IsEmpty() && std::filesystem::is_directory(onDisk.str(), error))
        return CString();
    return onDisk;
}

}  // namespace

BOOL CLeafcraftSDKControl::IsSpineItem(int index) const {
    for (int position = 0; position < m_package.GetSpineCount(); ++position)
        if (m_package.GetSpineItem(position) == index)
            return TRUE;
    return FALSE;
}

void CLeafcraftSDKControl::RemoveManifestItemAt(int index) {
    m_package.RemoveManifestItem(index);
    // The HTML guide pages are kept by manifest index: follow the renumbering.
    for (auto entry = m_htmlGuideItems.begin(); entry != m_htmlGuideItems.end();) {
        if (entry->second == index) {
            entry = m_htmlGuideItems.erase(entry);
            continue;
        }
        if (entry->second > index)
            --entry->second;
        ++entry;
    }
}

CString CLeafcraftSDKControl::FindSourceFolder(BOOL spineOnly) const {
    CString prefix;
    bool first = true;
    auto visit = [&](const CString& path) {
        CString folder = Slashed(path);
        folder = folder.Left(folder.ReverseFind('/') + 1);
        if (first) {
            prefix = folder;
            first = false;
            return;
        }
        if (prefix.GetLength() > folder.GetLength())
            prefix = prefix.Left(folder.GetLength());
        int same = 0;
        while (same < prefix.GetLength() && leaf::AsciiToLower(prefix[same]) == leaf::AsciiToLower(folder[same]))
            ++same;
        prefix = prefix.Left(same);
        prefix = prefix.Left(prefix.ReverseFind('/') + 1);
    };
    if (spineOnly) {
        for (int position = 0; position < m_package.GetSpineCount(); ++position)
            if (CManifestItem* item = m_package.GetManifestItem(m_package.GetSpineItem(position)))
                visit(item->m_strPath);
    } else {
        for (int i = 0; i < m_package.GetManifestCount(); ++i)
            visit(m_package.GetManifestItem(i)->m_strPath);
    }
    if (prefix.GetLength() > 0 && prefix[prefix.GetLength() - 1] == '/')
        prefix = prefix.Left(prefix.GetLength() - 1);
    return prefix;
}

BOOL CLeafcraftSDKControl::CheckSpineFiles(std::vector<CString>& missing) const {
    BOOL allThere = TRUE;
    for (int position = 0; position < m_package.GetSpineCount(); ++position) {
        CManifestItem* item = m_package.GetManifestItem(m_package.GetSpineItem(position));
        if (item != nullptr && FileOnly(FindExistingFile(item->m_strPath)).IsEmpty()) {
            missing.push_back(item->m_strPath);
            allThere = FALSE;
        }
    }
    return allThere;
}

CString CLeafcraftSDKControl::JoinLines(const std::vector<CString>& lines) {
    CString joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined += '\n';
        joined += lines[i];
    }
    return joined;
}

BOOL CLeafcraftSDKControl::PrepareEBook() {
    ClearError();
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return FALSE;
    }
    if (IsRunning()) {
        // Called from a handler of a running preparation's or build's events.
        SetError(LCERR_UNEXPECTED);
        return FALSE;
    }

    // The whole preparation counts as running: the client's handlers, reached through the
    // pump, cannot initialise again or import under it, and the control stays alive.
    CRunScope run(static_cast<IDispatch*>(this), m_preparing);
    try {
        m_abortRequested = FALSE;
        m_prepared = FALSE;
        RefreshPumpLookup();
        PumpWaitingMessages();

        m_progressTotal = 0;
        m_progressDone = 0;
        m_progressStep = 1;
        m_progressDetail.Empty();
        FireUpdateProgress(0, 1, "");

        if (m_package.GetSpineCount() == 0) {
            SetError(LCERR_NOSPINEFILES);
            return FALSE;
        }
        m_sourceFolder = FindSourceFolder(TRUE);
        if (m_sourceFolder.IsEmpty()) {
            // The details name the sources that share no folder, one per line.
            std::vector<CString> sources;
            for (int position = 0; position < m_package.GetSpineCount(); ++position)
                if (CManifestItem* item = m_package.GetManifestItem(m_package.GetSpineItem(position)))
                    sources.push_back(item->m_strPath);
            SetError(LCERR_NOSOURCEFOLDER, JoinLines(sources));
            return FALSE;
        }
        std::vector<CString> missingSources;
        if (!CheckSpineFiles(missingSources)) {
            SetError(LCERR_MISSINGSRCFILES, JoinLines(missingSources));
            return FALSE;
        }

        // The work total of the sources and of the HTML guide pages outside the spine.
        std::vector<CString> sized;
        for (int position = 0; position < m_package.GetSpineCount(); ++position)
            if (CManifestItem* item = m_package.GetManifestItem(m_package.GetSpineItem(position)))
                sized.push_back(item->m_strPath);
        for (const auto& [key, index] : m_htmlGuideItems)
            if (!IsSpineItem(index))
                if (CManifestItem* item = m_package.GetManifestItem(index))
                    sized.push_back(item->m_strPath);
        for (const CString& path : sized) {
            IInputFilter* filter = nullptr;
            if (FindFilterForFile(path, &filter) != LCERR_NONE)
                continue;
            LONG units = 0;
            if (SUCCEEDED(filter->GetSize(Wide(path), LCF_SCAN_DEPENDENCIES | kFilterReadingOrderItem, &units)))
                m_progressTotal += units;
        }

        if (!ScanDependencies())
            return FALSE;

        BOOL complete = SortDependencies(m_missingFiles, m_externalFiles);

        m_prepared = TRUE;
        m_progressDetail.Empty();
        FireUpdateProgress(100, m_progressStep, "");
        // Calls that the client's handlers made during the run left codes of their own;
        // what the client reads afterwards is the run's result.
        ClearError();
        // The run lasts until this last event is handled: an abort asked for in it (which
        // AbortBuild accepted) ends the run as aborted too.
        if (m_abortRequested) {
            m_prepared = FALSE;
            SetError(LCERR_ABORTED);
            return FALSE;
        }
        if (!complete)
            SetError(LCWARN_INVALIDDEPENDENCIES);
        return TRUE;
    } catch (...) {
        // No automation exception leaves a run; the scope clears the flag.
        m_prepared = FALSE;
        SetError(LCERR_UNEXPECTED);
        return FALSE;
    }
}

namespace {

// What a preparation is known by, to match the one a worker ran ahead with the file the
// scan reaches.
std::string PreparationIdentity(const CString& path, const std::string& progId) { return path.str() + '\n' + progId; }

CFilterWorkerPool::Call PreparationCall(const CString& path) {
    return [path](IInputFilter& filter, IFilterHost& host) {
        return filter.Prepare(leaf::Bstr::FromUtf8(path.str()), nullptr, &host);
    };
}

}  // namespace

BOOL CLeafcraftSDKControl::ScanSourceFile(const CString& path, std::unique_ptr<CFilterWorkerPool::Outcome> ahead) {
    if (m_abortRequested) {
        SetError(LCERR_ABORTED);
        return FALSE;
    }
    const bool inside = leaf::StartsWithNoCase(Slashed(path).str(), (m_sourceFolder + "/").str());
    m_progressDetail = inside ? path.Mid(m_sourceFolder.GetLength() + 1) : path;
    StepProgress(0);  // publishes the detail; an abort is seen on the next file

    IInputFilter* filter = nullptr;
    LONG code = FindFilterForFile(path, &filter);
    if (code != LCERR_NONE) {
        SetError(code, FilterErrorDetails(code, path));
        return FALSE;
    }
    leaf::ComPtr<IInputFilter> held(filter);  // alive for the call, whatever the handlers do
    m_errorDetails.Empty();
    if (FAILED(RunFilterCall(*held, std::move(ahead), PreparationIdentity(path, FindFilterProgId(path)),
                             PreparationCall(path)))) {
        // A filter that stopped because the client asked for it ends the run as aborted.
        // Otherwise the details name the file, then what the filter said about it.
        const CString said = m_errorDetails;
        SetError(m_abortRequested ? LCERR_ABORTED : LCERR_UNEXPECTED,
                 said.IsEmpty() || said == path ? path : path + ": " + said);
        return FALSE;
    }
    return TRUE;
}

BOOL CLeafcraftSDKControl::ScanDependencies() {
    // Style sheets get the built-in style-sheet filter for the length of the scan.
    CCssFilterScope cssFilter(*this);
    std::unordered_set<std::string> namesThisScan;
    struct CScanNames {
        std::unordered_set<std::string>*& names;
        ~CScanNames() { names = nullptr; }
    } scanNames{m_namesThisScan};
    m_namesThisScan = &namesThisScan;
    // The spine entries' preparations, run ahead by workers where the machine has the
    // processors for it; the loop below replays each when it reaches its entry.
    std::unique_ptr<CFilterWorkerPool> workers;
    if (CFilterWorkerPool::WorkerCount() > 1 && m_package.GetSpineCount() >= 2) {
        std::vector<std::pair<int, std::string>> planned;  // spine position, filter
        std::vector<std::string> progIds;
        for (int position = 0; position < m_package.GetSpineCount(); ++position) {
            const CManifestItem* item = m_package.GetManifestItem(m_package.GetSpineItem(position));
            if (item == nullptr)
                continue;
            std::string progId = FindFilterProgId(item->m_strPath);
            if (progId.empty())
                continue;
            if (std::find(progIds.begin(), progIds.end(), progId) == progIds.end())
                progIds.push_back(progId);
            planned.emplace_back(position, std::move(progId));
        }
        std::vector<int> slots;
        if (planned.size() >= 2)
            workers = StartFilterWorkers(progIds, slots, kPreparationsAheadPerWorker);
        for (const auto& [position, progId] : workers ? planned : decltype(planned)()) {
            const int slot = slots[static_cast<size_t>(std::find(progIds.begin(), progIds.end(), progId) - progIds.begin())];
            if (slot < 0)
                continue;
            const CString& path = m_package.GetManifestItem(m_package.GetSpineItem(position))->m_strPath;
            workers->Submit(static_cast<size_t>(position), PreparationIdentity(path, progId), static_cast<size_t>(slot),
                            PreparationCall(path));
        }
    }
    // Every spine entry in order; the bound is read again after each file, since the
    // filter's progress events let the client add files.
    for (int position = 0; position < m_package.GetSpineCount(); ++position) {
        CManifestItem* item = m_package.GetManifestItem(m_package.GetSpineItem(position));
        if (item == nullptr)
            continue;
        CString path = item->m_strPath;
        if (!ScanSourceFile(path, workers ? workers->Take(static_cast<size_t>(position)) : nullptr))
            return FALSE;
    }
    workers.reset();
    // The HTML guide pages that are not in the spine, from a copy of the map.
    std::map<std::string, int> guidePages = m_htmlGuideItems;
    for (const auto& [key, index] : guidePages) {
        if (IsSpineItem(index))
            continue;
        CManifestItem* item = m_package.GetManifestItem(index);
        if (item == nullptr)
            continue;
        CString path = item->m_strPath;
        if (!ScanSourceFile(path))
            return FALSE;
    }
    // The style sheets that the pages named, and those that style sheets import, for the
    // pictures and fonts they name in turn; each one once. One that really lies outside
    // the source folder through a link is not read: it is left out of the book.
    std::set<std::string> styleSheets;
    for (int i = 0; i < m_package.GetManifestCount(); ++i) {
        // A file that a filter wrote into a work folder is output, not a source.
        if (!m_package.GetManifestItem(i)->m_strWorkPath.IsEmpty())
            continue;
        CString path = Slashed(m_package.GetManifestItem(i)->m_strPath);
        if (!leaf::path::IsAbsolute(path.str()) || leaf::ToLowerAscii(leaf::path::Extension(path.str())) != ".css" ||
            IsSpineItem(i) ||
            !styleSheets.insert(leaf::ToLowerAscii(path.str())).second || LeavesSourceFolder(path))
            continue;
        if (!ScanSourceFile(path))
            return FALSE;
    }
    // A cancel asked for while the last file was read ends the run as well.
    if (m_abortRequested) {
        SetError(LCERR_ABORTED);
        return FALSE;
    }
    return TRUE;
}

BOOL CLeafcraftSDKControl::LeavesSourceFolder(const CString& path) const {
    if (!leaf::StartsWithNoCase(Slashed(path).str(), (m_sourceFolder + "/").str()))
        return FALSE;
    const std::string real = RealPath(FindExistingFile(Slashed(path)));
    const std::string folder = RealPath(m_sourceFolder);
    return !real.empty() && !folder.empty() && !leaf::path::IsUnderFolder(folder, real) ? TRUE : FALSE;
}

BOOL CLeafcraftSDKControl::SortDependencies(std::vector<CString>& missing, std::vector<CString>& external) {
    BOOL result = TRUE;
    CString prefix = m_sourceFolder + "/";
    // Which items are in the spine, by manifest index, kept in step with the removals.
    std::vector<bool> inSpine(static_cast<size_t>(m_package.GetManifestCount()), false);
    for (int position = 0; position < m_package.GetSpineCount(); ++position)
        if (m_package.GetSpineItem(position) >= 0 && m_package.GetSpineItem(position) < m_package.GetManifestCount())
            inSpine[static_cast<size_t>(m_package.GetSpineItem(position))] = true;
    for (int i = 0; i < m_package.GetManifestCount();) {
        if (inSpine[static_cast<size_t>(i)]) {
            ++i;
            continue;
        }
        CManifestItem* item = m_package.GetManifestItem(i);
        CString path = Slashed(item->m_strPath);

        enum class Fate { Keep, Missing, External, Drop } fate;
        if (leaf::StartsWithNoCase(path.str(), prefix.str())) {
            // Inside by its spelling; a link that leads out of the source folder makes
            // it an outside file all the same.
            if (LeavesSourceFolder(path))
                fate = Fate::External;
            else
                fate = FileOnly(FindExistingFile(path)).IsEmpty() ? Fate::Missing : Fate::Keep;
        } else {
            fate = Fate::External;
            if (path.GetLength() > 0 && path[0] == '/') {
                CString type = GetContentType(path);
                if (leaf::StartsWithNoCase(type.str(), "image/") || type.CompareNoCase("text/css") == 0)
                    fate = FileOnly(FindExistingFile(path)).IsEmpty() ? Fate::Missing : Fate::Keep;
            }
            if (fate == Fate::External) {
                int colon = path.Find(':');
                if (colon >= 0 && m_ignoredSchemes.count(leaf::ToLowerAscii(path.Left(colon + 1).str())) != 0)
                    fate = Fate::Drop;
            }
        }

        switch (fate) {
        case Fate::Keep: {
            // Kept files are entered under their spelling on disk.
            // A name the package knows the file by that is only its own path in other
            // letter case follows, so the work copy gets the spelling on disk too.
            CString onDisk = FileOnly(FindExistingFile(path));
            if (!onDisk.IsEmpty()) {
                if (Slashed(item->m_strMappedPath).CompareNoCase(path) == 0)
                    item->m_strMappedPath = onDisk;
                item->m_strPath = onDisk;
            }
            ++i;
            continue;
        }
        case Fate::Missing:
            missing.push_back(item->m_strPath);
            result = FALSE;
            break;
        case Fate::External:
            external.push_back(item->m_strPath);
            result = FALSE;
            break;
        case Fate::Drop:
            break;
        }
        RemoveManifestItemAt(i);
        inSpine.erase(inSpine.begin() + i);
    }
    return result;
}
