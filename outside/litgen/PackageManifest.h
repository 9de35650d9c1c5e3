#pragma once

// CPackageManifest: reads the items of a package (the "item" elements of its
// "manifest") from the package's element stream, as the control writes it.

#include <string>
#include <vector>

#include "outside/litgen/MarkupSerializer.h"

class CPackageManifest {
public:
    struct Item {
        std::string id;
        std::string href;  // decoded: percent escapes and character references undone
        std::string mediaType;
    };

    void OnStartElement(const std::u16string& name, const CMarkupSerializer::Attributes& attributes,
                        bool hasContent);
    void OnEndElement();

    bool SawPackage() const { return m_sawPackage; }
    const std::vector<Item>& Items() const { return m_items; }

    // Undoes the character references of an attribute value (&amp; &lt; &gt; &quot;
    // &apos; and numeric ones).
    static std::string DecodeReferences(const std::string& value);
    // Undoes percent escapes.
    static std::string DecodePercent(const std::string& value);

private:
    std::vector<std::string> m_open;  // lower-cased names of the open elements
    bool m_sawPackage = false;
    std::vector<Item> m_items;
};
