#include "filters/html/HtmlFilter.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <limits>
#include <new>
#include <vector>

#include "common/ContentType.h"
#include "filters/html/HtmlConversion.h"
#include "filters/html/HtmlFilterIds.h"
#include "filters/html/HtmlFilterPage.h"
#include "filters/html/LinkCollector.h"
#include "markup/MarkupAttributes.h"
#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/ExceptionBarrier.h"

namespace {

CString FromWide(LPCOLESTR text) {
    return text == nullptr ? CString() : CString(leaf::Utf16ToUtf8(std::u16string_view(text)));
}

std::u16string ToWide(const CString& text) {
    return leaf::Utf8ToUtf16(text.str());
}

// Whether a link begins with a URL scheme ("http:", "mailto:"): letters first, then
// letters, digits, '+', '-' or '.', up to a ':' that comes before any '/'. A colon
// anywhere else is an ordinary character of a file name.
bool HasScheme(const CString& link) {
    const std::string& text = link.str();
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char ch) {
        return std::isalnum(static_cast<unsigned char>(ch)) || ch == '+' || ch == '-' || ch == '.';
    });
}

// The path up to its last '/', without it ("" for a path in the root or without one).
CString FolderOf(const CString& path) {
    return path.Left(std::max(path.ReverseFind('/'), 0));
}

}  // namespace

CHtmlFilter::CHtmlFilter() : CFilterObject(IDD_HTML_FILTER_PAGE) {}

std::unique_ptr<CFilterPageFace> CHtmlFilter::CreatePropertyPage(IUnknown* owner, UINT dialogId) {
    return std::make_unique<CHtmlFilterPage>(owner, dialogId, *this);
}

int CHtmlFilter::ClampWalkLinkLevel(int level) {
    return std::clamp(level, kMinWalkLinkLevel, kMaxWalkLinkLevel);
}

int CHtmlFilter::ReadWalkLinkLevel() {
    const CFilterApp* app = CFilterApp::GetApp();
    if (app == nullptr)
        return kDefaultWalkLinkLevel;
    // The profile keeps a DWORD; a negative number written there reads back as itself.
    const int level = static_cast<int>(app->GetProfileInt(kHtmlFilterSection, kWalkLinkLevelEntry, kDefaultWalkLinkLevel));
    return ClampWalkLinkLevel(level);
}

HRESULT CHtmlFilter::Initialize() {
    return leaf::CallWithoutThrowing([&] {
        m_walkLinkLevel = ReadWalkLinkLevel();
        return S_OK;
    });
}

BOOL CHtmlFilter::ReportProgress(LONG units, IFilterHost* host) {
    if (host == nullptr)
        return TRUE;
    return host->StepProgress(units) >= 0 ? TRUE : FALSE;
}

void CHtmlFilter::NormalizePath(CString& path) {
    leaf::markup::FoldPath(path.str());
}

CString CHtmlFilter::ResolveTarget(const CString& folder, const CString& target) {
    CString path = target;
    path.Replace('\\', '/');
    if (leaf::StartsWithNoCase(path.str(), "file:")) {
        // "file:///book/a.htm" names the absolute path "/book/a.htm".
        path = path.Mid(5);
        const bool rooted = path.GetLength() > 0 && path[0] == '/';
        path.TrimLeft("/");
        if (rooted)
            path.Insert(0, '/');
    }
    // A web address is kept as written: folding its "../" could eat the scheme.
    if (HasScheme(path))
        return path;
    if (!leaf::path::IsAbsolute(path.str()))
        path = folder + "/" + path;
    // "a//b" names the file "a/b": one spelling per file.
    while (path.Replace("//", "/") > 0) {
    }
    NormalizePath(path);
    return path;
}

