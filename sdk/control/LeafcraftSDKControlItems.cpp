// CLeafcraftSDKControl: the methods that fill the package (source files, metadata, guide
// items, tours, package import) and the indexes kept beside it.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "common/ContentType.h"
#include "common/LinkEscape.h"
#include "common/WideBuffer.h"
#include "platform/base/File.h"
#include "platform/base/FileKind.h"
#include "platform/base/Path.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/control/LeafcraftSDKControl.h"

namespace {

// The key of a path in the control's sets and maps, every '\' made '/': the spelling on
// disk of an existing file (so two files whose names differ only in case are two
// items, and other spellings of one file are that one), else the path lower-cased.
std::string PathKey(const CString& path) {
    std::string slashed = path.str();
    for (char& ch : slashed)
        if (ch == '\\')
            ch = '/';
    return leaf::path::CaseKey(slashed);
}

bool IsAsciiLetter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

}  // namespace

CString CLeafcraftSDKControl::FindExistingFile(const CString& path) {
    if (path.IsEmpty())
        return CString();
    std::optional<std::string> found = leaf::path::Resolve(path.str());
    return found ? CString(*found) : CString();
}

BOOL CLeafcraftSDKControl::RegisterItemName(const CString& name) {
    return m_knownPaths.insert(PathKey(name)).second ? TRUE : FALSE;
}

BOOL CLeafcraftSDKControl::RegisterItemId(const CString& id) {
    return m_knownIds.insert(leaf::ToLowerAscii(id.str())).second ? TRUE : FALSE;
}

CString CLeafcraftSDKControl::MakeItemId(const CString& path) {
    int slash = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    CString id = path.Mid(slash + 1);
    int dot = id.ReverseFind('.');
    if (dot >= 0)
        id = id.Left(dot);
    if (id.IsEmpty())
        id = "LC_ID";
    else if (!IsAsciiLetter(id[0]))
        id = "LC_" + id;
    id.Replace(' ', '_');
    id.Replace('&', '_');

    while (!RegisterItemId(id)) {
        char last = id[id.GetLength() - 1];
        int number = 0;
        if (IsDigit(last)) {
            number = last - '0';
            id = id.Left(id.GetLength() - 1);
        }
        id.AppendFormat("%d", number + 1);
    }
    return id;
}

int CLeafcraftSDKControl::FindManifestItem(const CString& path) const {
    std::string key = PathKey(path);
    for (int i = 0; i < m_package.GetManifestCount(); ++i)
        if (PathKey(m_package.GetManifestItem(i)->m_strPath) == key)
            return i;
    return -1;
}

void CLeafcraftSDKControl::ResolveRelativePath(CString& path) {
    path.Replace('\\', '/');
    for (int up = path.Find("/../"); up >= 0; up = path.Find("/../")) {
        CString left = path.Left(up);
        CString right = path.Mid(up + 4);
        int slash = left.ReverseFind('/');
        if (slash < 0)
            break;  // nothing left to climb out of
        path = left.Left(slash) + "/" + right;
    }
    while (path.Find("/./") >= 0)
        path.Replace("/./", "/");
}

BOOL CLeafcraftSDKControl::ValidateSourceFile(BSTR path) {
    ClearError();
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return FALSE;
    }
    if (path == nullptr) {
        SetError(LCERR_POINTER);
        return FALSE;
    }
    CString given(leaf::BstrToUtf8(path));
    CString onDisk = FindExistingFile(given);
    if (onDisk.IsEmpty()) {
        SetError(LCERR_MISSING_FILE, given);
        return FALSE;
    }
    // A folder is no source, whatever its name looks like.
    std::error_code error;
    if (std::filesystem::is_directory(onDisk.str(), error)) {
        SetError(LCERR_INVALID_FILE, onDisk + ": " + std::strerror(EISDIR));
        return FALSE;
    }
    // Nor is a FIFO, socket or device: it cannot be read as a file (a FIFO would block).
    if (leaf::KindOfFile(onDisk.str()) == leaf::FileKind::Special) {
        SetError(LCERR_INVALID_FILE, onDisk + ": " + std::strerror(leaf::kNotRegularFileError));
        return FALSE;
    }
    IInputFilter* filter = nullptr;
    LONG code = FindFilterForFile(onDisk, &filter);
    if (code != LCERR_NONE) {
        SetError(code, FilterErrorDetails(code, onDisk));
        return FALSE;
    }
    return TRUE;
}

