#pragma once

// One item of the e-book as the compiler keeps it: what the package says of it, the
// content the control streamed, and what the writer learned of a page as it streamed.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "outside/litgen/StoredContent.h"
#include "outside/litgen/XhtmlSerializer.h"

struct CEBookItem {
    enum class Kind { Package, Css, Html, Binary };
    enum class State { Waiting, Streaming, Ended };

    Kind kind = Kind::Binary;
    std::string id;
    std::string href;       // relative to the work folder, '/' separated
    std::string archiveName;  // its name in the e-book: the href, or a safe name (ArchiveNames.h)
    std::string mediaType;
    std::string epubMediaType;  // as the package document names it (EpubMediaTypes.h)
    std::string filePath;   // the work copy: work folder + href
    State state = State::Waiting;
    // While it streams, the content; once stored, the bytes the archive holds (when they
    // could not be spooled).
    std::string content;
    bool stored = false;    // ended and in the form the archive holds (deflated or as it is)
    litgen::StoredForm form;
    bool spooled = false;   // the stored bytes were moved to the writer's spool file
    std::uint64_t spoolOffset = 0;
    std::uint64_t spoolLength = 0;

    // Pages (Kind::Html) once ended.
    std::string title;
    bool scripted = false;
    std::set<std::string> ids;                   // the ids of its elements, the targets of fragments
    std::vector<CXhtmlSerializer::Link> links;   // kept for the table-of-contents page only
    std::vector<CXhtmlSerializer::FragmentLink> fragmentLinks;  // checked once every page has ended
};
