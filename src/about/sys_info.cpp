#include "about/sys_info.h"

#include <shellapi.h>

#include <span>

#include "about/registry_value.h"
#include "ui/app_title.h"
#include "win32util/handles.h"
#include "win32util/text.h"

namespace vocalinka {
namespace {

using win32util::ToU16;
using win32util::UniqueKey;

using win32util::UniqueHandle;

constexpr wchar_t kToolFile[] = L"MSINFO32.EXE";
// Missing from MinGW-w64's winerror.h.
constexpr DWORD kErrorElevationRequired = 740;

// The registry may hold the folder with or without a closing backslash.
std::wstring ToolInFolder(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder + kToolFile;
}

std::wstring Expanded(const std::wstring& text) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring expanded(needed, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (length == 0 || length > needed) return text;
    expanded.resize(length - 1);  // the count includes the terminating NUL
    return expanded;
}

// A file that is there and is neither a folder nor hidden nor a system file.
bool IsPlainFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes &
             (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

// Started by its full path, also as the quoted first word of its command line, so that a path
// with spaces is never read as a shorter program's name with arguments.
bool StartProgram(const std::wstring& path) {
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{sizeof(startup)};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &process)) {
        const UniqueHandle processHandle(process.hProcess);
        const UniqueHandle threadHandle(process.hThread);
        return true;
    }
    // A tool marked to run elevated can only be started through the shell, which asks.
    if (GetLastError() != kErrorElevationRequired) return false;
    SHELLEXECUTEINFOW execute{sizeof(execute)};
    execute.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpFile = path.c_str();
    execute.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&execute) != FALSE;
}

}  // namespace

SysInfoLocations DefaultSysInfoLocations() {
    return {{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH"},
            {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO"}};
}

bool GetKeyValue(HKEY KeyRoot, const std::wstring& KeyName, const std::wstring& SubKeyRef,
                 std::wstring& KeyVal) {
    KeyVal.clear();
    HKEY opened = nullptr;
    if (RegOpenKeyExW(KeyRoot, KeyName.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueKey key(opened);
    unsigned char data[kMaxRegistryValueBytes];
    DWORD size = sizeof(data);
    DWORD type = REG_NONE;
    // A longer value fails here with ERROR_MORE_DATA.
    if (RegQueryValueExW(key.get(), SubKeyRef.c_str(), nullptr, &type, data, &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    const auto value = CutRegistryValue(type, std::span<const unsigned char>(data, size));
    if (!value) return false;
    KeyVal.assign(value->text.begin(), value->text.end());
    if (value->expand) KeyVal = Expanded(KeyVal);
    return true;
}

void StartSysInfo(HWND owner, const SysInfoLocations& locations) {
    std::wstring path;
    const RegistryLocation& first = locations.programPath;
    // Only a full path is started: a relative one would be looked up in the current folder.
    if (!GetKeyValue(first.root, first.key, first.valueName, path) ||
        !IsAbsolutePath(ToU16(path))) {
        path.clear();
        const RegistryLocation& second = locations.programFolder;
        std::wstring folder;
        if (GetKeyValue(second.root, second.key, second.valueName, folder) &&
            IsAbsolutePath(ToU16(folder)) && IsPlainFile(ToolInFolder(folder))) {
            path = ToolInFolder(folder);
        }
    }
    if (path.empty() || !StartProgram(path)) {
        MessageBoxW(owner, kSysInfoUnavailable, kApplicationTitle, MB_OK);
    }
}

}  // namespace vocalinka
