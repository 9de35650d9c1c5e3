#include "sdk/package/RelativePath.h"

namespace {

bool IsSeparator(char ch) { return ch == '/' || ch == '\\'; }

bool SameCharacter(char a, char b)
{
    if (IsSeparator(a) && IsSeparator(b)) return true;
    return leaf::AsciiToLower(a) == leaf::AsciiToLower(b);
}

}  // namespace

BOOL CommonFolderPrefix(const CString& path, const CString& other, CString& out)
{
    const std::string& a = path.str();
    const std::string& b = other.str();
    size_t prefixLength = 0;
    for (size_t i = 0; i < a.size() && i < b.size() && SameCharacter(a[i], b[i]); ++i) {
        if (IsSeparator(a[i])) prefixLength = i + 1;
    }
    out = path.Left(static_cast<int>(prefixLength));
    return out.IsEmpty() ? FALSE : TRUE;
}

BOOL MakeRelativePath(const CString& from, const CString& to, CString& out)
{
    CString prefix;
    if (!CommonFolderPrefix(from, to, prefix)) {
        out.Empty();
        return FALSE;
    }
    CString relative;
    const std::string& source = from.str();
    for (size_t i = static_cast<size_t>(prefix.GetLength()); i < source.size(); ++i) {
        if (IsSeparator(source[i])) relative += "../";
    }
    relative += to.Mid(prefix.GetLength());
    out = relative;
    return TRUE;
}
