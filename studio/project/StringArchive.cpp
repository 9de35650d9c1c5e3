#include "studio/project/StringArchive.h"

namespace leaf {

void WriteStringArray(CArchive& archive, const std::vector<CString>& strings)
{
    archive.WriteCount(static_cast<DWORD>(strings.size()));
    for (const CString& text : strings) archive << text;
}

void ReadStringArray(CArchive& archive, std::vector<CString>& strings)
{
    strings.clear();
    DWORD count = archive.ReadCount();
    // No reservation from the count: a damaged count runs into the end of the file.
    for (DWORD i = 0; i < count; ++i) strings.push_back(archive.ReadString());
}

}  // namespace leaf
