// The NCX that EPUB 2 readers use: entries that open the same place share one play
// order, and the play orders follow the distinct places in the order they first appear.

#include <gtest/gtest.h>

#include <regex>

#include "outside/litgen/EpubNavigation.h"

namespace {

std::vector<std::string> PlayOrders(const std::string& ncx) {
    std::vector<std::string> orders;
    const std::regex point(R"re(playOrder="(\d+)".*?<content src="([^"]*)")re");
    for (auto it = std::sregex_iterator(ncx.begin(), ncx.end(), point); it != std::sregex_iterator(); ++it)
        orders.push_back((*it)[1].str() + " " + (*it)[2].str());
    return orders;
}

TEST(EpubNavigationTest, NcxEntriesOfOnePlaceShareItsPlayOrder) {
    // A contents page that links to its first chapter twice (once from its footer).
    const std::vector<litgen::NavigationEntry> entries = {
        {"One", "one.html"}, {"Two", "two.html"}, {"Two, part", "two.html#p"}, {"One again", "one.html"},
        {"Three", "three.html"}};
    const std::string ncx = litgen::MakeNcx("Book", "uid", entries);
    EXPECT_EQ(PlayOrders(ncx), (std::vector<std::string>{"1 one.html", "2 two.html", "3 two.html#p", "1 one.html",
                                                         "4 three.html"}));
    // Every navPoint keeps an id of its own.
    EXPECT_NE(ncx.find("id=\"navpoint-4\""), std::string::npos);
    EXPECT_NE(ncx.find("id=\"navpoint-5\""), std::string::npos);
}

}  // namespace
