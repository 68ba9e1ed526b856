// Goes through a setup program's pages as a person would: starts it, presses the default way
// on (Next, Install, Finish, OK) in each of its windows, and answers every Yes/No question
// with the answer given, printing the question. Ends with the setup program's exit code, or
// 124 when it is not done within a minute (it is then ended).
//     setup_driver <setup program> yes|no
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "program_under_test.h"

namespace {

using namespace std::chrono_literals;

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
    e2e::Process setup;
    if (!setup.Start(L"\"" + std::wstring(argv[1]) + L"\"")) {
        std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    DWORD exitCode = 124;
    HWND answered = nullptr;  // a box still closing is not a second question
    while (WaitForSingleObject(setup.Handle(), 300) == WAIT_TIMEOUT) {
        if (std::chrono::steady_clock::now() > deadline) {
            TerminateProcess(setup.Handle(), 124);
            WaitForSingleObject(setup.Handle(), 5000);
            break;
        }
        for (HWND window : e2e::VisibleWindowsOf(setup.Id())) {
            if (!IsWindowEnabled(window)) continue;  // under a message box
            if (GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO)) {
                if (window == answered) continue;
                answered = window;
                // 0xFFFF: the system's id for a message box's text.
                std::wprintf(L"asked: %ls\n", e2e::TextOf(GetDlgItem(window, 0xFFFF)).c_str());
                std::fflush(stdout);
                Press(window, answer);
            } else {
                Press(window, IDOK);  // the wizard's Next, Install and Finish, a box's OK
            }
        }
    }
    GetExitCodeProcess(setup.Handle(), &exitCode);
    return static_cast<int>(exitCode);
}
