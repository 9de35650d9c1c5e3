#include "studio/project/LCMetaData.h"

#include "studio/project/StringArchive.h"

IMPLEMENT_SERIAL(CLCMetaData, 2)

void CLCMetaData::AddValue(const CString& value, const CString& attributes)
{
    m_values.push_back(value);
    m_attributes.push_back(attributes);
}

void CLCMetaData::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << m_strValue;
        leaf::WriteStringArray(archive, m_values);
        archive << m_strAttributes;
        leaf::WriteStringArray(archive, m_attributes);
        return;
    }
    switch (archive.GetObjectSchema()) {
    case 2:
        archive >> m_strValue;
        leaf::ReadStringArray(archive, m_values);
        archive >> m_strAttributes;
        leaf::ReadStringArray(archive, m_attributes);
        break;
    case 1:
        archive >> m_strValue;
        leaf::ReadStringArray(archive, m_values);
        break;
    default:
        throw CArchiveException(CArchiveException::badSchema);
    }
    // Every value has its attribute text.
    if (m_attributes.size() < m_values.size()) m_attributes.resize(m_values.size());
}
