#include "sdk/package/PackageWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/File.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/Guid.h"
#include "sdk/package/AttributeTokens.h"
#include "sdk/package/PackageFile.h"
#include "sdk/package/XmlReferences.h"

namespace {

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE package\n"
    "  PUBLIC \"+//ISBN 0-9673008-1-9//DTD OEB 1.0.1 Package//EN\"\n"
    "  \"http://openebook.org/dtds/oeb-1.0.1/oebpkg101.dtd\">\n"
    "\n";

constexpr const char* kDublinCoreNamespace = "http://purl.org/dc/elements/1.0/";
constexpr const char* kPackageNamespace = "http://openebook.org/namespaces/oeb-package/1.0/";
constexpr const char* kGeneratedIdentifierId = "TallbrookGUID";

// A byte that XML cannot carry in any form (a control character other than tab, line
// feed and carriage return).
bool IsForbiddenControl(char ch)
{
    const auto byte = static_cast<unsigned char>(ch);
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

// The text as characters an XML document may carry: bytes that are not UTF-8 are read as
// Windows-1252 characters (as everywhere in the system) and written as UTF-8; the two
// non-characters U+FFFE and U+FFFF and control characters other than tab, line feed and
// carriage return become spaces.
std::string AsXmlCharacters(const std::string& text)
{
    if (leaf::IsValidUtf8(text) &&
        std::none_of(text.begin(), text.end(), [](char ch) { return IsForbiddenControl(ch); }) &&
        text.find("\xEF\xBF\xBE") == std::string::npos && text.find("\xEF\xBF\xBF") == std::string::npos)
        return text;
    std::u16string units = leaf::Utf8ToUtf16(text);
    for (char16_t& unit : units) {
        if (unit == 0xFFFE || unit == 0xFFFF || (unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r'))
            unit = u' ';
    }
    return leaf::Utf16ToUtf8(units);
}

bool IsNameStartCharacter(char32_t c)
{
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameCharacter(char32_t c)
{
    return IsNameStartCharacter(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// A name XML accepts for an element or attribute, read as the file will carry it.
bool IsXmlName(std::string_view name)
{
    if (name.empty()) return false;
    const std::u16string units = leaf::Utf8ToUtf16(name);
    bool first = true;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        if (!(first ? IsNameStartCharacter(c) : IsNameCharacter(c))) return false;
        first = false;
    }
    return true;
}

// The value of an attribute other than an href. Quotes are escaped; a value ending in
// '\' or '=' has that character written as a reference, because the scanner would take
// a backslash before the closing quote for an escaped quote and join a token ending in
// '=' with the next attribute.
CString AttributeValue(const CString& value)
{
    CString text = CPackageWriter::EscapeXml(CPackageWriter::EscapeQuotes(value), FALSE);
    if (text.str().ends_with('\\')) {
        text = text.Left(text.GetLength() - 1) + "&#92;";
    } else if (text.str().ends_with('=')) {
        text = text.Left(text.GetLength() - 1) + "&#61;";
    }
    return text;
}

// The value of an href: '&' and '"' percent-escaped; a final '=' as "%3D" (see above).
CString HrefValue(const CString& value)
{
    CString text = CPackageWriter::EscapeXml(value, TRUE);
    if (text.str().ends_with('=')) text = text.Left(text.GetLength() - 1) + "%3D";
    return text;
}

// Appends `name="value" ` when the value is not empty.
void AppendPiece(std::string& line, std::string_view name, const CString& value, bool href = false)
{
    if (value.IsEmpty()) return;
    line += name;
    line += "=\"";
    line += (href ? HrefValue(value) : AttributeValue(value)).str();
    line += "\" ";
}

bool IsIdentifierRecord(const CDCMetaItem& item)
{
    return leaf::EqualsNoCase(item.m_strName.str(), "dc:Identifier");
}

// The attribute text rebuilt from tokens, each written name="value".
CString JoinTokens(const std::vector<CString>& tokens)
{
    CString text;
    for (const CString& token : tokens) {
        if (!text.IsEmpty()) text += ' ';
        text += leaf::package::QuoteAttributeValue(leaf::package::TokenName(token), leaf::package::TokenValue(token));
    }
    return text;
}

}  // namespace

CString CPackageWriter::EscapeQuotes(const CString& text)
{
    CString escaped = text;
    escaped.Replace("\"", "&quot;");
    return escaped;
}

CString CPackageWriter::EscapeXml(const CString& text, BOOL url)
{
    std::string source = text.str();
    if (url) {
        CString percent(source);
        percent.Replace("&", "%26");
        percent.Replace("\"", "%22");
        source = percent.str();
    }
    std::string out;
    out.reserve(source.size() + source.size() / 8);
    for (size_t i = 0; i < source.size(); ++i) {
        const char ch = source[i];
        if (ch == '<') {
            out += "&lt;";
        } else if (ch == '>') {
            out += "&gt;";
        } else if (ch == '&') {
            out += leaf::package::BeginsCompleteReference(source, i) ? "&" : "&amp;";
        } else if (IsForbiddenControl(ch)) {
            out += ' ';
        } else {
            out += ch;
        }
    }
    return CString(std::move(out));
}

HRESULT CPackageWriter::WriteIdentifier()
{
    // Every id in use is noted; a record whose (first) id attribute is missing or empty
    // gets the first free "IDn".
    std::set<std::string, leaf::NoCaseLess> noted;
    std::vector<CDCMetaItem*> withoutId;
    for (int index = 0; index < m_package.GetDCMetaCount(); ++index) {
        CDCMetaItem* item = m_package.GetDCMetaItem(index);
        if (!IsIdentifierRecord(*item)) continue;
        bool seenId = false;
        bool hasId = false;
        for (const CString& token : leaf::package::SplitAttributeText(item->m_strAttributes)) {
            if (leaf::package::TokenName(token) != "id") continue;
            const CString value = leaf::package::TokenValue(token);
            if (!value.IsEmpty()) noted.insert(value.str());
            if (!seenId) hasId = !value.IsEmpty();
            seenId = true;
        }
        if (!hasId) withoutId.push_back(item);
    }

    for (CDCMetaItem* item : withoutId) {
        int number = 1;
        while (noted.contains("ID" + std::to_string(number))) ++number;
        const CString id("ID" + std::to_string(number));
        noted.insert(id.str());

        // An id attribute that is there but empty is replaced rather than doubled.
        bool replaced = false;
        std::vector<CString> kept;
        for (const CString& token : leaf::package::SplitAttributeText(item->m_strAttributes)) {
            const bool emptyId = token == "id=" || token == "id";
            if (emptyId && !replaced) kept.push_back("id=" + id);
            if (!emptyId) kept.push_back(token);
            replaced = replaced || emptyId;
        }
        if (replaced)
            item->m_strAttributes = JoinTokens(kept);
        else
            item->m_strAttributes += " id=\"" + id + "\"";
    }

    // An identifier that names no identifier record is dropped and replaced below. Only
    // the id attribute that is written counts: the first of a record's id attributes.
    if (!m_package.GetUniqueIdentifier().IsEmpty() && !NamesWrittenIdentifier(m_package.GetUniqueIdentifier()))
        m_package.AssignUniqueIdentifier(CString());

    if (m_package.GetUniqueIdentifier().IsEmpty()) {
        // A generated identifier from an earlier write is used again rather than doubled.
        if (NamesWrittenIdentifier(kGeneratedIdentifierId)) {
            m_package.AssignUniqueIdentifier(kGeneratedIdentifierId);
            return S_OK;
        }
        GUID guid{};
        if (FAILED(CoCreateGuid(&guid))) return PKG_E_NOGUID;
        m_package.AddDCMetaData(std::make_unique<CDCMetaItem>(
            "dc:Identifier", CString(leaf::GuidToString(guid)),
            CString("id=\"") + kGeneratedIdentifierId + "\" scheme=\"GUID\""));
        m_package.SetUniqueIdentifier(kGeneratedIdentifierId);
    }
    return S_OK;
}

bool CPackageWriter::NamesWrittenIdentifier(const CString& id) const
{
    for (int index = 0; index < m_package.GetDCMetaCount(); ++index) {
        const CDCMetaItem* item = m_package.GetDCMetaItem(index);
        if (!IsIdentifierRecord(*item)) continue;
        for (const CString& token : leaf::package::SplitAttributeText(item->m_strAttributes)) {
            if (leaf::package::TokenName(token) != "id") continue;
            if (leaf::package::TokenValue(token) == id) return true;
            break;
        }
    }
    return false;
}

HRESULT CPackageWriter::RefuseRecord(const CString& text)
{
    m_errorText = text;
    return PKG_E_INVALIDRECORD;
}

HRESULT CPackageWriter::Write(const CString& path)
{
    m_openElements.clear();
    m_text.clear();
    m_errorText.Empty();

    const HRESULT identifier = WriteIdentifier();
    if (FAILED(identifier)) return identifier;

    // The file is replaced, not written in place; refuse what could not be created in
    // place either (a folder, a file we may not write).
    struct stat status {};
    if (path.IsEmpty()) return PKG_E_CREATEFILE;
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        m_errorText = std::strerror(EISDIR);
        return PKG_E_CREATEFILE;
    }
    if (::stat(path.c_str(), &status) == 0 && ::access(path.c_str(), W_OK) != 0) {
        m_errorText = std::strerror(errno);
        return PKG_E_CREATEFILE;
    }

    leaf::AtomicFile file;
    errno = 0;
    if (!file.Open(path.str())) {
        if (errno != 0) m_errorText = std::strerror(errno);
        return PKG_E_CREATEFILE;
    }

    const HRESULT text = WriteText();
    if (FAILED(text)) {
        file.Discard();
        return text;
    }
    errno = 0;
    if (!file.Write(AsXmlCharacters(m_text)) || !file.Commit()) {
        if (errno != 0) m_errorText = std::strerror(errno);
        return PKG_E_FILEIO;
    }
    return S_OK;
}

HRESULT CPackageWriter::WriteText()
{
    AssignItemIds();
    m_text.append(kHeader);
    WriteElement("package", {{"unique-identifier", m_package.GetUniqueIdentifier()}}, 2);
    WriteElement("metadata", {}, 1);
    HRESULT hr = WriteDCMetaData();
    if (SUCCEEDED(hr)) hr = WriteXMetaData();
    if (SUCCEEDED(hr)) hr = CloseElement(2, TRUE);
    if (SUCCEEDED(hr)) hr = WriteManifest();
    if (SUCCEEDED(hr)) hr = WriteSpine();
    if (SUCCEEDED(hr)) hr = WriteTours();
    if (SUCCEEDED(hr)) hr = WriteGuide();
    if (SUCCEEDED(hr)) hr = CloseElement(1, TRUE);
    return hr;
}

void CPackageWriter::WriteIndent(int level)
{
    if (level > 0) m_text.append(static_cast<size_t>(level), '\t');
}

void CPackageWriter::WriteLineFeeds(int count)
{
    if (count > 0) m_text.append(static_cast<size_t>(count), '\n');
}

void CPackageWriter::WriteElement(const CString& name, const Attributes& attributes, int lineFeeds)
{
    WriteIndent(static_cast<int>(m_openElements.size()));
    m_text += '<';
    m_text += name.str();
    std::set<std::string> written;
    for (const auto& [attributeName, value] : attributes) {
        // A document may carry each attribute once, under a name XML accepts.
        if (!IsXmlName(attributeName.str()) || !written.insert(attributeName.str()).second) continue;
        m_text += ' ';
        m_text += attributeName.str();
        m_text += "=\"";
        m_text += AttributeValue(value).str();
        m_text += '"';
    }
    m_text += '>';
    WriteLineFeeds(lineFeeds);
    m_openElements.push_back(name);
}

HRESULT CPackageWriter::CloseElement(int lineFeeds, BOOL indent)
{
    if (m_openElements.empty()) return E_UNEXPECTED;
    if (indent) WriteIndent(static_cast<int>(m_openElements.size()) - 1);
    m_text += "</";
    m_text += m_openElements.back().str();
    m_text += '>';
    WriteLineFeeds(lineFeeds);
    m_openElements.pop_back();
    return S_OK;
}

HRESULT CPackageWriter::WriteDCMetaData()
{
    WriteElement("dc-metadata", {{"xmlns:dc", kDublinCoreNamespace}, {"xmlns:oebpackage", kPackageNamespace}}, 1);
    for (int index = 0; index < m_package.GetDCMetaCount(); ++index) {
        const CDCMetaItem* item = m_package.GetDCMetaItem(index);
        if (!item) return E_UNEXPECTED;
        // A record without a name, a value or attributes holds nothing to write.
        if (item->m_strName.IsEmpty() && item->m_strValue.IsEmpty() && item->m_strAttributes.IsEmpty()) continue;
        // A name XML cannot carry would make the whole file unreadable, and leaving the
        // record out would lose what the author entered: the write fails, naming it.
        if (!IsXmlName(item->m_strName.str()))
            return RefuseRecord("the metadata item \"" + item->m_strName +
                                "\" has a name that cannot be an element name of the package file");

        Attributes attributes;
        for (const CString& token : leaf::package::SplitAttributeText(item->m_strAttributes)) {
            const CString name = leaf::package::TokenName(token);
            const CString value = leaf::package::TokenValue(token);
            if (!IsXmlName(name.str()))
                return RefuseRecord("the metadata item \"" + item->m_strName + "\" has an attribute \"" + name +
                                    "\" whose name cannot be an attribute name of the package file");
            auto same = std::find_if(attributes.begin(), attributes.end(),
                                     [&](const auto& written) { return written.first == name; });
            if (same == attributes.end()) {
                attributes.emplace_back(name, value);
            } else if (same->second != value) {
                // An element carries each attribute once: keeping one value would drop the other.
                return RefuseRecord("the metadata item \"" + item->m_strName + "\" has the attribute \"" + name +
                                    "\" twice, with the values \"" + same->second + "\" and \"" + value + "\"");
            }
        }
        WriteElement(item->m_strName, attributes, 0);
        if (item->m_strValue.IsEmpty()) {
            m_text.pop_back();  // the '>' just written
            m_text += " />\n";
            m_openElements.pop_back();
        } else {
            m_text += EscapeXml(item->m_strValue, FALSE).str();
            const HRESULT hr = CloseElement(1, FALSE);
            if (FAILED(hr)) return hr;
        }
    }
    return CloseElement(1, TRUE);
}

HRESULT CPackageWriter::WriteXMetaData()
{
    if (m_package.GetXMetaCount() == 0) return S_OK;
    WriteElement("x-metadata", {}, 1);
    for (int index = 0; index < m_package.GetXMetaCount(); ++index) {
        const CDCMetaItem* item = m_package.GetXMetaItem(index);
        if (!item) return E_UNEXPECTED;
        // The name is written even when empty: without it a reader takes the element
        // name ("meta") for the item's name.
        std::string line = "<meta name=\"" + AttributeValue(item->m_strName).str() + "\" ";
        AppendPiece(line, "content", item->m_strValue);
        line += "/>\n";
        WriteIndent(static_cast<int>(m_openElements.size()));
        m_text += line;
    }
    return CloseElement(1, TRUE);
}

void CPackageWriter::AssignItemIds()
{
    m_itemIds.clear();
    std::set<std::string, leaf::NoCaseLess> used;
    for (int index = 0; index < m_package.GetManifestCount(); ++index) {
        const CManifestItem* item = m_package.GetManifestItem(index);
        if (item && !item->m_strId.IsEmpty()) used.insert(item->m_strId.str());
    }
    int next = 1;
    for (int index = 0; index < m_package.GetManifestCount(); ++index) {
        const CManifestItem* item = m_package.GetManifestItem(index);
        if (item && !item->m_strId.IsEmpty()) {
            m_itemIds.push_back(item->m_strId);
            continue;
        }
        std::string id;
        do {
            id = "LC_ID" + std::to_string(next++);
        } while (used.contains(id));
        used.insert(id);
        m_itemIds.emplace_back(id);
    }
}

HRESULT CPackageWriter::WriteManifest()
{
    if (m_package.GetManifestCount() == 0) return S_OK;
    WriteElement("manifest", {}, 1);
    for (int index = 0; index < m_package.GetManifestCount(); ++index) {
        const CManifestItem* item = m_package.GetManifestItem(index);
        if (!item) return E_UNEXPECTED;
        std::string line = "<item ";
        AppendPiece(line, "id", m_itemIds[static_cast<size_t>(index)]);
        AppendPiece(line, "href", item->m_strPath, true);
        AppendPiece(line, "media-type", item->m_strMediaType);
        line += "/>\n";
        WriteIndent(static_cast<int>(m_openElements.size()));
        m_text += line;
    }
    return CloseElement(2, TRUE);
}

HRESULT CPackageWriter::WriteSpine()
{
    if (m_package.GetSpineCount() == 0) return S_OK;
    WriteElement("spine", {}, 1);
    for (int position = 0; position < m_package.GetSpineCount(); ++position) {
        const int index = m_package.GetSpineItem(position);
        if (index < 0 || index >= static_cast<int>(m_itemIds.size())) return E_UNEXPECTED;
        std::string line = "<itemref ";
        AppendPiece(line, "idref", m_itemIds[static_cast<size_t>(index)]);
        line += "/>\n";
        WriteIndent(static_cast<int>(m_openElements.size()));
        m_text += line;
    }
    return CloseElement(2, TRUE);
}

HRESULT CPackageWriter::WriteTours()
{
    if (m_package.GetTourCount() == 0) return S_OK;
    WriteElement("tours", {}, 1);
    const int indent = static_cast<int>(m_openElements.size());
    for (int index = 0; index < m_package.GetTourCount(); ++index) {
        const CTourRecord* tour = m_package.GetTour(index);
        if (!tour) return E_UNEXPECTED;
        std::string line = "<tour ";
        AppendPiece(line, "id", tour->m_strId);
        AppendPiece(line, "title", tour->m_strTitle);
        line += ">\n";
        WriteIndent(indent);
        m_text += line;
        for (const auto& site : tour->m_sites) {
            if (!site) return E_UNEXPECTED;
            std::string siteLine = "<site ";
            AppendPiece(siteLine, "title", site->m_strTitle);
            AppendPiece(siteLine, "href", site->m_strHref, true);
            siteLine += "/>\n";
            WriteIndent(indent + 1);
            m_text += siteLine;
        }
        WriteIndent(indent);
        m_text += "</tour>\n";
    }
    return CloseElement(2, TRUE);
}

HRESULT CPackageWriter::WriteGuide()
{
    if (m_package.GetGuideCount() == 0) return S_OK;
    WriteElement("guide", {}, 1);
    for (int index = 0; index < m_package.GetGuideCount(); ++index) {
        const CGuideReference* item = m_package.GetGuideItem(index);
        if (!item) return E_UNEXPECTED;
        std::string line = "<reference ";
        AppendPiece(line, "type", item->m_strType);
        AppendPiece(line, "title", item->m_strTitle);
        AppendPiece(line, "href", item->m_strHref, true);
        line += "/>\n";
        WriteIndent(static_cast<int>(m_openElements.size()));
        m_text += line;
    }
    return CloseElement(2, TRUE);
}
