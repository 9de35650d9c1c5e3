#include "outside/word/DocxPackage.h"

#include <zip.h>

#include <cctype>
#include <cstdio>
#include <ctime>
#include <memory>

#include "outside/word/XmlScanner.h"
#include "platform/base/File.h"

namespace wordstub {

namespace {

// Parts larger than this are not read (a package is a few megabytes at most).
constexpr zip_uint64_t kMaxPartSize = 256u * 1024u * 1024u;

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

std::optional<std::string> ReadPart(zip_t* archive, const char* name) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive, name, ZIP_FL_NOCASE, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        stat.size > kMaxPartSize)
        return std::nullopt;
    zip_file_t* file = zip_fopen_index(archive, stat.index, 0);
    if (file == nullptr)
        return std::nullopt;
    std::string data(static_cast<std::size_t>(stat.size), '\0');
    zip_int64_t read = data.empty() ? 0 : zip_fread(file, data.data(), data.size());
    zip_fclose(file);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        return std::nullopt;
    return data;
}

// UTF-16 units that a piece of UTF-8 text takes.
long Utf16Length(std::string_view text) {
    long units = 0;
    for (unsigned char ch : text) {
        if ((ch & 0xC0) == 0x80)
            continue;
        units += ch >= 0xF0 ? 2 : 1;
    }
    return units;
}

struct PropertyName {
    const char* part;       // element's local name in core.xml or app.xml
    const char* wordName;   // Word's built-in name
    DocxPropertyValue::Kind kind;
};

using Kind = DocxPropertyValue::Kind;

constexpr PropertyName kCoreProperties[] = {
    {"title", "Title", Kind::Text},
    {"subject", "Subject", Kind::Text},
    {"creator", "Author", Kind::Text},
    {"keywords", "Keywords", Kind::Text},
    {"description", "Comments", Kind::Text},
    {"lastModifiedBy", "Last Author", Kind::Text},
    {"revision", "Revision Number", Kind::Text},
    {"lastPrinted", "Last Print Date", Kind::Date},
    {"created", "Creation Date", Kind::Date},
    {"modified", "Last Save Time", Kind::Date},
    {"category", "Category", Kind::Text},
    {"contentStatus", "Content Status", Kind::Text},
    {"language", "Language", Kind::Text},
};

constexpr PropertyName kAppProperties[] = {
    {"Template", "Template", Kind::Text},
    {"TotalTime", "Total Editing Time", Kind::Number},
    {"Pages", "Number of Pages", Kind::Number},
    {"Words", "Number of Words", Kind::Number},
    {"Characters", "Number of Characters", Kind::Number},
    {"Application", "Application Name", Kind::Text},
    {"DocSecurity", "Security", Kind::Number},
    {"Lines", "Number of Lines", Kind::Number},
    {"Paragraphs", "Number of Paragraphs", Kind::Number},
    {"Company", "Company", Kind::Text},
    {"Manager", "Manager", Kind::Text},
    {"HyperlinkBase", "Hyperlink Base", Kind::Text},
    {"CharactersWithSpaces", "Number of Characters (with spaces)", Kind::Number},
};

// Names Word knows that no part of the package stores.
constexpr PropertyName kOtherBuiltIns[] = {
    {"", "Format", Kind::Text},
    {"", "Number of Bytes", Kind::Number},
    {"", "Number of Slides", Kind::Number},
    {"", "Number of Notes", Kind::Number},
    {"", "Number of Hidden Slides", Kind::Number},
    {"", "Number of Multimedia Clips", Kind::Number},
};

bool NamesEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

DocxPropertyValue MakeValue(Kind kind, const std::string& text) {
    DocxPropertyValue value;
    value.kind = kind;
    value.text = text;
    if (kind == Kind::Number) {
        value.number = std::strtol(text.c_str(), nullptr, 10);
    } else if (kind == Kind::Date) {
        std::optional<double> date = ParseW3cDate(text);
        if (!date) {
            value.kind = Kind::Text;
            value.text.clear();
        } else {
            value.date = *date;
        }
    }
    return value;
}

// The text of each child of the root element, by the child's local name.
template <std::size_t N>
void ReadRootChildren(std::string_view xml, const PropertyName (&names)[N],
                      std::map<std::string, DocxPropertyValue>& properties) {
    XmlScanner scanner(xml);
    std::string current;
    std::string text;
    for (;;) {
        XmlScanner::Token token = scanner.Next();
        if (token == XmlScanner::Token::End || token == XmlScanner::Token::Error)
            return;
        if (token == XmlScanner::Token::StartElement && scanner.Depth() == 2) {
            current.assign(scanner.LocalName());
            text.clear();
        } else if (token == XmlScanner::Token::Text && scanner.Depth() == 2) {
            text += scanner.Text();
        } else if (token == XmlScanner::Token::EndElement && scanner.Depth() == 1 && !current.empty()) {
            for (const PropertyName& name : names)
                if (current == name.part && !text.empty())
                    properties[name.wordName] = MakeValue(name.kind, text);
            current.clear();
        }
    }
}

}  // namespace

