// Arbitrary bytes as one line of a style sheet: the colour rewriting must finish, leave
// a line that a second rewriting does not change, and grow the line by at most six
// characters per "color" in it. The same bytes as style-sheet text: the url(...) scan
// must finish and find no more targets than the text has "url(" and "@import", none of
// them empty. The same bytes as a style sheet that the filter converts with the build's
// maps of outside and renamed pictures (names that differ only in case among them): the
// conversion must succeed and keep every line.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/StyleSheetUrls.h"
#include "platform/base/File.h"
#include "platform/base/TextEncoding.h"
#include "sdk/control/CssInputFilter.h"
#include "tests/fuzz/FuzzScratchFile.h"
#include "tests/sdk/compiler/RecordingStreams.h"

namespace {

using leaf::fuzz::Check;

size_t CountColor(const std::string& text) {
    size_t count = 0;
    for (size_t at = text.find("color"); at != std::string::npos; at = text.find("color", at + 1))
        ++count;
    return count;
}

// The style sheet converted in a folder of the work folder, as the conversion pass runs
// it; the number of lines it wrote.
size_t ConvertedLines(const std::string& input) {
    const std::string folder = leaf::fuzz::ScratchFolder("leaf-fuzz-css");
    const std::string source = folder + "/book/css/style.css";
    const std::string destination = folder + "/work/css/style.css";
    std::filesystem::create_directories(folder + "/book/css");
    std::filesystem::create_directories(folder + "/work/css");
    FILE* file = std::fopen(source.c_str(), "wb");
    Check(file != nullptr);
    Check(input.empty() || std::fwrite(input.data(), 1, input.size(), file) == input.size());
    std::fclose(file);

    // As the control enters them: each file under its own name, and the first of two
    // names that differ only in case under its lower-cased name too.
    const CPageLinkMapper::WorkPathMap outside = {{"/art/Logo.gif", "external/Logo.gif"},
                                                  {"/art/logo.gif", "external/logo1.gif"},
                                                  {"/art/o&2.gif", "external/o&2.gif"}};
    const CPageLinkMapper::WorkPathMap converted = {{folder + "/book/pics/A.gif", folder + "/work/pics/A1.gif"},
                                                    {folder + "/book/pics/b#1.gif", folder + "/work/pics/b#2.gif"}};
    CCssInputFilter filter;
    filter.SetWorkPaths(&outside, &converted, folder + "/book", folder + "/work");
    compilertest::RecordingHost host;
    Check(filter.Convert(leaf::Utf8ToUtf16(source).c_str(), leaf::Utf8ToUtf16(destination).c_str(), 0, &host) == S_OK);
    std::string written;
    Check(leaf::ReadFileBytes(destination, written));
    return static_cast<size_t>(std::count(written.begin(), written.end(), '\n'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string line = input;
    BOOL changed = CCssInputFilter::RewriteLine(line);
    Check((changed != FALSE) == (line != input));
    Check(line.size() <= input.size() + 6 * CountColor(input));
    std::string again = line;
    Check(CCssInputFilter::RewriteLine(again) == FALSE && again == line);

    std::string lower = input;
    for (char& ch : lower)
        ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + ('a' - 'A') : ch);
    size_t openings = 0;
    for (const char* opening : {"url(", "@import"})
        for (size_t at = lower.find(opening); at != std::string::npos; at = lower.find(opening, at + 1))
            ++openings;
    const std::vector<std::string> urls = leaf::FindStyleSheetUrls(input);
    Check(urls.size() <= openings);
    for (const std::string& url : urls)
        Check(!url.empty() && url.find('#') == std::string::npos);
    // Each value's place lies within the text, after the one before it.
    size_t last = 0;
    for (const leaf::StyleSheetUrl& url : leaf::FindStyleSheetUrlSpans(input)) {
        Check(last <= url.begin && url.begin <= url.end && url.end <= input.size());
        last = url.end;
    }

    // Every line of the input is written, ended as the input ended it.
    Check(ConvertedLines(input) == static_cast<size_t>(std::count(input.begin(), input.end(), '\n')));
    return 0;
}
