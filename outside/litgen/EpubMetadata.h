#pragma once

// The metadata element of the e-book's package document, made from the book's Dublin
// Core records and x-metadata entries: each record that has an EPUB form gets it (title,
// creator and contributor with their role and file-as, identifier, language, date,
// publisher, subject, description, rights and the other Dublin Core elements, with the
// language and direction of their text), and every other record and entry is kept as a
// meta element. A record's attributes are matched without their "opf:" prefix; those
// that EPUB has no form for refine its element in the package's own vocabulary, or, for
// a record kept as a meta element, follow it as meta elements of their own. The book always has what
// EPUB requires: a title, a language (kUndeterminedLanguage when the book names none
// that is valid), the unique identifier and the time of modification.

#include <string>

#include "outside/litgen/PackageManifest.h"

namespace litgen {

// The language written when the book names none: "undetermined" (BCP 47), not a guess.
inline constexpr const char* kUndeterminedLanguage = "und";

// The vocabulary of the package's record attributes that EPUB has no form for: each is
// kept as a refinement of its record's element, "leafcraft:NAME".
inline constexpr const char* kPackageVocabularyPrefix = "leafcraft";
inline constexpr const char* kPackageVocabularyIri = "urn:leafcraft:package-attribute:";

struct EpubMetadata {
    std::string xml;                   // the metadata element
    std::string uniqueIdentifierId;    // the id the package's unique-identifier names
    std::string uniqueIdentifierValue;
    std::string title;
    std::string language;
    bool usesPackageVocabulary = false;  // the package document declares kPackageVocabularyPrefix
};

// fallbackTitle: the title when the book has none. modified: "CCYY-MM-DDThh:mm:ssZ".
// coverItemId: the manifest id of the cover picture, or empty.
EpubMetadata MakeEpubMetadata(const CPackageManifest& package, const std::string& fallbackTitle,
                              const std::string& modified, const std::string& coverItemId);

// Whether a text is a well-formed language tag (BCP 47 syntax: subtags of letters and
// digits, 1 to 8 characters, the first of letters).
bool IsLanguageTag(const std::string& tag);

// Whether a text is an XML name without a colon, as ids must be.
bool IsXmlId(const std::string& text);

}  // namespace litgen
