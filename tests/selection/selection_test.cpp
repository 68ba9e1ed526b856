#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "clipboard_text.h"
#include "selection/selection_win.h"
#include "shell/app_title.h"
#include "shell/win32_util.h"

namespace vocalinka {
namespace {

using test_clipboard::ClipboardText;
using test_clipboard::SetClipboardText;
using UniqueWindow = Unique<HWND, DestroyWindow>;

UniqueWindow Window(const wchar_t* title, DWORD exStyle = 0, HWND owner = nullptr,
                    bool visible = true) {
    HWND window = CreateWindowExW(exStyle, L"STATIC", title, WS_OVERLAPPED | WS_CAPTION, 10, 10,
                                  200, 100, owner, nullptr, nullptr, nullptr);
    if (visible) ShowWindow(window, SW_SHOWNA);
    return UniqueWindow(window);
}

TEST(TargetSearch, SkipsOwnedHiddenUntitledAndApplicationTitledWindows) {
    auto reader = Window(L"Reader");
    auto owned = Window(L"Owned", 0, reader.get());
    auto hidden = Window(L"Hidden", 0, nullptr, false);
    auto untitled = Window(L"");
    auto ours = Window(kApplicationTitle);
    EXPECT_EQ(FindTargetWindow(), reader.get());

    // An always-on-top window of another program comes before the window worked in.
    auto onTop = Window(L"Always on top", WS_EX_TOPMOST);
    SetWindowPos(reader.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(FindTargetWindow(), onTop.get());

    // A title that only starts with the application title is another program's.
    onTop.reset();
    auto similar = Window(L"Vocalinka 'Parlemot' - notes");
    EXPECT_EQ(FindTargetWindow(), similar.get());
}

TEST(TargetSearch, WindowsThatAreGoneHaveNoTitle) {
    HWND gone = Window(L"Soon gone").release();
    EXPECT_EQ(GetWindowTitle(gone), L"Soon gone");
    DestroyWindow(gone);
    EXPECT_EQ(GetWindowTitle(gone), L"");
    EXPECT_FALSE(IsAppWindow(gone));
    EXPECT_EQ(GetWindowTitle(nullptr), L"");
}

TEST(ClipboardSnapshot, PutsBackEveryMemoryFormatOutOfHistory) {
    const UINT custom = RegisterClipboardFormatW(L"Vocalinka test format");
    ASSERT_TRUE(SetClipboardText(L"the user's words ✓"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    const char payload[] = {1, 2, 0, 3};
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(payload));
    memcpy(GlobalLock(memory), payload, sizeof(payload));
    GlobalUnlock(memory);
    SetClipboardData(custom, memory);
    CloseClipboard();

    const CopyOptions options;
    const auto snapshot = ClipboardSnapshot::Take(options);
    ASSERT_TRUE(snapshot.has_value());
    ASSERT_TRUE(SetClipboardText(L"something else"));
    ASSERT_TRUE(snapshot->Restore(options));

    EXPECT_EQ(ClipboardText(), L"the user's words ✓");
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE restored = GetClipboardData(custom);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(memcmp(GlobalLock(restored), payload, sizeof(payload)), 0);
    GlobalUnlock(restored);
    EXPECT_TRUE(IsClipboardFormatAvailable(
        RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing")));
    CloseClipboard();
}

TEST(ClipboardSnapshot, AnEmptyClipboardIsLeftEmpty) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    const auto snapshot = ClipboardSnapshot::Take(CopyOptions{});
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_TRUE(snapshot->Empty());
    ASSERT_TRUE(SetClipboardText(L"copied"));
    ASSERT_TRUE(snapshot->Restore(CopyOptions{}));
    EXPECT_EQ(CountClipboardFormats(), 0);
}

TEST(ClipboardSnapshot, ALockedClipboardIsAFailureNotAHang) {
    // Another window holds the clipboard open for a while, as history tools do.
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      nullptr, nullptr);
        const bool held = OpenClipboard(window);
        SetEvent(opened);
        WaitForSingleObject(release, 5000);
        if (held) CloseClipboard();
        DestroyWindow(window);
    });
    WaitForSingleObject(opened, 5000);
    CopyOptions options;
    options.clipboardOpenBound = 100ms;
    EXPECT_FALSE(ClipboardSnapshot::Take(options).has_value());
    SetEvent(release);
    holder.join();
    EXPECT_TRUE(ClipboardSnapshot::Take(options).has_value());
    CloseHandle(opened);
    CloseHandle(release);
}

// A window the user reads in: an edit control that is its own top-level window, so that it
// has the focus when it is activated.
class CopyFromEdit : public testing::Test {
protected:
    void SetUp() override {
        edit_.reset(CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | ES_MULTILINE, 50, 50,
                                    400, 200, nullptr, nullptr, nullptr, nullptr));
        ShowWindow(edit_.get(), SW_SHOW);
        ASSERT_TRUE(SetClipboardText(L"kept from before"));
        options_.copyBound = 500ms;
    }
    void Select(const std::wstring& text, bool all) {
        SetWindowTextW(edit_.get(), text.c_str());
        SendMessageW(edit_.get(), EM_SETSEL, 0, all ? -1 : 0);
    }
    UniqueWindow edit_;
    CopyOptions options_;
};

TEST_F(CopyFromEdit, ReadsTheSelectionInAnyScriptAndPutsTheClipboardBack) {
    for (const std::wstring text : {L"Good morning", L"Où est la bibliothèque ? Très bien.",
                                    L"Γειά σου κόσμε 中文 🌍\r\nline two"}) {
        Select(text, true);
        {
            const CopiedSelection copied = CopySelectionFrom(edit_.get(), options_);
            ASSERT_TRUE(copied.text.has_value());
            EXPECT_EQ(*copied.text, text);
        }
        EXPECT_EQ(ClipboardText(), L"kept from before");
    }
}

TEST_F(CopyFromEdit, NoSelectionGivesEmptyTextNotTheOldClipboard) {
    Select(L"nothing selected here", false);
    {
        const CopiedSelection copied = CopySelectionFrom(edit_.get(), options_);
        ASSERT_TRUE(copied.text.has_value());
        EXPECT_EQ(*copied.text, L"");
    }
    EXPECT_EQ(ClipboardText(), L"kept from before");
}

TEST_F(CopyFromEdit, NoTargetOrACancelledCopyReadsNothing) {
    Select(L"selected", true);
    EXPECT_FALSE(CopySelectionFrom(nullptr, options_).text.has_value());
    EXPECT_EQ(ClipboardText(), L"kept from before");

    options_.cancelled = [] { return true; };
    EXPECT_FALSE(CopySelectionFrom(edit_.get(), options_).text.has_value());
    // The keys were all released: Ctrl is not left down.
    EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
}

}  // namespace
}  // namespace vocalinka
