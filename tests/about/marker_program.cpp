// Leaves "<this program's path>.ran" behind, holding in UTF-16 the window style it was asked
// to show with (-1 when none was given), a space and the command line it was started with.
#include <windows.h>

#include <string>

int main() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    STARTUPINFOW startup{sizeof(startup)};
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    const std::wstring content = std::to_wstring(show) + L" " + GetCommandLineW();
    HANDLE marker = CreateFileW((std::wstring(path) + L".ran").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(marker, content.data(), static_cast<DWORD>(content.size() * sizeof(wchar_t)),
              &written, nullptr);
    CloseHandle(marker);
    return 0;
}
