// The settings dialogs and the About box of the running program, opened through the pop-up
// menu and its access keys and driven with real keys and mouse presses from outside.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "program_under_test.h"
#include "resources/dialogs_resource.h"

namespace e2e {
namespace {

std::string Profile(const std::string& character, const std::string& language,
                    const std::string& speed, const std::string& pitch) {
    return "\"Character=" + character + "\r\nLanguage=" + language + "\r\nSpeed=" + speed +
           "\r\nPitch=" + pitch + "\"\r\n";
}

// The same settings as a user might write them by hand: when the program has rewritten the
// file, it holds the quoted form above.
std::string HandWritten(const std::string& character, const std::string& language,
                        const std::string& speed, const std::string& pitch) {
    return "Character=" + character + "\nLanguage=" + language + "\nSpeed=" + speed +
           "\nPitch=" + pitch + "\n";
}

int SliderPosition(HWND slider) {
    return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
}

std::vector<std::wstring> ListEntries(HWND list) {
    std::vector<std::wstring> entries;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[MAX_PATH] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return folder;
}

// Files and folders put into the prefix's Agent folders for one test, and taken out again;
// what was there before stays.
class Fixtures {
public:
    Fixtures() = default;
    Fixtures(const Fixtures&) = delete;
    Fixtures& operator=(const Fixtures&) = delete;
    ~Fixtures() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            SetFileAttributesW(it->c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(it->c_str())) RemoveDirectoryW(it->c_str());
        }
        for (const auto& [from, to] : renamed_) MoveFileW(to.c_str(), from.c_str());
    }
    void File(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        CloseHandle(file);
        made_.push_back(path);
    }
    void Folder(const std::wstring& path) {
        if (CreateDirectoryW(path.c_str(), nullptr)) made_.push_back(path);
    }
    // A file or folder made elsewhere, removed with the others.
    void Track(const std::wstring& path) { made_.push_back(path); }
    void Rename(const std::wstring& from, const std::wstring& to) {
        if (MoveFileW(from.c_str(), to.c_str())) renamed_.emplace_back(from, to);
    }

private:
    std::vector<std::wstring> made_;
    std::vector<std::pair<std::wstring, std::wstring>> renamed_;
};

class DialogsE2E : public testing::Test {
protected:
    void Start(const std::string& handWrittenProfile) {
        program_.WriteProfile(handWrittenProfile);
        ASSERT_TRUE(program_.Start()) << "the main window did not appear";
    }
    // Chooses a menu command and waits for the window it opens.
    HWND Open(WORD accessKey, const wchar_t* caption) {
        if (!program_.ChooseMenuCommand(accessKey)) return nullptr;
        return program_.WaitForWindowWithCaption(caption);
    }
    bool Gone(HWND window) {
        return WaitUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); });
    }
    // The profile once the program has written it after a dialog, compared as it stands.
    bool ProfileBecomes(const std::string& bytes) {
        return WaitUntil([&] { return program_.ReadProfile() == bytes; });
    }

    ProgramUnderTest program_;
};

TEST_F(DialogsE2E, SpeechConfigurationOpensWithCaptionControlsAndFocusOnOk) {
    Start(HandWritten("Merlin", "English", "127", "127"));
    HWND dialog = Open('P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), program_.MainWindow());
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(dialog) == GetDlgItem(dialog, IDOK); }));
    const struct {
        int id;
        const wchar_t* text;
    } controls[] = {
        {IDOK, L"OK"},
        {IDCANCEL, L"Cancel"},
        {IDC_LBLRANGE, L"Talking Speed (127 = Normal)"},
        {IDC_TXTSPEED, L"127"},
        {IDC_LBL50, L"50"},
        {IDC_LBL250, L"250"},
        {IDC_LABEL3, L"Pitch (127 = Normal)"},
        {IDC_LBLPITCH, L"127"},
        {IDC_LBLFIFTY, L"50"},
        {IDC_LABEL1, L"400"},
    };
    for (const auto& c : controls) EXPECT_EQ(TextOf(GetDlgItem(dialog, c.id)), c.text) << c.id;
    EXPECT_EQ(SliderPosition(GetDlgItem(dialog, IDC_SLDSPEED)), 127);
    EXPECT_EQ(SliderPosition(GetDlgItem(dialog, IDC_SLDPITCH)), 127);
    // The main window takes no input while the dialog is open.
    EXPECT_FALSE(IsWindowEnabled(program_.MainWindow()));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Gone(dialog));
}

