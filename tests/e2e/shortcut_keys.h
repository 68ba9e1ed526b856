// The reading shortcut as the tests and benchmarks use it: its registry value for one run
// (PressShortcut presses it as a person does).
#pragma once

#include <windows.h>

#include <string>

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

}  // namespace e2e
