#include "window_scheduler.h"

#include <algorithm>
#include <chrono>

#include "component_window.h"

namespace agent::win {
namespace {

constexpr wchar_t kClassName[] = L"VocalinkaAgentScheduler";
constexpr UINT kMsgRunToken = WM_APP + 1;  // wParam: a token due now
constexpr UINT kMsgRunTask = WM_APP + 2;   // the next posted task

}  // namespace

WindowScheduler::WindowScheduler(int speedUp) : speedUp_(std::max(1, speedUp)) {
    window_ = CreateComponentWindow<WindowScheduler, &WindowScheduler::hwnd_,
                                    &WindowScheduler::OnMessage>(*this, kClassName,
                                                                 {.parent = HWND_MESSAGE});
}

WindowScheduler::~WindowScheduler() {
    // No callback may run once the owner is gone: drop them before the window.
    callbacks_.clear();
    tasks_.clear();
}

LRESULT WindowScheduler::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            RunToken(static_cast<Token>(wParam));
            return 0;
        case kMsgRunToken:
            RunToken(static_cast<Token>(wParam));
            return 0;
        case kMsgRunTask:
            RunNextTask();
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

core::Scheduler::Token WindowScheduler::RunAfter(int delayMs, std::function<void()> callback) {
    const Token token = nextToken_++;
    callbacks_.emplace(token, std::move(callback));
    const int delay = std::max(0, delayMs) / speedUp_;
    if (delay == 0) {
        PostMessageW(hwnd_, kMsgRunToken, token, 0);
    } else {
        SetTimer(hwnd_, token, static_cast<UINT>(std::max<int>(delay, USER_TIMER_MINIMUM)),
                 nullptr);
    }
    return token;
}

void WindowScheduler::Cancel(Token token) {
    if (callbacks_.erase(token)) KillTimer(hwnd_, token);
}

long long WindowScheduler::NowMs() const {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count() * speedUp_;
}

void WindowScheduler::Post(std::function<void()> task) {
    tasks_.push_back(std::move(task));
    PostMessageW(hwnd_, kMsgRunTask, 0, 0);
}

void WindowScheduler::RunToken(Token token) {
    KillTimer(hwnd_, token);  // window timers repeat; ours run once
    const auto found = callbacks_.find(token);
    if (found == callbacks_.end()) return;  // cancelled after it was posted
    std::function<void()> callback = std::move(found->second);
    callbacks_.erase(found);
    callback();
}

void WindowScheduler::RunNextTask() {
    if (tasks_.empty()) return;
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    task();  // may destroy this scheduler's owner: touch nothing afterwards
}

}  // namespace agent::win
