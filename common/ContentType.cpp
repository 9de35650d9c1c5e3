#include "common/ContentType.h"

#include <map>
#include <string>

#include "platform/registry/RegistryKey.h"

namespace {

// The types the system relies on, whatever the machine's registry says.
const std::map<std::string, std::string>& BuiltInTypes()
{
    static const std::map<std::string, std::string> types = {
        {".css", "text/css"},
        {".htm", "text/html"},
        {".html", "text/html"},
        {".txt", "text/plain"},
        {".gif", "image/gif"},
        {".jfif", "image/jpeg"},
        {".jpe", "image/jpeg"},
        {".jpeg", "image/jpeg"},
        {".jpg", "image/jpeg"},
        {".png", "image/png"},
        {".eot", "application/vnd.ms-fontobject"},
        {".otf", "font/otf"},
        {".ttf", "font/ttf"},
        {".woff", "font/woff"},
        {".woff2", "font/woff2"},
    };
    return types;
}

// The lower-cased extension of the file part, dot included; empty when there is none.
std::string LowerExtension(const std::string& name)
{
    const size_t separator = name.find_last_of("/\\");
    const size_t fileStart = separator == std::string::npos ? 0 : separator + 1;
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot < fileStart) return {};
    return leaf::ToLowerAscii(std::string_view(name).substr(dot));
}

std::string RegistryContentType(const std::string& extension)
{
    const leaf::RegistryKey key = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, extension);
    if (!key.IsOpen()) return {};
    return key.ReadString("Content Type").value_or(std::string());
}

}  // namespace

CString GetContentType(const CString& fileName, BOOL registryOnly)
{
    const std::string extension = LowerExtension(fileName.str());
    if (extension.empty()) return {};
    if (!registryOnly) {
        const auto& table = BuiltInTypes();
        const auto found = table.find(extension);
        if (found != table.end()) return CString(found->second);
    }
    return CString(RegistryContentType(extension));
}

BOOL IsWordContentType(const CString& contentType)
{
    static constexpr const char* kWordTypes[] = {
        "application/msword",
        "application/vnd.openxmlformats-officedocument.wordprocessingml.document",
    };
    for (const char* type : kWordTypes)
        if (contentType.CompareNoCase(type) == 0) return TRUE;
    return FALSE;
}

void SplitFragment(const CString& path, CString& pathPart, CString& fragment, BOOL textTypesOnly)
{
    const CString input = path;  // pathPart or fragment may be the same object as path
    pathPart = input;
    fragment.Empty();

    const int hash = input.ReverseFind('#');
    if (hash < 0) return;
    if (hash == 0) {
        fragment = input;
        pathPart.Empty();
        return;
    }
    const CString before = input.Left(hash);
    const CString type = GetContentType(before, FALSE);
    if (type.IsEmpty()) return;
    if (textTypesOnly && !leaf::StartsWithNoCase(type.str(), "text/")) return;
    fragment = input.Mid(hash);
    pathPart = before;
}
