#include "common/FileDetails.h"

#include <vector>

#include "platform/base/File.h"
#include "platform/base/LocalTime.h"
#include "platform/com/VersionInfo.h"
#include "platform/registry/RegistryKey.h"

CString GetVersionString(const CString& filePath, const CString& key)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSize(filePath.c_str(), &handle);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfo(filePath.c_str(), handle, size, block.data())) return {};

    CString subBlock;
    subBlock.Format("\\StringFileInfo\\040904B0\\%s", key.c_str());
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValue(block.data(), subBlock.c_str(), &value, &length) || !value || length == 0) return {};
    const char* text = static_cast<const char*>(value);
    // The length counts the terminating NUL.
    return CString(text, static_cast<int>(length) - (text[length - 1] == '\0' ? 1 : 0));
}

BOOL GetFileDetails(const CString& filePath, CString& description, CString& version, CString& date)
{
    CFileStatus status;
    if (filePath.IsEmpty() || !CFile::GetStatus(filePath.c_str(), status)) return FALSE;
    description = GetVersionString(filePath, "FileDescription");
    version = GetVersionString(filePath, "FileVersion");
    date = CString(leaf::FormatLocalTime(status.m_mtime, "%m/%d/%Y"));
    return TRUE;
}

CString GetInprocServerPath(const CString& progId)
{
    if (progId.IsEmpty()) return {};
    const leaf::RegistryKey progIdKey = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, progId.str() + "\\CLSID");
    const std::string clsid = progIdKey.IsOpen() ? progIdKey.ReadString().value_or("") : "";
    if (clsid.empty()) return {};
    const leaf::RegistryKey serverKey =
        leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32");
    if (!serverKey.IsOpen()) return {};
    return CString(serverKey.ReadString().value_or(""));
}