CHtmlFilter::WalkResult CHtmlFilter::WalkLinks(const CString& path, int depth, CLinkedPaths& seen,
                                                IFilterHost* host) {
    seen.MarkOpened(path);
    std::vector<CString> targets;
    // The source itself is always read, since reading it is what its progress counts; a
    // linked page is read once and then taken from the cache while it is unchanged.
    const bool reportsProgress = depth == m_walkLinkLevel;
    const CLinkTargetCache::FileStamp stamp = CLinkTargetCache::FileStamp::Of(path);
    if (reportsProgress || !m_linkTargets.Find(path, stamp, targets)) {
        CLinkCollector collector(reportsProgress ? &CHtmlFilter::ReportProgress : nullptr, host);
        collector.Run(path, targets);
        if (collector.WasStopped())
            return WalkResult::Aborted;
        m_linkTargets.Store(path, stamp, targets);
    }

    const CString folder = FolderOf(path);
    std::vector<CString> fresh;
    for (const CString& target : targets) {
        CString entered;
        if (seen.Add(ResolveTarget(folder, target), entered))
            fresh.push_back(entered);
    }

    if (depth >= 2) {
        for (const CString& page : fresh) {
            // Only pages of this machine are opened: a web address is no file here.
            if (!leaf::path::IsAbsolute(page.str()) || GetContentType(page).CompareNoCase("text/html") != 0 ||
                !seen.MarkOpened(page))
                continue;
            if (WalkLinks(page, depth - 1, seen, host) == WalkResult::Aborted)
                return WalkResult::Aborted;
        }
    }
    return WalkResult::Done;
}

HRESULT CHtmlFilter::Prepare(LPCOLESTR sourcePath, LPCOLESTR mappingFolder, IFilterHost* host) {
    if (sourcePath == nullptr || host == nullptr)
        return E_POINTER;
    return leaf::CallWithoutThrowing([&]() -> HRESULT {
        const CString source = FromWide(sourcePath);
        CLinkedPaths seen;
        if (WalkLinks(source, m_walkLinkLevel, seen, host) == WalkResult::Aborted)
            return E_ABORT;

        const int slash = source.ReverseFind('/');
        const CString sourceFolder = slash >= 0 ? source.Left(slash + 1) : source;
        CString mapping = FromWide(mappingFolder);
        if (mapping.GetLength() > 1 && mapping[mapping.GetLength() - 1] == '/')
            mapping = mapping.Left(mapping.GetLength() - 1);

        for (const CString& path : seen.GetPaths()) {
            CString mapped = path;
            if (!mapping.IsEmpty() && path.GetLength() > sourceFolder.GetLength() &&
                leaf::path::IsUnderFolder(sourceFolder.str(), path.str(), true)) {
                CString rest = path.Mid(sourceFolder.GetLength());
                rest.TrimLeft("/");
                mapped = leaf::path::Join(mapping.str(), rest.str());
            }
            const HRESULT added = host->AddDependency(ToWide(path).c_str(), ToWide(mapped).c_str());
            if (FAILED(added))
                return added;
        }
        return S_OK;
    });
}

HRESULT CHtmlFilter::Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG, IFilterHost* host) {
    if (sourcePath == nullptr || destinationPath == nullptr || host == nullptr)
        return E_POINTER;
    return leaf::CallWithoutThrowing([&]() -> HRESULT {
        CString errorText;
        if (ConvertHtmlDocument(FromWide(sourcePath), FromWide(destinationPath), &CHtmlFilter::ReportProgress, host,
                                errorText))
            return S_OK;
        if (host->StepProgress(0) < 0)
            return E_ABORT;
        if (!errorText.IsEmpty())
            host->SetErrorDetails(ToWide(errorText).c_str());
        return E_FAIL;
    });
}

HRESULT CHtmlFilter::GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) {
    if (sourcePath == nullptr || units == nullptr)
        return E_POINTER;
    *units = 0;
    return leaf::CallWithoutThrowing([&]() -> HRESULT {
        CFileStatus status;
        if (!CFile::GetStatus(FromWide(sourcePath).c_str(), status))
            return STG_E_PATHNOTFOUND;
        ULONGLONG size = status.m_size;
        if ((flags & kFilterScanDependencies) == 0)
            size *= 2;  // read once and written once by the conversion
        // A page too large to count in 32 bits counts as the most that fits.
        *units = static_cast<LONG>(std::min<ULONGLONG>(size, std::numeric_limits<LONG>::max()));
        return S_OK;
    });
}
