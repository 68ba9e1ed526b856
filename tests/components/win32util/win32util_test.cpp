// A window that cannot be made is reported by throwing, never left as a null handle; a failure
// inside a window procedure is reported and the program goes on; libraries outside KnownDLLs
// come from System32, never from the program's folder.
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
        window_ = win32util::CreateForwardingWindow<AnsweringWindow, &AnsweringWindow::hwnd_,
                                                    &AnsweringWindow::OnMessage>(
            *this, {.cbSize = sizeof(WNDCLASSEXW), .lpszClassName = L"AnsweringWindowTest"},
            {.style = WS_OVERLAPPED, .bounds = {0, 0, 10, 10}});
    }
    HWND hwnd_ = nullptr;
    std::function<LRESULT()> answer;

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return message == kAsk ? answer() : DefWindowProcW(hwnd_, message, wParam, lParam);
    }
    win32util::UniqueWindow window_;
};

// A window that can refuse to be created, as one whose WM_NCCREATE handler fails does.
struct RefusingWindow {
    static constexpr wchar_t kClassName[] = L"RefusingWindowTest";
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            askedToCreate = true;
            if (refuse) return FALSE;
        }
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
    win32util::UniqueWindow Create() {
        return win32util::CreateForwardingWindow<RefusingWindow, &RefusingWindow::hwnd_,
                                                 &RefusingWindow::OnMessage>(
            *this, {.cbSize = sizeof(WNDCLASSEXW), .lpszClassName = kClassName},
            {.title = L"refusing", .parent = HWND_MESSAGE});
    }
    HWND hwnd_ = nullptr;
    bool refuse = true;
    bool askedToCreate = false;
};

std::string ErrorOf(const std::function<void()>& create) {
    try {
        create();
    } catch (const std::runtime_error& failure) {
        return failure.what();
    }
    return "no error";
}

TEST(WindowCreation, AWindowThatRefusesThrowsAndLeavesNoHandleBehind) {
    RefusingWindow refusing;
    const std::string error = ErrorOf([&] { refusing.Create(); });
    EXPECT_NE(error.find("Could not create a window of class RefusingWindowTest"),
              std::string::npos)
        << error;
    // WM_NCCREATE gave the object a handle; it must not keep one that names no window.
    EXPECT_TRUE(refusing.askedToCreate);
    EXPECT_EQ(refusing.hwnd_, nullptr);
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, RefusingWindow::kClassName, nullptr), nullptr);

    // The class was registered all the same: the next window of it is made.
    RefusingWindow accepting{.refuse = false};
    const win32util::UniqueWindow window = accepting.Create();
    ASSERT_NE(window.get(), nullptr);
    EXPECT_EQ(accepting.hwnd_, window.get());
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, RefusingWindow::kClassName, L"refusing"),
              window.get());
}

TEST(WindowCreation, AClassThatCannotBeRegisteredThrowsNamingItAndCreatesNothing) {
    WNDCLASSEXW badClass{.cbSize = sizeof(badClass), .lpszClassName = L"UnregistrableTest"};
    badClass.lpfnWndProc = &DefWindowProcW;
    badClass.cbWndExtra = -1;  // the system refuses a negative size
    const std::string error = ErrorOf(
        [&] { win32util::CreateRegisteredWindow(badClass, {.parent = HWND_MESSAGE}, nullptr); });
    EXPECT_NE(error.find("Could not register the window class UnregistrableTest"),
              std::string::npos)
        << error;
    WNDCLASSEXW found{sizeof(found)};
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"UnregistrableTest", &found));
}

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
    // Outside a window, the caller's value stands for the failed result.
    EXPECT_EQ(win32util::GuardedCall(nullptr, -1, []() -> int { throw 42; }), -1);
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
