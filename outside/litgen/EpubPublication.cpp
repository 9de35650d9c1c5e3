#include "outside/litgen/EpubPublication.h"

#include <algorithm>
#include <map>

#include "outside/litgen/ArchiveNames.h"
#include "outside/litgen/EpubMediaTypes.h"
#include "outside/litgen/EpubMetadata.h"
#include "outside/litgen/XmlText.h"
#include "platform/base/CString.h"

namespace {

struct LandmarkType {
    const char* guideType;
    const char* epubType;
};

// The guide types that have a landmark of their own.
constexpr LandmarkType kLandmarkTypes[] = {
    {"toc", "toc"},
    {"cover", "cover"},
    {"title-page", "titlepage"},
    {"copyright-page", "copyright-page"},
    {"text", "bodymatter"},
    {"other.ms-firstpage", "bodymatter"},
    {"preface", "preface"},
    {"foreword", "foreword"},
    {"acknowledgements", "acknowledgments"},
    {"dedication", "dedication"},
    {"epigraph", "epigraph"},
    {"glossary", "glossary"},
    {"bibliography", "bibliography"},
    {"index", "index"},
    {"colophon", "colophon"},
    {"loi", "loi"},
    {"lot", "lot"},
};

std::string Attribute(const std::string& name, const std::string& value) {
    return " " + name + "=\"" + litgen::EscapeXmlAttribute(value) + "\"";
}

std::string FileStem(const std::string& path) {
    std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

const std::vector<std::string>& CEpubPublication::CoverTypes() {
    static const std::vector<std::string> types = {"other.ms-coverimage-standard", "other.ms-coverimage"};
    return types;
}

const CEBookItem* CEpubPublication::GuideItem(const CPackageManifest::Reference& reference,
                                              std::string& fragment) const {
    const litgen::LinkTarget target = litgen::ResolveLink(reference.href, "");
    fragment = target.fragment;
    return target.path.empty() ? nullptr : Find(target.path);
}

const CEBookItem* CEpubPublication::Find(const std::string& path) const {
    if (auto exact = m_byHref.find(path); exact != m_byHref.end())
        return exact->second;
    auto caseless = m_byLowerHref.find(leaf::ToLowerAscii(path));
    return caseless == m_byLowerHref.end() ? nullptr : caseless->second;
}

std::string CEpubPublication::FreeName(const std::string& name) const {
    std::string free = name;
    for (int number = 2; m_lowerNames.contains(leaf::ToLowerAscii(free)); ++number)
        free = litgen::NumberedName(name, number);
    return free;
}

bool CEpubPublication::MakeEntry(const std::string& title, const std::string& path, const std::string& fragment,
                                 litgen::NavigationEntry& entry) const {
    const CEBookItem* item = Find(path);
    if (item == nullptr || item->kind != CEBookItem::Kind::Html)
        return false;
    entry.title = litgen::CollapseWhiteSpace(title);
    if (entry.title.empty())
        entry.title = item->title.empty() ? FileStem(item->href) : item->title;
    entry.href = litgen::EncodeHrefPath(item->archiveName);
    // A fragment the page does not hold would lead nowhere: the entry opens the page.
    if (!fragment.empty() && item->ids.contains(fragment))
        entry.href += "#" + litgen::EncodeHrefPath(fragment);
    return true;
}

std::vector<litgen::NavigationEntry> CEpubPublication::TourEntries() const {
    const CPackageManifest& package = *m_input.package;
    if (package.Tours().empty())
        return {};
    // The chapter tour the metadata names, else the first tour.
    std::string tourId;
    for (const auto& meta : package.Metas())
        if (meta.name == "ms-chaptertour")
            tourId = meta.content;
    const CPackageManifest::Tour* tour = &package.Tours().front();
    for (const auto& candidate : package.Tours())
        if (!tourId.empty() && candidate.id == tourId)
            tour = &candidate;
    // Sites are written as the table-of-contents page wrote its links: relative to it.
    std::string base;
    for (const auto& reference : package.Guide())
        if (reference.type == "toc")
            base = litgen::ResolveLink(reference.href, "").path;
    std::vector<litgen::NavigationEntry> entries;
    for (const auto& site : tour->sites) {
        litgen::NavigationEntry entry;
        for (const std::string& from : {base, std::string()}) {
            const litgen::LinkTarget target = litgen::ResolveLink(site.href, from);
            if (target.local && MakeEntry(site.title, target.path.empty() ? from : target.path, target.fragment, entry)) {
                entries.push_back(entry);
                break;
            }
        }
    }
    return entries;
}

std::vector<litgen::NavigationEntry> CEpubPublication::TocPageEntries() const {
    std::vector<litgen::NavigationEntry> entries;
    for (const auto& item : *m_input.items) {
        for (const auto& link : item->links) {
            litgen::NavigationEntry entry;
            if (MakeEntry(link.text, link.path, link.fragment, entry) &&
                (entries.empty() || entries.back().href != entry.href))
                entries.push_back(entry);
        }
    }
    return entries;
}

std::vector<litgen::NavigationEntry> CEpubPublication::ReadingOrderEntries(
    const std::vector<const CEBookItem*>& spine) const {
    std::vector<litgen::NavigationEntry> entries;
    for (const CEBookItem* item : spine) {
        litgen::NavigationEntry entry;
        if (MakeEntry(item->title, item->href, "", entry))
            entries.push_back(entry);
    }
    return entries;
}

CEpubPublication::CEpubPublication(const Input& input) : m_input(input) {
    const CPackageManifest& package = *input.package;
    const auto& items = *input.items;
    m_lowerNames = {leaf::ToLowerAscii(input.packageDocumentName), "mimetype"};
    for (const auto& item : items) {
        m_lowerNames.insert(leaf::ToLowerAscii(item->archiveName));
        m_byHref.emplace(item->href, item.get());
        m_byLowerHref.emplace(leaf::ToLowerAscii(item->href), item.get());
    }
    m_navigationName = FreeName("nav.xhtml");
    m_lowerNames.insert(leaf::ToLowerAscii(m_navigationName));
    m_ncxName = FreeName("toc.ncx");

    // Manifest ids: the package's own where they are XML ids and unique.
    std::map<const CEBookItem*, std::string> ids;
    std::set<std::string> taken = {"nav", "ncx"};
    for (const auto& item : items)
        if (litgen::IsXmlId(item->id) && taken.insert(item->id).second)
            ids[item.get()] = item->id;
    int number = 0;
    for (const auto& item : items) {
        if (ids.contains(item.get()))
            continue;
        std::string id;
        do
            id = "item-" + std::to_string(++number);
        while (!taken.insert(id).second);
        ids[item.get()] = id;
    }

    // The cover picture.
    const CEBookItem* cover = nullptr;
    for (const std::string& type : CoverTypes())
        for (const auto& reference : package.Guide())
            if (cover == nullptr && reference.type == type) {
                std::string fragment;
                const CEBookItem* item = GuideItem(reference, fragment);
                // Only a picture every reader shows may be the cover image.
                if (item && item->kind == CEBookItem::Kind::Binary && item->epubMediaType.starts_with("image/") &&
                    litgen::IsCoreMediaType(item->epubMediaType))
                    cover = item;
            }

    // The reading order: the package's pages, then every other page, out of the linear order.
    std::vector<const CEBookItem*> spine;
    std::set<const CEBookItem*> inSpine;
    for (const std::string& idref : package.Spine())
        for (const auto& item : items)
            if (item->id == idref && item->kind == CEBookItem::Kind::Html && inSpine.insert(item.get()).second) {
                spine.push_back(item.get());
                break;
            }
    std::vector<const CEBookItem*> auxiliary;
    for (const auto& item : items)
        if (item->kind == CEBookItem::Kind::Html && !inSpine.contains(item.get()))
            auxiliary.push_back(item.get());
    if (spine.empty() && !auxiliary.empty()) {
        spine.push_back(auxiliary.front());
        auxiliary.erase(auxiliary.begin());
    }

    // The guide: references to pages are kept (and give landmarks); others become meta entries.
    std::string guide;
    std::vector<litgen::Landmark> landmarks;
    std::vector<std::pair<std::string, std::string>> otherReferences;
    for (const auto& reference : package.Guide()) {
        std::string fragment;
        const CEBookItem* item = GuideItem(reference, fragment);
        if (item == nullptr)
            continue;
        std::string href = litgen::EncodeHrefPath(item->archiveName);
        if (!fragment.empty() && item->ids.contains(fragment))
            href += "#" + litgen::EncodeHrefPath(fragment);
        if (item->kind != CEBookItem::Kind::Html) {
            otherReferences.emplace_back(reference.type, href);
            continue;
        }
        std::string type = reference.type;
        guide += "    <reference" + Attribute("type", type) +
                 (reference.title.empty() ? "" : Attribute("title", reference.title)) + Attribute("href", href) +
                 " />\n";
        for (const LandmarkType& landmark : kLandmarkTypes) {
            if (type != landmark.guideType)
                continue;
            const bool known = std::any_of(landmarks.begin(), landmarks.end(), [&](const litgen::Landmark& other) {
                return other.type == landmark.epubType;
            });
            if (!known)
                landmarks.push_back({landmark.epubType, reference.title.empty() ? type : reference.title, href});
        }
    }

    litgen::EpubMetadata metadata = litgen::MakeEpubMetadata(package, input.fallbackTitle, input.modified,
                                                             cover ? ids[cover] : std::string());
    // Guide references to items that are not pages are kept as meta entries of their type.
    std::string referenceMetas;
    for (const auto& [type, href] : otherReferences)
        referenceMetas += "    <meta" + Attribute("name", type) + Attribute("content", href) + " />\n";
    metadata.xml.insert(metadata.xml.rfind("  </metadata>"), referenceMetas);

    std::vector<litgen::NavigationEntry> entries = TourEntries();
    if (entries.empty())
        entries = TocPageEntries();
    if (entries.empty())
        entries = ReadingOrderEntries(spine);
    const bool navigationInSpine = spine.empty();
    if (entries.empty())
        entries.push_back({metadata.title, litgen::EncodeHrefPath(m_navigationName)});
    m_navigationDocument = litgen::MakeNavigationDocument(metadata.title, metadata.language, entries, landmarks);
    m_ncx = litgen::MakeNcx(metadata.title, metadata.uniqueIdentifierValue, entries);

    std::string& opf = m_packageDocument;
    opf = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\"" +
          Attribute("unique-identifier", metadata.uniqueIdentifierId) +
          (metadata.usesPackageVocabulary ? Attribute("prefix", std::string(litgen::kPackageVocabularyPrefix) + ": " +
                                                                    litgen::kPackageVocabularyIri)
                                          : std::string()) +
          ">\n";
    opf += metadata.xml;
    opf += "  <manifest>\n";
    opf += "    <item id=\"nav\"" + Attribute("href", litgen::EncodeHrefPath(m_navigationName)) +
           " media-type=\"application/xhtml+xml\" properties=\"nav\" />\n";
    opf += "    <item id=\"ncx\"" + Attribute("href", litgen::EncodeHrefPath(m_ncxName)) +
           " media-type=\"application/x-dtbncx+xml\" />\n";
    for (const auto& item : items) {
        std::string properties;
        if (item.get() == cover)
            properties = "cover-image";
        if (item->scripted)
            properties = "scripted";
        opf += "    <item" + Attribute("id", ids[item.get()]) +
               Attribute("href", litgen::EncodeHrefPath(item->archiveName)) + Attribute("media-type", item->epubMediaType) +
               (properties.empty() ? "" : Attribute("properties", properties)) + " />\n";
    }
    opf += "  </manifest>\n  <spine toc=\"ncx\">\n";
    if (navigationInSpine)
        opf += "    <itemref idref=\"nav\" />\n";
    for (const CEBookItem* item : spine)
        opf += "    <itemref" + Attribute("idref", ids[item]) + " />\n";
    for (const CEBookItem* item : auxiliary)
        opf += "    <itemref" + Attribute("idref", ids[item]) + " linear=\"no\" />\n";
    opf += "  </spine>\n";
    if (!guide.empty())
        opf += "  <guide>\n" + guide + "  </guide>\n";
    opf += "</package>\n";
}
