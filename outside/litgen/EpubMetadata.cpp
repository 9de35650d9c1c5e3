#include "outside/litgen/EpubMetadata.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "outside/litgen/XmlText.h"
#include "platform/base/CString.h"

namespace litgen {

namespace {

// The Dublin Core elements EPUB knows, by their lower-cased local name.
constexpr const char* kDublinCore[] = {"title",   "creator",  "contributor", "identifier", "language",
                                       "date",    "publisher", "subject",    "description", "rights",
                                       "type",    "format",   "source",      "relation",    "coverage"};

std::string LocalName(const std::string& name) {
    std::string lower = leaf::ToLowerAscii(name);
    const size_t colon = lower.rfind(':');
    return colon == std::string::npos ? lower : lower.substr(colon + 1);
}

bool IsDublinCore(const std::string& name) {
    const std::string lower = leaf::ToLowerAscii(name);
    if (!lower.starts_with("dc:"))
        return false;
    for (const char* element : kDublinCore)
        if (lower.substr(3) == element)
            return true;
    return false;
}

std::string Element(const std::string& name, const std::string& attributes, const std::string& value) {
    return "    <" + name + attributes + ">" + EscapeXmlText(value) + "</" + name + ">\n";
}

std::string Attribute(const std::string& name, const std::string& value) {
    return " " + name + "=\"" + EscapeXmlAttribute(value) + "\"";
}

std::string Refinement(const std::string& id, const std::string& property, const std::string& value,
                       const std::string& scheme = "") {
    return "    <meta refines=\"#" + id + "\"" + Attribute("property", property) +
           (scheme.empty() ? "" : Attribute("scheme", scheme)) + ">" + EscapeXmlText(value) + "</meta>\n";
}

std::string LegacyMeta(const std::string& name, const std::string& content) {
    return "    <meta" + Attribute("name", name) + Attribute("content", content) + " />\n";
}

// The Dublin Core elements whose text may say its language and direction (xml:lang, dir).
constexpr const char* kTextElements[] = {"title",   "creator", "contributor", "publisher", "subject",
                                         "description", "rights", "source",  "relation",    "coverage"};

bool HasTextLanguage(const std::string& local) {
    return std::any_of(std::begin(kTextElements), std::end(kTextElements),
                       [&](const char* element) { return local == element; });
}

// Attributes that say nothing about the book: the package's own ids and namespace declarations.
bool IsStructural(const std::string& key) { return key == "id" || key == "xmlns" || key.starts_with("xmlns:"); }

// The property of the package's own vocabulary that keeps an attribute ("xml:lang" is
// "leafcraft:xml-lang": a colon may not begin a property's reference).
std::string PackageProperty(const std::string& key) {
    std::string reference = key;
    std::replace(reference.begin(), reference.end(), ':', '-');
    return std::string(kPackageVocabularyPrefix) + ":" + reference;
}

// The id a refinement names: the element's own, given one when it has none yet.
template <class NewId>
const std::string& RefinedId(std::string& id, const std::string& local, NewId& newId) {
    if (id.empty())
        id = newId(local);
    return id;
}

// A record kept as a meta entry of its name, and each attribute that says something as
// an entry of the name and the attribute ("dc:Date.modification.scheme"), except those
// the name already holds.
std::string KeptRecord(const std::string& name, const CPackageManifest::Record& record,
                       std::initializer_list<const char*> inName) {
    std::string metas = LegacyMeta(name, record.value);
    for (const auto& [attributeName, value] : record.attributes) {
        const std::string key = CPackageManifest::AttributeKey(attributeName);
        if (IsStructural(key) || value.empty() ||
            std::any_of(inName.begin(), inName.end(), [&](const char* taken) { return key == taken; }))
            continue;
        metas += LegacyMeta(name + "." + key, value);
    }
    return metas;
}

// A role as a MARC relator code: three letters; anything else is kept by name.
bool IsRelatorCode(const std::string& role) {
    return role.size() == 3 && std::all_of(role.begin(), role.end(), [](char ch) { return std::isalpha(static_cast<unsigned char>(ch)); });
}

}  // namespace

bool IsLanguageTag(const std::string& tag) {
    if (tag.empty())
        return false;
    size_t start = 0;
    bool first = true;
    while (start <= tag.size()) {
        size_t end = tag.find('-', start);
        if (end == std::string::npos)
            end = tag.size();
        const size_t length = end - start;
        if (length < 1 || length > 8)
            return false;
        for (size_t i = start; i < end; ++i) {
            const auto ch = static_cast<unsigned char>(tag[i]);
            if (!(std::isalpha(ch) && ch < 0x80) && !(first ? false : std::isdigit(ch)))
                return false;
        }
        first = false;
        start = end + 1;
    }
    return true;
}

bool IsXmlId(const std::string& text) {
    if (text.empty())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        const bool letter = std::isalpha(ch) || ch == '_' || ch >= 0x80;
        if (i == 0 ? !letter : !(letter || std::isdigit(ch) || ch == '-' || ch == '.'))
            return false;
    }
    return true;
}

