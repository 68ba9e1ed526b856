// ASCII case folding is the same in every locale and leaves every other character alone.
#include "win32util/ascii.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using win32util::ContainsIgnoringAsciiCase;
using win32util::EqualsIgnoringAsciiCase;
using win32util::StartsWithIgnoringAsciiCase;

TEST(AsciiCase, FoldsOnlyTheAsciiLetters) {
    EXPECT_EQ(win32util::AsciiLower('Q'), 'q');
    EXPECT_EQ(win32util::AsciiUpper('q'), 'Q');
    EXPECT_EQ(win32util::AsciiLower(u'Z'), u'z');
    EXPECT_EQ(win32util::AsciiUpper(u'a'), u'A');
    // Neighbours of the letter ranges, and letters outside ASCII, stay as they are.
    for (const char c : std::string_view("@[`{09 ")) {
        EXPECT_EQ(win32util::AsciiLower(c), c) << c;
        EXPECT_EQ(win32util::AsciiUpper(c), c) << c;
    }
    EXPECT_EQ(win32util::AsciiLower(u'\u00C9'), u'\u00C9');  // É
    EXPECT_EQ(win32util::AsciiUpper(u'\u00E9'), u'\u00E9');  // é
    EXPECT_EQ(win32util::AsciiLower(static_cast<char>(0xC9)), static_cast<char>(0xC9));
}

TEST(AsciiCase, ComparesNarrowTextIgnoringCase) {
    struct Case {
        std::string_view a, b;
        bool equal;
    };
    for (const Case& c :
         {Case{"PageUp", "pageup", true}, Case{".ACS", ".acs", true}, Case{"", "", true},
          Case{"Ctrl", "Ctr", false}, Case{"Ctr", "Ctrl", false}, Case{"Alt", "Alr", false},
          // "É" and "é" in UTF-8 differ in a byte that is no ASCII letter.
          Case{"\xC3\x89", "\xC3\xA9", false}}) {
        EXPECT_EQ(EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    }
    EXPECT_TRUE(StartsWithIgnoringAsciiCase("Merlin.ACS", "MERLIN"));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase("Mer", "Merlin"));
    EXPECT_TRUE(ContainsIgnoringAsciiCase("x=1\r\nCHARACTER=Merlin", "character="));
    EXPECT_FALSE(ContainsIgnoringAsciiCase("Characte", "character"));
    EXPECT_TRUE(ContainsIgnoringAsciiCase("anything", ""));
}

TEST(AsciiCase, ComparesUtf16TextIgnoringCase) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase(u"Edit", u"EDIT"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(u"\u00C9dit", u"\u00E9dit"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(u"Edit", u"Edit2"));
    EXPECT_TRUE(StartsWithIgnoringAsciiCase(u"RichEdit20W", u"richedit"));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase(u"Rich", u"richedit"));
}

}  // namespace
