// CLeafcraftSDKControl::BuildEBook: the work folder, a place in it for every item, the
// conversion pass (each item converted by its input filter or copied), the font step,
// the package file and the hand-over to the compile step.
//
// A build never deletes its own work folder: it queues it, and queued folders are
// deleted when the control is destroyed (when "AutoDelete" is set).

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/ContentType.h"
#include "common/LinkEscape.h"
#include "platform/base/Environment.h"
#include "platform/base/File.h"
#include "platform/base/LocalTime.h"
#include "platform/base/Path.h"
#include "platform/base/ScratchFolder.h"
#include "platform/base/TextEncoding.h"
#include "platform/ui/Resources.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/compiler/PageLinkMapper.h"
#include "sdk/control/CssFilterScope.h"
#include "sdk/control/LeafcraftSDKControl.h"
#include "sdk/control/MessagePump.h"
#include "sdk/control/RunScope.h"
#include "sdk/control/SDKControlModule.h"
#include "sdk/control/SDKResourceIds.h"

namespace {

constexpr int kMaxFriendlyNameLength = 50;
constexpr UINT kCopyBlockSize = 10240;
// How many conversions each worker runs ahead of the page the client's thread replays:
// enough to keep every worker busy while the client's thread replays (converting takes
// about the same time for every page), few enough that the recordings held stay small.
constexpr size_t kConversionsAheadPerWorker = 2;

leaf::Bstr Wide(const CString& text) { return leaf::Bstr::FromUtf8(text.str()); }

CString Slashed(const CString& path) {
    CString result = path;
    result.Replace('\\', '/');
    return result;
}

std::string LowerKey(const CString& path) { return leaf::ToLowerAscii(Slashed(path).str()); }

// Enters a source's work path in a map of work paths under the source's own spelling and,
// unless another source is spelt so or a file of that name exists, under its lower-cased
// path: a link finds its exact name first and falls back to the name without regard to
// case, so two files whose names differ only in case keep their own work paths.
void MapWorkPath(std::map<std::string, std::string>& map, const CString& path, const std::string& workPath) {
    const std::string exact = Slashed(path).str();
    map[exact] = workPath;
    const std::string lower = LowerKey(path);
    std::error_code error;
    if (lower != exact && !std::filesystem::exists(lower, error))
        map.emplace(lower, workPath);
}

// The part of path below folder (compared without regard to case, on a separator
// boundary); false when path does not lie below folder.
bool RelativeTo(const CString& folder, const CString& path, CString& relative) {
    if (folder.IsEmpty() || path.GetLength() <= folder.GetLength() + 1)
        return false;
    if (!leaf::StartsWithNoCase(path.str(), folder.str()) || path[folder.GetLength()] != '/')
        return false;
    relative = path.Mid(folder.GetLength() + 1);
    return true;
}

// The absolute, lexically normal form of a path, without a trailing '/'.
std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    std::string text = error ? path : absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// The path with every symbolic link resolved, for a path that exists; else its
// absolute form.
std::string RealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
    return resolved ? std::string(resolved.get()) : AbsolutePath(path);
}

bool IsOnlyDots(const CString& name) { return name.SpanIncluding(".").GetLength() == name.GetLength(); }

// The first `count` characters of UTF-8 text, never cutting a character in two.
CString FirstCharacters(const CString& text, int count) {
    int bytes = 0;
    for (int characters = 0; bytes < text.GetLength() && characters < count; ++characters) {
        ++bytes;
        while (bytes < text.GetLength() && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80)
            ++bytes;
    }
    return text.Left(bytes);
}

// folder + "/" + relative, made unique against the used work paths (lower-cased): a
// digit ending the name before its extension counts up (ch.htm, ch1.htm ... ch9.htm,
// ch10.htm, ch11.htm). The caller adds the result to the set.
CString MakeUniqueWorkPath(const CString& folder, CString relative, const std::unordered_set<std::string>& used) {
    for (;;) {
        CString candidate = folder + "/" + Slashed(relative);
        if (used.count(leaf::ToLowerAscii(candidate.str())) == 0)
            return candidate;
        int dot = relative.ReverseFind('.');
        int slash = relative.ReverseFind('/');
        CString extension = dot > slash ? relative.Mid(dot) : CString();
        CString base = relative.Left(relative.GetLength() - extension.GetLength());
        int number = 0;
        char last = base[base.GetLength() - 1];
        if (last >= '0' && last <= '9') {
            number = last - '0';
            base = base.Left(base.GetLength() - 1);
        }
        relative = base;
        relative.AppendFormat("%d", number + 1);
        relative += extension;
    }
}

