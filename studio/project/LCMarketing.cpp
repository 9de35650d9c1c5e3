#include "studio/project/LCMarketing.h"

#include "studio/project/StringArchive.h"

IMPLEMENT_SERIAL(CLCMarketing, 2)

void CLCMarketing::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << m_strValue << m_strAttributes;
        leaf::WriteStringArray(archive, m_values);
        leaf::WriteStringArray(archive, m_attributes);
        return;
    }
    switch (archive.GetObjectSchema()) {
    case 2:
        archive >> m_strValue >> m_strAttributes;
        leaf::ReadStringArray(archive, m_values);
        leaf::ReadStringArray(archive, m_attributes);
        break;
    case 1:
        archive >> m_strValue;
        break;
    default:
        throw CArchiveException(CArchiveException::badSchema);
    }
    if (m_attributes.size() < m_values.size()) m_attributes.resize(m_values.size());
}
