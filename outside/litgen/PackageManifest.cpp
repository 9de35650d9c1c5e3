#include "outside/litgen/PackageManifest.h"

#include "outside/litgen/XmlText.h"
#include "platform/base/CString.h"
#include "platform/base/TextEncoding.h"

namespace {

// The local name, lower-cased: "opf:item" and "ITEM" are both "item".
std::string LocalName(const std::u16string& name) {
    std::string text = leaf::ToLowerAscii(leaf::Utf16ToUtf8(name));
    size_t colon = text.rfind(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

}  // namespace

std::string CPackageManifest::AttributeKey(const std::string& name) {
    return name.starts_with("opf:") ? name.substr(4) : name;
}

std::string CPackageManifest::Record::Attribute(const std::string& key) const {
    for (const auto& [name, value] : attributes)
        if (AttributeKey(name) == key)
            return value;
    return {};
}

bool CPackageManifest::Inside(const char* name) const {
    return !m_open.empty() && m_open.back() == name;
}

void CPackageManifest::OnStartElement(const std::u16string& name,
                                      const std::vector<std::pair<std::u16string, std::u16string>>& attributes,
                                      bool hasContent) {
    const std::string local = LocalName(name);
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& [attributeName, value] : attributes)
        values.emplace_back(leaf::ToLowerAscii(leaf::Utf16ToUtf8(attributeName)),
                            DecodeReferences(leaf::Utf16ToUtf8(value)));
    const auto get = [&](const char* key) {
        for (const auto& [attributeName, value] : values)
            if (attributeName == key)
                return value;
        return std::string();
    };

    if (m_inRecord) {
        // An element inside a record's text: its text still belongs to the record.
    } else if (local == "package") {
        m_sawPackage = true;
        m_uniqueIdentifier = get("unique-identifier");
    } else if (local == "item" && Inside("manifest")) {
        m_items.push_back({get("id"), DecodePercent(get("href")), get("media-type")});
    } else if (local == "itemref" && Inside("spine")) {
        m_spine.push_back(get("idref"));
    } else if (local == "tour" && Inside("tours")) {
        m_tours.push_back({get("id"), get("title"), {}});
    } else if (local == "site" && Inside("tour") && !m_tours.empty()) {
        m_tours.back().sites.push_back({get("title"), get("href")});
    } else if (local == "reference" && Inside("guide")) {
        m_guide.push_back({get("type"), get("title"), get("href")});
    } else if (local == "meta" && Inside("x-metadata")) {
        m_metas.push_back({get("name"), get("content")});
    } else if (Inside("dc-metadata") || Inside("x-metadata") || Inside("metadata")) {
        if (local != "dc-metadata" && local != "x-metadata") {
            m_records.push_back({leaf::Utf16ToUtf8(name), std::move(values), std::string()});
            if (hasContent) {
                m_inRecord = true;
                m_recordDepth = m_open.size();
                m_recordText.clear();
            }
        }
    }
    if (hasContent)
        m_open.push_back(local);
}

void CPackageManifest::OnText(std::u16string_view text) {
    if (m_inRecord)
        m_recordText += text;
}

void CPackageManifest::OnEndElement() {
    if (m_open.empty())
        return;
    m_open.pop_back();
    if (m_inRecord && m_open.size() == m_recordDepth) {
        m_inRecord = false;
        m_records.back().value = litgen::CollapseWhiteSpace(leaf::Utf16ToUtf8(m_recordText));
        m_recordText.clear();
    }
}

std::string CPackageManifest::DecodeReferences(const std::string& value) {
    return litgen::DecodeCharacterReferences(value);
}

std::string CPackageManifest::DecodePercent(const std::string& value) {
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            int high = HexValue(value[i + 1]);
            int low = HexValue(value[i + 2]);
            if (high >= 0 && low >= 0 && (high | low) != 0) {
                text += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        text += value[i];
    }
    return text;
}
