// Saves the profile named on its command line again and again, alternating between two sets of
// settings, until it is killed: the kill-during-save test's child.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "kill_during_save.h"
#include "settings/profile_file_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 3) return 1;
    vocalinka::ProfileStore store({arguments[1], {}});
    store.Load();
    // Tells the test that saves are under way, so that the kill lands among them.
    HANDLE saving = OpenEventW(EVENT_MODIFY_STATE, FALSE, arguments[2]);
    for (unsigned round = 0;; ++round) {
        store.Save(round % 2 ? vocalinka::test::kSavedSecond : vocalinka::test::kSavedFirst);
        if (round == 1 && saving) SetEvent(saving);
    }
}
