#pragma once

// The links of a page that the word processor saved for a Word document. The word
// processor writes the page into the filter's temporary folder, with its pictures in a
// folder beside it, and its links relative to that folder. In the book the page takes
// the document's place, and the files beside the page are reported as lying beside the
// document, so every link of the page is rewritten to name the file where the book
// holds it: relative to the document's folder when it lies inside the book's source
// folder, as its full path otherwise (the build gives such pictures and style sheets
// their place in the book by that path).

#include <optional>
#include <string>
#include <string_view>

struct CWordPagePlaces {
    std::string pagePath;        // the page the word processor wrote
    std::string documentPath;    // the Word document it was saved from
    std::string sourceFolder;    // the book's source folder; "" when not known
};

// The page with the values of its src and href attributes rewritten (the rest of the
// text stays as it is).
std::string RewriteWordPageLinks(std::string_view html, const CWordPagePlaces& places);

// One link as written in the page (character references already read): the link to
// write instead, or nullopt when it stays (web addresses and other schemes, fragments
// of the page itself, empty links).
std::optional<std::string> MapWordPageLink(const std::string& link, const CWordPagePlaces& places);