BOOL CLeafcraftSDKControl::AddSourceFile(BSTR pathText, LONG flags) {
    ClearError();
    m_prepared = FALSE;
    if (!ValidateSourceFile(pathText))
        return FALSE;

    // The file is entered under its spelling on disk, so later stages open what exists.
    CString path = FindExistingFile(CString(leaf::BstrToUtf8(pathText)));
    CString type = GetContentType(path);
    CString name = path;
    if ((flags & (LCF_SPINE | LCF_HTML_GUIDE_ITEM)) != 0 && leaf::StartsWithNoCase(type.str(), "image/"))
        name = path + ".in.spine.xxx";  // the build makes a page of its own for this picture

    int index = -1;
    if (RegisterItemName(name)) {
        index = m_package.AddManifestItem(std::make_unique<CManifestItem>(path, MakeItemId(path), type), FALSE);
    } else if ((flags & (LCF_SPINE | LCF_HTML_GUIDE_ITEM)) != 0) {
        index = FindManifestItem(path);
        // The name is known but its item is gone (a preparation dropped it as missing or
        // external): the client adds it again, so it is entered again.
        if (index < 0)
            index = m_package.AddManifestItem(std::make_unique<CManifestItem>(path, MakeItemId(path), type), FALSE);
    }

    if ((flags & LCF_SPINE) != 0 && index >= 0)
        m_package.AddSpineItem(index, m_package.GetSpineCount());
    if ((flags & LCF_HTML_GUIDE_ITEM) != 0 && index >= 0)
        m_htmlGuideItems[PathKey(path)] = index;
    return TRUE;
}

BOOL CLeafcraftSDKControl::AddMetaData(BSTR name, BSTR attributes, BSTR value, LONG flags) {
    ClearError();
    m_prepared = FALSE;
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return FALSE;
    }
    if (name == nullptr || attributes == nullptr || value == nullptr) {
        SetError(LCERR_POINTER);
        return FALSE;
    }
    auto item = std::make_unique<CDCMetaItem>(CString(leaf::BstrToUtf8(name)), CString(leaf::BstrToUtf8(value)),
                                              CString(leaf::BstrToUtf8(attributes)));
    if ((flags & LCF_DUBLIN_CORE) != 0)
        m_package.AddDCMetaData(std::move(item));  // a second title is dropped by the package
    else if ((flags & LCF_SUPPLEMENTAL) != 0)
        m_package.AddXMetaData(std::move(item));
    else {
        SetError(LCERR_INVALIDARG);
        return FALSE;
    }
    return TRUE;
}

BOOL CLeafcraftSDKControl::AddGuideItem(BSTR title, BSTR type, BSTR href) {
    ClearError();
    m_prepared = FALSE;
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return FALSE;
    }
    if (title == nullptr || type == nullptr || href == nullptr) {
        SetError(LCERR_POINTER);
        return FALSE;
    }
    m_package.AddGuideItem(std::make_unique<CGuideReference>(
        CString(leaf::BstrToUtf8(title)), CString(leaf::BstrToUtf8(type)), CString(leaf::BstrToUtf8(href))));
    return TRUE;
}

LONG CLeafcraftSDKControl::AddTour(BSTR title, BSTR id) {
    ClearError();
    m_prepared = FALSE;
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return 0;
    }
    if (title == nullptr || id == nullptr) {
        SetError(LCERR_POINTER);
        return 0;
    }
    int index = m_package.AddTour(
        std::make_unique<CTourRecord>(CString(leaf::BstrToUtf8(title)), CString(leaf::BstrToUtf8(id))));
    if (index < 0) {
        SetError(LCERR_UNEXPECTED);
        return 0;
    }
    return index;
}

BOOL CLeafcraftSDKControl::AddTourSite(LONG tourIndex, BSTR title, BSTR href) {
    ClearError();
    m_prepared = FALSE;
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return FALSE;
    }
    if (title == nullptr || href == nullptr) {
        SetError(LCERR_POINTER);
        return FALSE;
    }
    if (tourIndex < 0 || tourIndex >= m_package.GetTourCount()) {
        SetError(LCERR_INVALIDARG);
        return FALSE;
    }
    m_package.AddTourSite(tourIndex, std::make_unique<CTourSite>(CString(leaf::BstrToUtf8(title)),
                                                                 CString(leaf::BstrToUtf8(href))));
    return TRUE;
}

