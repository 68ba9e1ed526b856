// The reading shortcut as the tests and benchmarks use it: its registry value for one run,
// and a press as a person makes it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// The registry value HKCU\\Software\\Vocalinka\\Hotkey while this lives; what was there
// comes back.
class HotkeySetting {
public:
    explicit HotkeySetting(const std::wstring& text);
    HotkeySetting(const HotkeySetting&) = delete;
    HotkeySetting& operator=(const HotkeySetting&) = delete;
    ~HotkeySetting();

private:
    void Write(const std::wstring& text) const;
    HKEY key_ = nullptr;
    std::optional<std::wstring> old_;
};

// The modifiers go down, the key goes down and up, the modifiers go up.
void PressShortcut(const std::vector<WORD>& modifiers, WORD key);

}  // namespace e2e