EpubMetadata MakeEpubMetadata(const CPackageManifest& package, const std::string& fallbackTitle,
                              const std::string& modified, const std::string& coverItemId) {
    EpubMetadata result;
    std::string& xml = result.xml;
    xml = "  <metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n";
    std::string kept;  // records without an EPUB form, after the Dublin Core ones
    std::set<std::string> ids;
    int number = 0;
    const auto newId = [&](const std::string& stem) {
        std::string id;
        do
            id = stem + std::to_string(++number);
        while (ids.contains(id));
        ids.insert(id);
        return id;
    };

    // The identifier the package names, else the first one with a value.
    const CPackageManifest::Record* unique = nullptr;
    for (const auto& record : package.Records())
        if (LocalName(record.name) == "identifier" && !record.value.empty() &&
            (unique == nullptr || (record.Attribute("id") == package.UniqueIdentifier() &&
                                   unique->Attribute("id") != package.UniqueIdentifier())))
            unique = &record;
    for (const auto& record : package.Records())
        if (IsXmlId(record.Attribute("id")))
            ids.insert(record.Attribute("id"));

    bool sawDate = false;
    for (const auto& record : package.Records()) {
        const std::string local = LocalName(record.name);
        if (!IsDublinCore(record.name)) {
            kept += KeptRecord(record.name, record, {});
            continue;
        }
        if (record.value.empty())
            continue;  // EPUB allows no empty metadata; an empty record says nothing
        std::string id;
        std::string attributes;
        std::string refinements;
        std::set<std::string> used;  // the attributes given their EPUB form
        if (local == "title") {
            if (result.title.empty())
                result.title = record.value;
        } else if (local == "creator" || local == "contributor") {
            id = newId(local);
        } else if (local == "identifier") {
            id = record.Attribute("id");
            if (!IsXmlId(id) || (&record != unique && id == result.uniqueIdentifierId))
                id = newId("identifier");
            if (&record == unique) {
                result.uniqueIdentifierId = id;
                result.uniqueIdentifierValue = record.value;
            }
            if (!record.Attribute("scheme").empty())
                refinements += Refinement(id, "identifier-type", record.Attribute("scheme"));
            used.insert("scheme");
        } else if (local == "language") {
            if (!IsLanguageTag(record.value)) {
                kept += KeptRecord(record.name, record, {});
                continue;
            }
            if (result.language.empty())
                result.language = record.value;
        } else if (local == "date") {
            // One publication date; other dates are kept with their event.
            const std::string event = leaf::ToLowerAscii(record.Attribute("event"));
            if (sawDate || !(event.empty() || event == "publication")) {
                kept += KeptRecord(event.empty() ? record.name : record.name + "." + event, record, {"event"});
                continue;
            }
            sawDate = true;
            used.insert("event");
        }
        if (local == "creator" || local == "contributor" || local == "publisher") {
            const std::string role = record.Attribute("role");
            if (IsRelatorCode(role))
                refinements += Refinement(RefinedId(id, local, newId), "role", leaf::ToLowerAscii(role), "marc:relators");
            else if (!role.empty())
                refinements += Refinement(RefinedId(id, local, newId), "role", role);
            used.insert("role");
        }
        if (!record.Attribute("file-as").empty())
            refinements += Refinement(RefinedId(id, local, newId), "file-as", record.Attribute("file-as"));
        used.insert("file-as");
        // The language and direction of the record's text, where EPUB gives the element them.
        if (HasTextLanguage(local)) {
            const std::string language = record.Attribute("xml:lang");
            if (IsLanguageTag(language)) {
                attributes += Attribute("xml:lang", language);
                used.insert("xml:lang");
            }
            const std::string direction = leaf::ToLowerAscii(record.Attribute("dir"));
            if (direction == "ltr" || direction == "rtl") {
                attributes += Attribute("dir", direction);
                used.insert("dir");
            }
        }
        // Every other attribute refines the element in the package's own vocabulary.
        for (const auto& [name, value] : record.attributes) {
            const std::string key = CPackageManifest::AttributeKey(name);
            if (used.contains(key) || IsStructural(key) || value.empty())
                continue;
            refinements += Refinement(RefinedId(id, local, newId), PackageProperty(key), value);
            result.usesPackageVocabulary = true;
        }
        xml += Element("dc:" + local, (id.empty() ? "" : Attribute("id", id)) + attributes, record.value);
        xml += refinements;
    }
    if (unique == nullptr) {
        // Every package the control writes has an identifier; one streamed without any
        // still gets an identifier of its own, made from its title.
        result.uniqueIdentifierId = newId("identifier");
        result.uniqueIdentifierValue = "urn:leafcraft:" + EncodeHrefPath(result.title.empty() ? fallbackTitle : result.title);
        xml += Element("dc:identifier", " id=\"" + result.uniqueIdentifierId + "\"", result.uniqueIdentifierValue);
    }
    if (result.title.empty()) {
        result.title = fallbackTitle;
        xml += Element("dc:title", "", fallbackTitle);
    }
    if (result.language.empty()) {
        result.language = kUndeterminedLanguage;
        xml += Element("dc:language", "", kUndeterminedLanguage);
    }
    xml += "    <meta property=\"dcterms:modified\">" + modified + "</meta>\n";
    if (!coverItemId.empty())
        xml += LegacyMeta("cover", coverItemId);
    for (const auto& meta : package.Metas())
        if (!meta.name.empty())
            xml += LegacyMeta(meta.name, meta.content);
    xml += kept;
    xml += "  </metadata>\n";
    return result;
}

}  // namespace litgen
