// The program's shortcuts written as text, as the person types them into the registry:
// "Ctrl+Shift+F12" — modifiers Ctrl, Alt, Shift and Win joined by "+", then one key name.
// Portable: the numbers are those of RegisterHotKey (modifiers) and of the virtual keys.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vocalinka {

// RegisterHotKey's MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN.
enum HotkeyModifier : std::uint32_t {
    kModAlt = 0x1,
    kModControl = 0x2,
    kModShift = 0x4,
    kModWin = 0x8,
};

struct Hotkey {
    std::uint32_t modifiers = 0;   // HotkeyModifier bits
    std::uint32_t virtualKey = 0;  // VK_ code of the one key
    friend bool operator==(const Hotkey&, const Hotkey&) = default;
};

// What a text says: a shortcut, no shortcut (an empty text), or an error in plain words.
struct HotkeyParse {
    std::optional<Hotkey> hotkey;
    std::string error;  // empty unless the text could not be understood
};

// Letter case and spaces around the parts do not matter. Each modifier at most once, exactly
// one key, last; a key alone, or with Shift alone, would take that key from every program,
// so it needs Ctrl, Alt or Win (except F13 to F24 and Pause, which type nothing).
HotkeyParse ParseHotkey(std::string_view text);

// The canonical text: modifiers in the order Ctrl, Alt, Shift, Win, then the key's name.
std::string HotkeyText(const Hotkey& hotkey);

// The reading shortcut used when the person has set none: Ctrl+Alt+F8. AltGr is Ctrl+Alt, so
// no keyboard layout types with it only when the key is no letter, digit or space; Windows
// takes no Ctrl+Alt function key, and common programs leave F8 with Ctrl+Alt alone.
inline constexpr std::string_view kDefaultHotkeyText = "Ctrl+Alt+F8";

// What the program's shortcuts do, in the order in which they claim keys.
enum class ShortcutRole { Read, Pause, Faster, Slower };
inline constexpr std::size_t kShortcutRoleCount = 4;

struct ShortcutRoleText {
    std::string_view name;         // "reading", as in "the reading shortcut"
    std::string_view settingName;  // the registry value under Software\Vocalinka
    std::string_view defaultText;  // used when there is no such value
};
// Pause, Slower and Faster sit beside the reading shortcut, for the same reasons, in the order
// of the keys: F9 holds the reading, F10 slows it down, F11 speeds it up. F12 stays free: the
// graphics utilities of some computers take Ctrl+Alt+F12.
const ShortcutRoleText& TextOf(ShortcutRole role);

// What one shortcut comes to once every setting is known.
struct ShortcutChoice {
    std::string text;  // as set, or the default
    bool fromSetting = false;
    std::optional<Hotkey> hotkey;  // nullopt: none, on purpose or because `error` says why
    std::string error;             // the text could not be understood
    // Another of our shortcuts has these keys, so this one has none.
    std::optional<ShortcutRole> sameKeysAs;
    bool Usable() const { return hotkey && !sameKeysAs; }
};
using ShortcutSettings = std::array<std::optional<std::string>, kShortcutRoleCount>;
using ShortcutChoices = std::array<ShortcutChoice, kShortcutRoleCount>;

// Reads every setting (nullopt: no value, so the default). When two shortcuts name the same
// keys, one the person set beats a default; between two of a kind the earlier role keeps them.
ShortcutChoices ChooseShortcuts(const ShortcutSettings& settings);

}  // namespace vocalinka