// The package file of a build: the e-book's name, without its extension, with ".opf".
CString MakePackagePath(const CString& folder, const CString& eBookPath) {
    CString name(leaf::path::FilePart(Slashed(eBookPath).str()));
    int dot = name.ReverseFind('.');
    if (dot >= 0)
        name = name.Left(dot);
    return folder + "/" + name + ".opf";
}

// TRUE when the two paths name the same existing file.
bool IsSameFile(const CString& a, const CString& b) {
    std::error_code error;
    return std::filesystem::equivalent(a.str(), b.str(), error) && !error;
}

// TRUE when the file starts with the byte-order mark of UTF-16 little-endian text.
bool HasUtf16Mark(const CString& path) {
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone))
        return false;
    unsigned char mark[2] = {0, 0};
    UINT n = 0;
    try {
        n = file.Read(mark, 2);
    } catch (const CFileException&) {
        n = 0;
    }
    file.Abort();
    return n == 2 && mark[0] == 0xFF && mark[1] == 0xFE;
}

// The book's own file that the e-book path names, compared by device and inode so that
// another spelling, a hard link or a symbolic link to the file counts; empty when it
// names none of them (or nothing that exists).
CString FindBookFileAt(const CPackageFile& package, const CString& eBookPath) {
    struct stat target {};
    if (stat(eBookPath.c_str(), &target) != 0)
        return CString();
    for (int i = 0; i < package.GetManifestCount(); ++i) {
        const CString& path = package.GetManifestItem(i)->m_strPath;
        struct stat item {};
        if (stat(path.c_str(), &item) == 0 && item.st_dev == target.st_dev && item.st_ino == target.st_ino)
            return path;
    }
    return CString();
}

// The error details of a file that failed: its path and, when known, why.
CString FileFailure(const CString& path, const CString& reason) {
    return reason.IsEmpty() ? path : path + ": " + reason;
}

CString OsReason(int osError) { return osError > 0 ? CString(std::strerror(osError)) : CString(); }

// Why a conversion into destination may have failed, as far as the system tells: the
// source cannot be read, the destination's folder is missing or not writable, or its
// disk is full. Empty when none of these holds.
CString ProbeConversionFailure(const CString& source, const CString& destination) {
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return OsReason(errno);
    close(in);
    const std::string folder = leaf::path::FolderPart(destination.str());
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0)
        return "cannot create " + destination + ": " + OsReason(errno);
    if (!S_ISDIR(status.st_mode))
        return "cannot create " + destination + ": " + OsReason(ENOTDIR);
    if (access(folder.c_str(), W_OK) != 0)
        return "cannot create " + destination + ": " + OsReason(errno);
    // Less room left than the source takes (what this process may use: the superuser
    // may also fill the blocks kept back for it).
    struct statvfs space {};
    if (statvfs(folder.c_str(), &space) == 0) {
        const unsigned long long blocks = geteuid() == 0 ? space.f_bfree : space.f_bavail;
        struct stat sourceStatus {};
        const unsigned long long needed =
            stat(source.c_str(), &sourceStatus) == 0 ? static_cast<unsigned long long>(sourceStatus.st_size) : 0;
        if (blocks == 0 || blocks * space.f_frsize < needed)
            return "cannot write " + destination + ": " + OsReason(ENOSPC);
    }
    return CString();
}

// Queues the work folder of a build for deletion when the build ends, whatever way.
class CWorkFolderQueue {
public:
    explicit CWorkFolderQueue(std::vector<CString>& queue) : m_queue(queue) {}
    ~CWorkFolderQueue() {
        if (m_folder.IsEmpty())
            return;
        try {
            m_queue.push_back(m_folder);
        } catch (...) {
            // Out of memory: the folder stays on disk.
        }
    }
    CWorkFolderQueue(const CWorkFolderQueue&) = delete;
    CWorkFolderQueue& operator=(const CWorkFolderQueue&) = delete;

    void Set(const CString& folder) { m_folder = folder; }

private:
    std::vector<CString>& m_queue;
    CString m_folder;
};

// Names a build gives its work folder: the time ("120826-083625", with "-N" when that
// was taken) or, with friendly names on, the e-book's name.
bool IsWorkFolderName(std::string_view name, bool friendly) {
    if (friendly && !name.starts_with('.'))
        return true;
    auto digits = [&name](size_t from, size_t count) {
        if (name.size() < from + count)
            return false;
        for (size_t at = from; at < from + count; ++at)
            if (name[at] < '0' || name[at] > '9')
                return false;
        return true;
    };
    if (!digits(0, 6) || name.size() < 13 || name[6] != '-' || !digits(7, 6))
        return false;
    return name.size() == 13 || (name.size() > 14 && name[13] == '-' && digits(14, name.size() - 14));
}

