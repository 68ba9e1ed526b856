// Finding and starting the system information tool from the About box.
#pragma once

#include <windows.h>

#include <string>

namespace vocalinka {

struct RegistryLocation {
    HKEY root;
    std::wstring key;
    std::wstring valueName;
};

// Where the registry names the tool: first its program file, then the folder that holds
// MSINFO32.EXE. Both are read from other places in the tests.
struct SysInfoLocations {
    RegistryLocation programPath;
    RegistryLocation programFolder;
};
SysInfoLocations DefaultSysInfoLocations();

inline constexpr wchar_t kSysInfoUnavailable[] = L"System Information Is Unavailable At This Time";

// Reads the value `SubKeyRef` of the key `KeyName` under `KeyRoot`, opened to query values only,
// into `KeyVal`: text as stored (REG_EXPAND_SZ with its variables expanded), a 32-bit number
// as "&h" and its hexadecimal digits. False, with `KeyVal` empty, when the key or value is
// missing or of another type, or the value is empty or longer than 1024 bytes.
[[nodiscard]] bool GetKeyValue(HKEY KeyRoot, const std::wstring& KeyName,
                               const std::wstring& SubKeyRef, std::wstring& KeyVal);

// Starts the tool from the path of the first location or, failing that, from the folder of the
// second when it holds MSINFO32.EXE; both must be absolute paths. Otherwise, or when the start
// fails, tells the user with a message box owned by `owner` that the tool is unavailable.
void StartSysInfo(HWND owner, const SysInfoLocations& locations = DefaultSysInfoLocations());

}  // namespace vocalinka
