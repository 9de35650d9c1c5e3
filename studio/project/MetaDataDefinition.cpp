#include "studio/project/MetaDataDefinition.h"

#include "platform/base/ModulePath.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WinApp.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/PrivateProfile.h"

namespace {

constexpr const char* kCustomValuesSection = "Custom List Values";

struct PromptKeyword {
    const char* keyword;
    int type;
};
constexpr PromptKeyword kPromptKeywords[] = {
    {"Edit", CMetaDataDefinition::promptEdit},
    {"Edit-Multiline", CMetaDataDefinition::promptEditMultiline},
    {"List", CMetaDataDefinition::promptList},
    {"List-Multiselect", CMetaDataDefinition::promptListMultiselect},
    {"List-Creator", CMetaDataDefinition::promptListCreator},
    {"List-Identifier", CMetaDataDefinition::promptListIdentifier},
};

void ReadChoices(const leaf::PrivateProfile& file, const CString& section, CMetaDataDefinition& definition)
{
    for (int number = 1;; ++number) {
        CString key = leaf::ui::FormatResString(552, number);   // "Choice #%d"
        CString value = file.GetString(section, key);
        if (value.IsEmpty()) break;
        CString displayed = value;
        int bar = value.Find('|');
        if (bar >= 0) {
            CString stored = value.Left(bar);
            displayed = value.Mid(bar + 1);
            stored.TrimRight();
            displayed.TrimLeft();
            if (!stored.IsEmpty() && !displayed.IsEmpty()) definition.m_valueMap[displayed] = stored;
        }
        if (!displayed.IsEmpty()) definition.m_choices.push_back(displayed);
    }
}

void ReadCustomValues(CMetaDataDefinition& definition)
{
    CWinApp* app = AfxGetApp();
    if (!app) return;
    CString text = app->GetProfileString(kCustomValuesSection, definition.m_strName.c_str(), "");
    int start = 0;
    while (start <= text.GetLength()) {
        int end = text.Find('\n', start);
        CString piece = end < 0 ? text.Mid(start) : text.Mid(start, end - start);
        piece.Trim();
        if (!piece.IsEmpty()) definition.m_choices.push_back(piece);
        if (end < 0) break;
        start = end + 1;
    }
}

}  // namespace

int CMetaDataDefinition::PromptTypeFromKeyword(const CString& keyword)
{
    for (const PromptKeyword& entry : kPromptKeywords) {
        if (keyword == entry.keyword) return entry.type;
    }
    return 0;
}

CString CMetaDataDefinition::GetStoredValue(const CString& displayed) const
{
    auto found = m_valueMap.find(displayed);
    return found == m_valueMap.end() ? displayed : found->second;
}

namespace leaf {

CString MetaDataDefinitionPath()
{
    CString program(GetExecutablePath());
    int dot = program.ReverseFind('.');
    int slash = program.ReverseFind('/');
    if (dot > slash) program = program.Left(dot);
    return program + ".dat";
}

BOOL LoadMetaDataDefinitions(const CString& path, std::vector<std::unique_ptr<CMetaDataDefinition>>& list,
                             const std::function<void()>& beforeFailure)
{
    list.clear();
    PrivateProfile file;
    if (!FileExists(path.c_str()) || !file.Load(path)) {
        if (beforeFailure) beforeFailure();
        AfxMessageBox(ui::FormatResString(10000, path.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }

    for (int number = 1;; ++number) {
        CString section = ui::FormatResString(551, number);   // "Meta-data Info #%d"
        CString name = file.GetString(section, "Name");
        if (name.IsEmpty()) break;

        auto definition = std::make_unique<CMetaDataDefinition>();
        definition->m_strName = name;
        definition->m_strLabel = file.GetString(section, "Label", name);
        CString keyword = file.GetString(section, "Prompt Type");
        definition->m_nPromptType = CMetaDataDefinition::PromptTypeFromKeyword(keyword);
        if (definition->m_nPromptType == 0) {
            AfxMessageBox(ui::FormatResString(11000, keyword.c_str(), name.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        definition->m_nMaxLength = file.GetInt(section, "Max Length", 0x7FFFFFFF);
        definition->m_strNotes = file.GetString(section, "Notes");
        if (definition->IsListType()) {
            definition->m_bSort = file.GetInt(section, "Sort", 0) != 0 ? TRUE : FALSE;
            definition->m_bCustomize = file.GetInt(section, "Customize", 0) != 0 ? TRUE : FALSE;
            definition->m_bSaveCustom = file.GetInt(section, "Save Custom", 0) != 0 ? TRUE : FALSE;
            definition->m_strCustomText = file.GetString(section, "Custom Text", "[new]");
            ReadChoices(file, section, *definition);
            ReadCustomValues(*definition);
            definition->m_strDefaultChoice = file.GetString(section, "Default Choice");
        }
        list.push_back(std::move(definition));
    }

    if (list.empty()) {
        if (beforeFailure) beforeFailure();
        AfxMessageBox(ui::FormatResString(10001, path.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}

void SaveCustomValue(CMetaDataDefinition* definition, const CString& value)
{
    if (!definition || value.IsEmpty() || !definition->m_bCustomize) return;
    if (!definition->m_bSaveCustom) {
        definition->m_addedValues.push_back(value);
        return;
    }
    definition->m_choices.push_back(value);
    if (CWinApp* app = AfxGetApp()) {
        CString text = app->GetProfileString(kCustomValuesSection, definition->m_strName.c_str(), "");
        if (!text.IsEmpty()) text += "\n";
        text += value;
        app->WriteProfileString(kCustomValuesSection, definition->m_strName.c_str(), text.c_str());
    }
}

}  // namespace leaf
