#include "win32util/failure.h"

#include <atomic>
#include <new>

#include "win32util/text.h"

namespace win32util {
namespace {

void ShowFailure(HWND window, const std::wstring& description) noexcept {
    MessageBoxW(window, description.c_str(), L"Error", MB_OK | MB_ICONERROR);
}

std::atomic<FailureReporter> reporter{&ShowFailure};

std::wstring Describe(const std::exception_ptr& failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return L"There is not enough memory to finish this.";
    } catch (const std::exception& known) {
        try {
            const std::wstring what = Utf8ToWide(known.what());
            if (!what.empty()) return what;
        } catch (...) {
        }
    } catch (...) {
    }
    return L"Something went wrong that the program did not foresee.";
}

}  // namespace

void SetFailureReporter(FailureReporter newReporter) noexcept {
    reporter = newReporter ? newReporter : &ShowFailure;
}

void ReportCurrentFailure(HWND window) noexcept {
    const std::exception_ptr failure = std::current_exception();
    if (!failure) return;
    // A window that is gone cannot own the message.
    reporter.load()(IsWindow(window) ? window : nullptr, Describe(failure));
}

}  // namespace win32util