BOOL CLeafcraftSDKControl::ImportPackageFile(BSTR pathText) {
    ClearError();
    m_prepared = FALSE;
    if (!m_initialised) {
        SetError(LCERR_UNINITIALIZED);
        return FALSE;
    }
    if (pathText == nullptr) {
        SetError(LCERR_POINTER);
        return FALSE;
    }
    if (IsRunning()) {
        // The running preparation or build is reading the package.
        SetError(LCERR_UNEXPECTED);
        return FALSE;
    }

    m_package.Clear();
    m_htmlGuideItems.clear();
    m_convertedWorkPaths.clear();
    m_knownPaths.clear();
    m_sourceFolder.Empty();
    m_missingFiles.clear();
    m_externalFiles.clear();

    CString path(leaf::BstrToUtf8(pathText));
    CString onDisk = FindExistingFile(path);
    if (!onDisk.IsEmpty())
        path = onDisk;
    HRESULT hr = m_package.Read(path);
    if (hr == PKG_E_OPENFILE) {
        // Why the file cannot be read, as the system says when asked again.
        CString details = path;
        std::error_code error;
        // Opened as files are opened, so that a FIFO is refused rather than waited on.
        if (std::filesystem::is_directory(path.str(), error)) {
            details += CString(": ") + std::strerror(EISDIR);
        } else if (const int file = leaf::OpenRegularFile(path.str(), O_RDONLY); file >= 0) {
            ::close(file);
        } else {
            details += CString(": ") + std::strerror(errno);
        }
        SetError(LCERR_OPEN_PKG_FILE, details);
        return FALSE;
    }
    if (FAILED(hr)) {
        SetError(LCERR_UNEXPECTED, path);
        return FALSE;
    }

    // Items are named relative to the package's folder; for a package named relative to
    // the current folder, that folder is taken from the current one (never the root).
    CString folder(leaf::path::FolderPart(path.str()));
    if (!leaf::path::IsAbsolute(path.str())) {
        std::error_code error;
        std::string current = std::filesystem::current_path(error).string();
        if (!error)
            folder = CString(leaf::path::Join(current, folder.str()));
    }
    for (int i = 0; i < m_package.GetManifestCount();) {
        CManifestItem* item = m_package.GetManifestItem(i);
        CString itemPath = item->m_strPath;
        itemPath.Replace('\\', '/');
        bool isUrl = leaf::HasUrlScheme(itemPath.str());
        if (!isUrl && !leaf::path::IsAbsolute(itemPath.str()))
            itemPath = folder + "/" + itemPath;
        ResolveRelativePath(itemPath);
        // An href is a URL, in which "%25" stands for '%' (so a package that the build
        // wrote names its files as they are); a file whose name holds such an escape as
        // written, from a writer that did not escape, is found as well.
        CString existing = isUrl ? CString() : FindExistingFile(DecodeUrlEscapes(itemPath));
        if (existing.IsEmpty() && !isUrl)
            existing = FindExistingFile(itemPath);
        if (!existing.IsEmpty())
            itemPath = existing;
        item->m_strPath = itemPath;

        if (!RegisterItemName(itemPath)) {
            int first = FindManifestItem(itemPath);
            if (first >= 0 && first < i) {
                // A second item for a file already listed: its spine entries point at
                // the first one, and it leaves the manifest.
                for (int position = 0; position < m_package.GetSpineCount(); ++position) {
                    if (m_package.GetSpineItem(position) == i) {
                        m_package.RemoveSpineItem(position);
                        m_package.AddSpineItem(first, position);
                    }
                }
                m_package.RemoveManifestItem(i);
                continue;
            }
        }
        ++i;
    }

    // The guide and the tours name files by links in the file, by paths in memory.
    for (CString* href : GuideAndTourHrefs())
        *href = CString(leaf::LinkToPath(href->str()));

    for (int i = 0; i < m_package.GetManifestCount(); ++i) {
        CManifestItem* item = m_package.GetManifestItem(i);
        if (!item->m_strId.IsEmpty())
            RegisterItemId(item->m_strId);
    }
    for (int i = 0; i < m_package.GetManifestCount(); ++i) {
        CManifestItem* item = m_package.GetManifestItem(i);
        if (item->m_strId.IsEmpty())
            item->m_strId = MakeItemId(item->m_strPath);
        if (item->m_strMediaType.IsEmpty())
            item->m_strMediaType = GetContentType(item->m_strPath);
    }
    return TRUE;
}

void CLeafcraftSDKControl::AddDependencyItem(const CString& path, const CString& mappedPath) {
    CString mapped = mappedPath.IsEmpty() ? path : mappedPath;
    // A name the running scan has met already is known: every page reports the files its
    // links reach, so most names come again and again, and this spares looking each one
    // up on disk again.
    if (m_namesThisScan != nullptr && !m_namesThisScan->insert(mapped.str()).second)
        return;
    if (!RegisterItemName(mapped))
        return;
    m_package.AddManifestItem(
        std::make_unique<CManifestItem>(path, MakeItemId(mapped), GetContentType(mapped), "", "", mapped), FALSE);
}

BOOL CLeafcraftSDKControl::AddOutputItem(const CString& path) {
    if (!RegisterItemName(path))
        return FALSE;
    m_package.AddManifestItem(
        std::make_unique<CManifestItem>(path, MakeItemId(path), GetContentType(path), "", path, ""), FALSE);
    if (path.GetLength() >= 4 && path.Right(4).CompareNoCase(".css") == 0)
        m_fontEmbedder.SetStyleSheetToLink(path);
    return TRUE;
}
