// Arbitrary bytes as an HTML source: the title extractor must finish; a title it gives
// has its white space collapsed (no tab or line end, no space at either end, no two
// spaces in a row) and at most 1022 UTF-16 units; and written as a contents entry, the
// title cannot break the page: the entry stays one line holding exactly its own markup.

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/base/File.h"
#include "platform/base/TextEncoding.h"
#include "studio/project/TOCWriter.h"
#include "studio/project/TitleExtractor.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace {

using leaf::fuzz::Check;

void WriteAll(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr);
    Check(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string page = leaf::fuzz::ScratchFile("leaf-fuzz-title", "page.htm");
    WriteAll(page, data, size);

    CString title = "";
    CTitleExtractor extractor;
    extractor.GetTitle(CString(page), title);
    const std::string& text = title.str();
    if (text.empty()) return 0;
    Check(text.find_first_of("\t\n\r\f") == std::string::npos);
    Check(text.front() != ' ' && text.back() != ' ');
    Check(text.find("  ") == std::string::npos);
    Check(leaf::Utf8ToUtf16(text).size() <= CTitleExtractor::kTitleLimit);

    const std::string style = leaf::fuzz::ScratchFile("leaf-fuzz-title", "style.htt");
    const std::string toc = leaf::fuzz::ScratchFile("leaf-fuzz-title", "toc.htm");
    const uint8_t placeholder[] = "%TABLEOFCONTENTS%\n";
    WriteAll(style, placeholder, sizeof placeholder - 1);
    CTOCWriter writer(style.c_str());
    Check(writer.Open(toc.c_str()) == TRUE);
    Check(writer.AddEntry(1, CTOCWriter::EscapeText(title).c_str(), "a.htm") == TRUE);
    Check(writer.Close() == TRUE);
    std::string written;
    Check(leaf::ReadFileBytes(toc, written));
    const std::string head = "<div class=\"Level1\"><a class=\"Level1\" href=\"a.htm\">";
    const std::string tail = "</a></div>\n";
    Check(written.starts_with(head) && written.ends_with(tail));
    const std::string entry = written.substr(head.size(), written.size() - head.size() - tail.size());
    Check(entry.find_first_of("<>\"\n") == std::string::npos);
    return 0;
}
