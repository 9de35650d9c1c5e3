#include "studio/project/PathHelpers.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/registry/Registry.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Wnd.h"

namespace {

// The program's own registry key below HKEY_CURRENT_USER.
constexpr const char* kProgramKey = "Software\\Tallbrook Systems, Inc.\\Leafcraft";

// The existing spelling of a path (case-insensitive fallback), or nothing.
bool StatPath(const char* path, struct stat& info)
{
    if (!path || !*path) return false;
    std::optional<std::string> found = leaf::path::Resolve(path);
    if (!found) return false;
    return ::stat(found->c_str(), &info) == 0;
}

int ShowMessage(UINT id, UINT type, const CString& argument)
{
    return AfxMessageBox(leaf::ui::FormatResString(id, argument.c_str()).c_str(), type);
}

// Creates and removes a file at path to prove that it can be written there; the existing
// spelling of its folder is used.
bool CanCreateFile(const CString& path)
{
    CFile probe;
    if (!probe.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive)) return false;
    CString created = probe.GetFilePath();
    try {
        probe.Close();
        CFile::Remove(created.c_str());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

}  // namespace

BOOL FileExists(const char* path)
{
    struct stat info;
    return StatPath(path, info) && !S_ISDIR(info.st_mode) ? TRUE : FALSE;
}

BOOL PathExists(const char* path)
{
    struct stat info;
    return StatPath(path, info) && S_ISDIR(info.st_mode) ? TRUE : FALSE;
}

BOOL CreateFolderTree(const char* path)
{
    if (!path || !*path) return FALSE;
    if (PathExists(path)) return TRUE;
    std::string whole = leaf::path::Normalize(path);
    // Each component in turn, from the first separator on.
    size_t next = whole.find('/', whole[0] == '/' ? 1 : 0);
    for (;;) {
        std::string part = whole.substr(0, next);
        if (!part.empty() && !PathExists(part.c_str())) {
            if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return FALSE;
        }
        if (next == std::string::npos) break;
        next = whole.find('/', next + 1);
    }
    return PathExists(path);
}

BOOL IsAbsolutePath(const char* path)
{
    if (!path) return FALSE;
    if (path[0] == '/' || path[0] == '\\') return TRUE;
    // A drive path written on another system ("C:\Book\a.htm") is absolute too.
    char letter = leaf::AsciiToLower(path[0]);
    return letter >= 'a' && letter <= 'z' && path[1] == ':' ? TRUE : FALSE;
}

BOOL NormalizePath(CString& path)
{
    std::string text = leaf::path::Normalize(path.str());
    // Components; only those followed by a separator are folded.
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t slash = text.find('/', start);
        parts.push_back(text.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    std::vector<std::string> kept;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        bool hasSeparatorBefore = i > 0;
        bool hasSeparatorAfter = i + 1 < parts.size();
        if (hasSeparatorBefore && hasSeparatorAfter && part == ".") continue;
        if (hasSeparatorBefore && hasSeparatorAfter && part == "..") {
            // The folder before it; the root (an empty first component) cannot be left.
            if (kept.empty() || (kept.size() == 1 && kept[0].empty()) || kept.back() == "..") return FALSE;
            kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string result;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) result += '/';
        result += kept[i];
    }
    path = CString(std::move(result));
    return TRUE;
}

BOOL MakeAbsolutePath(const CString& baseFile, const CString& relative, CString& out)
{
    if (relative.IsEmpty()) {
        out.Empty();
        return FALSE;
    }
    std::string base = baseFile.str();
    size_t slash = base.find_last_of("/\\");
    out = CString(slash == std::string::npos ? std::string() : base.substr(0, slash + 1)) + relative;
    return NormalizePath(out);
}

BOOL ValidateOutputPath(const CString& path, const std::vector<CString>& bookFiles)
{
    // Characters that a file name may not hold where the e-book may go next; '/' is the
    // separator here.
    if (path.FindOneOf(":*?\"<>|") >= 0) {
        ShowMessage(10151, MB_OK | MB_ICONEXCLAMATION, path);
        return FALSE;
    }

    if (PathExists(path.c_str())) {
        ShowMessage(10152, MB_OK | MB_ICONEXCLAMATION, path);
        return FALSE;
    }
    if (FileExists(path.c_str())) {
        struct stat target {};
        if (StatPath(path.c_str(), target)) {
            for (const CString& file : bookFiles) {
                struct stat source {};
                if (StatPath(file.c_str(), source) && source.st_dev == target.st_dev && source.st_ino == target.st_ino) {
                    ShowMessage(10156, MB_OK | MB_ICONEXCLAMATION, path);
                    return FALSE;
                }
            }
        }
        if (ShowMessage(13002, MB_YESNO, path) != IDYES) return FALSE;
        BYTE attributes = 0;
        if (leaf::GetFileAttributes(path.c_str(), attributes) && (attributes & CFile::readOnly)) {
            if (ShowMessage(13007, MB_YESNO, path) != IDYES) return FALSE;
            if (!leaf::SetFileAttributes(path.c_str(), static_cast<BYTE>(attributes & ~CFile::readOnly))) {
                ShowMessage(10153, MB_OK | MB_ICONEXCLAMATION, path);
                return FALSE;
            }
        }
        CFile probe;
        if (!probe.Open(path.c_str(), CFile::modeWrite | CFile::modeNoTruncate | CFile::shareExclusive)) {
            ShowMessage(10154, MB_OK | MB_ICONEXCLAMATION, path);
            return FALSE;
        }
        probe.Abort();
        return TRUE;
    }

    std::string folder = leaf::path::FolderPart(leaf::path::Normalize(path.str()));
    if (!folder.empty() && !PathExists(folder.c_str())) {
        if (ShowMessage(13006, MB_YESNO, CString(folder)) != IDYES) return FALSE;
        if (!CreateFolderTree(folder.c_str())) {
            ShowMessage(10150, MB_OK | MB_ICONEXCLAMATION, CString(folder));
            return FALSE;
        }
    }
    if (!CanCreateFile(path)) {
        ShowMessage(10155, MB_OK | MB_ICONEXCLAMATION, path);
        return FALSE;
    }
    return TRUE;
}

void DeleteRegistrySubkey(const char* subKey)
{
    if (!subKey || !*subKey) return;
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kProgramKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteKey(key, subKey);
    RegCloseKey(key);
}

void ApplyAppTitle(CWnd* window)
{
    if (!window) return;
    CString text = window->GetWindowText();
    int at = text.Find("%s");
    if (at < 0) return;
    text = text.Left(at) + leaf::ui::LoadResString(57344) + text.Mid(at + 2);
    window->SetWindowText(text.c_str());
}
