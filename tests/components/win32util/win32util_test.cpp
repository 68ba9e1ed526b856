// A failure inside a window procedure is reported and the program goes on; libraries outside
// KnownDLLs come from System32, never from the program's folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "win32util/system_library.h"
#include "win32util/window.h"

namespace {

using Report = std::pair<HWND, std::wstring>;
std::vector<Report> reports;

void Remember(HWND window, const std::wstring& description) noexcept {
    reports.emplace_back(window, description);
}

constexpr UINT kAsk = WM_APP + 1;

// Answers kAsk with what `answer` returns or throws.
class AnsweringWindow {
public:
    AnsweringWindow() {
        WNDCLASSEXW windowClass{.cbSize = sizeof(windowClass)};
        windowClass.lpfnWndProc =
            &win32util::ForwardingWindowProc<AnsweringWindow, &AnsweringWindow::hwnd_,
                                             &AnsweringWindow::OnMessage>;
        windowClass.lpszClassName = L"AnsweringWindowTest";
        win32util::RegisterWindowClass(windowClass);
        CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                        nullptr, GetModuleHandleW(nullptr), this);
    }
    ~AnsweringWindow() { DestroyWindow(hwnd_); }
    HWND hwnd_ = nullptr;
    std::function<LRESULT()> answer;

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return message == kAsk ? answer() : DefWindowProcW(hwnd_, message, wParam, lParam);
    }
};

TEST(WindowProcedureFailure, IsReportedInPlainWordsAndTheWindowGoesOn) {
    win32util::SetFailureReporter(&Remember);
    reports.clear();
    AnsweringWindow window;
    ASSERT_NE(window.hwnd_, nullptr);
    const std::pair<std::function<LRESULT()>, std::wstring> cases[] = {
        {[]() -> LRESULT { throw std::runtime_error("The character file is damaged."); },
         L"The character file is damaged."},
        {[]() -> LRESULT { throw std::bad_alloc(); },
         L"There is not enough memory to finish this."},
        {[]() -> LRESULT { throw 42; }, L"Something went wrong that the program did not foresee."},
    };
    for (const auto& [answer, description] : cases) {
        window.answer = answer;
        EXPECT_EQ(SendMessageW(window.hwnd_, kAsk, 0, 0), 0);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back(), Report(window.hwnd_, description));
    }
    EXPECT_EQ(reports.size(), 3u);
    window.answer = [] { return LRESULT{7}; };
    EXPECT_EQ(SendMessageW(window.hwnd_, kAsk, 0, 0), 7);  // still answering
    win32util::SetFailureReporter(nullptr);
}

TEST(WindowProcedureFailure, GuardedCallPassesResultsThrough) {
    EXPECT_EQ(win32util::GuardedCall(nullptr, -1, [] { return 5; }), 5);
    win32util::SetFailureReporter(&Remember);
    reports.clear();
    EXPECT_EQ(win32util::GuardedCall(nullptr, -1, []() -> int { throw std::logic_error("x"); }),
              -1);
    EXPECT_EQ(reports.size(), 1u);
    win32util::SetFailureReporter(nullptr);
}

TEST(SystemLibrary, FindsSystemFunctionsByTypeAndName) {
    using GetUser = decltype(GetUserNameW);
    EXPECT_NE(win32util::SystemFunction<GetUser>(L"advapi32.dll", "GetUserNameW"), nullptr);
    EXPECT_EQ(win32util::SystemFunction<GetUser>(L"advapi32.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(win32util::SystemFunction<GetUser>(L"no-such-library.dll", "GetUserNameW"), nullptr);
}

TEST(SystemLibrary, NeverLoadsALibraryPlantedBesideTheProgram) {
    wchar_t system[MAX_PATH] = {}, program[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring planted =
        std::filesystem::path(program).replace_filename(L"planted-library.dll").wstring();
    ASSERT_TRUE(
        CopyFileW((std::wstring(system) + L"\\version.dll").c_str(), planted.c_str(), FALSE));

    EXPECT_EQ(win32util::SystemLibrary(L"planted-library.dll"), nullptr);
    // The ordinary search would have taken it.
    HMODULE ordinary = LoadLibraryW(L"planted-library.dll");
    EXPECT_NE(ordinary, nullptr);
    if (ordinary) FreeLibrary(ordinary);
    DeleteFileW(planted.c_str());
}

}  // namespace
