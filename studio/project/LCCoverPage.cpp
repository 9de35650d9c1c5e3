#include "studio/project/LCCoverPage.h"

#include "studio/project/ProjectPath.h"

IMPLEMENT_SERIAL(CLCCoverPage, 3)

CLCCoverPage::CLCCoverPage(const CString& guideType)
{
    if (guideType.CompareNoCase("copyright-page") == 0 || guideType.CompareNoCase("other.ms-firstpage") == 0)
        m_nMode = modeNone;
}

void CLCCoverPage::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << leaf::StoreProjectPath(leaf::ArchiveFilePath(archive), m_strPath) << static_cast<DWORD>(m_nMode);
        return;
    }
    switch (archive.GetObjectSchema()) {
    case 3:
        m_strPath = leaf::ReadProjectPath(archive, m_bStoredAbsolute);
        archive >> m_nMode;
        break;
    case 2:
        m_strPath = leaf::ReadPathAsStored(archive);
        archive >> m_nMode;
        m_bStoredAbsolute = FALSE;
        break;
    case 1:
        // The first form stored no mode: a path named the user's own file.
        m_strPath = leaf::ReadPathAsStored(archive);
        m_bStoredAbsolute = FALSE;
        m_nMode = m_strPath.IsEmpty() ? modeDefault : modeUser;
        break;
    default:
        throw CArchiveException(CArchiveException::badSchema);
    }
}
