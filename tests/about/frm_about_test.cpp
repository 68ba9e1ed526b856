// The About box, opened modelessly on this thread with its keyboard handled as in the program's
// message loop; and the System Info tool it starts, found through registry values written here.
#include "about/frm_about.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "about/sys_info.h"
#include "dialog_test_support.h"
#include "resources/dialogs_resource.h"
#include "test_support/registry_key.h"
#include "test_support/test_files.h"
#include "ui/app_title.h"
#include "win32util/handles.h"
#include "win32util/window.h"

namespace vocalinka {

using win32util::UniqueWindow;
using win32util::WindowText;
namespace {

using namespace std::chrono_literals;

// Stands in for the tool: a program without version information that leaves
// "<its path>.ran" behind when it runs.
std::wstring MarkerProgram() {
    return test::HelperProgram(L"marker_program.exe");
}

// "major.minor" of the project's version, as the description names it.
std::wstring ShortProjectVersion() {
    const std::wstring version = L"" VOCALINKA_PROJECT_VERSION;
    return version.substr(0, version.rfind(L'.'));
}

class AboutBox : public testing::Test {
protected:
    HWND Item(int id) const { return GetDlgItem(about_.Handle(), id); }
    // The program's message loop, until `done` holds.
    bool Loop(const std::function<bool()>& done) {
        return test::PumpUntil(done, 10s,
                               [this](MSG& msg) { return about_.PreTranslateMessage(msg); });
    }
    bool Open() {
        about_.Show(owner_.get());
        return Loop([this] { return about_.Handle() && IsWindowVisible(about_.Handle()); });
    }

