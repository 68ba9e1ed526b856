#include "shell/shortcut_keys_win.h"

#include "win32util/registry.h"
#include "win32util/text.h"

namespace vocalinka {
namespace {

using win32util::Utf8ToWide;
using win32util::WideToUtf8;

constexpr wchar_t kSettingKey[] = L"Software\\Vocalinka";

// How long a reading from the shortcut waits for the person to let go of its modifiers.
constexpr ULONGLONG kReleaseBoundMs = 400;

std::size_t IndexOf(ShortcutRole role) {
    return static_cast<std::size_t>(role);
}

// Whether any of the modifier keys is down.
bool ModifiersHeld(std::uint32_t modifiers) {
    const auto down = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
    return ((modifiers & MOD_CONTROL) && down(VK_CONTROL)) ||
           ((modifiers & MOD_ALT) && down(VK_MENU)) ||
           ((modifiers & MOD_SHIFT) && down(VK_SHIFT)) ||
           ((modifiers & MOD_WIN) && (down(VK_LWIN) || down(VK_RWIN)));
}

std::wstring NameOf(ShortcutRole role) {
    return Utf8ToWide(std::string(TextOf(role).name));
}

std::wstring SettingNameOf(ShortcutRole role) {
    return L"HKEY_CURRENT_USER\\Software\\Vocalinka\\" +
           Utf8ToWide(std::string(TextOf(role).settingName));
}

// What still works without the shortcut.
const wchar_t* WithoutIt(ShortcutRole role) {
    switch (role) {
        case ShortcutRole::Read:
            return L"click its button to read";
        case ShortcutRole::Pause:
            return L"a click on its button still stops a reading";
        case ShortcutRole::Faster:
        case ShortcutRole::Slower:
            return L"the mouse wheel over its button still changes the speed";
    }
    return L"";
}

// What the person is told about a shortcut that cannot be registered: `why` is said with its
// keys, then what to do.
std::wstring Unavailable(ShortcutRole role, const Hotkey& keys, const std::wstring& why) {
    return L"The " + NameOf(role) + L" shortcut " + Utf8ToWide(HotkeyText(keys)) + L" " + why +
           L", so this Vocalinka runs without it: " + WithoutIt(role) +
           L".\r\n\r\nTo choose another shortcut, set " + SettingNameOf(role) +
           L" (for example to Ctrl+Shift+F12) and start Vocalinka again.";
}

std::wstring Unreadable(ShortcutRole role, const ShortcutChoice& choice) {
    return L"The " + NameOf(role) + L" shortcut \"" + Utf8ToWide(choice.text) + L"\" set in " +
           SettingNameOf(role) + L" cannot be used: " + Utf8ToWide(choice.error) +
           L".\r\n\r\nVocalinka runs without it: " + WithoutIt(role) +
           L". Write the shortcut like Ctrl+Shift+F12 and start Vocalinka again.";
}

constexpr wchar_t kTakenElsewhere[] =
    L"is already taken by another program (or by Vocalinka running a second time)";

}  // namespace

ShortcutSettings ReadShortcutSettings() {
    ShortcutSettings settings;
    for (std::size_t i = 0; i < kShortcutRoleCount; ++i) {
        const std::wstring value = Utf8ToWide(std::string(TextOf(ShortcutRole(i)).settingName));
        if (auto text =
                win32util::ReadRegistryString(HKEY_CURRENT_USER, kSettingKey, value.c_str())) {
            settings[i] = WideToUtf8(*text);
        }
    }
    return settings;
}

std::optional<ShortcutRole> ShortcutKeys::RoleOf(WPARAM id) {
    if (id < 1 || id > kShortcutRoleCount) return std::nullopt;
    return ShortcutRole(id - 1);
}

std::wstring ShortcutKeys::Register(HWND window, const ShortcutSettings& settings) {
    Unregister();
    window_ = window;
    std::wstring problems;
    const auto tell = [&problems](const std::wstring& problem) {
        problems += (problems.empty() ? L"" : L"\r\n\r\n") + problem;
    };
    const ShortcutChoices choices = ChooseShortcuts(settings);
    for (std::size_t i = 0; i < kShortcutRoleCount; ++i) {
        const ShortcutRole role = ShortcutRole(i);
        const ShortcutChoice& choice = choices[i];
        if (!choice.error.empty()) {
            tell(Unreadable(role, choice));
        } else if (choice.sameKeysAs) {
            tell(Unavailable(
                role, *choice.hotkey,
                L"names the same keys as the " + NameOf(*choice.sameKeysAs) + L" shortcut"));
        } else if (choice.hotkey) {
            keys_[i] = choice.hotkey;
            // The pause shortcut is only tried now, to learn that it is free.
            const bool free = Take(role);
            if (role == ShortcutRole::Pause) Release(role);
            if (!free) {
                keys_[i].reset();
                tell(Unavailable(role, *choice.hotkey, kTakenElsewhere));
            }
        }
    }
    return problems;
}

void ShortcutKeys::HoldPause(bool hold) {
    if (hold) {
        // Taken meanwhile by another program: this reading goes without it.
        Take(ShortcutRole::Pause);
    } else {
        Release(ShortcutRole::Pause);
    }
}

void ShortcutKeys::Unregister() {
    for (std::size_t i = 0; i < kShortcutRoleCount; ++i) Release(ShortcutRole(i));
    keys_ = {};
    window_ = nullptr;
}

bool ShortcutKeys::Take(ShortcutRole role) {
    const std::size_t i = IndexOf(role);
    if (held_[i]) return true;
    if (!keys_[i]) return false;
    // No repeats: a held key would stop and start the reading, or pause and resume it, over
    // and over.
    held_[i] = RegisterHotKey(window_, static_cast<int>(i + 1), keys_[i]->modifiers | MOD_NOREPEAT,
                              keys_[i]->virtualKey) != FALSE;
    return held_[i];
}

void ShortcutKeys::Release(ShortcutRole role) {
    const std::size_t i = IndexOf(role);
    if (!held_[i]) return;
    UnregisterHotKey(window_, static_cast<int>(i + 1));
    held_[i] = false;
}

void ShortcutKeys::WaitForRelease() const {
    // The shortcut's own modifiers are still held when it fires: Ctrl+C sent now would reach
    // the target as, say, Ctrl+Alt+C. The person lets go within a moment; the copy keys
    // release whatever is still down after that.
    const auto& reading = keys_[IndexOf(ShortcutRole::Read)];
    const std::uint32_t modifiers = reading ? reading->modifiers : 0;
    const auto end = GetTickCount64() + kReleaseBoundMs;
    while (ModifiersHeld(modifiers) && GetTickCount64() < end) Sleep(10);
}

}  // namespace vocalinka
