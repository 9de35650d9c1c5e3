#pragma once

// CEpubPublication: what the e-book's container holds besides the items themselves,
// made from the package the control streamed and what the writer learned of the items:
// the package document (metadata, manifest with EPUB media types and properties, spine,
// guide), the navigation document and the NCX.
//
// The spine is the package's reading order, followed (not in the linear reading order)
// by every other page, which EPUB requires of a page that links can reach. The
// navigation comes from the book's chapter tour, else from the links of the
// table-of-contents page the guide names, else it lists each page of the reading
// order by its title. The guide's cover picture is marked as the cover image; guide
// references to pages are kept as the guide and as landmarks, references to other
// items as meta entries.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "outside/litgen/EBookItem.h"
#include "outside/litgen/EpubNavigation.h"
#include "outside/litgen/PackageManifest.h"

class CEpubPublication {
public:
    struct Input {
        const CPackageManifest* package = nullptr;
        const std::vector<std::shared_ptr<CEBookItem>>* items = nullptr;
        std::string packageDocumentName;
        std::string fallbackTitle;  // when the book has no title
        std::string modified;       // "CCYY-MM-DDThh:mm:ssZ"
    };

    explicit CEpubPublication(const Input& input);

    const std::string& PackageDocument() const { return m_packageDocument; }
    const std::string& NavigationName() const { return m_navigationName; }
    const std::string& NavigationDocument() const { return m_navigationDocument; }
    const std::string& NcxName() const { return m_ncxName; }
    const std::string& Ncx() const { return m_ncx; }

    // The guide types that name the cover picture, the preferred one first.
    static const std::vector<std::string>& CoverTypes();

private:
    const CEBookItem* Find(const std::string& path) const;
    // The item a guide reference names, and the place in it (empty for none).
    const CEBookItem* GuideItem(const CPackageManifest::Reference& reference, std::string& fragment) const;
    // The name, numbered where an entry of the container has it already.
    std::string FreeName(const std::string& name) const;
    // The entry for a link to a page: its href with the fragment when the page has that id.
    bool MakeEntry(const std::string& title, const std::string& path, const std::string& fragment,
                   litgen::NavigationEntry& entry) const;
    std::vector<litgen::NavigationEntry> TourEntries() const;
    std::vector<litgen::NavigationEntry> TocPageEntries() const;
    std::vector<litgen::NavigationEntry> ReadingOrderEntries(const std::vector<const CEBookItem*>& spine) const;

    Input m_input;
    std::map<std::string, const CEBookItem*> m_byHref;
    std::map<std::string, const CEBookItem*> m_byLowerHref;  // the first item of each spelling
    std::set<std::string> m_lowerNames;
    std::string m_packageDocument;
    std::string m_navigationName;
    std::string m_navigationDocument;
    std::string m_ncxName;
    std::string m_ncx;
};
