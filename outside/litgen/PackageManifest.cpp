#include "outside/litgen/PackageManifest.h"

#include <cstdlib>

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

void CPackageManifest::OnStartElement(const std::u16string& name, const CMarkupSerializer::Attributes& attributes,
                                      bool hasContent) {
    std::string local = LocalName(name);
    if (local == "package")
        m_sawPackage = true;
    if (local == "item" && !m_open.empty() && m_open.back() == "manifest") {
        Item item;
        for (const auto& [attributeName, value] : attributes) {
            std::string key = leaf::ToLowerAscii(leaf::Utf16ToUtf8(attributeName));
            std::string text = DecodeReferences(leaf::Utf16ToUtf8(value));
            if (key == "id")
                item.id = text;
            else if (key == "href")
                item.href = DecodePercent(text);
            else if (key == "media-type")
                item.mediaType = text;
        }
        m_items.push_back(std::move(item));
    }
    if (hasContent)
        m_open.push_back(local);
}

void CPackageManifest::OnEndElement() {
    if (!m_open.empty())
        m_open.pop_back();
}

std::string CPackageManifest::DecodeReferences(const std::string& value) {
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        size_t end = value[i] == '&' ? value.find(';', i) : std::string::npos;
        if (end == std::string::npos) {
            text += value[i];
            continue;
        }
        std::string name = value.substr(i + 1, end - i - 1);
        char32_t code = 0;
        if (name == "amp")
            code = '&';
        else if (name == "lt")
            code = '<';
        else if (name == "gt")
            code = '>';
        else if (name == "quot")
            code = '"';
        else if (name == "apos")
            code = '\'';
        else if (name.size() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            std::string digits = name.substr(hex ? 2 : 1);
            char* stop = nullptr;
            unsigned long number = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
            if (!digits.empty() && stop && *stop == 0 && number > 0 && number <= 0x10FFFF)
                code = static_cast<char32_t>(number);
        }
        if (code == 0) {
            text += value[i];
            continue;
        }
        leaf::AppendUtf8(text, code);
        i = end;
    }
    return text;
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
