#include "portable/trace_format.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace agent::win {
namespace {

using Cases = std::pair<std::u16string, std::string>[];

TEST(TraceFormatTest, TextsAreEscapedSoThatOneRequestStaysOneLine) {
    for (const auto& [text, quoted] :
         Cases{{u"\\Spd=150\\\\Pit=127\\Hi", R"("\\Spd=150\\\\Pit=127\\Hi")"},
               {u"say \"hi\"", R"("say \"hi\"")"},
               {u"a\r\nb\tc", R"("a\r\nb\tc")"},
               {u"a\x01\x1B\x7F", R"("a\u0001\u001B\u007F")"},
               {u"a\u0085b\u2028c\u2029", R"("a\u0085b\u2028c\u2029")"},
               {u"x\xD800y\xDC00", R"("x\uD800y\uDC00")"},  // lone surrogates
               {u"\u00E9\U0001F600", "\"\xC3\xA9\xF0\x9F\x98\x80\""}}) {
        EXPECT_EQ(TraceQuoted(text), quoted);
    }
    for (const auto& [id, token] : Cases{{u"Ren\u00E9", "Ren\xC3\xA9"},
                                         {u"", R"("")"},
                                         {u"Old Merlin", R"("Old Merlin")"},
                                         {u"a\u00A0z", "\"a\xC2\xA0z\""}}) {
        EXPECT_EQ(TraceToken(id), token);
    }
}

TEST(TraceFormatTest, LinesJoinTheirPartsAndNoLineBreakOfAnyKindSurvivesInThem) {
    std::u16string everything;
    for (char16_t c = 0; c < 0x3000; ++c) everything += c;
    const std::string line = TraceLine("request", "Speak", u"My Merlin").Text(everything).str();
    EXPECT_EQ(line.rfind(R"(request Speak "My Merlin" "\u0000\u0001)", 0), 0u);
    for (const std::string_view breaker : {"\n", "\r", "\v", "\f", "\x1C", "\x1D", "\x1E",
                                           "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"}) {
        EXPECT_EQ(line.find(breaker), std::string::npos) << "breaker found";
    }
}

// The text read aloud may be megabytes long: the trace keeps its start and its length.
TEST(TraceFormatTest, LongTextsAreCutToTheirStartAndLength) {
    const std::u16string a200(kTraceTextLimit, u'a');
    const std::string quoted200 = '"' + std::string(kTraceTextLimit, 'a') + '"';
    const struct {
        const char* name;
        std::u16string text;
        std::string line;
    } cases[] = {
        {"short: whole", u"Hello", R"(request Speak Merlin "Hello")"},
        {"at the limit: whole", a200, "request Speak Merlin " + quoted200},
        {"one more: start and length", a200 + u"b", "request Speak Merlin " + quoted200 + " 201"},
        {"a pair at the limit is not split", a200.substr(1) + u"😀",
         "request Speak Merlin \"" + std::string(kTraceTextLimit - 1, 'a') + "\" 201"},
        {"megabytes", std::u16string(4u << 20, u'&'),
         "request Speak Merlin \"" + std::string(kTraceTextLimit, '&') + "\" 4194304"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TraceLine("request", "Speak", u"Merlin").Excerpt(c.text).str(), c.line) << c.name;
    }
}

}  // namespace
}  // namespace agent::win
