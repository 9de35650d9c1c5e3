#pragma once

// Writes small Word documents in their package form (".docx") for the tests of the Word
// stand-in, the Word bridge and the Word filter: a body of paragraphs with bookmarks,
// and a title and author in the core properties.

#include <string>
#include <vector>

#include "tests/support/TestPictures.h"

namespace leaf::test {

struct DocxParagraph {
    std::string text;
    std::vector<std::string> bookmarks;  // start at the beginning of the paragraph
};

struct DocxFixture {
    std::vector<DocxParagraph> paragraphs;
    std::string title;
    std::string author;
    std::string created;  // W3C date, e.g. "2024-03-01T10:20:30Z"; none when empty
    // A 1x1 PNG picture in the first paragraph (for conversions that write pictures).
    bool withPicture = false;
    // Hyperlinks at the end of the first paragraph ("link 1", ...), to these targets as
    // written in the document (relative ones are relative to the document's folder).
    std::vector<std::string> hyperlinks;
    // A picture in the first paragraph that the document links to instead of holding it
    // (relative to the document's folder); none when empty.
    std::string linkedPicture;
    // A Normal style that sets the writing direction from left to right, as the documents
    // the office suite saves have (its HTML then gives paragraphs "direction: ltr").
    bool directionInStyles = false;

    // The package; false when it could not be written.
    bool Write(const std::string& path) const;
};

// The XML text of a minimal word/document.xml with these paragraphs (and the pictures and
// hyperlinks of the fixture, when one is given).
std::string DocumentXml(const std::vector<DocxParagraph>& paragraphs, bool withPicture = false,
                        const DocxFixture* extras = nullptr);

}  // namespace leaf::test
