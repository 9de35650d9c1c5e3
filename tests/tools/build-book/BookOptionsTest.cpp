// build-book's command line: what is accepted, where each value goes, and what is
// refused with which reason.

#include <gtest/gtest.h>

#include "tools/build-book/BookOptions.h"

namespace {

using Arguments = std::vector<std::string>;

TEST(BookOptions, TakesOutputThenSourcesInTheirOrder) {
    CBookOptions options;
    std::string error;
    ASSERT_EQ(ParseOutcome::Build,
              ParseBookOptions({"--title", "A Tale", "out.lit", "b.html", "a.html", "c.txt"}, options, error));
    EXPECT_EQ("out.lit", options.outputPath);
    EXPECT_EQ((Arguments{"b.html", "a.html", "c.txt"}), options.sources);
    EXPECT_EQ("A Tale", options.title);
    EXPECT_FALSE(options.embedFonts);
}

TEST(BookOptions, ValuesComeAsTheNextArgumentOrAfterAnEqualsSign) {
    CBookOptions options;
    std::string error;
    ASSERT_EQ(ParseOutcome::Build,
              ParseBookOptions({"--author=Jo = Bloggs", "--publisher", "--toc", "--toc=toc.html", "--embed-fonts",
                                "out.lit", "toc.html"},
                               options, error));
    EXPECT_EQ("Jo = Bloggs", options.author);
    EXPECT_EQ("--toc", options.publisher);  // a value may look like an option
    EXPECT_EQ("toc.html", options.tocPage);
    EXPECT_TRUE(options.embedFonts);
}

TEST(BookOptions, DoubleDashEndsTheOptions) {
    CBookOptions options;
    std::string error;
    ASSERT_EQ(ParseOutcome::Build, ParseBookOptions({"--", "--odd.lit", "-page.html"}, options, error));
    EXPECT_EQ("--odd.lit", options.outputPath);
    EXPECT_EQ((Arguments{"-page.html"}), options.sources);
}

TEST(BookOptions, HelpNeedsNothingElse) {
    CBookOptions options;
    std::string error;
    EXPECT_EQ(ParseOutcome::Help, ParseBookOptions({"--help"}, options, error));
    EXPECT_EQ(ParseOutcome::Help, ParseBookOptions({"out.lit", "-h"}, options, error));
}

struct RefusedCase {
    std::string name;
    Arguments arguments;
    std::string reason;
};

class BookOptionsRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(BookOptionsRefused, SaysWhy) {
    CBookOptions options;
    std::string error;
    EXPECT_EQ(ParseOutcome::Error, ParseBookOptions(GetParam().arguments, options, error));
    EXPECT_EQ(GetParam().reason, error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BookOptionsRefused,
    testing::Values(RefusedCase{"Nothing", {}, "no output file given"},
                    RefusedCase{"OnlyOptions", {"--title", "T"}, "no output file given"},
                    RefusedCase{"NoSource", {"out.lit"}, "no source file given"},
                    RefusedCase{"UnknownOption", {"--colour", "red", "out.lit", "a.html"}, "unknown option --colour"},
                    RefusedCase{"FlagWithValue", {"--embed-fonts=yes", "out.lit", "a.html"},
                                "option --embed-fonts takes no value"},
                    RefusedCase{"MissingValue", {"out.lit", "a.html", "--title"}, "option --title needs a value"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

}  // namespace
