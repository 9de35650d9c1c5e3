#include "sdk/package/PackageReader.h"

#include <memory>

#include "sdk/package/AttributeTokens.h"
#include "sdk/package/PackageFile.h"
#include "sdk/package/XmlReferences.h"

namespace {

struct SectionName {
    std::string_view name;
    int bit;
};

constexpr SectionName kSections[] = {
    {"metadata", CPackageReader::sectionMetadata}, {"dc-metadata", CPackageReader::sectionDCMetadata},
    {"x-metadata", CPackageReader::sectionXMetadata}, {"manifest", CPackageReader::sectionManifest},
    {"spine", CPackageReader::sectionSpine},       {"tours", CPackageReader::sectionTours},
    {"guide", CPackageReader::sectionGuide},
};

int SectionBit(std::string_view lowerName)
{
    for (const SectionName& section : kSections) {
        if (section.name == lowerName) return section.bit;
    }
    return 0;
}

}  // namespace

CPackageReader::CPackageReader(CPackageFile& package) : m_package(package)
{
    // A package names its items as they stand; nothing is resolved against a <base>.
    EnableBaseHref(FALSE);
}

HRESULT CPackageReader::Read(const CString& path)
{
    m_sections = 0;
    m_elementName.Empty();
    m_tokens.clear();
    m_text.clear();
    switch (ParseFile(path.str())) {
    case parseDone:
        return S_OK;
    case parseOpenFailed:
        return PKG_E_OPENFILE;
    case parseException:
        return PKG_E_FILEIO;
    default:
        return E_UNEXPECTED;  // the handlers never stop the scan
    }
}

BOOL CPackageReader::DecodeEntity(std::string_view text, std::string& entityText, std::string& replacement)
{
    // References reach the text as written; UnescapeXml decides which to undo.
    return FALSE;
}

void CPackageReader::AppendText(char ch)
{
    if (m_text.size() < kMaxElementText) m_text += ch;
}

void CPackageReader::AppendCData(std::string_view tagName, std::string_view attributes)
{
    // The scanner has cut the section at its first white space into a tag name and
    // attribute text; white space in element text counts as one space anyway.
    std::string content(tagName.substr(kCDataStart.size()));
    if (!attributes.empty()) {
        content += ' ';
        content += attributes;
    }
    if (content.ends_with("]]")) content.resize(content.size() - 2);
    // The content stands for itself: written as XML text, which UnescapeXml turns back
    // at the end tag ("&lt;" in a CDATA section stays the text "&lt;").
    for (const char ch : content) {
        if (ch == '&')
            for (const char escaped : std::string_view("&amp;")) AppendText(escaped);
        else if (ch == '<')
            for (const char escaped : std::string_view("&lt;")) AppendText(escaped);
        else if (ch == '>')
            for (const char escaped : std::string_view("&gt;")) AppendText(escaped);
        else if (ch == ' ')
            OnSeparator(ch);
        else
            AppendText(ch);
    }
}

void CPackageReader::OnWordChar(char ch)
{
    AppendText(ch);
}

void CPackageReader::OnSeparator(char ch)
{
    // The scanner has turned line feeds and tabs into spaces: runs of white space in
    // element text become one space.
    if (ch == ' ' && !m_text.empty() && (m_text.back() == ' ' || m_text.back() == '\n')) return;
    AppendText(ch);
}

void CPackageReader::UpdateContext(std::string_view tagName, WORD& state, BOOL endTag)
{
}