// Deletes the work folders in base that builds of processes no longer running left (a
// build killed before its control deleted them): only folders of a work folder's name
// that carry a build's mark; never the sources' or the e-book's folder.
void RemoveStaleWorkFolders(const std::string& base, bool friendly, const std::vector<std::string>& keep) {
    std::vector<std::string> protectedFolders;
    for (const std::string& folder : keep)
        if (!folder.empty())
            protectedFolders.push_back(folder);
    leaf::RemoveStaleScratchFolders(
        base, [friendly](std::string_view name) { return IsWorkFolderName(name, friendly); }, protectedFolders);
}

}  // namespace

// ---------------------------------------------------------------- work folder

CString CLeafcraftSDKControl::MakeWorkFolderName(const CString& eBookPath, BOOL& friendly) const {
    const CSDKControlModule& module = CSDKControlModule::Instance();
    CString base = Slashed(module.GetProfileString("TempFolder"));
    if (base.IsEmpty())
        base = CString(leaf::GetTempFolder());
    if (base.GetLength() > 0 && base[base.GetLength() - 1] == '/')
        base = base.Left(base.GetLength() - 1);

    friendly = module.GetProfileInt("FriendlyTempFolder", 0) != 0 ? TRUE : FALSE;
    if (friendly) {
        CString name(leaf::path::FilePart(Slashed(eBookPath).str()));
        if (name.GetLength() >= 4 && name.Right(4).CompareNoCase(".lit") == 0)
            name = name.Left(name.GetLength() - 4);
        // A name of dots only would climb out of the base folder or name it.
        if (name.IsEmpty() || IsOnlyDots(name))
            name = "New Folder";
        return base + "/" + FirstCharacters(name, kMaxFriendlyNameLength);
    }

    // Named after the time; a folder of that name that exists already (another build in
    // the same second) gets a counter, so two builds never share a work folder.
    CString folder = base + "/" + CString(leaf::FormatLocalTime(std::time(nullptr), "%m%d%y-%H%M%S"));
    CString unique = folder;
    for (int counter = 1; leaf::path::Resolve(unique.str()) || FolderExists(unique); ++counter) {
        unique = folder;
        unique.AppendFormat("-%d", counter);
    }
    return unique;
}

BOOL CLeafcraftSDKControl::IsSafeWorkFolder(const CString& folder, const CString& eBookPath) const {
    // The work folder is emptied and deleted later: it must not be, or hold, the folder
    // of the sources or of the e-book.
    std::vector<std::string> protectedFolders;
    if (!m_sourceFolder.IsEmpty())
        protectedFolders.push_back(m_sourceFolder.str());
    protectedFolders.push_back(leaf::path::FolderPart(AbsolutePath(Slashed(eBookPath).str())));
    const std::string forms[] = {AbsolutePath(folder.str()), RealPath(folder.str())};
    for (const std::string& kept : protectedFolders) {
        const std::string keptForms[] = {AbsolutePath(kept), RealPath(kept)};
        for (const std::string& work : forms)
            for (const std::string& keptForm : keptForms)
                if (work == "/" || leaf::path::IsUnderFolder(work, keptForm))
                    return FALSE;
    }
    return TRUE;
}

BOOL CLeafcraftSDKControl::FolderExists(const CString& path) {
    struct stat info;
    return !path.IsEmpty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? TRUE : FALSE;
}

BOOL CLeafcraftSDKControl::CreateWorkFolder(const CString& path) {
    if (FolderExists(path))
        return TRUE;
    std::error_code error;
    std::filesystem::create_directories(path.str(), error);
    return FolderExists(path);
}

void CLeafcraftSDKControl::RemoveWorkFolder(const CString& folder, BOOL queue) {
    if (queue) {
        m_workFoldersToDelete.push_back(folder);
        return;
    }
    if (CSDKControlModule::Instance().GetProfileInt("AutoDelete", 1) == 0)
        return;
    std::vector<std::string> protectedFolders;
    if (!m_sourceFolder.IsEmpty())
        protectedFolders.push_back(m_sourceFolder.str());
    if (!m_buildEBookPath.IsEmpty())
        protectedFolders.push_back(leaf::path::FolderPart(AbsolutePath(Slashed(m_buildEBookPath).str())));
    leaf::DeleteTree(folder.str(), protectedFolders);
}

// ---------------------------------------------------------------- work paths

