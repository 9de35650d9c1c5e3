#include "tests/sdk/builds/BuildsTestSupport.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <regex>

#include "platform/base/File.h"

namespace buildstest {

namespace fs = std::filesystem;
using leaf::Variant;

namespace {

std::string Lower(std::string text) {
    for (char& ch : text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

}  // namespace

std::string NestingFault(const std::string& markup) {
    std::vector<std::string> open;
    size_t at = 0;
    while ((at = markup.find('<', at)) != std::string::npos) {
        if (markup.compare(at, 4, "<!--") == 0) {
            size_t end = markup.find("-->", at + 4);
            if (end == std::string::npos)
                return "a comment is not closed";
            at = end + 3;
            continue;
        }
        // The XML declaration, the document type and CDATA sections open nothing.
        if (markup.compare(at, 9, "<![CDATA[") == 0 || markup.compare(at, 2, "<?") == 0 ||
            markup.compare(at, 2, "<!") == 0) {
            const char* close = markup.compare(at, 9, "<![CDATA[") == 0 ? "]]>" : markup[at + 1] == '?' ? "?>" : ">";
            size_t end = markup.find(close, at + 2);
            if (end == std::string::npos)
                return "a declaration is not closed";
            at = end + std::string(close).size();
            continue;
        }
        size_t end = markup.find('>', at);
        if (end == std::string::npos)
            return "a tag is not closed at " + std::to_string(at);
        std::string tag = markup.substr(at + 1, end - at - 1);
        at = end + 1;
        if (!tag.empty() && tag[0] == '/') {
            std::string name = tag.substr(1);
            if (open.empty())
                return "</" + name + "> closes nothing";
            if (open.back() != name)
                return "</" + name + "> closes <" + open.back() + ">";
            open.pop_back();
            continue;
        }
        if (!tag.empty() && tag.back() == '/')
            continue;  // started without content
        std::string name = tag.substr(0, tag.find(' '));
        if (name.empty())
            return "a tag without a name";
        open.push_back(name);
        // The text of style and script is raw: it runs to their end tag.
        if (Lower(name) == "style" || Lower(name) == "script") {
            size_t close = markup.find("</" + name + ">", at);
            if (close == std::string::npos)
                return "<" + name + "> is not closed";
            at = close;
        }
    }
    if (!open.empty())
        return "<" + open.back() + "> is left open";
    return "";
}

std::string CollapseSpace(const std::string& text) {
    std::string collapsed;
    for (char ch : text) {
        if (std::isspace(static_cast<unsigned char>(ch))) {
            if (!collapsed.empty() && collapsed.back() != ' ')
                collapsed += ' ';
        } else {
            collapsed += ch;
        }
    }
    if (!collapsed.empty() && collapsed.back() == ' ')
        collapsed.pop_back();
    return collapsed;
}

std::string TextOf(const std::string& markup) {
    std::string text;
    bool inTag = false;
    // A whole document's text is its body's.
    const size_t body = markup.find("<body");
    for (char ch : std::string_view(markup).substr(body == std::string::npos ? 0 : body)) {
        if (ch == '<')
            inTag = true;
        else if (ch == '>' && inTag)
            inTag = false;
        else if (!inTag)
            text += ch;
    }
    static const std::pair<const char*, const char*> references[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&nbsp;", " "},
        {"&ldquo;", "\u201C"}, {"&rdquo;", "\u201D"}, {"&middot;", "\u00B7"}, {"&amp;", "&"}};
    for (const auto& [reference, character] : references)
        for (size_t at = text.find(reference); at != std::string::npos; at = text.find(reference, at + 1))
            text.replace(at, std::string(reference).size(), character);
    return CollapseSpace(text);
}

std::vector<ManifestEntry> ManifestOf(const std::string& package) {
    std::vector<ManifestEntry> entries;
    static const std::regex item("<item\\b([^>]*)>");
    auto attribute = [](const std::string& attributes, const std::string& name) {
        std::smatch match;
        std::regex pattern("\\b" + name + "=\"([^\"]*)\"");
        return std::regex_search(attributes, match, pattern) ? match[1].str() : std::string();
    };
    for (auto match = std::sregex_iterator(package.begin(), package.end(), item); match != std::sregex_iterator();
         ++match) {
        const std::string attributes = (*match)[1].str();
        entries.push_back({attribute(attributes, "id"), attribute(attributes, "href"),
                           attribute(attributes, "media-type")});
    }
    return entries;
}

std::vector<std::string> SpineOf(const std::string& package) {
    std::vector<std::string> ids;
    static const std::regex itemref("<itemref\\b[^>]*\\bidref=\"([^\"]*)\"");
    for (auto match = std::sregex_iterator(package.begin(), package.end(), itemref);
         match != std::sregex_iterator(); ++match)
        ids.push_back((*match)[1].str());
    return ids;
}

std::vector<std::string> LinkValues(const std::string& markup, const std::string& attribute, bool withFragments) {
    std::vector<std::string> values;
    const std::regex pattern("\\b" + attribute + "=\"([^\"]*)\"");
    for (auto match = std::sregex_iterator(markup.begin(), markup.end(), pattern); match != std::sregex_iterator();
         ++match) {
        std::string value = (*match)[1].str();
        for (const auto& [reference, character] : {std::pair<const char*, const char*>{"&quot;", "\""},
                                                   {"&apos;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}})
            for (size_t at = value.find(reference); at != std::string::npos; at = value.find(reference, at + 1))
                value.replace(at, std::string(reference).size(), character);
        if (!withFragments)
            value = value.substr(0, value.find('#'));
        std::string decoded;
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '%' && i + 2 < value.size() && std::isxdigit(static_cast<unsigned char>(value[i + 1])) &&
                std::isxdigit(static_cast<unsigned char>(value[i + 2]))) {
                decoded += static_cast<char>(std::stoi(value.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                decoded += value[i];
            }
        }
        values.push_back(decoded);
    }
    return values;
}

std::string EntryHolding(const std::map<std::string, std::string>& entries, const std::string& text) {
    for (const auto& [name, contents] : entries)
        if (!name.ends_with(".opf") && !name.ends_with(".ncx") && !name.ends_with("nav.xhtml") &&
            contents.find(text) != std::string::npos)
            return name;
    return "";
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(leaf::ReadFileBytes(path, bytes)) << path;
    return bytes;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void EBookBuild::SetUp() {
    profile.WriteProfileString("SDK", "TempFolder", (folder / "work").c_str());
    profile.WriteProfileInt("SDK", "FriendlyTempFolder", 1);
}

void EBookBuild::StartControl(const std::string& controlModule) {
    const std::string module =
        fs::path(controlModule).is_absolute() ? controlModule : leaf::test::BinDir() + "/" + controlModule;
    ASSERT_TRUE(leaf::test::RegisterModule(module)) << module;
    for (const char* filter : {"markupintake.so", "pictureintake.so", "plainintake.so"})
        ASSERT_TRUE(leaf::test::RegisterModule(filter)) << filter;
    control = sdktest::SdkControl::Create();
    ASSERT_NE(nullptr, control.Get());
    ASSERT_TRUE(control.Initialize());
    sink = leaf::ComPtr<sdktest::EventSink>(new sdktest::EventSink());
    control.Advise(sink.Get());
}

void EBookBuild::Prepare(const std::vector<std::string>& spine) {
    for (const std::string& source : spine)
        ASSERT_TRUE(control.AddSourceFile(source, LCF_SPINE)) << source << ": " << control.ErrorCode();
    ASSERT_TRUE(control.PrepareEBook()) << control.ErrorCode() << " " << control.ErrorDetails();
}

bool EBookBuild::Build(const std::string& eBookPath, sdktest::SdkControl::EBookCheck check) const {
    fs::create_directories(fs::path(eBookPath).parent_path());
    const bool built = control.BuildEBook({Variant(eBookPath), Variant("")}, check);
    if (!built)
        std::cerr << "build failed: " << control.ErrorCode() << " " << control.ErrorDetails() << "\n";
    return built;
}

std::vector<std::string> EBookBuild::Messages() const {
    std::vector<std::string> messages;
    for (const std::string& event : sink->events)
        if (event.rfind("message ", 0) == 0)
            messages.push_back(event.substr(8));
    return messages;
}

}  // namespace buildstest
