// The About box, opened modelessly on this thread; its keyboard goes through
// PreTranslateMessage as in the program's message loop.
#include "about/frm_about.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dialog_test_support.h"
#include "resources/dialogs_resource.h"
#include "shell/app_title.h"

namespace vocalinka {
namespace {

using test::Text;
using namespace std::chrono_literals;

// Registry rows that name nothing, so that System Info always ends in the message.
SysInfoLocations NowhereLocations() {
    const std::wstring key = L"Software\\VocalinkaTest-nowhere";
    return {{HKEY_CURRENT_USER, key, L"PATH"}, {HKEY_CURRENT_USER, key, L"MSINFO"}};
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
    frmAbout about_{GetModuleHandleW(nullptr), NowhereLocations()};
};

TEST_F(AboutBox, FillsItsCaptionsAtEveryOpeningAndLeavesTheOwnerUsable) {
    for (int opening = 0; opening < 2; ++opening) {
        ASSERT_TRUE(Open());
        test::ExpectDialogFrame(about_.Handle(), owner_.get(), L"About Vocalinka 'Parlemot'");
        EXPECT_TRUE(IsWindowEnabled(owner_.get()));
        EXPECT_EQ(GetFocus(), Item(IDOK));
        EXPECT_NE(SendMessageW(Item(IDC_PICICON), STM_GETICON, 0, 0), 0);
        EXPECT_EQ(Text(Item(IDC_LBLTITLE)), kApplicationTitle);
        EXPECT_EQ(Text(Item(IDC_LBLVERSION)), L"Version 1.0.0");
        EXPECT_EQ(Text(Item(IDC_LBLDISCLAIMER)), L"\r\n\r\n\r\n\r\n\r\n");  // six empty lines
        // A line naming the product and version 1.0, an empty line, a two-line notice that
        // ends with the reservation of all rights.
        const std::wstring description = Text(Item(IDC_LBLDESCRIPTION));
        const auto firstBreak = description.find(L"\r\n\r\n");
        EXPECT_NE(description.substr(0, firstBreak).find(L"Vocalinka 'Parlemot' 1.0"),
                  std::wstring::npos);
        EXPECT_TRUE(description.ends_with(L"\r\nAll rights reserved.")) << description;
        test::PostClick(about_.Handle(), IDOK);
        ASSERT_TRUE(Loop([this] { return about_.Handle() == nullptr; }));
    }
}

TEST_F(AboutBox, EnterEscapeAndTheCloseBoxCloseItAndTabReachesSystemInfo) {
    const std::function<void()> closers[] = {
        [] { test::PostKey(GetFocus(), VK_RETURN); },
        [] { test::PostKey(GetFocus(), VK_ESCAPE); },
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

TEST_F(AboutBox, TheAccessKeyOfSystemInfoRunsItAndTheBoxStaysOpen) {
    ASSERT_TRUE(Open());
    HWND message = nullptr;
    bool dismissed = false;
    EXPECT_TRUE(test::RunScripted(
        [&] {
            PostMessageW(GetFocus(), WM_CHAR, L's', 1);
            Loop([&] { return dismissed; });
        },
        {test::WaitForWindow(kApplicationTitle, message), test::Do([&] {
             EXPECT_EQ(test::MessageBoxText(message),
                       L"System Information Is Unavailable At This Time");
             EXPECT_EQ(GetWindow(message, GW_OWNER), about_.Handle());
             test::PostClick(message, IDOK);
         }),
         [&] { return dismissed = test::FindThreadWindow(kApplicationTitle) == nullptr; }}));
    EXPECT_NE(about_.Handle(), nullptr);
}

// Title, description and disclaimer are black, the version keeps the system colour; below the
// description an etched rule, grey above white (at 96 DPI: rows 148, then 149 and 150).
TEST_F(AboutBox, PaintsItsTextBlackButTheVersionAndDrawsTheEtchedRule) {
    ASSERT_TRUE(Open());
    HWND box = about_.Handle();
    HDC memory = CreateCompatibleDC(nullptr);
    for (const int id : {IDC_LBLTITLE, IDC_LBLDESCRIPTION, IDC_LBLDISCLAIMER, IDC_LBLVERSION}) {
        SetTextColor(memory, RGB(1, 2, 3));
        EXPECT_NE(SendMessageW(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(memory),
                               reinterpret_cast<LPARAM>(Item(id))),
                  0)
            << id;
        EXPECT_EQ(GetTextColor(memory),
                  id == IDC_LBLVERSION ? GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0))
            << id;
    }
    DeleteDC(memory);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(box);
    constexpr COLORREF kGrey = RGB(128, 128, 128), kWhite = RGB(255, 255, 255);
    EXPECT_EQ(GetPixel(dc, 0, 148), kGrey);
    EXPECT_EQ(GetPixel(dc, 365, 148), kGrey);
    EXPECT_NE(GetPixel(dc, 200, 147), kGrey);
    EXPECT_EQ(GetPixel(dc, 1, 149), kWhite);
    EXPECT_EQ(GetPixel(dc, 200, 150), kWhite);
    EXPECT_NE(GetPixel(dc, 0, 149), kWhite);
    EXPECT_NE(GetPixel(dc, 200, 151), kWhite);
    ReleaseDC(box, dc);
}

TEST_F(AboutBox, GoesAwayWithItsObject) {
    HWND box = nullptr;
    {
        frmAbout about(GetModuleHandleW(nullptr), NowhereLocations());
        about.Show(owner_.get());
        box = about.Handle();
        ASSERT_TRUE(IsWindow(box));
    }
    EXPECT_FALSE(IsWindow(box));
}

TEST(VersionText, ReadsTheVersionResourceOfAModule) {
    EXPECT_EQ(VersionText(GetModuleHandleW(nullptr)), L"Version 1.0.0");
    // A module without version information: the stand-in tool of the System Info tests.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring tool = self;
    tool.resize(tool.find_last_of(L'\\'));
    tool.resize(tool.find_last_of(L'\\'));
    const win32util::UniqueModule module(LoadLibraryExW(
        (tool + L"\\helpers\\marker_program.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(VersionText(module.get()), L"");
}

}  // namespace
}  // namespace vocalinka