std::vector<bool> CLeafcraftSDKControl::ReadingOrderItems() const {
    std::vector<bool> reading(static_cast<size_t>(m_package.GetManifestCount()), false);
    for (int position = 0; position < m_package.GetSpineCount(); ++position) {
        int index = m_package.GetSpineItem(position);
        if (index >= 0 && index < static_cast<int>(reading.size()))
            reading[static_cast<size_t>(index)] = true;
    }
    for (const auto& [key, index] : m_htmlGuideItems)
        if (index >= 0 && index < static_cast<int>(reading.size()))
            reading[static_cast<size_t>(index)] = true;
    return reading;
}

void CLeafcraftSDKControl::DropOutputItems() {
    // A file that a holder of the host added to an earlier build's work folder (its work
    // path is the file itself) belongs to that build, whose folder may be gone: the
    // holder adds it again to this one.
    std::vector<bool> reading = ReadingOrderItems();
    for (int i = 0; i < m_package.GetManifestCount();) {
        CManifestItem* item = m_package.GetManifestItem(i);
        if (!reading[static_cast<size_t>(i)] && !item->m_strWorkPath.IsEmpty() &&
            item->m_strWorkPath == item->m_strPath && item->m_strMappedPath.IsEmpty()) {
            m_knownPaths.erase(leaf::path::CaseKey(Slashed(item->m_strPath).str()));
            RemoveManifestItemAt(i);
            reading.erase(reading.begin() + i);
            continue;
        }
        ++i;
    }
}

void CLeafcraftSDKControl::AssignWorkPaths(const CString& workFolder) {
    std::vector<bool> reading = ReadingOrderItems();
    std::unordered_set<std::string> used;
    // Items whose place is taken by an item whose name differs only in case.
    std::vector<bool> renamed(reading.size(), false);

    // Pass 1: items that keep their place below the source folder.
    for (int i = 0; i < m_package.GetManifestCount(); ++i) {
        CManifestItem* item = m_package.GetManifestItem(i);
        item->m_strWorkPath.Empty();
        CString name = Slashed(item->m_strMappedPath.IsEmpty() ? item->m_strPath : item->m_strMappedPath);
        bool html = GetContentType(name).CompareNoCase("text/html") == 0;
        if (!html && reading[static_cast<size_t>(i)])
            continue;  // a filter turns it into a page under a new name: pass 2
        CString relative;
        if (!RelativeTo(m_sourceFolder, name, relative))
            continue;  // outside the source folder: pass 2
        const CString workPath = workFolder + "/" + relative;
        // The e-book's names do not differ by case alone: the later of two such files
        // gets a name of its own in pass 2, and links to it follow.
        if (used.count(leaf::ToLowerAscii(workPath.str())) != 0) {
            renamed[static_cast<size_t>(i)] = true;
            continue;
        }
        item->m_strWorkPath = workPath;
        used.insert(leaf::ToLowerAscii(item->m_strWorkPath.str()));
    }

    // Pass 2: outside items go to "external", converted items get ".htm".
    for (int i = 0; i < m_package.GetManifestCount(); ++i) {
        CManifestItem* item = m_package.GetManifestItem(i);
        if (!item->m_strWorkPath.IsEmpty())
            continue;
        CString path = Slashed(item->m_strPath);
        CString relative;
        CString workPath;
        if (renamed[static_cast<size_t>(i)]) {
            RelativeTo(m_sourceFolder, Slashed(item->m_strMappedPath.IsEmpty() ? path : item->m_strMappedPath),
                       relative);
            workPath = MakeUniqueWorkPath(workFolder, relative, used);
            MapWorkPath(m_convertedWorkPaths, path, workPath.str());
        } else if (!RelativeTo(m_sourceFolder, path, relative)) {
            workPath = MakeUniqueWorkPath(workFolder, "external/" + CString(leaf::path::FilePart(path.str())), used);
            MapWorkPath(m_outsideWorkPaths, path, workPath.Mid(workFolder.GetLength() + 1).str());
        } else {
            std::string extension = leaf::path::Extension(relative.str());
            relative = relative.Left(relative.GetLength() - static_cast<int>(extension.size())) + ".htm";
            workPath = MakeUniqueWorkPath(workFolder, relative, used);
            MapWorkPath(m_convertedWorkPaths, path, workPath.str());
        }
        used.insert(leaf::ToLowerAscii(workPath.str()));
        item->m_strWorkPath = workPath;
    }
}

