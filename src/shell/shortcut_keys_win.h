// The program's system-wide shortcuts: reading, pause, faster and slower. Each is read from
// its registry value under HKEY_CURRENT_USER\Software\Vocalinka (the default when there is
// none; an empty value turns it off) and registered for the main window, released with it.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "shell/hotkey_text.h"

namespace vocalinka {

// The registry values' texts; nullopt where there is no value (or it is not a string).
ShortcutSettings ReadShortcutSettings();

class ShortcutKeys {
public:
    ShortcutKeys() = default;
    ShortcutKeys(const ShortcutKeys&) = delete;
    ShortcutKeys& operator=(const ShortcutKeys&) = delete;
    ~ShortcutKeys() { Unregister(); }

    // What a WM_HOTKEY's wParam names; nullopt for an id that is not ours.
    static std::optional<ShortcutRole> RoleOf(WPARAM id);

    // Registers the reading, faster and slower shortcuts for `window`, and learns whether the
    // pause shortcut is free: it is held only while a reading is under way (HoldPause), so that
    // other programs keep its keys otherwise. Returns what the person should be told, each
    // problem once; empty when every shortcut works or is turned off.
    std::wstring Register(HWND window, const ShortcutSettings& settings);
    // Takes the pause shortcut for a reading, or gives it back.
    void HoldPause(bool hold);
    void Unregister();
    // Waits, for a moment at most, until the person has let go of the reading shortcut's
    // modifiers.
    void WaitForRelease() const;

private:
    bool Take(ShortcutRole role);
    void Release(ShortcutRole role);

    HWND window_ = nullptr;
    std::array<std::optional<Hotkey>, kShortcutRoleCount> keys_;  // usable ones only
    std::array<bool, kShortcutRoleCount> held_{};
};

}  // namespace vocalinka