bool LooksLikePackage(const std::string& path) {
    // Opened as a file must be: a FIFO or device is no package (and a FIFO's open would
    // wait for a writer).
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary))
        return false;
    unsigned char magic[4] = {};
    try {
        return file.Read(magic, 4) == 4 && magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4;
    } catch (const CFileException&) {
        return false;
    }
}

std::optional<DocxContent> ReadDocxPackage(const std::string& path) {
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(path.c_str(), ZIP_RDONLY, &error));
    if (!archive)
        return std::nullopt;
    std::optional<std::string> document = ReadPart(archive.get(), "word/document.xml");
    if (!document)
        return std::nullopt;
    DocxContent content;
    if (!ReadBookmarks(*document, content.bookmarks))
        return std::nullopt;
    if (std::optional<std::string> core = ReadPart(archive.get(), "docProps/core.xml"))
        ReadCoreProperties(*core, content.properties);
    if (std::optional<std::string> app = ReadPart(archive.get(), "docProps/app.xml"))
        ReadAppProperties(*app, content.properties);
    return content;
}

bool ReadBookmarks(std::string_view documentXml, std::vector<DocxBookmark>& bookmarks) {
    bookmarks.clear();
    XmlScanner scanner(documentXml);
    long position = 0;
    bool inText = false;  // inside w:t (or w:delText, which does not count)
    bool countText = false;
    int inProperties = 0;  // inside w:pPr or w:rPr
    for (;;) {
        switch (scanner.Next()) {
        case XmlScanner::Token::End:
            return true;
        case XmlScanner::Token::Error:
            return false;
        case XmlScanner::Token::Text:
            if (inText && countText)
                position += Utf16Length(scanner.Text());
            break;
        case XmlScanner::Token::StartElement: {
            std::string_view name = scanner.LocalName();
            if (name == "t" || name == "delText") {
                inText = true;
                countText = name == "t";
            } else if (name == "tab" || name == "br" || name == "cr" || name == "sym" || name == "noBreakHyphen") {
                // A tab inside paragraph or run properties is a tab stop, not a character.
                if (inProperties == 0)
                    ++position;
            } else if (name == "pPr" || name == "rPr") {
                ++inProperties;
            } else if (name == "bookmarkStart") {
                std::string bookmark = scanner.Attribute("name");
                if (!bookmark.empty() && bookmark[0] != '_')
                    bookmarks.push_back({std::move(bookmark), position});
            }
            break;
        }
        case XmlScanner::Token::EndElement: {
            std::string_view name = scanner.LocalName();
            if (name == "t" || name == "delText")
                inText = false;
            else if ((name == "pPr" || name == "rPr") && inProperties > 0)
                --inProperties;
            else if (name == "p")
                ++position;
            break;
        }
        }
    }
}

void ReadCoreProperties(std::string_view coreXml, std::map<std::string, DocxPropertyValue>& properties) {
    ReadRootChildren(coreXml, kCoreProperties, properties);
}

void ReadAppProperties(std::string_view appXml, std::map<std::string, DocxPropertyValue>& properties) {
    ReadRootChildren(appXml, kAppProperties, properties);
}

std::optional<DocxPropertyValue::Kind> BuiltInPropertyKind(std::string_view name) {
    for (const PropertyName& known : kCoreProperties)
        if (NamesEqualNoCase(name, known.wordName))
            return known.kind;
    for (const PropertyName& known : kAppProperties)
        if (NamesEqualNoCase(name, known.wordName))
            return known.kind;
    for (const PropertyName& known : kOtherBuiltIns)
        if (NamesEqualNoCase(name, known.wordName))
            return known.kind;
    return std::nullopt;
}

std::optional<double> ParseW3cDate(std::string_view text) {
    int year = 0, month = 1, day = 1, hour = 0, minute = 0;
    double second = 0;
    char zone[8] = {};
    std::string copy(text.substr(0, 64));
    int fields = std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%7s", &year, &month, &day, &hour, &minute,
                             &second, zone);
    if (fields < 1 || year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || !(second >= 0 && second < 61))
        return std::nullopt;
    std::tm utc{};
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    utc.tm_sec = static_cast<int>(second);
    time_t when = timegm(&utc);
    // Times with a zone (or "Z") are moved into local time, as Word shows them.
    std::tm local{};
    if (fields >= 7 && zone[0] != '\0') {
        int offsetHours = 0, offsetMinutes = 0;
        if ((zone[0] == '+' || zone[0] == '-') && std::sscanf(zone + 1, "%2d:%2d", &offsetHours, &offsetMinutes) >= 1)
            when -= (zone[0] == '-' ? -1 : 1) * (offsetHours * 3600 + offsetMinutes * 60);
        localtime_r(&when, &local);
    } else {
        gmtime_r(&when, &local);
    }
    time_t asUtc = timegm(&local);
    // Automation dates count days from 30 December 1899.
    return static_cast<double>(asUtc) / 86400.0 + 25569.0;
}

}  // namespace wordstub
