#include "plugins/kestrin/AutoStrings.h"
#include "plugins/kestrin/CStrTokenizer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Items(const CStrTokenizer& t) {
    std::vector<std::string> items;
    for (size_t i = 0; i < t.Count(); ++i) items.push_back(t.Item(i));
    return items;
}

}  // namespace

TEST(AutoStringsTest, SplitInTwoCutsAtTheFirstSeparator) {
    struct Case {
        const char* text;
        size_t maxLength;
        const char* first;
        const char* rest;
    };
    const Case cases[] = {
        {"a&&b&&c", 0, "a", "b&&c"}, {"abc", 0, "abc", ""},       {"&&a", 0, "", "a"},
        {"a&&", 0, "a", ""},         {"abc&&def", 6, "abc", "d"}, {"abc&&def", 4, "abc&", ""},
    };
    for (const Case& c : cases) {
        char first[32], rest[32];
        ASSERT_EQ(0, SplitInTwo(c.text, first, sizeof first, rest, sizeof rest, "&&", c.maxLength));
        EXPECT_STREQ(c.first, first) << c.text;
        EXPECT_STREQ(c.rest, rest) << c.text;
    }
}

TEST(AutoStringsTest, SplitInTwoWritesWithinBoundsAndMayReuseTheText) {
    char text[] = "first-part&&second-part";
    char first[6];
    ASSERT_EQ(0, SplitInTwo(text, first, sizeof first, text, sizeof text, "&&", 0));
    EXPECT_STREQ("first", first);
    EXPECT_STREQ("second-part", text);

    char both[] = "left&&right";
    char rest[4];
    ASSERT_EQ(0, SplitInTwo(both, both, sizeof both, rest, sizeof rest, "&&", 0));
    EXPECT_STREQ("left", both);
    EXPECT_STREQ("rig", rest);

    char out[8];
    EXPECT_EQ(kSplitBadArgument, SplitInTwo("", out, sizeof out, out, sizeof out, "&&", 0));
    EXPECT_EQ(kSplitBadArgument, SplitInTwo(nullptr, out, sizeof out, out, sizeof out, "&&", 0));
    EXPECT_EQ(kSplitBadArgument, SplitInTwo("a", nullptr, 0, out, sizeof out, "&&", 0));
    EXPECT_EQ(kSplitBadArgument, SplitInTwo("a", out, 0, out, sizeof out, "&&", 0));
}

TEST(AutoStringsTest, TrimStringRemovesBlanksAtBothEnds) {
    char text[] = " \t name \r\n";
    EXPECT_EQ(6, TrimString(text, 0));
    EXPECT_STREQ("name", text);
    char limited[] = "  ab  cd";
    EXPECT_EQ(4, TrimString(limited, 6));
    EXPECT_STREQ("ab", limited);
    char empty[] = "";
    EXPECT_EQ(0, TrimString(empty, 0));
    EXPECT_EQ(0, TrimString(nullptr, 0));
    char blanks[] = "   ";
    EXPECT_EQ(3, TrimString(blanks, 0));
    EXPECT_STREQ("", blanks);
}

TEST(AutoStringsTest, TokenizerSplitsListsIntoItems) {
    struct Case {
        const char* text;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"a&&b", {"a", "b"}},    {"a&&", {"a", ""}}, {"&&a", {"", "a"}},
        {" a &&b ", {"a", "b"}}, {"one", {"one"}},   {"a&&&&b", {"a", "", "b"}},
    };
    for (const Case& c : cases) {
        CStrTokenizer t(c.text, "&&");
        EXPECT_EQ(c.items, Items(t)) << c.text;
    }
    CStrTokenizer untrimmed;
    untrimmed.SetTrim(false);
    untrimmed.SetSeparator("&&");
    ASSERT_TRUE(untrimmed.SetText(" a &&b"));
    EXPECT_EQ((std::vector<std::string>{" a ", "b"}), Items(untrimmed));
    EXPECT_EQ(nullptr, untrimmed.Item(2));
}

TEST(AutoStringsTest, TokenizerDefaultsAndFailures) {
    CStrTokenizer t;
    ASSERT_TRUE(t.SetText("x:y"));
    EXPECT_EQ((std::vector<std::string>{"x", "y"}), Items(t));
    // The trailing separator is recognised without regard to case.
    ASSERT_TRUE(t.SetSeparator("Q"));
    ASSERT_TRUE(t.SetText("aqbq"));
    EXPECT_EQ((std::vector<std::string>{"aqbq", ""}), Items(t));
    EXPECT_FALSE(t.SetText(""));
    EXPECT_EQ(0u, t.Count());
    EXPECT_FALSE(t.SetSeparator(""));
}
