#pragma once

// What the whole-build tests share: a control and the real filters registered in the
// test's own registry, builds through the automation surface, and the e-book unpacked
// (it is a ZIP archive of the package file and its items) with checks of its markup.

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/registry/Profile.h"
#include "tests/sdk/control/SdkTestSupport.h"
#include "tests/support/EBookArchive.h"
#include "tests/support/EpubCheck.h"

namespace buildstest {

using leaf::test::UnpackEBook;

// The first nesting fault of re-serialised markup ("" when every element is closed in
// order): start, end and empty tags, comments, and the raw text of style and script.
std::string NestingFault(const std::string& markup);

// The text of markup without its tags (of its body, for a whole document), with the
// usual references decoded and every run of white space made one space.
std::string TextOf(const std::string& markup);
// White space runs made one space, the ends trimmed.
std::string CollapseSpace(const std::string& text);

struct ManifestEntry {
    std::string id, href, mediaType;
};
// The items a package file names, in order, and the ids its spine reads, in order.
std::vector<ManifestEntry> ManifestOf(const std::string& package);
std::vector<std::string> SpineOf(const std::string& package);

// The values of an attribute ("href", "src") in markup, in order, as a reader of the
// e-book reads them: references and "%XX" escapes decoded; without fragments, each
// value's path only.
std::vector<std::string> LinkValues(const std::string& markup, const std::string& attribute,
                                    bool withFragments = true);
// The name of the first entry other than the package file and the navigation that holds
// the text; "" when none does.
std::string EntryHolding(const std::map<std::string, std::string>& entries, const std::string& text);

std::string ReadBytes(const std::string& path);
// The names of the files in a folder (not below it), sorted.
std::vector<std::string> FilesIn(const std::string& folder);

// A control created by ProgID, with the HTML, picture and text filters registered, work
// folders below the test's folder named after the e-book, and a sink on its events.
class EBookBuild : public ::testing::Test {
protected:
    void SetUp() override;
    // Registers the control and the filters (after the control's module at controlModule,
    // a path relative to the build's bin folder or absolute), then creates and initialises it.
    void StartControl(const std::string& controlModule = "leafsdk.so");

    // Adds the sources as reading order and prepares the e-book.
    void Prepare(const std::vector<std::string>& spine);
    // Builds into the path (its folder is created); a failure is traced with its code, and
    // the e-book of a build that succeeds is checked with epubcheck unless told otherwise.
    bool Build(const std::string& eBookPath,
               sdktest::SdkControl::EBookCheck check = sdktest::SdkControl::EBookCheck::Epubcheck) const;

    // The OnLITGenMessage events received, as "TYPE CODE TEXT|FILE LINE".
    std::vector<std::string> Messages() const;

    std::string WorkFolder(const std::string& name) const { return folder / ("work/" + name); }

    leaf::test::TempFolder folder;
    leaf::Profile profile{"Tallbrook Systems, Inc.", "Leafcraft"};
    sdktest::SdkControl control;
    leaf::ComPtr<sdktest::EventSink> sink;
};

}  // namespace buildstest