BOOL CPackageReader::OnTag(std::string_view tagName, std::string_view attributes, BOOL endTag, int line)
{
    // The XML declaration, the document type, other declarations and processing
    // instructions are not elements: they neither open one nor end the current one, so
    // one inside an element's text does not lose the element. A CDATA section's content
    // is text of the current element.
    if (tagName.starts_with('?') || tagName.starts_with('!')) {
        if (!endTag && tagName.starts_with(kCDataStart)) AppendCData(tagName, attributes);
        return TRUE;
    }

    std::string_view writtenName = tagName;
    bool selfClosing = false;
    if (writtenName.ends_with('/')) {
        writtenName.remove_suffix(1);
        selfClosing = true;
    }
    const std::string lowerName = leaf::ToLowerAscii(writtenName);

    if (const int bit = SectionBit(lowerName)) {
        if (endTag)
            m_sections &= ~bit;
        else if (!selfClosing && !attributes.ends_with('/'))  // an empty section opens nothing
            m_sections |= bit;
        return TRUE;
    }

    if (!endTag) {
        m_elementName = CString(writtenName);
        m_tokens = leaf::package::SplitAttributeText(leaf::package::UnescapeXml(CString(attributes)));
        if (!m_tokens.empty() && m_tokens.back() == "/") {
            m_tokens.pop_back();
            selfClosing = true;
        }
        m_text.clear();
    } else {
        // An end tag without a start tag of its own has nothing to record.
        if (m_elementName.IsEmpty()) {
            m_text.clear();
            return TRUE;
        }
        m_text = leaf::package::UnescapeXml(CString(m_text)).str();
    }

    AddRecord(CString(lowerName), !endTag, endTag || selfClosing);

    if (endTag || selfClosing) {
        m_elementName.Empty();
        m_tokens.clear();
        m_text.clear();
    }
    return TRUE;
}

void CPackageReader::AddRecord(const CString& lowerName, BOOL startTag, BOOL due)
{
    switch (m_sections) {
    case sectionMetadata | sectionDCMetadata: {
        if (!due) return;
        CString attributeText;
        for (const CString& token : m_tokens) {
            if (!attributeText.IsEmpty()) attributeText += ' ';
            attributeText += leaf::package::QuoteAttributeValue(leaf::package::TokenName(token),
                                                                leaf::package::TokenValue(token));
        }
        m_package.AddDCMetaData(std::make_unique<CDCMetaItem>(m_elementName, CString(m_text), attributeText));
        return;
    }
    case sectionMetadata | sectionXMetadata: {
        if (!due) return;
        const CString name = HasToken("name=") ? TokenValue("name=") : m_elementName;
        const CString content = HasToken("content=") ? TokenValue("content=") : CString(m_text);
        m_package.AddXMetaData(std::make_unique<CDCMetaItem>(name, content));
        return;
    }
    case sectionManifest:
        if (!due) return;
        m_package.AddManifestItem(std::make_unique<CManifestItem>(TokenValue("href="), TokenValue("id="),
                                                                  TokenValue("media-type="), TokenValue("fallback=")),
                                  FALSE);
        return;
    case sectionSpine: {
        if (!due) return;
        const CString idref = TokenValue("idref=", true);
        if (!idref.IsEmpty()) m_package.AddSpineItemById(idref, -1);
        return;
    }
    case sectionTours:
        if (lowerName == "tour") {
            // A tour opens at its start tag; its sites follow.
            if (startTag) m_package.AddTour(std::make_unique<CTourRecord>(TokenValue("title="), TokenValue("id=")));
            return;
        }
        if (!due) return;
        m_package.AddTourSite(m_package.GetTourCount() - 1,
                              std::make_unique<CTourSite>(TokenValue("title="), TokenValue("href=")));
        return;
    case sectionGuide:
        if (!due) return;
        m_package.AddGuideItem(
            std::make_unique<CGuideReference>(TokenValue("title="), TokenValue("type="), TokenValue("href=")));
        return;
    default:
        if (startTag && lowerName == "package" && !m_tokens.empty() &&
            m_tokens.front().str().starts_with("unique-identifier="))
            m_package.AssignUniqueIdentifier(m_tokens.front().Mid(18));
        return;
    }
}

bool CPackageReader::HasToken(std::string_view prefix) const
{
    for (const CString& token : m_tokens) {
        if (token.str().starts_with(prefix)) return true;
    }
    return false;
}

CString CPackageReader::TokenValue(std::string_view prefix, bool first) const
{
    CString value;
    for (const CString& token : m_tokens) {
        if (!token.str().starts_with(prefix)) continue;
        value = token.Mid(static_cast<int>(prefix.size()));
        if (first) break;
    }
    return value;
}
