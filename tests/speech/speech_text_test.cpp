#include "speech/speech_text.h"

#include <gtest/gtest.h>

#include "agent/core/speech_tags.h"

namespace vocalinka {
namespace {

TEST(Languages, AreFoundByTheirExactSettingOnly) {
    // What each row gives the character is proven where it is applied (speaking_character).
    for (const char* setting : {"English", "French"}) {
        ASSERT_NE(FindLanguage(setting), nullptr) << setting;
        EXPECT_EQ(FindLanguage(setting)->setting, setting);
    }
    for (const char* other : {"french", "ENGLISH", "", " English", "German"}) {
        EXPECT_EQ(FindLanguage(other), nullptr) << other;
    }
}

TEST(Greeting, NamesTheUserAndTheDateInTheLanguage) {
    EXPECT_EQ(GreetingText(FindLanguage("English"), u"anna", u"Sunday, 6 December 2026"),
              u"Hello anna. Today is Sunday, 6 December 2026.");
    EXPECT_EQ(GreetingText(FindLanguage("French"), u"Zoë", u"06 déc., 2026"),
              u"Bonjour Zoë. Aujourd'hui c'est le 06 déc., 2026.");
    EXPECT_EQ(GreetingText(FindLanguage("English"), u"", u"today"), u"Hello . Today is today.");
    EXPECT_EQ(GreetingText(nullptr, u"anna", u"today"), u"");
}

TEST(Greeting, ANameWithABackslashIsSpokenAsWritten) {
    const std::u16string greeting =
        GreetingText(FindLanguage("English"), u"DOMAIN\\anna", u"today");
    const auto spoken = agent::core::ParseSpeechTags(agent::core::EscapeSpeechText(greeting));
    EXPECT_EQ(spoken.ShownText(), greeting);
}

TEST(TaggedText, PutsSpeedThenPitchBeforeTheText) {
    EXPECT_EQ(TaggedText("150", "127", u"Good morning"), u"\\Spd=150\\\\Pit=127\\Good morning");
    EXPECT_EQ(TaggedText("127", "400", u"Ελληνικά 中文 🌍"),
              u"\\Spd=127\\\\Pit=400\\Ελληνικά 中文 🌍");
}

TEST(TaggedText, CopiedTextCannotActAsTags) {
    const std::u16string copied = u"C:\\Spd=50\\dir and \\Pau=2000\\ a path\\";
    const std::u16string tagged = TaggedText("150", "127", copied);
    const auto utterance = agent::core::ParseSpeechTags(tagged);
    EXPECT_EQ(utterance.ShownText(), copied);
    for (const auto& segment : utterance.segments) {
        EXPECT_EQ(segment.prosody.speedWpm, 150);
        EXPECT_EQ(segment.pauseBeforeMs, 0);
    }
}

TEST(TaggedText, LeavesOutSpeedOrPitchThatIsNoWholeNumber) {
    EXPECT_EQ(TaggedText("fast", "127", u"x"), u"\\Pit=127\\x");
    EXPECT_EQ(TaggedText("150", "12\\Vol=0", u"x"), u"\\Spd=150\\x");
    EXPECT_EQ(TaggedText(" 150", "-5", u"x"), u"x");
    EXPECT_EQ(TaggedText("", "1.5", u"x"), u"x");
}

}  // namespace
}  // namespace vocalinka
