#pragma once

// CPackageManifest: reads the package as the control streams it, element by element: the
// unique identifier, the Dublin Core records and the x-metadata entries, the items of the
// manifest, the reading order (spine), the tours and the guide. Attribute values arrive
// as the package file wrote them (references not decoded); they are decoded here, and
// the items' hrefs have their percent escapes undone (those of tours and the guide keep
// them until they are taken apart from their fragments).

#include <string>
#include <utility>
#include <vector>

class CPackageManifest {
public:
    struct Item {
        std::string id;
        std::string href;  // decoded: percent escapes and character references undone
        std::string mediaType;
    };
    // A Dublin Core record ("dc:Creator"), its attributes (names lower-cased) and its text.
    struct Record {
        std::string name;
        std::vector<std::pair<std::string, std::string>> attributes;
        std::string value;
        // The value of the attribute whose key (AttributeKey) is `key`; empty when none.
        std::string Attribute(const std::string& key) const;
    };
    // What a record's attribute is known by: its name without the package vocabulary's
    // prefix ("opf:role" is "role"); other prefixes stay ("xml:lang").
    static std::string AttributeKey(const std::string& name);
    struct Meta {
        std::string name;
        std::string content;
    };
    struct Site {
        std::string title;
        std::string href;  // as written in the page the tour was made from (percent escapes kept)
    };
    struct Tour {
        std::string id;
        std::string title;
        std::vector<Site> sites;
    };
    struct Reference {
        std::string type;
        std::string title;
        std::string href;  // relative to the package, percent escapes kept: a "%23" is no fragment
    };

    void OnStartElement(const std::u16string& name, const std::vector<std::pair<std::u16string, std::u16string>>& attributes,
                        bool hasContent);
    void OnText(std::u16string_view text);
    void OnEndElement();

    bool SawPackage() const { return m_sawPackage; }
    const std::string& UniqueIdentifier() const { return m_uniqueIdentifier; }
    const std::vector<Record>& Records() const { return m_records; }
    const std::vector<Meta>& Metas() const { return m_metas; }
    const std::vector<Item>& Items() const { return m_items; }
    const std::vector<std::string>& Spine() const { return m_spine; }  // idrefs in reading order
    const std::vector<Tour>& Tours() const { return m_tours; }
    const std::vector<Reference>& Guide() const { return m_guide; }

    // Undoes the character references of an attribute value (&amp; &lt; &gt; &quot;
    // &apos;, the HTML entity names and numeric ones).
    static std::string DecodeReferences(const std::string& value);
    // Undoes percent escapes (not "%00", which names no file).
    static std::string DecodePercent(const std::string& value);

private:
    bool Inside(const char* name) const;

    std::vector<std::string> m_open;  // lower-cased local names of the open elements
    bool m_sawPackage = false;
    std::string m_uniqueIdentifier;
    std::vector<Record> m_records;
    bool m_inRecord = false;
    size_t m_recordDepth = 0;
    std::u16string m_recordText;
    std::vector<Meta> m_metas;
    std::vector<Item> m_items;
    std::vector<std::string> m_spine;
    std::vector<Tour> m_tours;
    std::vector<Reference> m_guide;
};
