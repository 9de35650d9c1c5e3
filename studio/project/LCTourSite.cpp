#include "studio/project/LCTourSite.h"

#include "studio/project/ProjectPath.h"

IMPLEMENT_SERIAL(CLCTourSite, 2)

void CLCTourSite::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << m_strTitle << leaf::StoreProjectPath(leaf::ArchiveFilePath(archive), m_strHref);
        return;
    }
    switch (archive.GetObjectSchema()) {
    case 2:
        archive >> m_strTitle;
        m_strHref = leaf::ReadProjectPath(archive, m_bStoredAbsolute);
        break;
    case 1:
        archive >> m_strTitle;
        m_strHref = leaf::ReadPathAsStored(archive);
        m_bStoredAbsolute = FALSE;
        break;
    default:
        throw CArchiveException(CArchiveException::badSchema);
    }
}
