#pragma once

// What the Word stand-in reads from a document in its XML package form (".docx"): the
// bookmarks of the main text with their character positions, and the built-in document
// properties of docProps/core.xml and docProps/app.xml under Word's property names.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>


namespace wordstub {

struct DocxBookmark {
    std::string name;
    long start = 0;  // characters (UTF-16 units, paragraph ends and tabs count one) before it
};

// A property value: text, a whole number or a date.
struct DocxPropertyValue {
    enum class Kind { Text, Number, Date } kind = Kind::Text;
    std::string text;
    long number = 0;
    double date = 0;  // an automation date, local time
};

struct DocxContent {
    std::vector<DocxBookmark> bookmarks;                      // in document order
    std::map<std::string, DocxPropertyValue> properties;      // keyed by Word's property name
};

// True when the file starts like a ZIP archive (the package form).
bool LooksLikePackage(const std::string& path);

// Reads a package file; nullopt when it is not a readable package with a main document.
std::optional<DocxContent> ReadDocxPackage(const std::string& path);

// The readers of the single parts (also used by the fuzz target).
// Bookmarks of word/document.xml; hidden ones (names starting with '_') are left out, as
// Word's own collection leaves them out. False when the text is not well-formed enough
// to read.
bool ReadBookmarks(std::string_view documentXml, std::vector<DocxBookmark>& bookmarks);
void ReadCoreProperties(std::string_view coreXml, std::map<std::string, DocxPropertyValue>& properties);
void ReadAppProperties(std::string_view appXml, std::map<std::string, DocxPropertyValue>& properties);

// The kind of a built-in property by its Word name; nullopt for a name Word does not have.
std::optional<DocxPropertyValue::Kind> BuiltInPropertyKind(std::string_view name);

// "2024-03-01T10:20:30Z" (and the shorter forms) as an automation date in local time;
// nullopt when it does not read.
std::optional<double> ParseW3cDate(std::string_view text);

}  // namespace wordstub
