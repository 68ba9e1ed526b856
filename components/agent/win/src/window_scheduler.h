// Deferred calls on the user-interface thread, through a hidden message-only window: window
// timers for delays, posted messages for "as soon as the message loop runs". Everything the
// component does later (animation steps, pacing, events to the program) goes through here, so
// nothing ever runs on another thread or inside the caller's request.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>

#include "agent/core/speech_engine.h"
#include "win32util/handles.h"

namespace agent::win {

class WindowScheduler final : public core::Scheduler {
public:
    // speedUp > 1 shortens every delay by that factor (tests and benchmarks); NowMs runs as
    // much faster, so paced speech stays consistent with its own clock.
    explicit WindowScheduler(int speedUp = 1);
    ~WindowScheduler();
    WindowScheduler(const WindowScheduler&) = delete;
    WindowScheduler& operator=(const WindowScheduler&) = delete;

    Token RunAfter(int delayMs, std::function<void()> callback) override;
    void Cancel(Token token) override;
    long long NowMs() const override;

    // Runs the task from the message loop, after every task posted before it.
    void Post(std::function<void()> task);

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void RunToken(Token token);
    void RunNextTask();

    HWND hwnd_ = nullptr;
    win32util::UniqueWindow window_;
    int speedUp_;
    Token nextToken_ = 1;
    std::map<Token, std::function<void()>> callbacks_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace agent::win
