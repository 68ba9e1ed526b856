#include "shell/hotkey_text.h"

#include <gtest/gtest.h>

namespace vocalinka {
namespace {

TEST(HotkeyText, ReadsWhatPeopleWriteAndPrintsItBackCanonically) {
    struct Case {
        const char* text;
        std::uint32_t modifiers;
        std::uint32_t key;
        const char* canonical;
    };
    const Case cases[] = {
        {"Ctrl+Shift+F12", kModControl | kModShift, 0x7B, "Ctrl+Shift+F12"},
        {"  shift + ctrl +  f12 ", kModControl | kModShift, 0x7B, "Ctrl+Shift+F12"},
        {"WIN+ALT+r", kModWin | kModAlt, 'R', "Alt+Win+R"},
        {"Ctrl+Alt+F8", kModControl | kModAlt, 0x77, "Ctrl+Alt+F8"},
        {"Ctrl+7", kModControl, '7', "Ctrl+7"},
        {"Alt+space", kModAlt, 0x20, "Alt+Space"},
        {"Win+PageDown", kModWin, 0x22, "Win+PageDown"},
        {"Ctrl+F1", kModControl, 0x70, "Ctrl+F1"},
        {"Ctrl+F24", kModControl, 0x87, "Ctrl+F24"},
        {"F13", 0, 0x7C, "F13"},  // types nothing: needs no modifier
        {"Shift+Pause", kModShift, 0x13, "Shift+Pause"},
        {"Ctrl+F", kModControl, 'F', "Ctrl+F"},  // the letter F, not a function key
    };
    for (const Case& c : cases) {
        const HotkeyParse parsed = ParseHotkey(c.text);
        ASSERT_TRUE(parsed.hotkey) << c.text << ": " << parsed.error;
        EXPECT_EQ(parsed.hotkey->modifiers, c.modifiers) << c.text;
        EXPECT_EQ(parsed.hotkey->virtualKey, c.key) << c.text;
        EXPECT_EQ(HotkeyText(*parsed.hotkey), c.canonical) << c.text;
        EXPECT_EQ(ParseHotkey(HotkeyText(*parsed.hotkey)).hotkey, parsed.hotkey) << c.text;
    }
}

TEST(HotkeyText, EmptyMeansNoShortcutWithoutError) {
    for (const char* text : {"", "   ", "\t"}) {
        const HotkeyParse parsed = ParseHotkey(text);
        EXPECT_FALSE(parsed.hotkey);
        EXPECT_TRUE(parsed.error.empty()) << parsed.error;
    }
}

TEST(HotkeyText, RefusesWhatCannotBeUnderstoodAndSaysWhy) {
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"Ctrl+Ctrl+R", "Ctrl is named twice"},
        {"ctrl+Shift+CTRL+R", "Ctrl is named twice"},
        {"Ctrl+Banana", "\"Banana\" is not the name of a key"},
        {"Ctrl+F25", "\"F25\" is not the name of a key"},
        {"Ctrl+F0", "\"F0\" is not the name of a key"},
        {"Ctrl+F01", "\"F01\" is not the name of a key"},
        {"Ctrl+", "the key is missing after the last \"+\""},
        {"Ctrl++R", "a \"+\" stands where a name should be"},
        {"Ctrl+Alt", "a key must follow the modifiers"},
        {"Ctrl+A+B", "only one key may follow the modifiers"},
        {"Hyper+R", "\"Hyper\" is not a modifier (Ctrl, Alt, Shift, Win)"},
        {"R", "the key needs Ctrl, Alt or Win with it, or it would be taken from every program"},
        {"Shift+R",
         "the key needs Ctrl, Alt or Win with it, or it would be taken from every program"},
        {"Space",
         "the key needs Ctrl, Alt or Win with it, or it would be taken from every program"},
    };
    for (const Case& c : cases) {
        const HotkeyParse parsed = ParseHotkey(c.text);
        EXPECT_FALSE(parsed.hotkey) << c.text;
        EXPECT_EQ(parsed.error, c.reason) << c.text;
    }
}

TEST(HotkeyText, DefaultsAreDistinctCtrlAltFunctionKeysThatEveryProgramLeavesAlone) {
    const ShortcutChoices choices = ChooseShortcuts({});
    for (std::size_t i = 0; i < kShortcutRoleCount; ++i) {
        const ShortcutChoice& choice = choices[i];
        ASSERT_TRUE(choice.Usable()) << choice.text << ": " << choice.error;
        EXPECT_FALSE(choice.fromSetting);
        EXPECT_EQ(choice.hotkey->modifiers, kModControl | kModAlt) << choice.text;
        // F8 to F11: typed by no layout with AltGr, and F12 is left to graphics utilities.
        EXPECT_GE(choice.hotkey->virtualKey, 0x77u) << choice.text;
        EXPECT_LE(choice.hotkey->virtualKey, 0x7Au) << choice.text;
        EXPECT_EQ(HotkeyText(*choice.hotkey), choice.text);
    }
    EXPECT_EQ(choices[0].text, kDefaultHotkeyText);
}

TEST(HotkeyText, OurOwnShortcutsThatNameTheSameKeysLeaveOneOfThemWithout) {
    constexpr auto kRead = static_cast<std::size_t>(ShortcutRole::Read);
    constexpr auto kPause = static_cast<std::size_t>(ShortcutRole::Pause);
    constexpr auto kFaster = static_cast<std::size_t>(ShortcutRole::Faster);
    constexpr auto kSlower = static_cast<std::size_t>(ShortcutRole::Slower);
    {
        // Two settings: the earlier role keeps the keys, whatever the spelling.
        ShortcutSettings settings;
        settings[kFaster] = "Ctrl+Shift+Up";
        settings[kSlower] = "shift+ctrl+up";
        const ShortcutChoices choices = ChooseShortcuts(settings);
        EXPECT_TRUE(choices[kFaster].Usable());
        EXPECT_FALSE(choices[kSlower].Usable());
        EXPECT_EQ(choices[kSlower].sameKeysAs, ShortcutRole::Faster);
        EXPECT_TRUE(choices[kSlower].error.empty());
    }
    {
        // A setting beats a default, even the default of an earlier role.
        ShortcutSettings settings;
        settings[kSlower] = "Ctrl+Alt+F8";
        const ShortcutChoices choices = ChooseShortcuts(settings);
        EXPECT_TRUE(choices[kSlower].Usable());
        EXPECT_EQ(choices[kRead].sameKeysAs, ShortcutRole::Slower);
        EXPECT_TRUE(choices[kPause].Usable());
    }
    {
        // Turned off or not understood: no keys to share, and the others keep theirs.
        ShortcutSettings settings;
        settings[kRead] = "";
        settings[kPause] = "Ctrl+Banana";
        const ShortcutChoices choices = ChooseShortcuts(settings);
        EXPECT_FALSE(choices[kRead].hotkey);
        EXPECT_TRUE(choices[kRead].error.empty());
        EXPECT_EQ(choices[kPause].error, "\"Banana\" is not the name of a key");
        EXPECT_EQ(choices[kPause].text, "Ctrl+Banana");
        EXPECT_TRUE(choices[kFaster].Usable() && choices[kSlower].Usable());
    }
}

}  // namespace
}  // namespace vocalinka
