#include "studio/workspace/CreatorFields.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/Resources.h"

namespace leaf {

namespace {
constexpr UINT kRoleList = 556;
constexpr UINT kNoRole = 557;
constexpr UINT kNoFileAs = 558;

CString Trimmed(const std::string& text) {
    CString result(text);
    result.Trim();
    return result;
}
}  // namespace

CreatorFields::CreatorFields() : CreatorFields(ui::LoadResString(kRoleList).c_str()) {}

CreatorFields::CreatorFields(const char* roleList) {
    // Pairs of name and code, each ended by '|' (the last code by the end of the text).
    std::string text = roleList ? roleList : "";
    size_t position = 0;
    while (true) {
        size_t bar = text.find('|', position);
        if (bar == std::string::npos) break;
        std::string name = Trimmed(text.substr(position, bar - position)).str();
        size_t next = text.find('|', bar + 1);
        std::string code = Trimmed(text.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1)).str();
        if (m_roles.emplace(name, code).second) m_names.push_back(name);
        if (next == std::string::npos) break;
        position = next + 1;
    }
}

void CreatorFields::FillRoleCombo(CComboBox* combo) const {
    if (!combo) return;
    combo->ResetContent();
    for (const std::string& name : m_names) combo->AddString(name.c_str());
    combo->InsertString(0, ui::LoadResString(kNoRole).c_str());
}

void CreatorFields::SelectRole(CComboBox* combo, const char* code) const {
    if (!combo) return;
    CString name = GetRoleName(code);
    if (name.IsEmpty()) name = ui::LoadResString(kNoRole);
    int index = combo->FindStringExact(-1, name.c_str());
    combo->SetCurSel(index == CB_ERR ? 0 : index);
}

CString CreatorFields::GetSelectedRoleCode(CComboBox* combo) const {
    if (!combo) return {};
    auto found = m_roles.find(combo->GetWindowText().str());
    return found == m_roles.end() ? CString() : CString(found->second);
}

CString CreatorFields::GetRoleName(const char* code) const {
    if (!code || !*code) return {};
    for (const std::string& name : m_names)
        if (m_roles.at(name) == code) return CString(name);
    return {};
}

void CreatorFields::FillFileAsCombo(CComboBox* combo, const char* name) const {
    if (!combo) return;
    combo->ResetContent();
    combo->AddString(ui::LoadResString(kNoFileAs).c_str());
    for (const CString& suggestion : SuggestFileAs(name)) combo->AddString(suggestion.c_str());
}

void CreatorFields::SetFileAsText(CComboBox* combo, const char* text) const {
    if (!combo) return;
    CString shown = text ? text : "";
    if (shown.IsEmpty()) shown = ui::LoadResString(kNoFileAs);
    combo->SetWindowText(shown.c_str());
}

CString CreatorFields::GetFileAsText(CComboBox* combo) const {
    if (!combo) return {};
    // The field shows the chosen entry's text, or what was typed after choosing.
    CString text = combo->GetWindowText();
    if (text == ui::LoadResString(kNoFileAs)) return {};
    return text;
}

std::vector<CString> SuggestFileAs(const char* name) {
    std::vector<CString> suggestions;
    CString whole = name ? name : "";
    whole.Trim();
    if (whole.IsEmpty()) return suggestions;

    // Tokens: a blank ends one; a ',' ends one and is a token of its own.
    std::vector<std::string> tokens;
    std::string current;
    for (char ch : whole.str()) {
        if (ch == ' ' || ch == ',') {
            if (!current.empty()) tokens.push_back(current);
            current.clear();
            if (ch == ',') tokens.emplace_back(",");
        } else {
            current += ch;
        }
    }
    if (!current.empty()) tokens.push_back(current);
    if (tokens.empty()) return suggestions;
    if (tokens.size() == 1) {
        suggestions.emplace_back(tokens.front());
        return suggestions;
    }

    std::string suffix;
    if (tokens.back().size() > 2 && tokens.back().back() == '.') {
        suffix = tokens.back();
        tokens.pop_back();
        if (!tokens.empty() && tokens.back() == ",") tokens.pop_back();
    }
    std::string last;
    if (tokens.size() > 1 && tokens[1] == ",") {
        last = tokens[0];
        tokens.erase(tokens.begin(), tokens.begin() + 2);
    } else if (!tokens.empty()) {
        last = tokens.back();
        tokens.pop_back();
    }
    std::string first;
    for (const std::string& token : tokens) {
        if (token != "," && !first.empty()) first += ' ';
        first += token;
    }

    CString text;
    if (!first.empty() && !last.empty()) {
        if (!suffix.empty()) text.Format("%s, %s, %s", last.c_str(), first.c_str(), suffix.c_str());
        else text.Format("%s, %s", last.c_str(), first.c_str());
        suggestions.push_back(text);
        if (!suffix.empty()) text.Format("%s %s, %s", first.c_str(), last.c_str(), suffix.c_str());
        else text.Format("%s %s", first.c_str(), last.c_str());
        suggestions.push_back(text);
    } else {
        std::string joined = first + last;
        if (!suffix.empty()) {
            if (!joined.empty()) joined += ", ";
            joined += suffix;
        }
        suggestions.emplace_back(joined);
    }
    return suggestions;
}

CString AttributeValue(const char* attributes, const char* name) {
    std::string text = attributes ? attributes : "";
    std::string marker = std::string(name ? name : "") + "=\"";
    size_t start = text.find(marker);
    if (start == std::string::npos) return {};
    start += marker.size();
    size_t end = text.find('"', start);
    return CString(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

CString CreatorAttributes(const char* roleCode, const char* fileAs) {
    CString role = roleCode ? roleCode : "";
    CString as = fileAs ? fileAs : "";
    CString text;
    if (!role.IsEmpty() && !as.IsEmpty()) text.Format("role=\"%s\" file-as=\"%s\"", role.c_str(), as.c_str());
    else if (!role.IsEmpty()) text.Format("role=\"%s\"", role.c_str());
    else if (!as.IsEmpty()) text.Format("file-as=\"%s\"", as.c_str());
    return text;
}

}  // namespace leaf
