// The reading shortcut of the running program: read from the registry value
// HKEY_CURRENT_USER\Software\Vocalinka\Hotkey (the default when there is none; an empty value
// turns it off), registered for the main window and released with it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "shell/hotkey_text.h"

namespace vocalinka {

// The registry value's text; nullopt when there is no such value (or it is not a string).
std::optional<std::wstring> ReadHotkeySetting();

class ReadingHotkey {
public:
    // The id of WM_HOTKEY's wParam.
    static constexpr int kId = 1;

    ReadingHotkey() = default;
    ReadingHotkey(const ReadingHotkey&) = delete;
    ReadingHotkey& operator=(const ReadingHotkey&) = delete;
    ~ReadingHotkey() { Unregister(); }

    // Registers the shortcut that `setting` names (the default for nullopt) for `window`.
    // Returns what the person should be told: empty when the shortcut works or is turned off.
    std::wstring Register(HWND window, const std::optional<std::wstring>& setting);
    void Unregister();
    // The modifiers of the registered shortcut; 0 when there is none.
    std::uint32_t Modifiers() const { return registered_ ? registered_->modifiers : 0; }
    // Waits, for a moment at most, until the person has let go of the shortcut's modifiers.
    void WaitForRelease() const;

private:
    HWND window_ = nullptr;
    std::optional<Hotkey> registered_;
};

}  // namespace vocalinka
