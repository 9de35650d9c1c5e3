#pragma once

// The e-book's navigation: the navigation document (EPUB 3: a table of contents and the
// landmarks) and the NCX that EPUB 2 readers use, from the same entries. Both files lie
// beside the package document, so entry hrefs are publication paths.

#include <string>
#include <vector>

namespace litgen {

struct NavigationEntry {
    std::string title;
    std::string href;  // publication path, percent-escaped, with its fragment
};

struct Landmark {
    std::string type;  // the epub:type ("toc", "bodymatter", "titlepage", ...)
    std::string title;
    std::string href;
};

std::string MakeNavigationDocument(const std::string& bookTitle, const std::string& language,
                                   const std::vector<NavigationEntry>& entries, const std::vector<Landmark>& landmarks);
std::string MakeNcx(const std::string& bookTitle, const std::string& uniqueIdentifier,
                    const std::vector<NavigationEntry>& entries);

}  // namespace litgen
