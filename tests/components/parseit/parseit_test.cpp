#include "parseit/parseit.h"

#include <gtest/gtest.h>

namespace {

struct TokenCase {
    long position;
    const char* text;
    const char* separator;
    const char* token;
};

class NextTokenTest : public testing::TestWithParam<TokenCase> {};

TEST_P(NextTokenTest, ReturnsTheRunUpToTheNextSeparator) {
    const TokenCase& c = GetParam();
    EXPECT_EQ(parseit::NextToken(c.position, c.text, c.separator), c.token);
}

INSTANTIATE_TEST_SUITE_P(
    Contract, NextTokenTest,
    testing::Values(TokenCase{0, "a\r\nbc", "\r\n", "a"},
                    TokenCase{3, "a\r\nbc", "\r\n", "bc"},  // last token runs to the end
                    TokenCase{5, "a\r\nbc", "\r\n", ""},    // at the end
                    TokenCase{99, "a\r\nbc", "\r\n", ""},   // beyond the end
                    TokenCase{-1, "a\r\nbc", "\r\n", ""},   // before the start
                    TokenCase{0, "\r\nx", "\r\n", ""},      // empty line
                    TokenCase{1, "a\r\nb", "\r\n", ""},     // at a separator
                    TokenCase{2, "a\r\nb", "\r\n", "\nb"},  // inside one: no whole
                                                            // separator follows
                    TokenCase{0, "abc", "", "abc"},         // empty separator never matches
                    TokenCase{0, "x||y", "||", "x"}));

}  // namespace
