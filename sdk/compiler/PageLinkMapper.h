#pragma once

// CPageLinkMapper: turns the links of one page in the work folder (href and src values,
// and the url()s of its style elements and style attributes) into the places of the
// items they name in the e-book: a file from outside the source folder becomes its copy
// in "external", a converted source its page, a file that took another name (its name
// differed from another's only in letter case) that name. A relative link is read from
// the page's own folder, so that pages in subfolders find their neighbours, and the
// result is written relative to the page again, escaped as a link must be ("%XX" for
// every byte a reader of the link would decode or end the path at), so that it reads
// back as the item's name. Links the maps do not know are kept as written.

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

    // The page (its path in the work folder) whose links are mapped next; the file it was
    // made from lies at the same place below the source folder.
    void SetPage(const std::string& pagePath);
    // The same for a page (or style sheet) made from the file at sourcePath, wherever
    // that lies: its relative links are read from sourcePath's folder.
    void SetPage(const std::string& pagePath, const std::string& sourcePath);

    // The link as the book must write it; `link` itself when the maps do not know it.
    // `link` is the value as the page means it (its character references decoded), in
    // which "%XX" escapes stand for bytes of the name. Fragments are kept as written; web
    // addresses and links within the page are not touched. A resource (a picture's src,
    // a url()) is never mapped to the page that a source was converted into, only to a
    // renamed copy of the file itself: a picture that is also a page of the reading
    // order stays a picture.
    enum class Kind { Hyperlink, Resource };
    std::string Map(const std::string& link, Kind kind = Kind::Hyperlink) const;

    // The style-sheet text with its url()s mapped.
    std::string MapStyleUrls(const std::string& css) const;

    // The place in the work folder (absolute) of the item made from the file at
    // sourcePath (absolute, not escaped); empty when the maps name none. The exact name
    // wins; only for a path that names no existing file does the file it matches without
    // regard to case answer (path::Resolve, as the link walk found it), else the maps'
    // lower-cased names.
    std::string FindWorkPath(const std::string& sourcePath, Kind kind) const;

private:
    static const std::string* Find(const WorkPathMap* map, const std::string& key);

    const WorkPathMap* m_outsideItems;
    const WorkPathMap* m_convertedItems;
    std::string m_sourceFolder;
    std::string m_workFolder;
    std::string m_pageWorkFolder;    // the page's folder in the work folder
    std::string m_pageSourceFolder;  // the same folder below the source folder
};
