#pragma once

// CPageLinkMapper: turns the links of one page in the work folder (href and src values,
// and the url()s of its style elements and style attributes) into the places of the
// items they name in the e-book: a file from outside the source folder becomes its copy
// in "external", a converted source its page, a file that took another name (its name
// differed from another's only in letter case) that name. A relative link is read from
// the page's own folder, so that pages in subfolders find their neighbours, and the
// result is written relative to the page again. Links the maps do not know are kept.

#include <map>
#include <string>

class CPageLinkMapper {
public:
    using WorkPathMap = std::map<std::string, std::string>;

    // outsideItems: source path -> path relative to the work folder; convertedItems:
    // source path -> work path (absolute, or relative to the source and work folders).
    // Either may be null. sourceFolder and workFolder are absolute; when either is empty
    // links are looked up only as written.
    CPageLinkMapper(const WorkPathMap* outsideItems, const WorkPathMap* convertedItems, std::string sourceFolder,
                    std::string workFolder);

    // The page (its path in the work folder) whose links are mapped next.
    void SetPage(const std::string& pagePath);

    // The link as the book must write it; `link` itself when the maps do not know it.
    // Fragments are kept; web addresses and links within the page are not touched. A
    // resource (a picture's src, a url()) is never mapped to the page that a source was
    // converted into, only to a renamed copy of the file itself: a picture that is also
    // a page of the reading order stays a picture.
    enum class Kind { Hyperlink, Resource };
    std::string Map(const std::string& link, Kind kind = Kind::Hyperlink) const;

    // The style-sheet text with its url()s mapped.
    std::string MapStyleUrls(const std::string& css) const;

private:
    // The item's place in the work folder (absolute), or empty.
    std::string FindWorkPath(const std::string& sourcePath, Kind kind) const;
    static const std::string* Find(const WorkPathMap* map, const std::string& key);

    const WorkPathMap* m_outsideItems;
    const WorkPathMap* m_convertedItems;
    std::string m_sourceFolder;
    std::string m_workFolder;
    std::string m_pageWorkFolder;    // the page's folder in the work folder
    std::string m_pageSourceFolder;  // the same folder below the source folder
};
