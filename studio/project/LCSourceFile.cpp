#include "studio/project/LCSourceFile.h"

#include "studio/project/ProjectPath.h"

IMPLEMENT_SERIAL(CLCSourceFile, 2)

void CLCSourceFile::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << leaf::StoreProjectPath(leaf::ArchiveFilePath(archive), m_strPath) << m_strTitle;
        return;
    }
    switch (archive.GetObjectSchema()) {
    case 2:
        m_strPath = leaf::ReadProjectPath(archive, m_bStoredAbsolute);
        break;
    case 1:
        m_strPath = leaf::ReadPathAsStored(archive);
        m_bStoredAbsolute = FALSE;
        break;
    default:
        throw CArchiveException(CArchiveException::badSchema);
    }
    archive >> m_strTitle;
}
