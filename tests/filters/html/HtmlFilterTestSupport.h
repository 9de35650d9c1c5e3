#pragma once

// A fixture that holds one CHtmlFilter (as the build control holds it, by reference
// count) and a folder of pages for it to read.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filters/html/HtmlFilter.h"
#include "platform/base/TextEncoding.h"
#include "tests/filters/html/RecordingHost.h"
#include "tests/support/TempFolder.h"

namespace htmltest {

class HtmlFilterTest : public ::testing::Test {
protected:
    HtmlFilterTest() : filter(new CHtmlFilter) { filter->AddRef(); }
    ~HtmlFilterTest() override { filter->Release(); }

    // Writes a file below the test's folder; returns its full path.
    std::string Page(const std::string& relativePath, const std::string& contents = "<p>x</p>\n") const {
        return folder.WriteFile(relativePath, contents);
    }
    std::string PathOf(const std::string& relativePath) const { return folder / relativePath; }

    // Runs Prepare on the page with the walk's depth and the mapping folder (none when
    // empty); returns its result.
    HRESULT Prepare(const std::string& source, int level, const std::string& mapping = "") {
        filter->SetWalkLinkLevel(level);
        std::u16string wideSource = leaf::Utf8ToUtf16(source);
        std::u16string wideMapping = leaf::Utf8ToUtf16(mapping);
        return filter->Prepare(wideSource.c_str(), mapping.empty() ? nullptr : wideMapping.c_str(), &host);
    }

    // The reported paths relative to the test's folder ("!" + path for those outside it).
    std::vector<std::string> Reported() const {
        std::vector<std::string> paths;
        const std::string prefix = folder.Path().string() + "/";
        for (const std::string& path : host.Paths())
            paths.push_back(path.starts_with(prefix) ? path.substr(prefix.size()) : "!" + path);
        return paths;
    }

    leaf::test::TempFolder folder;
    RecordingHost host;
    CHtmlFilter* filter;
};

}  // namespace htmltest
