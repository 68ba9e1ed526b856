#include "shell/reading_hotkey_win.h"

#include "ui/win32_util.h"

namespace vocalinka {
namespace {

constexpr wchar_t kSettingKey[] = L"Software\\Vocalinka";
constexpr wchar_t kSettingValue[] = L"Hotkey";
constexpr wchar_t kSettingName[] = L"HKEY_CURRENT_USER\\Software\\Vocalinka\\Hotkey";

}  // namespace

std::optional<std::wstring> ReadHotkeySetting() {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingKey, kSettingValue, RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingKey, kSettingValue, RRF_RT_REG_SZ, nullptr,
                     text.data(), &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
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

}  // namespace vocalinka
