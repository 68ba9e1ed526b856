#include "portable/trace_format.h"

#include <gtest/gtest.h>

#include <string>

namespace agent::win {
namespace {

struct QuotedCase {
    const char* name;
    std::u16string text;
    std::string expected;
};

class TraceQuotedTest : public ::testing::TestWithParam<QuotedCase> {};

TEST_P(TraceQuotedTest, EscapesSoThatOneRequestStaysOneLine) {
    EXPECT_EQ(TraceQuoted(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TraceQuotedTest,
    ::testing::Values(QuotedCase{"Empty", u"", R"("")"},
                      QuotedCase{"SpeechTags", u"\\Spd=150\\\\Pit=127\\Good morning",
                                 R"("\\Spd=150\\\\Pit=127\\Good morning")"},
                      QuotedCase{"Quote", u"say \"hi\"", R"("say \"hi\"")"},
                      QuotedCase{"LineEnds", u"a\r\nb\tc", R"("a\r\nb\tc")"},
                      QuotedCase{"OtherControls", u"a\x01\x1B\x7F", R"("a\u0001\u001B\u007F")"},
                      QuotedCase{"UnicodeLineBreaks", u"a\u0085b\u2028c\u2029",
                                 R"("a\u0085b\u2028c\u2029")"},
                      QuotedCase{"LoneSurrogates", u"x\xD800y\xDC00", R"("x\uD800y\uDC00")"},
                      QuotedCase{"Accents", u"d\u00E9j\u00E0", "\"d\xC3\xA9j\xC3\xA0\""},
                      QuotedCase{"EmojiPair", u"\U0001F600", "\"\xF0\x9F\x98\x80\""},
                      QuotedCase{"Cjk", u"\u4E2D\u6587", "\"\xE4\xB8\xAD\xE6\x96\x87\""}),
    [](const auto& tested) { return tested.param.name; });

struct TokenCase {
    const char* name;
    std::u16string id;
    std::string expected;
};

class TraceTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TraceTokenTest, IdsAreBareOnlyWhenUnambiguous) {
    EXPECT_EQ(TraceToken(GetParam().id), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Ids, TraceTokenTest,
                         ::testing::Values(TokenCase{"Plain", u"Merlin", "Merlin"},
                                           TokenCase{"Accented", u"Ren\u00E9", "Ren\xC3\xA9"},
                                           TokenCase{"Space", u"Old Merlin", R"("Old Merlin")"},
                                           TokenCase{"NoBreakSpace", u"a\u00A0b",
                                                     "\"a\xC2\xA0"
                                                     "b\""},
                                           TokenCase{"Empty", u"", R"("")"},
                                           TokenCase{"Backslash", u"a\\b", R"("a\\b")"},
                                           TokenCase{"Quote", u"\"", R"("\"")"}),
                         [](const auto& tested) { return tested.param.name; });

TEST(TraceLineTest, JoinsKindNameIdAndArguments) {
    EXPECT_EQ(TraceLine("request", "Speak", u"Merlin").Text(u"\\Spd=150\\Hi").str(),
              R"(request Speak Merlin "\\Spd=150\\Hi")");
    EXPECT_EQ(TraceLine("event", "Hide", u"Merlin").Number(7).str(), "event Hide Merlin 7");
    EXPECT_EQ(TraceLine("request", "Show", u"My Merlin").str(), R"(request Show "My Merlin")");
    EXPECT_EQ(TraceLine("request", "LanguageID", u"Merlin").Number(1036).Text(u"x").str(),
              R"(request LanguageID Merlin 1036 "x")");
}

// A reader splitting the file at any Unicode line break must still see one line per request.
TEST(TraceLineTest, NoLineBreakOfAnyKindSurvivesInALine) {
    std::u16string everything;
    for (char16_t c = 0; c < 0x3000; ++c) everything += c;
    const std::string line = TraceLine("request", "Speak", u"Merlin").Text(everything).str();
    for (const std::string_view breaker : {"\n", "\r", "\v", "\f", "\x1C", "\x1D", "\x1E",
                                           "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"})
        EXPECT_EQ(line.find(breaker), std::string::npos) << "breaker found";
}

}  // namespace
}  // namespace agent::win
