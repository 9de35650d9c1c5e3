#pragma once

// CFontUsageScanner: finds the font families that a book's style sheets and pages name,
// each with the weight and style it is asked for, and the characters of the text that
// is set in it.
//
// It is a deliberate approximation of a browser's cascade, good enough to tell which
// fonts a book needs and roughly which characters:
// - style sheets are read first (AddStyleSheet); a page uses the sheets it links with
//   <link rel="stylesheet" href="..."> that were added, and its own <style> elements;
// - a rule applies to an element when the last compound of one of its selectors
//   matches the element's tag name, classes and id (descendant context, attribute
//   selectors and pseudo-classes are ignored; "*" matches every element);
// - rules apply in the order they appear (sheets before <style> elements), without
//   regard to specificity; then <font face="...">, then the element's style attribute;
// - b, strong, th and h1-h6 are bold, i, em, cite, var and address italic, unless a
//   rule says otherwise; family, weight and style are inherited by child elements;
// - the text of an element counts for every family of its family list (not only the
//   one a reader would pick); white space and control characters are not counted.
//
// Input is a file's bytes: UTF-16 of either byte order after its byte-order mark, else
// UTF-8 (a byte that is not valid UTF-8 is read as Windows-1252; a UTF-8 mark is passed
// over).

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "outside/fontembedder/CssRules.h"

namespace fontembed {

struct FontUsage {
    std::string family;  // as first written
    LONG weight = kWeightNormal;
    bool italic = false;
    std::set<char32_t> characters;
    std::string externalUrl;  // the url of an @font-face source that declares the family
};

class CFontUsageScanner {
public:
    // A style sheet file of the book: its rules are kept for the pages that link it, and
    // the families it names are recorded.
    void AddStyleSheet(const std::string& path, std::string_view bytes);
    // A page of the book (HTML or XHTML).
    void ScanPage(const std::string& path, std::string_view bytes);

    // Every family named so far, one entry per family (without regard to ASCII case),
    // weight and style, in the order first met.
    std::vector<FontUsage> Usages() const;

private:
    struct FontState {
        std::vector<std::string> families;
        LONG weight = kWeightNormal;
        bool italic = false;
    };
    using UsageKey = std::tuple<std::string, LONG, bool>;

    void RecordRules(const std::vector<CssRule>& rules);
    FontUsage& UsageFor(const std::string& family, LONG weight, bool italic);
    void AddText(const FontState& state, std::u32string_view text);

    std::map<std::string, std::vector<CssRule>> m_sheets;  // by normalised path
    std::map<std::string, std::string> m_external;  // lower-cased family -> @font-face url
    std::map<UsageKey, size_t> m_index;
    std::vector<FontUsage> m_usages;
};

}  // namespace fontembed