void CLeafcraftSDKControl::AssignMediaTypes(const CString& workFolder) {
    // The converted items also by their paths relative to the source folder, mapped to
    // their paths relative to the work folder.
    std::vector<std::pair<std::string, std::string>> relativePairs;
    for (const auto& [key, value] : m_convertedWorkPaths) {
        CString relativeKey;
        CString relativeValue;
        if (RelativeTo(m_sourceFolder, CString(key), relativeKey) &&
            RelativeTo(workFolder, CString(value), relativeValue))
            relativePairs.emplace_back(relativeKey.str(), relativeValue.str());
    }
    for (auto& [key, value] : relativePairs)
        m_convertedWorkPaths.emplace(std::move(key), std::move(value));

    std::vector<bool> reading = ReadingOrderItems();
    for (int i = 0; i < m_package.GetManifestCount(); ++i)
        if (reading[static_cast<size_t>(i)])
            m_package.GetManifestItem(i)->m_strMediaType = "text/html";

    // Links of tours and of the guide that name a converted source now name its page, and
    // those that name a file that took another name, that name. They name files by their
    // paths (relative to the source folder), as the client gave them; a file of exactly
    // the name given is the one meant, even when another's name differs only in case.
    const CPageLinkMapper places(&m_outsideWorkPaths, &m_convertedWorkPaths, m_sourceFolder.str(), workFolder.str());
    auto rewrite = [&](CString& href) {
        if (href.IsEmpty() || href[0] == '#' || leaf::HasUrlScheme(href.str()))
            return;
        CString pathPart;
        CString fragment;
        SplitFragment(href, pathPart, fragment, FALSE);
        const std::string path = leaf::path::Normalize(pathPart.str());
        const std::string workPath = places.FindWorkPath(
            leaf::path::LexicallyNormal(leaf::path::IsAbsolute(path) ? path : m_sourceFolder.str() + "/" + path),
            CPageLinkMapper::Kind::Hyperlink);
        CString relative;
        if (!workPath.empty() && RelativeTo(workFolder, CString(workPath), relative))
            href = relative + fragment;
    };
    for (int tour = 0; tour < m_package.GetTourCount(); ++tour)
        for (int site = 0; site < m_package.GetTourSiteCount(tour); ++site)
            rewrite(m_package.GetTourSite(tour, site)->m_strHref);
    for (int i = 0; i < m_package.GetGuideCount(); ++i) {
        CGuideReference* reference = m_package.GetGuideItem(i);
        if (reference->m_strType.Find("image") < 0)
            rewrite(reference->m_strHref);
    }
}

// ---------------------------------------------------------------- conversion pass