TEST_F(DialogsE2E, SlidersMovedByKeyboardAndMouseThenOkWriteTheProfile) {
    Start(HandWritten("Merlin", "English", "127", "127"));
    HWND dialog = Open('P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    HWND speed = GetDlgItem(dialog, IDC_SLDSPEED);
    HWND pitch = GetDlgItem(dialog, IDC_SLDPITCH);
    HWND speedLabel = GetDlgItem(dialog, IDC_TXTSPEED);
    HWND pitchLabel = GetDlgItem(dialog, IDC_LBLPITCH);

    PressKey(VK_TAB);  // OK, Cancel, then the speed slider
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(dialog) == speed; }));
    for (int i = 0; i < 3; ++i) PressKey(VK_RIGHT);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(speedLabel) == L"130"; })) << TextOf(speedLabel);

    // A click on the channel right of the thumb moves it a large step.
    RECT track{};
    GetWindowRect(speed, &track);
    PressMouse({track.right - 8, (track.top + track.bottom) / 2}, MOUSEEVENTF_LEFTDOWN,
               MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitUntil([&] { return SliderPosition(speed) == 135; })) << SliderPosition(speed);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(speedLabel) == L"135"; })) << TextOf(speedLabel);

    // The pitch by keyboard alone: its label follows, and OK stores what it shows.
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(dialog) == pitch; }));
    PressKey(VK_LEFT);
    PressKey(VK_LEFT);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(pitchLabel) == L"125"; })) << TextOf(pitchLabel);

    PressKey(VK_RETURN);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(ProfileBecomes(Profile("Merlin", "English", "135", "125")))
        << program_.ReadProfile().value_or("<none>");
}

TEST_F(DialogsE2E, CancelRewritesTheProfileUnchanged) {
    Start(HandWritten("Merlin", "English", "200", "300"));
    HWND dialog = Open('P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TXTSPEED)), L"200");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_LBLPITCH)), L"300");
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    PressKey(VK_END);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(ProfileBecomes(Profile("Merlin", "English", "200", "300")))
        << program_.ReadProfile().value_or("<none>");
}

TEST_F(DialogsE2E, AStoredSpeedOf300GivesTheRangeMessage) {
    Start(HandWritten("Merlin", "English", "300", "127"));
    HWND dialog = Open('P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TXTSPEED)), L"300");
    EXPECT_EQ(SliderPosition(GetDlgItem(dialog, IDC_SLDSPEED)), 250);
    PressKey(VK_RETURN);
    HWND message = program_.WaitForWindowWithCaption(L"Configuration Error");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(message, 0xFFFF)),
              L"Talking speed out of range.\r\nPlease select a number from 50 - 250.");
    PressKey(VK_RETURN);
    EXPECT_TRUE(Gone(message));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TXTSPEED)), L"300");
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(ProfileBecomes(Profile("Merlin", "English", "300", "127")));
}

