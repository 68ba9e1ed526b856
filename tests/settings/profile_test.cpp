#include "settings/profile.h"

#include <gtest/gtest.h>

#include <string>

namespace vocalinka {
namespace {

// What LoadProfile makes of a file's text.
ProfileSettings Load(std::string_view fileText) {
    ProfileSettings settings;
    ApplyProfileText(ReadFields(fileText), settings);
    return settings;
}

ProfileSettings Settings(std::string c, std::string l, std::string s, std::string p) {
    return {std::move(c), std::move(l), std::move(s), std::move(p)};
}

TEST(ProfileFileText, DefaultsMakeTheSixtyByteRecord) {
    const std::string record = QuotedRecord(ProfileText(ProfileSettings{}));
    EXPECT_EQ(record, "\"Character=Merlin\r\nLanguage=English\r\nSpeed=127\r\nPitch=127\"\r\n");
    EXPECT_EQ(record.size(), 60u);
}

TEST(ProfileFileText, SavedSettingsLoadUnchanged) {
    for (const ProfileSettings& saved :
         {ProfileSettings{}, Settings("Old Merlin", "French", "250", "50"),
          Settings("Genie, Jr.", "English", "127", "400"),
          Settings(" Genie ", "french", "abc", "12=3"),
          Settings("Мерлин 魔法使い 🧙", "English", "127", "127"),
          Settings("Say \"Hi\"", "\"", "\"\"", "1\"2\",3"), Settings("", "", "", "")}) {
        // Empty settings are written as empty values and read back as such.
        EXPECT_EQ(Load(QuotedRecord(ProfileText(saved))), saved) << saved.Character;
    }
}

// A quote inside a value is written twice; files without one keep their bytes.
TEST(ProfileFileText, QuotesInValuesAreDoubledAndReadBackAsOne) {
    EXPECT_EQ(QuotedRecord("Character=Say \"Hi\""), "\"Character=Say \"\"Hi\"\"\"\r\n");
    EXPECT_EQ(ReadFields("\"Character=Say \"\"Hi\"\"\"\r\n"), "Character=Say \"Hi\"");
    EXPECT_EQ(ReadFields("\"\"\"\"\r\n"), "\"");
    EXPECT_EQ(ReadFields("\"a\"\"b"), "a\"b");  // no closing quote: the rest is the field
}

// What a save writes: the stored file with the settings this run changed.
TEST(ProfileChanges, ReplaceOnlyWhatTheRunChangedAndKeepItChanged) {
    const ProfileSettings onDisk = Settings("Genie", "French", "90", "80");
    // The file could not be read at start: the run began on the defaults.
    ProfileChanges unread{ProfileSettings{}};
    ProfileSettings current;
    EXPECT_EQ(unread.Merge(current, onDisk), onDisk);
    current.Speed = "150";
    EXPECT_EQ(unread.Merge(current, onDisk), Settings("Genie", "French", "150", "80"));
    // Set back to the value it started with, it is still the person's choice.
    current.Speed = "127";
    EXPECT_EQ(unread.Merge(current, onDisk), Settings("Genie", "French", "127", "80"));

    // Read at start; meanwhile another copy of the program saved a new character.
    ProfileChanges read{onDisk};
    ProfileSettings mine = onDisk;
    mine.Pitch = "200";
    EXPECT_EQ(read.Merge(mine, Settings("Peedy", "French", "90", "80")),
              Settings("Peedy", "French", "90", "200"));
    mine.Character = "Robby";
    mine.Language = "English";
    EXPECT_EQ(read.Merge(mine, Settings("Peedy", "French", "95", "80")),
              Settings("Robby", "English", "95", "200"));
}

// What a load makes of a file's text, each case named for the failure message.
TEST(LoadProfileText, GivesTheseSettings) {
    const ProfileSettings kDefaults;
    const struct {
        const char* name;
        std::string fileText;
        ProfileSettings expected;
    } cases[] = {
        {"Empty", "", kDefaults},
        {"OtherOrder", "\"Pitch=200\r\nSpeed=90\r\nLanguage=French\r\nCharacter=Genie\"\r\n",
         Settings("Genie", "French", "90", "200")},
        {"OnlySpeed", "\"Speed=150\"\r\n", Settings("Merlin", "English", "150", "127")},
        {"UntrimmedValueAndSecondEquals", "\"Character= Genie\r\nSpeed=150=2\"\r\n",
         Settings(" Genie", "English", "150=2", "127")},
        {"KeysAreExact", "\"speed=150\r\n Speed =140\r\nSPEED=130\"\r\n", kDefaults},
        {"LaterLineWins", "\"Speed=100\r\nSpeed=200\"\r\n",
         Settings("Merlin", "English", "200", "127")},
        {"BlankLineDoesNotEndTheReading", "\"Character=Genie\r\n\r\n   \r\nSpeed=150\"\r\n",
         Settings("Genie", "English", "150", "127")},
        {"HandWrittenWithoutQuotes", "Character=Genie\r\nSpeed=150\r\n",
         Settings("Genie", "English", "150", "127")},
        {"HandWrittenWithLineFeedsAndCommas", "Character=Genie, Jr.\nSpeed=150\n\nPitch=90",
         Settings("Genie, Jr.", "English", "150", "90")},
        {"HandWrittenLineFeedsInsideQuotes", "\"Character=Genie\nLanguage=French\"\n",
         Settings("Genie", "French", "127", "127")},
        {"BeginAndEndLinesAreNoSettings", "\"BEGIN SECTION\r\nEnd\r\nending\r\nPitch=99\"",
         Settings("Merlin", "English", "127", "99")},
        {"LoneQuoteTakesTheRest", "\"Speed=80\r\nPitch=70",
         Settings("Merlin", "English", "80", "70")},
        {"TwoQuotedFieldsOnALine", "\"Speed=8\",\"0\"\r\n",
         Settings("Merlin", "English", "80", "127")},
        {"NoLineBreaksAtAll", std::string(5000, 'x'), kDefaults},
        {"BinaryData", std::string("\0\xff\"\x01Speed=\0\r\n\xfe", 12), kDefaults},
        {"SpacesBeforeFieldsAreSkipped", "   \"Speed=60\"  \r\n",
         Settings("Merlin", "English", "60", "127")}};
    for (const auto& c : cases) EXPECT_EQ(Load(c.fileText), c.expected) << c.name;
}

}  // namespace
}  // namespace vocalinka
