// Goes through a setup program's pages as a person would: starts it, presses the default way
// on (Next, Install, Finish, OK) in each of its windows, and answers every Yes/No question
// with the answer given, printing the question. Ends with the setup program's exit code, or
// 124 when it is not done within a minute (it is then ended).
//     setup_driver <setup program> yes|no
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "win32util/handles.h"

namespace {

using namespace std::chrono_literals;

struct Windows {
    DWORD process;
    std::vector<HWND> found;
};

std::vector<HWND> VisibleWindowsOf(DWORD process) {
    Windows windows{process, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* windowsOf = reinterpret_cast<Windows*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == windowsOf->process && IsWindowVisible(window))
                windowsOf->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows.found;
}

// The text of a message box: its static control's.
std::wstring MessageText(HWND box) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    return text;
}

bool Press(HWND window, int id) {
    HWND button = GetDlgItem(window, id);
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || (wcscmp(argv[2], L"yes") != 0 && wcscmp(argv[2], L"no") != 0)) {
        std::fwprintf(stderr, L"usage: setup_driver <setup program> yes|no\n");
        return 2;
    }
    const int answer = wcscmp(argv[2], L"yes") == 0 ? IDYES : IDNO;
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    const win32util::Unique<HANDLE, CloseHandle> thread(process.hThread);
    const win32util::Unique<HANDLE, CloseHandle> running(process.hProcess);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    DWORD exitCode = 124;
    HWND answered = nullptr;  // a box still closing is not a second question
    while (WaitForSingleObject(process.hProcess, 300) == WAIT_TIMEOUT) {
        if (std::chrono::steady_clock::now() > deadline) {
            TerminateProcess(process.hProcess, 124);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
        for (HWND window : VisibleWindowsOf(process.dwProcessId)) {
            if (!IsWindowEnabled(window)) continue;  // under a message box
            if (GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO)) {
                if (window == answered) continue;
                answered = window;
                std::wprintf(L"asked: %ls\n", MessageText(window).c_str());
                std::fflush(stdout);
                Press(window, answer);
            } else {
                Press(window, IDOK);  // the wizard's Next, Install and Finish, a box's OK
            }
        }
    }
    GetExitCodeProcess(process.hProcess, &exitCode);
    return static_cast<int>(exitCode);
}