BOOL CLeafcraftSDKControl::ConvertSources() {
    if (m_abortRequested) {
        SetError(LCERR_ABORTED);
        return FALSE;
    }
    m_progressTotal = 0;
    m_progressDone = 0;
    m_progressStep = 2;
    m_progressDetail.Empty();
    FireUpdateProgress(0, 2, "");

    CCssFilterScope cssFilter(*this);
    // Style sheets that name pictures from outside the source folder reach their copies,
    // and those that name renamed pictures their new names.
    cssFilter.Filter().SetWorkPaths(&m_outsideWorkPaths, &m_convertedWorkPaths, m_sourceFolder.str(),
                                    m_buildWorkFolder.str());

    // The filter of an item; none for a UTF-16 page, which is copied as it is.
    auto filterFor = [&](const CString& path) -> IInputFilter* {
        IInputFilter* filter = nullptr;
        if (FindFilterForFile(path, &filter) != LCERR_NONE)
            return nullptr;
        std::string extension = leaf::ToLowerAscii(leaf::path::Extension(path.str()));
        if ((extension == ".htm" || extension == ".html") && HasUtf16Mark(path))
            return nullptr;
        return filter;
    };
    std::vector<bool> reading = ReadingOrderItems();
    auto flagsOf = [&](int index) -> LONG {
        return index < static_cast<int>(reading.size()) && reading[static_cast<size_t>(index)]
                   ? kFilterReadingOrderItem
                   : 0;
    };

    // Sizing: the filters' work units, the byte sizes of copied files.
    for (int i = 0; i < m_package.GetManifestCount(); ++i) {
        CString path = m_package.GetManifestItem(i)->m_strPath;
        if (IInputFilter* filter = filterFor(path)) {
            LONG units = 0;
            if (SUCCEEDED(filter->GetSize(Wide(path), flagsOf(i), &units)) && units > 0)
                m_progressTotal += units;
        } else {
            CFileStatus status;
            if (CFile::GetStatus(path.c_str(), status))
                m_progressTotal += static_cast<LONGLONG>(status.m_size);
        }
    }

    // The conversions that workers run ahead, one per item that a filter converts, each
    // known by what it converts; the loop below takes each one when it reaches its
    // item and replays it there (or converts the item itself when the item changed).
    auto conversionIdentity = [&](int index, const CString& path, const CString& workPath,
                                  const std::string& progId) {
        return path.str() + '\n' + workPath.str() + '\n' + std::to_string(flagsOf(index)) + '\n' + progId;
    };
    auto conversionCall = [](const CString& path, const CString& workPath, LONG flags) -> CFilterWorkerPool::Call {
        return [path, workPath, flags](IInputFilter& filter, IFilterHost& host) {
            CreateWorkFolder(CString(leaf::path::FolderPart(workPath.str())));
            return filter.Convert(Wide(path), Wide(workPath), flags, &host);
        };
    };
    std::unique_ptr<CFilterWorkerPool> workers;
    // The files that workers write ahead, by item, and the last item whose conversion the
    // loop started: a run that ends early takes back what was written for the items after
    // it, so that the work folder holds what converting item by item would have left.
    std::vector<std::pair<int, CString>> writtenAhead;
    int reached = -1;
    auto takeBackUnreached = [&] {
        workers.reset();  // stops the workers and waits for them
        for (const auto& [index, workPath] : writtenAhead)
            if (index > reached)
                RemoveAheadOutput(workPath);
    };
    struct CTakeBack {
        std::function<void()> takeBack;
        ~CTakeBack() { takeBack(); }
    } takeBackOnReturn{takeBackUnreached};
    if (CFilterWorkerPool::WorkerCount() > 1) {
        std::vector<std::pair<int, std::string>> planned;  // manifest index, filter
        std::vector<std::string> progIds;
        for (int i = 0; i < m_package.GetManifestCount(); ++i) {
            const CManifestItem* item = m_package.GetManifestItem(i);
            const CString& path = item->m_strPath;
            const CString& workPath = item->m_strWorkPath;
            if (workPath.IsEmpty() || workPath == path || filterFor(path) == nullptr || IsSameFile(path, workPath))
                continue;
            planned.emplace_back(i, FindFilterProgId(path));
            if (std::find(progIds.begin(), progIds.end(), planned.back().second) == progIds.end())
                progIds.push_back(planned.back().second);
        }
        std::vector<int> slots;
        if (planned.size() >= 2)
            workers = StartFilterWorkers(progIds, slots, kConversionsAheadPerWorker);
        for (const auto& [index, progId] : workers ? planned : decltype(planned)()) {
            const int slot = slots[static_cast<size_t>(std::find(progIds.begin(), progIds.end(), progId) - progIds.begin())];
            if (slot < 0)
                continue;
            const CManifestItem* item = m_package.GetManifestItem(index);
            writtenAhead.emplace_back(index, item->m_strWorkPath);
            workers->Submit(static_cast<size_t>(index),
                            conversionIdentity(index, item->m_strPath, item->m_strWorkPath, progId),
                            static_cast<size_t>(slot), conversionCall(item->m_strPath, item->m_strWorkPath, flagsOf(index)));
        }
    }

    // Conversion; the bound is read again after every item, since the events let the
    // client's handlers change the package.
    for (int i = 0; i < m_package.GetManifestCount(); ++i) {
        CManifestItem* item = m_package.GetManifestItem(i);
        CString path = item->m_strPath;
        CString workPath = item->m_strWorkPath;
        CString relative;
        m_progressDetail = RelativeTo(m_sourceFolder, Slashed(path), relative) ? relative : path;
        StepProgress(0);
        if (m_abortRequested) {
            SetError(LCERR_ABORTED);
            return FALSE;
        }
        // An item added while the build runs has no place in the work folder, and a file
        // already in its place is neither copied nor converted onto itself.
        if (workPath.IsEmpty() || workPath == path || IsSameFile(path, workPath))
            continue;

        CreateWorkFolder(CString(leaf::path::FolderPart(workPath.str())));
        if (IInputFilter* filter = filterFor(path)) {
            leaf::ComPtr<IInputFilter> held(filter);  // alive for the call, whatever the handlers do
            reached = i;
            std::unique_ptr<CFilterWorkerPool::Outcome> ahead = workers ? workers->Take(static_cast<size_t>(i)) : nullptr;
            const HRESULT converted =
                RunFilterCall(*held, std::move(ahead), conversionIdentity(i, path, workPath, FindFilterProgId(path)),
                              conversionCall(path, workPath, flagsOf(i)), [&] { RemoveAheadOutput(workPath); });
            if (FAILED(converted)) {
                if (m_abortRequested) {
                    SetError(LCERR_ABORTED);
                } else {
                    // The file, what the filter said about it, and what the system tells.
                    CString details = m_errorDetails;
                    if (details.Find(path.str()) < 0)
                        details = FileFailure(path, details);
                    const CString reason = ProbeConversionFailure(path, workPath);
                    if (!reason.IsEmpty())
                        details += " (" + reason + ")";
                    SetError(LCERR_CONVERTFAIL, details);
                }
                return FALSE;
            }
        } else if (!CopyFileWithProgress(path, workPath)) {
            // The copy left why it failed in the details.
            if (m_abortRequested)
                SetError(LCERR_ABORTED);
            else
                SetError(LCERR_COPYFAIL, FileFailure(path, m_errorDetails));
            return FALSE;
        }
    }

    m_progressDetail.Empty();
    FireUpdateProgress(100, 2, "");
    return TRUE;
}

