// The reading shortcut written as text, as the person types it into the registry:
// "Ctrl+Shift+F12" — modifiers Ctrl, Alt, Shift and Win joined by "+", then one key name.
// Portable: the numbers are those of RegisterHotKey (modifiers) and of the virtual keys.
#pragma once

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

// The shortcut used when the person has set none: Ctrl+Alt+F8. AltGr is Ctrl+Alt, so no
// keyboard layout types with it only when the key is no letter, digit or space; Windows takes
// no Ctrl+Alt function key, and common programs leave F8 with Ctrl+Alt alone.
inline constexpr std::string_view kDefaultHotkeyText = "Ctrl+Alt+F8";

}  // namespace vocalinka