TEST_F(DialogsE2E, TheCharacterListHoldsThePlainAcsFilesOfThePrefix) {
    const std::wstring chars = WindowsFolder() + L"\\Msagent\\Chars";
    Fixtures fixtures;
    fixtures.File(chars + L"\\Genie.acs");
    fixtures.File(chars + L"\\readme.txt");
    fixtures.File(chars + L"\\Hidden.acs", FILE_ATTRIBUTE_HIDDEN);
    fixtures.Folder(chars + L"\\Folder.acs");
    // What the list must hold: every plain .acs file, in the order the file system gives.
    std::vector<std::wstring> expected;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((chars + L"\\*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        const std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) &&
            name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".acs") == 0) {
            expected.push_back(name.substr(0, name.size() - 4));
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);

    Start(HandWritten("Merlin", "English", "127", "127"));
    HWND dialog = Open('C', L"Select Character");
    ASSERT_NE(dialog, nullptr);
    HWND list = GetDlgItem(dialog, IDC_LSTCHAR);
    const std::vector<std::wstring> entries = ListEntries(list);
    EXPECT_EQ(entries, expected);
    for (const wchar_t* name : {L"Genie", L"Merlin"}) {
        EXPECT_NE(std::find(entries.begin(), entries.end(), name), entries.end()) << name;
    }
    for (const wchar_t* name : {L"readme", L"Hidden", L"Folder"}) {
        EXPECT_EQ(std::find(entries.begin(), entries.end(), name), entries.end()) << name;
    }
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(dialog) == list; }));
    PressKey(VK_ESCAPE);  // the Genie made here is no character to load
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(ProfileBecomes(Profile("Merlin", "English", "127", "127")));
}

TEST_F(DialogsE2E, TheLanguageListOffersBothComponentsOneInLowerCase) {
    const std::wstring intl = WindowsFolder() + L"\\Msagent\\Intl";
    Fixtures fixtures;
    fixtures.File(intl + L"\\AGT0409.DLL");
    // French in lower case: a component that is there is renamed for the test, else made.
    if (GetFileAttributesW((intl + L"\\AGT040C.DLL").c_str()) != INVALID_FILE_ATTRIBUTES) {
        fixtures.Rename(intl + L"\\AGT040C.DLL", intl + L"\\agt040c.dll");
    } else {
        fixtures.File(intl + L"\\agt040c.dll");
    }
    fixtures.File(intl + L"\\AGT0407.DLL");

    Start(HandWritten("Merlin", "English", "127", "127"));
    HWND dialog = Open('S', L"Select Language");
    ASSERT_NE(dialog, nullptr);
    HWND list = GetDlgItem(dialog, IDC_LSTLANGUAGE);
    std::vector<std::wstring> entries = ListEntries(list);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"English", L"French"}));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(dialog) == list; }));
    // French chosen with the keyboard is what OK stores.
    const LRESULT french = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(L"French"));
    PressKey(french == 0 ? VK_HOME : VK_END);
    PressKey(VK_RETURN);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(ProfileBecomes(Profile("Merlin", "French", "127", "127")))
        << program_.ReadProfile().value_or("<none>");
}

TEST_F(DialogsE2E, AboutShowsItsCaptionsAndLeavesTheMainWindowUsable) {
    Start(HandWritten("Merlin", "English", "127", "127"));
    HWND about = Open('A', L"About Vocalinka 'Parlemot'");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetWindow(about, GW_OWNER), program_.MainWindow());
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_LBLTITLE)), L"Vocalinka 'Parlemot'");
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_LBLVERSION)), L"Version 1.0.0");
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_LBLDISCLAIMER)), L"\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_CMDSYSINFO)), L"&System Info...");
    EXPECT_TRUE(IsWindowEnabled(program_.MainWindow()));
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindowOf(about) == GetDlgItem(about, IDOK); }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Gone(about));
    // Nothing is saved after About.
    EXPECT_EQ(program_.ReadProfile(), HandWritten("Merlin", "English", "127", "127"));
}

