#include "shortcut_keys.h"

namespace e2e {

HotkeySetting::HotkeySetting(const std::wstring& text) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vocalinka", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key_, nullptr);
    DWORD bytes = 0;
    if (RegGetValueW(key_, nullptr, L"Hotkey", RRF_RT_REG_SZ, nullptr, nullptr, &bytes) ==
        ERROR_SUCCESS) {
        std::wstring old(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(old.size() * sizeof(wchar_t));
        RegGetValueW(key_, nullptr, L"Hotkey", RRF_RT_REG_SZ, nullptr, old.data(), &bytes);
        old_ = old.c_str();
    }
    Write(text);
}

HotkeySetting::~HotkeySetting() {
    if (old_) {
        Write(*old_);
    } else {
        RegDeleteValueW(key_, L"Hotkey");
    }
    RegCloseKey(key_);
}

void HotkeySetting::Write(const std::wstring& text) const {
    RegSetValueExW(key_, L"Hotkey", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void PressShortcut(const std::vector<WORD>& modifiers, WORD key) {
    std::vector<INPUT> events;
    const auto add = [&](WORD virtualKey, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        events.push_back(input);
    };
    for (WORD modifier : modifiers) add(modifier, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) add(*it, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
}

}  // namespace e2e