void CLeafcraftSDKControl::RemoveAheadOutput(const CString& workPath) const {
    // The file, and the folders made for it that hold nothing else, up to the work folder.
    CString relative;
    if (workPath.IsEmpty() || !RelativeTo(m_buildWorkFolder, workPath, relative))
        return;
    std::error_code ignored;
    std::filesystem::remove(workPath.str(), ignored);
    for (std::filesystem::path folder = std::filesystem::path(workPath.str()).parent_path();
         folder.string().size() > static_cast<size_t>(m_buildWorkFolder.GetLength()) &&
         std::filesystem::is_empty(folder, ignored) && !ignored;
         folder = folder.parent_path())
        std::filesystem::remove(folder, ignored);
}

BOOL CLeafcraftSDKControl::CopyFileWithProgress(const CString& source, const CString& destination) {
    try {
        // Only files are copied: a folder, a device or a pipe has no length to copy (and
        // opening a pipe would wait for a writer).
        // The details say why a copy failed; the conversion pass puts the source first.
        const CString notAFile = "it is not a regular file";
        struct stat info;
        if (stat(source.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            SetError(LCERR_UNEXPECTED, notAFile);
            return FALSE;
        }
        CFile in;
        CFile out;
        CFileException error;
        if (!in.Open(source.c_str(), CFile::modeRead | CFile::shareDenyNone, &error)) {
            SetError(LCERR_UNEXPECTED, OsReason(static_cast<int>(error.m_lOsError)));
            return FALSE;
        }
        if (fstat(in.GetHandle(), &info) != 0 || !S_ISREG(info.st_mode)) {
            SetError(LCERR_UNEXPECTED, notAFile);
            return FALSE;
        }
        if (!out.Open(destination.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error)) {
            SetError(LCERR_UNEXPECTED, "cannot create " + destination + ": " +
                                           OsReason(static_cast<int>(error.m_lOsError)));
            return FALSE;
        }
        // As many bytes as the file held when the copy began, so that a file that keeps
        // growing cannot hold the build up or fill the disk. A file that becomes shorter
        // meanwhile ends the copy at its new end.
        const ULONGLONG length = in.GetLength();
        ULONGLONG copied = 0;
        std::vector<char> buffer(kCopyBlockSize);
        while (copied < length) {
            const UINT wanted = static_cast<UINT>(std::min<ULONGLONG>(kCopyBlockSize, length - copied));
            const UINT n = in.Read(buffer.data(), wanted);
            if (n == 0)
                break;
            out.Write(buffer.data(), n);
            copied += n;
            if (FAILED(StepProgress(static_cast<LONG>(n)))) {
                in.Abort();
                out.Abort();
                SetError(LCERR_ABORTED);
                return FALSE;
            }
        }
        in.Close();
        out.Close();
        return TRUE;
    } catch (const CFileException& error) {
        // A failed write (a full disk) names the copy being written; a failed read, the
        // source that the details name already.
        const CString reason = OsReason(static_cast<int>(error.m_lOsError));
        SetError(LCERR_UNEXPECTED, error.m_strFileName == destination ? "cannot write " + destination + ": " + reason
                                                                      : reason);
        return FALSE;
    }
}

// ---------------------------------------------------------------- BuildEBook

BOOL CLeafcraftSDKControl::BuildEBook(BSTR eBookPathText, BSTR sourceText, const VARIANT& embedFonts,
                                      const VARIANT& client) {
    ClearError();
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return FALSE;
    }
    if (eBookPathText == nullptr) {
        SetError(LCERR_POINTER);
        return FALSE;
    }
    if (!m_prepared) {
        SetError(LCERR_ILLEGAL);
        return FALSE;
    }
    if (IsRunning()) {
        SetError(LCERR_UNEXPECTED);
        return FALSE;
    }

    // The e-book must not take the place of one of the book's own files (a page, the
    // contents page, a style sheet, a picture): nothing is written then.
    const CString bookFile = FindBookFileAt(m_package, CString(leaf::BstrToUtf8(eBookPathText)));
    if (!bookFile.IsEmpty()) {
        SetError(LCERR_CREATEEBOOK, CString(leaf::BstrToUtf8(eBookPathText)) +
                                        ": the e-book would replace the book's own file " + bookFile);
        return FALSE;
    }

    // The scope clears the building flag and the queue takes the work folder, once it is
    // created, on every way out.
    CRunScope run(static_cast<IDispatch*>(this), m_building);
    CWorkFolderQueue queue(m_workFoldersToDelete);
    try {
        m_abortRequested = FALSE;
        RefreshPumpLookup();
        m_outsideWorkPaths.clear();
        // The converted items' places are those of this build only: an earlier build's
        // entry (its relative pair is never overwritten) would send links to a page that
        // this build placed under another name, or to an earlier work folder.
        m_convertedWorkPaths.clear();
        m_buildWorkFolder.Empty();
        m_buildSource.Empty();

        CString eBookPath(leaf::BstrToUtf8(eBookPathText));
        m_buildEBookPath = eBookPath;
        BOOL friendly = FALSE;
        CString folder = MakeWorkFolderName(eBookPath, friendly);
        if (folder.IsEmpty() || !IsSafeWorkFolder(folder, eBookPath)) {
            SetError(LCERR_CREATETARGETDIR,
                     FileFailure(folder, folder.IsEmpty() ? CString()
                                                          : CString("it would hold the book's sources or the e-book")));
            return FALSE;
        }
        // The files that filters added to earlier work folders leave the package while
        // they are still on disk: their names are known by their spelling there.
        DropOutputItems();
        const bool autoDelete = CSDKControlModule::Instance().GetProfileInt("AutoDelete", 1) != 0;
        if (autoDelete)
            RemoveStaleWorkFolders(leaf::path::FolderPart(folder.str()), friendly,
                                   {m_sourceFolder.str(), leaf::path::FolderPart(AbsolutePath(Slashed(eBookPath).str()))});
        // Every build of one e-book gets the same friendly name: a folder of that name
        // that another build (of this process or another) works in now is neither
        // deleted nor shared, and this build fails instead.
        const CString inUse("another build is using it");
        if (friendly && leaf::IsHeldScratchFolder(folder.str())) {
            SetError(LCERR_CREATETARGETDIR, FileFailure(folder, inUse));
            return FALSE;
        }
        if (friendly)
            RemoveWorkFolder(folder, FALSE);  // what an earlier build of this name left
        if (!CreateWorkFolder(folder)) {
            std::error_code error;
            std::filesystem::create_directories(folder.str(), error);
            SetError(LCERR_CREATETARGETDIR, FileFailure(folder, error ? CString(error.message()) : CString()));
            return FALSE;
        }
        // Marked as this process's (and locked while the build runs), so that a later
        // build removes it should this process be killed before it deletes the folder.
        leaf::ScratchFolderOwner workFolderOwner;
        if (autoDelete && !workFolderOwner.Claim(folder.str()) && friendly &&
            leaf::IsHeldScratchFolder(folder.str())) {
            // Another build took the name meanwhile: the folder is its, not this build's
            // to queue for deletion.
            SetError(LCERR_CREATETARGETDIR, FileFailure(folder, inUse));
            return FALSE;
        }
        queue.Set(folder);
        m_buildWorkFolder = folder;

        AssignWorkPaths(folder);
        AssignMediaTypes(folder);
        if (!ConvertSources())
            return FALSE;

        if (embedFonts.vt == VT_BOOL && embedFonts.boolVal != VARIANT_FALSE &&
            RunFontStep(folder, ClientFromVariant(client)) != FontStepResult::Continue)
            return FALSE;

        CString package = MakePackagePath(folder, eBookPath);
        if (!WritePackage(package, folder)) {
            SetError(LCERR_CREATEPACKAGEFILE, FileFailure(package, m_package.GetLastWriteError()));
            return FALSE;
        }

        m_buildSource = sourceText != nullptr ? CString(leaf::BstrToUtf8(sourceText)) : CString();
        if (m_buildSource.IsEmpty())
            m_buildSource = leaf::ui::LoadResString(IDS_DEFAULT_SOURCE);
        if (!CompileEBook(package, eBookPath))
            return FALSE;
        if (m_abortRequested) {
            SetError(LCERR_ABORTED);
            return FALSE;
        }
        return TRUE;
    } catch (...) {
        // No automation exception leaves a build.
        SetError(LCERR_UNEXPECTED);
        return FALSE;
    }
}
