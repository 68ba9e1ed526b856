// A registry key of its own below HKEY_CURRENT_USER, removed with its values.
#pragma once

#include <windows.h>

#include <string>

namespace vocalinka::test {

class TestKey {
public:
    TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }  // what a killed run left
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;
    ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

    // The path of a subkey below HKEY_CURRENT_USER.
    std::wstring Path(const std::wstring& subkey) const { return path_ + L"\\" + subkey; }
    // Sets a value, making the subkey when it is missing.
    void Set(const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data,
             DWORD bytes) const {
        RegSetKeyValueW(HKEY_CURRENT_USER, Path(subkey).c_str(), name, type, data, bytes);
    }
    void SetText(const std::wstring& subkey, const wchar_t* name, const std::wstring& text,
                 DWORD type = REG_SZ) const {
        Set(subkey, name, type, text.c_str(),
            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

private:
    std::wstring path_ = L"Software\\VocalinkaTest-" + std::to_wstring(GetCurrentProcessId());
};

}  // namespace vocalinka::test
