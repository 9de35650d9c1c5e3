// Arbitrary bytes as a table-of-contents page: the collector must finish, and every link
// it reports has an href and a title of at most 50 characters (then "...").

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "sdk/control/TOCLinkCollector.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace {

using leaf::fuzz::Check;

std::string PagePath() {
    return leaf::fuzz::ScratchFile("leaf-fuzz-toc", "toc.htm");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(PagePath().c_str(), "wb");
    Check(file != nullptr);
    Check(std::fwrite(data, 1, size, file) == size);
    std::fclose(file);

    CTocLinkCollector collector;
    std::vector<CTocLink> links;
    collector.ParseFile(PagePath(), links);
    for (const CTocLink& link : links) {
        Check(!link.href.empty() && !link.title.empty());
        Check(link.title.size() <= CTocLinkCollector::kMaxTitleLength + 3);
        if (link.title.size() > CTocLinkCollector::kMaxTitleLength)
            Check(link.title.ends_with(u"..."));
    }
    return 0;
}