    UniqueWindow owner_ = test::MakeOwnerWindow();
    frmAbout about_{GetModuleHandleW(nullptr)};
};

TEST_F(AboutBox, FillsItsCaptionsAtEveryOpening) {
    for (int opening = 0; opening < 2; ++opening) {
        ASSERT_TRUE(Open());
        test::ExpectDialogFrame(about_.Handle(), owner_.get(), L"About Vocalinka 'Parlemot'");
        EXPECT_NE(SendMessageW(Item(IDC_PICICON), STM_GETICON, 0, 0), 0);
        EXPECT_EQ(WindowText(Item(IDC_LBLTITLE)), kApplicationTitle);
        EXPECT_EQ(WindowText(Item(IDC_LBLDISCLAIMER)), L"\r\n\r\n\r\n\r\n\r\n");  // six empty lines
        // It names the product and its short version and ends reserving all rights.
        const std::wstring description = WindowText(Item(IDC_LBLDESCRIPTION));
        EXPECT_TRUE(description.starts_with(std::wstring(kApplicationTitle) + L" " +
                                            ShortProjectVersion() + L","))
            << description;
        EXPECT_TRUE(description.ends_with(L"\r\nAll rights reserved.")) << description;
        test::PostClick(about_.Handle(), IDOK);
        ASSERT_TRUE(Loop([this] { return about_.Handle() == nullptr; }));
    }
}

TEST_F(AboutBox, EnterAndTheCloseBoxCloseItAndTabReachesSystemInfo) {
    const std::function<void()> closers[] = {
        [] { test::PostKey(GetFocus(), VK_RETURN); },
        [this] { PostMessageW(about_.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& close : closers) {
        ASSERT_TRUE(Open());
        test::PostKey(GetFocus(), VK_TAB);
        EXPECT_TRUE(Loop([this] { return GetFocus() == Item(IDC_CMDSYSINFO); }));
        test::PostKey(GetFocus(), VK_TAB);
        EXPECT_TRUE(Loop([this] { return GetFocus() == Item(IDOK); }));
        close();
        EXPECT_TRUE(Loop([this] { return about_.Handle() == nullptr; }));
    }
}

TEST_F(AboutBox, ShowBringsTheOpenBoxForwardRatherThanOpeningAnother) {
    ASSERT_TRUE(Open());
    HWND first = about_.Handle();
    ShowWindow(first, SW_MINIMIZE);
    about_.Show(owner_.get());
    EXPECT_EQ(about_.Handle(), first);
    EXPECT_FALSE(IsIconic(first));
}

TEST_F(AboutBox, GoesAwayWithItsObject) {
    HWND box = nullptr;
    {
        frmAbout about(GetModuleHandleW(nullptr));
        about.Show(owner_.get());
        box = about.Handle();
        ASSERT_TRUE(IsWindow(box));
    }
    EXPECT_FALSE(IsWindow(box));
}

// A module's version is read in installer/version_test.cpp, against the project's version.
TEST(VersionText, IsEmptyForAModuleWithoutVersion) {
    const win32util::UniqueModule module(
        LoadLibraryExW(MarkerProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(VersionText(module.get()), L"");
}

// Only what the registry read adds to CutRegistryValue: the open for reading, the buffer size,
// and the expansion of REG_EXPAND_SZ (mended: it was returned unexpanded).
TEST(GetKeyValue, ReadsTextExpandableTextAndNumbersUpTo1024Bytes) {
    const test::TestKey key;
    SetEnvironmentVariableW(L"VOCALINKA_TEST_FOLDER", L"C:\\Tools");
    const DWORD number = 0x105;
    const std::wstring fits(511, L'a');  // 1024 bytes with its NUL
    key.SetText(L"k", L"text", L"C:\\Tools\\tool.exe");
    key.SetText(L"k", L"expand", L"%VOCALINKA_TEST_FOLDER%\\tool.exe", REG_EXPAND_SZ);
    key.Set(L"k", L"number", REG_DWORD, &number, sizeof(number));
    key.SetText(L"k", L"fits", fits);
    key.SetText(L"k", L"tooLong", fits + L'a');
    const struct {
        const wchar_t *subkey, *name;
        std::optional<std::wstring> value;  // nothing: GetKeyValue fails
    } cases[] = {{L"k", L"text", L"C:\\Tools\\tool.exe"}, {L"k", L"expand", L"C:\\Tools\\tool.exe"},
                 {L"k", L"number", L"&h00000105"},        {L"k", L"fits", fits},
                 {L"k", L"tooLong", std::nullopt},        {L"k", L"missing", std::nullopt},
                 {L"missing", L"text", std::nullopt}};
    for (const auto& c : cases) {
        std::wstring value = L"left from before";
        EXPECT_EQ(GetKeyValue(HKEY_CURRENT_USER, key.Path(c.subkey), c.name, value),
                  c.value.has_value())
            << c.name;
        EXPECT_EQ(value, c.value.value_or(L"")) << c.name;
    }
}

// The first row names the program; the second, read only when the first cannot be, names the
// folder of MSINFO32.EXE. A first row that is read is used as it is, even when it leads nowhere.
TEST(SysInfo, StartsTheToolOfTheFirstRowOrTheSecondOrSaysItIsUnavailable) {
    const test::TemporaryFolder folder(L"sysinfo");
    const auto addTool = [&](const wchar_t* name, DWORD attributes) {
        const std::wstring path = folder.AddFolder(name) + L"\\MSINFO32.EXE";
        EXPECT_TRUE(CopyFileW(MarkerProgram().c_str(), path.c_str(), FALSE)) << MarkerProgram();
        SetFileAttributesW(path.c_str(), attributes);
        return path;
    };
    const std::wstring spaced = addTool(L"with space", FILE_ATTRIBUTE_NORMAL);
    const std::wstring second = addTool(L"second", FILE_ATTRIBUTE_NORMAL);
    addTool(L"hidden", FILE_ATTRIBUTE_HIDDEN);
    const std::wstring secondFolder = folder.Path() + L"\\second";
    const struct {
        std::optional<std::wstring> first, second;  // the rows' text; nothing: no row
        std::wstring started;                       // empty: the message instead
    } cases[] = {
        {spaced, secondFolder, spaced},
        {L"", secondFolder + L"\\", second},
        {std::nullopt, folder.Path(), L""},  // a folder without the tool
        {std::nullopt, folder.Path() + L"\\hidden", L""},
        {folder.Path() + L"\\missing.exe", secondFolder, L""},
        // Relative paths would find the tool in the current folder: they are refused.
        {L"MSINFO32.EXE", std::nullopt, L""},
        {std::nullopt, L".", L""},
        {L"..\\second\\MSINFO32.EXE", L"..\\second", L""},
    };
    // The current folder holds a tool that a relative path would find.
    wchar_t previousFolder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previousFolder);
    SetCurrentDirectoryW(secondFolder.c_str());
    const UniqueWindow owner = test::MakeOwnerWindow();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.value_or(L"-") + L" / " + c.second.value_or(L"-"));
        const test::TestKey key;
        if (c.first) key.SetText(L"MSINFO", L"PATH", *c.first);
        if (c.second) key.SetText(L"Location", L"MSINFO", *c.second);
        std::optional<std::wstring> shown;
        HWND box = nullptr;
        // The message, if any, opens within StartSysInfo; the steps end when it returns.
        test::RunScripted(
            [&] {
                StartSysInfo(owner.get(), {{HKEY_CURRENT_USER, key.Path(L"MSINFO"), L"PATH"},
                                           {HKEY_CURRENT_USER, key.Path(L"Location"), L"MSINFO"}});
            },
            {test::WaitForWindow(kApplicationTitle, box), test::Do([&] {
                 shown = test::MessageBoxText(box);
                 EXPECT_EQ(GetWindow(box, GW_OWNER), owner.get());
                 test::PostClick(box, IDOK);
             })},
            5s);
        if (c.started.empty()) {
            EXPECT_EQ(shown, kSysInfoUnavailable);
            continue;
        }
        EXPECT_FALSE(shown.has_value());
        // Once the tool has left its marker and let go of it.
        const std::wstring marker = c.started + L".ran";
        EXPECT_TRUE(test::PumpUntil([&] { return DeleteFileW(marker.c_str()) != FALSE; }));
    }
    SetCurrentDirectoryW(previousFolder);
    EXPECT_EQ(GetFileAttributesW((second + L".ran").c_str()), INVALID_FILE_ATTRIBUTES)
        << "a relative path was started";
}

}  // namespace
}  // namespace vocalinka
