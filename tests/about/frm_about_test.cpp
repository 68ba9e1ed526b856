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
    bool Loop(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (about_.PreTranslateMessage(msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            Sleep(5);
        }
        return true;
    }
    bool Open() {
        about_.Show(owner_.Handle());
        return Loop([this] { return about_.Handle() && IsWindowVisible(about_.Handle()); });
    }
    bool Closed() {
        return Loop([this] { return about_.Handle() == nullptr; });
    }

    test::OwnerWindow owner_;
    frmAbout about_{GetModuleHandleW(nullptr), NowhereLocations()};
};

TEST_F(AboutBox, FillsItsCaptionsAtEveryOpening) {
    for (int opening = 0; opening < 2; ++opening) {
        ASSERT_TRUE(Open());
        EXPECT_EQ(Text(about_.Handle()), L"About Vocalinka 'Parlemot'");
        EXPECT_EQ(Text(Item(IDC_LBLTITLE)), kApplicationTitle);
        EXPECT_EQ(Text(Item(IDC_LBLVERSION)), L"Version 1.0.0");
        EXPECT_EQ(Text(Item(IDC_LBLDISCLAIMER)), L"\r\n\r\n\r\n\r\n\r\n");  // six empty lines
        const std::wstring description = Text(Item(IDC_LBLDESCRIPTION));
        // A line naming the product and version 1.0, an empty line, a two-line notice that
        // ends with the reservation of all rights.
        const auto firstBreak = description.find(L"\r\n\r\n");
        ASSERT_NE(firstBreak, std::wstring::npos);
        EXPECT_NE(description.substr(0, firstBreak).find(L"Vocalinka 'Parlemot' 1.0"),
                  std::wstring::npos);
        const std::wstring notice = description.substr(firstBreak + 4);
        EXPECT_NE(notice.find(L"\r\n"), std::wstring::npos);
        EXPECT_TRUE(notice.ends_with(L"All rights reserved.")) << notice;
        EXPECT_EQ(Text(Item(IDOK)), L"OK");
        EXPECT_EQ(Text(Item(IDC_CMDSYSINFO)), L"&System Info...");
        test::PostClick(about_.Handle(), IDOK);
        ASSERT_TRUE(Closed());
    }
}

