#pragma once

// Reads a converted document back with the byte scanner and checks that its elements nest
// the way the build control's encoder demands: every start tag is closed by an end tag of
// the same name (letter case counting) before its parent is, empty elements (the table's
// empty flag, a name or attribute text ending in '/') need no end tag, the XML
// declaration and the document type are passed over, and nothing is left open.

#include <string>
#include <string_view>
#include <vector>

#include "markup/MarkupParser.h"
#include "markup/MarkupTables.h"
#include "platform/base/CString.h"

namespace leaf::test {

class NestingChecker : public CMarkupParser {
public:
    // True when the file parses to its end and nests properly; problem() tells otherwise.
    bool Check(const std::string& path) {
        m_open.clear();
        m_problem.clear();
        m_tags = 0;
        const int result = ParseFile(path);
        if (result != 0 && m_problem.empty()) m_problem = "parse result " + std::to_string(result);
        if (m_problem.empty() && !m_open.empty()) m_problem = "left open: <" + m_open.back() + ">";
        return m_problem.empty();
    }
    const std::string& problem() const { return m_problem; }
    size_t tags() const { return m_tags; }

protected:
    char TranslateChar(char ch) override { return ch; }

    BOOL OnTag(std::string_view tagName, std::string_view attributes, BOOL endTag, int line) override {
        ++m_tags;
        std::string name(tagName);
        bool empty = false;
        if (!name.empty() && name.back() == '/') {
            name.pop_back();
            empty = true;
        }
        if (leaf::EqualsNoCase(name, "?xml") || leaf::EqualsNoCase(name, "!doctype")) return TRUE;
        if (leaf::markup::GetTagFlags(name) & leaf::markup::kTagEmpty) empty = true;
        if (!endTag) {
            std::vector<CString> items;
            SplitAttributes(attributes, items);
            if (!items.empty() && items.back() == "/") empty = true;
            if (!empty) {
                m_open.push_back(name);
                return TRUE;
            }
            return TRUE;  // an empty element closes itself
        }
        if (!m_open.empty() && m_open.back() == name) {
            m_open.pop_back();
            return TRUE;
        }
        if (empty) return TRUE;
        m_problem = "</" + name + "> on line " + std::to_string(line) + " while <" +
                    (m_open.empty() ? std::string() : m_open.back()) + "> is open";
        return FALSE;
    }

private:
    std::vector<std::string> m_open;
    std::string m_problem;
    size_t m_tags = 0;
};

}  // namespace leaf::test
