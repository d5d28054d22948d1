#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "StringUtil.h"

using Lines = std::vector<std::string>;

TEST(StringUtil, SplitStringToArrayKeepsOnlyCompleteLines)
{
    EXPECT_EQ(SplitStringToArray("\r\nOK\r\n"), (Lines{"\r", "OK\r"}));
    EXPECT_EQ(SplitStringToArray("\r\nOK\r"), (Lines{"\r"}));
    EXPECT_EQ(SplitStringToArray("no line feed"), Lines{});
    EXPECT_EQ(SplitStringToArray("a\n\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitStringToArray(""), Lines{});
    EXPECT_EQ(SplitStringToArray("中文\r\n"), (Lines{"中文\r"}));
}

TEST(StringUtil, SplitStringByCharKeepsInnerEmptyFields)
{
    EXPECT_EQ(SplitStringByChar("a,,b", ','), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitStringByChar(",a", ','), (Lines{"", "a"}));
    EXPECT_EQ(SplitStringByChar("a,", ','), (Lines{"a"}));
    EXPECT_EQ(SplitStringByChar("abc", ','), (Lines{"abc"}));
    EXPECT_EQ(SplitStringByChar("", ','), Lines{});
    EXPECT_EQ(SplitStringByChar(",", ','), (Lines{""}));
}

TEST(StringUtil, Replace)
{
    EXPECT_EQ(StringReplaceChar("a,b,c", ',', ';'), "a;b;c");

    std::string text = "one\\ntwo\\n";
    StringReplace(text, "\\n", "\n");
    EXPECT_EQ(text, "one\ntwo\n");

    text = "aa";
    StringReplace(text, "a", "aa");
    EXPECT_EQ(text, "aaaa");

    text = "unchanged";
    StringReplace(text, "", "x");
    EXPECT_EQ(text, "unchanged");
}

TEST(StringUtil, TrimChar)
{
    EXPECT_EQ(TrimChar("\"a\"", '"'), "a");
    EXPECT_EQ(TrimChar("\"\"", '"'), "\"\"");
    EXPECT_EQ(TrimChar("\"\"\"", '"'), "\"");
    EXPECT_EQ(TrimChar("", '"'), "");
    EXPECT_EQ(TrimChar("  x  ", ' '), " x ");
}

TEST(StringUtil, TrimAllChar)
{
    EXPECT_EQ(TrimAllChar("   23,99   ", ' '), "23,99");
    // The carriage-return run stops at the line feed at each end.
    EXPECT_EQ(TrimAllChar("\r\nERROR\r\n", '\r'), "\nERROR\r\n");
    // At most 101 passes of one byte each.
    EXPECT_EQ(TrimAllChar(std::string(150, ' ') + "x", ' '), std::string(49, ' ') + "x");
    EXPECT_EQ(TrimAllChar("  ", ' '), "  ");
}

TEST(StringUtil, GetCurTimeStrPadsEveryField)
{
    const std::string before = GetCurTimeStr();
    EXPECT_TRUE(std::regex_match(before, std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})"))) << before;
}
