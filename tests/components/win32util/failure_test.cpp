// A failure inside a window procedure is reported and the program goes on.
#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "win32util/window.h"

namespace {

struct Report {
    HWND window;
    std::wstring description;
};
std::vector<Report> reports;

void Remember(HWND window, const std::wstring& description) noexcept {
    reports.push_back({window, description});
}

constexpr UINT kThrowRuntimeError = WM_APP + 1;
constexpr UINT kThrowBadAlloc = WM_APP + 2;
constexpr UINT kThrowInteger = WM_APP + 3;
constexpr UINT kAnswer = WM_APP + 4;

class ThrowingWindow {
public:
    ThrowingWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc =
            &win32util::ForwardingWindowProc<ThrowingWindow, &ThrowingWindow::hwnd_,
                                             &ThrowingWindow::OnMessage>;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ThrowingWindowTest";
        RegisterClassW(&windowClass);
        CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                        nullptr, windowClass.hInstance, this);
    }
    ~ThrowingWindow() { DestroyWindow(hwnd_); }
    HWND hwnd_ = nullptr;

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case kThrowRuntimeError:
                throw std::runtime_error("The character file is damaged.");
            case kThrowBadAlloc:
                throw std::bad_alloc();
            case kThrowInteger:
                throw 42;
            case kAnswer:
                return 7;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
};

TEST(WindowProcedureFailure, IsReportedInPlainWordsAndTheWindowGoesOn) {
    win32util::SetFailureReporter(&Remember);
    reports.clear();
    ThrowingWindow window;
    ASSERT_NE(window.hwnd_, nullptr);

    struct Case {
        UINT message;
        const wchar_t* description;
    };
    const Case cases[] = {
        {kThrowRuntimeError, L"The character file is damaged."},
        {kThrowBadAlloc, L"There is not enough memory to finish this."},
        {kThrowInteger, L"Something went wrong that the program did not foresee."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SendMessageW(window.hwnd_, c.message, 0, 0), 0);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back().window, window.hwnd_);
        EXPECT_EQ(reports.back().description, c.description);
    }
    EXPECT_EQ(reports.size(), 3u);
    EXPECT_EQ(SendMessageW(window.hwnd_, kAnswer, 0, 0), 7);  // still answering
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

}  // namespace
