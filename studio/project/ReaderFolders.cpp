#include "studio/project/ReaderFolders.h"

#include <cstdlib>
#include <string>

#include "platform/base/Path.h"
#include "platform/registry/Registry.h"
#include "studio/project/PathHelpers.h"

namespace {

CString WithoutTrailingSeparators(CString path)
{
    while (path.GetLength() > 1 && (path.Right(1) == "/" || path.Right(1) == "\\")) path = path.Left(path.GetLength() - 1);
    return path;
}

// A string value of a key; empty when the key or the value is missing. The value is read
// whole, however long.
CString ReadRegistryString(HKEY root, const char* subKey, const char* valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return CString();
    CString result;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueEx(key, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        std::string data(size, '\0');
        if (RegQueryValueEx(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
            ERROR_SUCCESS) {
            data.resize(size);
            size_t nul = data.find('\0');
            if (nul != std::string::npos) data.resize(nul);
            result = CString(std::move(data));
        }
    }
    RegCloseKey(key);
    return result;
}

// The last folder name of a path (after its last separator; the whole text without one).
CString LastFolderName(const CString& path)
{
    int at = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    return at < 0 ? path : path.Mid(at + 1);
}

CString WithTrailingSeparator(const CString& path)
{
    if (path.IsEmpty() || path.Right(1) == "/") return path;
    return path + "/";
}

}  // namespace

CString GetMyDocumentsFolder()
{
    // The desktop's documents folder: XDG_DOCUMENTS_DIR, else ~/Documents when it
    // exists, else the home folder.
    if (const char* documents = std::getenv("XDG_DOCUMENTS_DIR"); documents && *documents)
        return WithoutTrailingSeparators(documents);
    const char* home = std::getenv("HOME");
    if (!home || !*home) return CString();
    CString candidate = WithoutTrailingSeparators(home) + "/Documents";
    if (PathExists(candidate.c_str())) return candidate;
    return WithoutTrailingSeparators(home);
}

CString GetReaderInstallDir()
{
    CString folder = ReadRegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\EBook", "InstallDir");
    CString user = ReadRegistryString(HKEY_CURRENT_USER, "Software\\Microsoft\\EBook", "InstallDir");
    if (!user.IsEmpty()) folder = user;
    return WithoutTrailingSeparators(folder);
}

CString GetReaderLibraryDir(BOOL fallback)
{
    CString folder =
        WithoutTrailingSeparators(ReadRegistryString(HKEY_CURRENT_USER, "Software\\Microsoft\\EBook", "ContentDir"));
    if (folder.IsEmpty() && fallback) {
        CString documents = GetMyDocumentsFolder();
        if (!documents.IsEmpty()) folder = documents + "/My Library";
    }
    return folder;
}

CString GetReaderPath()
{
    CString folder = GetReaderInstallDir();
    if (folder.IsEmpty()) return CString();
    for (const char* name : {"MSReader.exe", "eBook.exe"}) {
        CString path = CString(leaf::path::Join(folder.str(), name));
        if (FileExists(path.c_str())) return path;
    }
    return CString();
}

int GetDeviceSyncFolders(std::vector<CString>& folders)
{
    folders.clear();
    const char* partnersKey = "Software\\Microsoft\\Windows CE Services\\Partners";
    HKEY partners = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, partnersKey, 0, KEY_READ, &partners) != ERROR_SUCCESS) return 0;
    for (DWORD index = 0;; ++index) {
        char name[4096];
        LONG result = RegEnumKey(partners, index, name, sizeof name);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;   // a name too long to be a partnership
        CString subKey;
        subKey.Format("%s\\%s\\Services\\Synchronization", partnersKey, name);
        CString folder = WithoutTrailingSeparators(ReadRegistryString(HKEY_CURRENT_USER, subKey.c_str(), "Briefcase Path"));
        if (!folder.IsEmpty() && PathExists(folder.c_str())) folders.push_back(folder);
    }
    RegCloseKey(partners);
    return static_cast<int>(folders.size());
}

BOOL ToFolderDisplayForm(CString& path, const CString& base)
{
    if (base.GetLength() <= 2) return FALSE;
    CString fullBase = WithTrailingSeparator(base);
    CString fullPath = WithTrailingSeparator(path);
    if (!leaf::StartsWithNoCase(fullPath.str(), fullBase.str())) return FALSE;
    CString rest = WithoutTrailingSeparators(fullPath.Mid(fullBase.GetLength()));
    if (rest == "/") rest.Empty();
    CString display;
    display.Format("<%s>/%s", LastFolderName(WithoutTrailingSeparators(base)).c_str(), rest.c_str());
    path = display;
    return TRUE;
}

BOOL ToFolderDisplayForm(CString& path, const std::vector<CString>& bases)
{
    for (const CString& base : bases) {
        if (ToFolderDisplayForm(path, base)) return TRUE;
    }
    return FALSE;
}

BOOL FromFolderDisplayForm(CString& text, const CString& base)
{
    CString trimmedBase = WithoutTrailingSeparators(base);
    bool hasSeparator = trimmedBase.Find('/') >= 0 || trimmedBase.Find('\\') >= 0;
    CString prefix = "<" + (hasSeparator ? LastFolderName(trimmedBase) : CString()) + ">";
    if (!leaf::StartsWithNoCase(text.str(), prefix.str())) return FALSE;
    CString rest = text.Mid(prefix.GetLength());
    while (!rest.IsEmpty() && (rest[0] == '/' || rest[0] == '\\')) rest = rest.Mid(1);
    CString joined;
    joined.Format("%s/%s", trimmedBase.c_str(), rest.c_str());
    text = joined;
    return TRUE;
}

BOOL FromFolderDisplayForm(CString& text, const std::vector<CString>& bases)
{
    for (const CString& base : bases) {
        if (FromFolderDisplayForm(text, base)) return TRUE;
    }
    return FALSE;
}
