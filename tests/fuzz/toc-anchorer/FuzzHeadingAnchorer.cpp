// Arbitrary bytes as an HTML source: anchoring its headings must finish; a source without
// headings must stay byte for byte as it was; a second run over the rewritten source must
// report the same headings; and, for a source without quote characters, a third run must
// leave what the second wrote unchanged (ids are renumbered the same way). A rebuilt tag
// whose quotes do not pair up is read differently after each rebuild, so its text is not
// expected to settle.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/File.h"
#include "studio/project/HeadingAnchorer.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace {

using leaf::fuzz::Check;

struct Entries {
    std::vector<std::string> lines;
    static BOOL Add(int level, const CString& text, const CString& id, void* context) {
        static_cast<Entries*>(context)->lines.push_back(std::to_string(level) + "|" + text.str() + "|" + id.str());
        return TRUE;
    }
};

const std::string& Folder() {
    static const std::string& folder = [] () -> const std::string& {
        const std::string& made = leaf::fuzz::ScratchFolder("fuzz-toc-anchorer");
        // Replaced sources go to a trash of the target's own, emptied after each input.
        setenv("XDG_DATA_HOME", (made + "/data").c_str(), 1);
        return made;
    }();
    return folder;
}

std::string ReadAll(const std::string& path) {
    std::string contents;
    Check(leaf::ReadFileBytes(path, contents));
    return contents;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "/page.htm";
    const std::string input(reinterpret_cast<const char*>(data), size);
    Check(leaf::WriteFileAtomically(path, input));
    const std::vector<CString> tags{"<h1>", "<h2>", "<p class=Head>"};

    Entries first;
    CHeadingAnchorer anchorer(&Entries::Add, nullptr, &first);
    Check(anchorer.AnchorHeadings(path.c_str(), 1, tags, "TOC") == TRUE);
    if (first.lines.empty()) Check(ReadAll(path) == input);

    Entries second;
    CHeadingAnchorer again(&Entries::Add, nullptr, &second);
    Check(again.AnchorHeadings(path.c_str(), 1, tags, "TOC") == TRUE);
    Check(second.lines == first.lines);
    const std::string twice = ReadAll(path);

    Entries third;
    CHeadingAnchorer last(&Entries::Add, nullptr, &third);
    Check(last.AnchorHeadings(path.c_str(), 1, tags, "TOC") == TRUE);
    Check(third.lines == first.lines);
    if (input.find_first_of("'\"") == std::string::npos) Check(ReadAll(path) == twice);
    std::error_code error;
    std::filesystem::remove_all(Folder() + "/data", error);
    return 0;
}