// The two registry rows of the system information tool in the prefix, set for one test and
// put back as they were.
class SysInfoRows {
public:
    SysInfoRows() {
        for (Row& row : rows_) {
            HKEY key = nullptr;
            row.keyExisted =
                RegOpenKeyExW(HKEY_LOCAL_MACHINE, row.key, 0, KEY_READ, &key) == ERROR_SUCCESS;
            if (!row.keyExisted) continue;
            DWORD size = sizeof(row.data);
            row.valueExisted = RegQueryValueExW(key, row.value, nullptr, &row.type, row.data,
                                                &size) == ERROR_SUCCESS;
            row.size = size;
            RegCloseKey(key);
        }
    }
    SysInfoRows(const SysInfoRows&) = delete;
    SysInfoRows& operator=(const SysInfoRows&) = delete;
    ~SysInfoRows() {
        for (const Row& row : rows_) {
            if (!row.keyExisted) {
                RegDeleteKeyW(HKEY_LOCAL_MACHINE, row.key);
                continue;
            }
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, row.key, 0, KEY_SET_VALUE, &key) !=
                ERROR_SUCCESS) {
                continue;
            }
            if (row.valueExisted) {
                RegSetValueExW(key, row.value, 0, row.type, row.data, row.size);
            } else {
                RegDeleteValueW(key, row.value);
            }
            RegCloseKey(key);
        }
    }
    // Row 0: the tool's path; row 1: its folder. Nothing removes the value.
    void Set(int index, const std::optional<std::wstring>& text) {
        const Row& row = rows_[index];
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, row.key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS) {
            return;
        }
        if (text) {
            RegSetValueExW(key, row.value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                           static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key, row.value);
        }
        RegCloseKey(key);
    }

private:
    struct Row {
        const wchar_t* key;
        const wchar_t* value;
        bool keyExisted = false;
        bool valueExisted = false;
        DWORD type = REG_NONE;
        BYTE data[2048] = {};
        DWORD size = 0;
    };
    Row rows_[2] = {{L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH"},
                    {L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO"}};
};

// Copies of a small program that leaves "<its path>.ran" when it runs.
std::wstring MarkerProgram() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path.resize(path.find_last_of(L'\\'));  // tests\e2e
    path.resize(path.find_last_of(L'\\'));  // tests
    return path + L"\\helpers\\marker_program.exe";
}

bool FileAppears(const std::wstring& path) {
    return WaitUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
                     10s);
}

TEST_F(DialogsE2E, SystemInfoStartsTheFirstRowThenTheSecondThenSaysItIsUnavailable) {
    Start(HandWritten("Merlin", "English", "127", "127"));
    const std::wstring tool = program_.Folder() + L"\\sysinfo tool.exe";
    const std::wstring toolFolder = program_.Folder() + L"\\msinfo";
    const std::wstring folderTool = toolFolder + L"\\MSINFO32.EXE";
    Fixtures fixtures;
    fixtures.Folder(toolFolder);
    fixtures.Track(folderTool);
    fixtures.Track(folderTool + L".ran");
    ASSERT_TRUE(CopyFileW(MarkerProgram().c_str(), tool.c_str(), FALSE)) << MarkerProgram();
    ASSERT_TRUE(CopyFileW(MarkerProgram().c_str(), folderTool.c_str(), FALSE));
    SysInfoRows rows;

    HWND about = Open('A', L"About Vocalinka 'Parlemot'");
    ASSERT_NE(about, nullptr);
    HWND button = GetDlgItem(about, IDC_CMDSYSINFO);

    rows.Set(0, tool);
    rows.Set(1, toolFolder);
    PressMouse(CentreOf(button), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(FileAppears(tool + L".ran"));
    EXPECT_EQ(GetFileAttributesW((folderTool + L".ran").c_str()), INVALID_FILE_ATTRIBUTES);

    rows.Set(0, std::nullopt);
    PressMouse(CentreOf(button), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(FileAppears(folderTool + L".ran"));

    rows.Set(1, program_.Folder());  // a folder without the tool
    PressMouse(CentreOf(button), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    HWND message = program_.WaitForWindowWithCaption(L"Vocalinka 'Parlemot'");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(message, 0xFFFF)),
              L"System Information Is Unavailable At This Time");
    PressKey(VK_RETURN);
    EXPECT_TRUE(Gone(message));
    EXPECT_TRUE(IsWindowVisible(about));
}

}  // namespace
}  // namespace e2e
