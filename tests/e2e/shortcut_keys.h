// The shortcuts as the tests and benchmarks use them: their registry values for one run
// (PressShortcut presses them as a person does).
#pragma once

#include <windows.h>

#include <string>

#include "program_under_test.h"

namespace e2e {

// The registry value HKCU\\Software\\Vocalinka\\<name> (the reading shortcut's "Hotkey"
// unless named) while this lives; what was there comes back.
class HotkeySetting {
public:
    explicit HotkeySetting(const std::wstring& text, const wchar_t* name = L"Hotkey")
        : value_(HKEY_CURRENT_USER, L"Software\\Vocalinka", name) {
        value_.Set(text);
    }

private:
    ScopedRegistryValue value_;
};

}  // namespace e2e
