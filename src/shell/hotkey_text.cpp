#include "shell/hotkey_text.h"

#include <array>
#include <vector>

#include "win32util/ascii.h"

namespace vocalinka {
namespace {

struct Named {
    std::string_view name;
    std::uint32_t value;
};

constexpr std::array kModifiers{
    Named{"Ctrl", kModControl},
    Named{"Alt", kModAlt},
    Named{"Shift", kModShift},
    Named{"Win", kModWin},
};

// Keys with names of their own; letters, digits and F1 to F24 are computed.
constexpr std::array kNamedKeys{
    Named{"Space", 0x20},    Named{"Enter", 0x0D},      Named{"Pause", 0x13}, Named{"Insert", 0x2D},
    Named{"Delete", 0x2E},   Named{"Home", 0x24},       Named{"End", 0x23},   Named{"PageUp", 0x21},
    Named{"PageDown", 0x22}, Named{"Left", 0x25},       Named{"Up", 0x26},    Named{"Right", 0x27},
    Named{"Down", 0x28},     Named{"ScrollLock", 0x91},
};

constexpr std::uint32_t kF1 = 0x70;
constexpr std::uint32_t kF13 = 0x7C;
constexpr std::uint32_t kF24 = 0x87;
constexpr std::uint32_t kPause = 0x13;

std::string_view Trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::uint32_t> KeyCode(std::string_view name) {
    if (name.size() == 1) {
        const char c = win32util::AsciiUpper(name[0]);
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<std::uint32_t>(c);
        return std::nullopt;
    }
    if ((name[0] == 'F' || name[0] == 'f') && name.size() <= 3) {
        unsigned number = 0;
        for (char c : name.substr(1)) {
            if (c < '0' || c > '9') return std::nullopt;
            number = number * 10 + static_cast<unsigned>(c - '0');
        }
        if (name[1] != '0' && number >= 1 && number <= 24) return kF1 + number - 1;
        return std::nullopt;
    }
    for (const Named& key : kNamedKeys) {
        if (win32util::EqualsIgnoringAsciiCase(name, key.name)) return key.value;
    }
    return std::nullopt;
}

std::string KeyName(std::uint32_t code) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
        return std::string(1, static_cast<char>(code));
    }
    if (code >= kF1 && code <= kF24) return "F" + std::to_string(code - kF1 + 1);
    for (const Named& key : kNamedKeys) {
        if (key.value == code) return std::string(key.name);
    }
    return {};
}

HotkeyParse Failure(std::string message) {
    return HotkeyParse{std::nullopt, std::move(message)};
}

}  // namespace

HotkeyParse ParseHotkey(std::string_view text) {
    if (Trimmed(text).empty()) return {};
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t plus = text.find('+', start);
        parts.push_back(Trimmed(text.substr(start, plus - start)));
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    Hotkey hotkey;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part.empty()) return Failure("a \"+\" stands where a name should be");
        const Named* modifier = nullptr;
        for (const Named& candidate : kModifiers) {
            if (win32util::EqualsIgnoringAsciiCase(part, candidate.name)) modifier = &candidate;
        }
        if (!modifier) {
            if (KeyCode(part)) return Failure("only one key may follow the modifiers");
            return Failure("\"" + std::string(part) +
                           "\" is not a modifier (Ctrl, Alt, Shift, Win)");
        }
        if (hotkey.modifiers & modifier->value) {
            return Failure(std::string(modifier->name) + " is named twice");
        }
        hotkey.modifiers |= modifier->value;
    }
    const std::string_view key = parts.back();
    if (key.empty()) return Failure("the key is missing after the last \"+\"");
    const std::optional<std::uint32_t> code = KeyCode(key);
    if (!code) {
        for (const Named& candidate : kModifiers) {
            if (win32util::EqualsIgnoringAsciiCase(key, candidate.name)) {
                return Failure("a key must follow the modifiers");
            }
        }
        return Failure("\"" + std::string(key) + "\" is not the name of a key");
    }
    hotkey.virtualKey = *code;
    const bool typesNothing = (*code >= kF13 && *code <= kF24) || *code == kPause;
    if (!(hotkey.modifiers & (kModControl | kModAlt | kModWin)) && !typesNothing) {
        return Failure(
            "the key needs Ctrl, Alt or Win with it, or it would be taken from every "
            "program");
    }
    return HotkeyParse{hotkey, {}};
}

const ShortcutRoleText& TextOf(ShortcutRole role) {
    static constexpr std::array<ShortcutRoleText, kShortcutRoleCount> kTexts{{
        {"reading", "Hotkey", kDefaultHotkeyText},
        {"pause", "PauseHotkey", "Ctrl+Alt+F9"},
        {"faster", "FasterHotkey", "Ctrl+Alt+F11"},
        {"slower", "SlowerHotkey", "Ctrl+Alt+F10"},
    }};
    return kTexts[static_cast<std::size_t>(role)];
}

ShortcutChoices ChooseShortcuts(const ShortcutSettings& settings) {
    ShortcutChoices choices;
    for (std::size_t i = 0; i < kShortcutRoleCount; ++i) {
        ShortcutChoice& choice = choices[i];
        choice.fromSetting = settings[i].has_value();
        choice.text = settings[i].value_or(std::string(TextOf(ShortcutRole(i)).defaultText));
        HotkeyParse parsed = ParseHotkey(choice.text);
        choice.hotkey = parsed.hotkey;
        choice.error = std::move(parsed.error);
    }
    // The person's settings claim their keys first, then the defaults, each in role order.
    std::vector<std::size_t> owners;
    for (const bool settingsFirst : {true, false}) {
        for (std::size_t i = 0; i < kShortcutRoleCount; ++i) {
            ShortcutChoice& choice = choices[i];
            if (choice.fromSetting != settingsFirst || !choice.hotkey) continue;
            for (const std::size_t owner : owners) {
                if (choices[owner].hotkey == choice.hotkey) choice.sameKeysAs = ShortcutRole(owner);
            }
            if (!choice.sameKeysAs) owners.push_back(i);
        }
    }
    return choices;
}

std::string HotkeyText(const Hotkey& hotkey) {
    std::string text;
    for (const Named& modifier : kModifiers) {
        if (hotkey.modifiers & modifier.value) {
            text += modifier.name;
            text += '+';
        }
    }
    return text + KeyName(hotkey.virtualKey);
}

}  // namespace vocalinka
