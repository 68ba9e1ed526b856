#include "shell/reading_hotkey_win.h"

#include "win32util/registry.h"
#include "win32util/text.h"

namespace vocalinka {
namespace {

using win32util::Utf8ToWide;
using win32util::WideToUtf8;

constexpr wchar_t kSettingKey[] = L"Software\\Vocalinka";
constexpr wchar_t kSettingValue[] = L"Hotkey";
constexpr wchar_t kSettingName[] = L"HKEY_CURRENT_USER\\Software\\Vocalinka\\Hotkey";

// How long a reading from the shortcut waits for the person to let go of its modifiers.
constexpr ULONGLONG kReleaseBoundMs = 400;

// Whether any of the shortcut's modifier keys is down.
bool ModifiersHeld(std::uint32_t modifiers) {
    const auto down = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
    return ((modifiers & MOD_CONTROL) && down(VK_CONTROL)) ||
           ((modifiers & MOD_ALT) && down(VK_MENU)) ||
           ((modifiers & MOD_SHIFT) && down(VK_SHIFT)) ||
           ((modifiers & MOD_WIN) && (down(VK_LWIN) || down(VK_RWIN)));
}

}  // namespace

std::optional<std::wstring> ReadHotkeySetting() {
    return win32util::ReadRegistryString(HKEY_CURRENT_USER, kSettingKey, kSettingValue);
}

std::wstring ReadingHotkey::Register(HWND window, const std::optional<std::wstring>& setting) {
    Unregister();
    const std::string text = setting ? WideToUtf8(*setting) : std::string(kDefaultHotkeyText);
    const HotkeyParse parsed = ParseHotkey(text);
    if (!parsed.hotkey) {
        if (parsed.error.empty()) return {};  // turned off on purpose
        return L"The reading shortcut \"" + Utf8ToWide(text) + L"\" set in " + kSettingName +
               L" cannot be used: " + Utf8ToWide(parsed.error) +
               L".\r\n\r\nVocalinka runs without a shortcut: click its button to read. Write "
               L"the shortcut like Ctrl+Shift+F12 and start Vocalinka again.";
    }
    // No repeats: a held key would stop and start the reading over and over.
    if (!RegisterHotKey(window, kId, parsed.hotkey->modifiers | MOD_NOREPEAT,
                        parsed.hotkey->virtualKey)) {
        return L"The reading shortcut " + Utf8ToWide(HotkeyText(*parsed.hotkey)) +
               L" is already taken by another program (or by Vocalinka running a second time), "
               L"so this Vocalinka runs without it: click its button to read.\r\n\r\nTo choose "
               L"another shortcut, set " +
               kSettingName + L" (for example to Ctrl+Shift+F12) and start Vocalinka again.";
    }
    window_ = window;
    registered_ = parsed.hotkey;
    return {};
}

void ReadingHotkey::Unregister() {
    if (!registered_) return;
    UnregisterHotKey(window_, kId);
    registered_.reset();
    window_ = nullptr;
}

void ReadingHotkey::WaitForRelease() const {
    // The shortcut's own modifiers are still held when it fires: Ctrl+C sent now would reach
    // the target as, say, Ctrl+Alt+C. The person lets go within a moment; the copy keys
    // release whatever is still down after that.
    const auto end = GetTickCount64() + kReleaseBoundMs;
    while (ModifiersHeld(Modifiers()) && GetTickCount64() < end) Sleep(10);
}

}  // namespace vocalinka
