#include "studio/project/MarketingDefinition.h"

CString CMarketingDefinition::GetStoredValue(const CString& displayed) const
{
    auto found = m_valueMap.find(displayed);
    return found == m_valueMap.end() ? displayed : found->second;
}
