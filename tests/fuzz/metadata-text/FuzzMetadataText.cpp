// Fuzzes the text rules of the Source Files and Properties workspaces that read stored
// project data and names typed by the author: attribute texts of metadata values, file-as
// suggestions, the sort keys of list cells, smart sort over file names, list
// column texts, browse filters and verb command lines. The input is cut at NUL bytes
// into up to four fields.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "studio/workspace/CreatorFields.h"
#include "studio/workspace/SourceListLogic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && fields.size() < 4) fields.emplace_back();
        else fields.back() += static_cast<char>(data[i]);
    }
    fields.resize(4);
    const CString a(fields[0]), b(fields[1]);

    leaf::AttributeValue(a.c_str(), "role");
    leaf::AttributeValue(a.c_str(), "file-as");
    leaf::CreatorAttributes(a.c_str(), b.c_str());
    leaf::SuggestFileAs(a.c_str());
    leaf::CreatorFields roles(b.c_str());
    roles.GetRoleName(a.c_str());

    for (int value : {1, 2, 4, 8, 16, 32, 0x208, 0x220, 64}) {
        int forward = leaf::CompareSourceTexts(a, b, value);
        int backward = leaf::CompareSourceTexts(b, a, value);
        if (forward != -backward) __builtin_trap();   // the order must be antisymmetric
    }

    std::vector<CString> paths = {a, b, CString(fields[2]), CString(fields[3])};
    std::vector<int> order = leaf::SmartSortOrder({3, 1, 0, 2}, paths);
    if (std::set<int>(order.begin(), order.end()) != std::set<int>{0, 1, 2, 3}) __builtin_trap();

    leaf::ParseColumnSpecs(a.c_str());
    leaf::FilterExtensions(a);
    leaf::SplitCommandLine(leaf::VerbCommandLine(a, b));
    leaf::DisplayPath(a, b);
    return 0;
}