TEST_F(AboutBox, PlacesItsControlsAtTheDesignedPixelsAndShowsTheIcon) {
    ASSERT_TRUE(Open());
    RECT client{};
    GetClientRect(about_.Handle(), &client);
    EXPECT_EQ(client.right, 366);   // 5490 twips
    EXPECT_EQ(client.bottom, 249);  // 3735 twips
    const struct {
        int id;
        RECT rect;
    } expected[] = {
        {IDC_PICICON, {10, 7, 46, 43}},           {IDC_LBLTITLE, {64, 9, 323, 35}},
        {IDC_LBLVERSION, {64, 36, 323, 51}},      {IDC_LBLDESCRIPTION, {64, 59, 323, 137}},
        {IDC_LBLDISCLAIMER, {11, 160, 269, 246}}, {IDOK, {277, 160, 361, 183}},
        {IDC_CMDSYSINFO, {277, 190, 361, 213}},
    };
    for (const auto& e : expected) {
        const RECT r = test::RectInParent(Item(e.id));
        EXPECT_TRUE(EqualRect(&r, &e.rect))
            << e.id << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    EXPECT_NE(SendMessageW(Item(IDC_PICICON), STM_GETICON, 0, 0), 0);
    EXPECT_NE(SendMessageW(about_.Handle(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(about_.Handle(), WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(AboutBox, IsAnOwnedSizableWindowWithATaskbarButtonAndOkAsDefault) {
    ASSERT_TRUE(Open());
    HWND box = about_.Handle();
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner_.Handle());
    const LONG style = GetWindowLongW(box, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU),
              WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0)), IDOK);
    EXPECT_EQ(GetFocus(), Item(IDOK));
    // The owner stays usable: the box is not modal.
    EXPECT_TRUE(IsWindowEnabled(owner_.Handle()));
}

TEST_F(AboutBox, AtMostOneIsOpenAndShowBringsItForward) {
    ASSERT_TRUE(Open());
    HWND first = about_.Handle();
    ShowWindow(first, SW_MINIMIZE);
    about_.Show(owner_.Handle());
    EXPECT_EQ(about_.Handle(), first);
    EXPECT_FALSE(IsIconic(first));
    int boxes = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM count) -> BOOL {
            if (IsWindowVisible(window) && Text(window) == L"About Vocalinka 'Parlemot'") {
                ++*reinterpret_cast<int*>(count);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&boxes));
    EXPECT_EQ(boxes, 1);
}

TEST_F(AboutBox, EnterEscapeAndTheCloseBoxCloseIt) {
    const std::function<void()> closers[] = {
        [this] { test::PostKey(GetFocus(), VK_RETURN); },
        [this] { test::PostKey(GetFocus(), VK_ESCAPE); },
        [this] { PostMessageW(about_.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& close : closers) {
        ASSERT_TRUE(Open());
        close();
        EXPECT_TRUE(Closed());
    }
}

TEST_F(AboutBox, TabGoesFromOkToSystemInfo) {
    ASSERT_TRUE(Open());
    test::PostKey(GetFocus(), VK_TAB);
    EXPECT_TRUE(Loop([this] { return GetFocus() == Item(IDC_CMDSYSINFO); }));
    test::PostKey(GetFocus(), VK_TAB);
    EXPECT_TRUE(Loop([this] { return GetFocus() == Item(IDOK); }));
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
        {test::WaitForWindow(kApplicationTitle, message),
         [&] {
             const test::MessageBoxContent content = test::ReadMessageBox(message);
             EXPECT_EQ(content.text, L"System Information Is Unavailable At This Time");
             EXPECT_EQ(GetWindow(message, GW_OWNER), about_.Handle());
             test::PostClick(message, IDOK);
             return true;
         },
         [&] { return dismissed = test::FindThreadWindow(kApplicationTitle) == nullptr; }}));
    EXPECT_NE(about_.Handle(), nullptr);
}

TEST_F(AboutBox, DrawsTheEtchedRuleGreyAboveWhite) {
    ASSERT_TRUE(Open());
    HWND box = about_.Handle();
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(box);
    // At 96 DPI: grey on row 148 from the left edge, white on rows 149 and 150 from x = 1.
    EXPECT_EQ(GetPixel(dc, 0, 148), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(dc, 200, 148), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(dc, 365, 148), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(dc, 1, 149), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 200, 150), RGB(255, 255, 255));
    EXPECT_NE(GetPixel(dc, 0, 149), RGB(255, 255, 255));
    EXPECT_NE(GetPixel(dc, 200, 147), RGB(128, 128, 128));
    EXPECT_NE(GetPixel(dc, 200, 151), RGB(255, 255, 255));
    ReleaseDC(box, dc);
}

TEST_F(AboutBox, PaintsTitleDescriptionAndDisclaimerBlackAndLeavesTheVersion) {
    ASSERT_TRUE(Open());
    HDC dc = CreateCompatibleDC(nullptr);
    for (const int id : {IDC_LBLTITLE, IDC_LBLDESCRIPTION, IDC_LBLDISCLAIMER, IDC_LBLVERSION}) {
        SetTextColor(dc, RGB(1, 2, 3));
        const LRESULT brush =
            SendMessageW(about_.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(Item(id)));
        if (id == IDC_LBLVERSION) {
            EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
        } else {
            EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0)) << id;
            EXPECT_NE(brush, 0) << id;
        }
    }
    DeleteDC(dc);
}

TEST_F(AboutBox, GoesAwayWithItsObject) {
    HWND box = nullptr;
    {
        frmAbout about(GetModuleHandleW(nullptr), NowhereLocations());
        about.Show(owner_.Handle());
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
    tool += L"\\helpers\\marker_program.exe";
    HMODULE module = LoadLibraryExW(tool.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(VersionText(module), L"");
    FreeLibrary(module);
}

}  // namespace
}  // namespace vocalinka
