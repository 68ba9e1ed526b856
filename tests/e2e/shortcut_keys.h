// The reading shortcut as the tests and benchmarks use it: its registry value for one run,
// and a press as a person makes it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "program_under_test.h"

namespace e2e {

// The registry value HKCU\\Software\\Vocalinka\\Hotkey while this lives; what was there
// comes back.
class HotkeySetting {
public:
    explicit HotkeySetting(const std::wstring& text) { value_.Set(text); }

private:
    ScopedRegistryValue value_{HKEY_CURRENT_USER, L"Software\\Vocalinka", L"Hotkey"};
};

// The modifiers go down, the key goes down and up, the modifiers go up.
void PressShortcut(const std::vector<WORD>& modifiers, WORD key);

}  // namespace e2e
