#include "studio/project/GuideTypeDefinition.h"

#include <cstdlib>

#include "platform/ui/Resources.h"

std::unique_ptr<CGuideTypeDefinition> CGuideTypeDefinition::Parse(const CString& row)
{
    CString text = row;
    text.Trim();
    std::vector<CString> fields;
    int start = 0;
    for (;;) {
        int end = text.Find('\n', start);
        CString field = end < 0 ? text.Mid(start) : text.Mid(start, end - start);
        fields.push_back(field.Trim());
        if (end < 0) break;
        start = end + 1;
    }
    if (fields.size() < 4) return nullptr;

    auto definition = std::make_unique<CGuideTypeDefinition>();
    definition->m_strType = fields[0];
    definition->m_strTitle = fields[1];
    definition->m_nKind = std::atoi(fields[2].c_str());
    definition->m_strDescription = fields[3];
    if (fields.size() > 4) definition->m_bHasDefault = std::atoi(fields[4].c_str()) != 0 ? TRUE : FALSE;
    if (fields.size() > 5) definition->m_strFilter = fields[5];
    if (fields.size() > 6) {
        const CString& size = fields[6];
        int x = size.Find('x');
        definition->m_nWidth = std::atoi((x < 0 ? size : size.Left(x)).c_str());
        definition->m_nHeight = x < 0 ? 0 : std::atoi(size.Mid(x + 1).c_str());
    }
    if (fields.size() > 7) definition->m_nBitmap = static_cast<UINT>(std::strtoul(fields[7].c_str(), nullptr, 10));
    return definition;
}

CString CGuideTypeDefinition::GetDisplayDescription() const
{
    CString text = m_strDescription;
    text.Replace("\\n", "\n");
    return text;
}

namespace leaf {

BOOL LoadGuideTypes(std::vector<std::unique_ptr<CGuideTypeDefinition>>& list)
{
    list.clear();
    for (UINT id = kFirstGuideTypeString; id <= kLastGuideTypeString; ++id) {
        if (auto definition = CGuideTypeDefinition::Parse(leaf::ui::LoadResString(id)))
            list.push_back(std::move(definition));
    }
    return TRUE;
}

}  // namespace leaf
