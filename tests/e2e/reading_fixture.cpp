#include "reading_fixture.h"

namespace e2e {

using namespace std::chrono_literals;

void ReadingE2E::StartProgram(const std::string& profile) {
    if (!profile.empty()) program_.WriteProfile(profile);
    ASSERT_TRUE(program_.Start());
    command1_ = FindWindowExW(program_.MainWindow(), nullptr, L"Button", nullptr);
    image1_ = FindWindowExW(program_.MainWindow(), nullptr, L"Static", nullptr);
    image2_ = FindWindowExW(program_.MainWindow(), image1_, L"Static", nullptr);
}

bool ReadingE2E::Busy() const {
    return SendMessageW(command1_, BM_GETIMAGE, IMAGE_BITMAP, 0) ==
           SendMessageW(image2_, STM_GETIMAGE, IMAGE_BITMAP, 0);
}

bool ReadingE2E::Idle() const {
    return SendMessageW(command1_, BM_GETIMAGE, IMAGE_BITMAP, 0) ==
           SendMessageW(image1_, STM_GETIMAGE, IMAGE_BITMAP, 0);
}

void ReadingE2E::Click() const {
    PressMouse(CentreOf(command1_), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

void ReadingE2E::WaitForGreetingToEnd() const {
    ASSERT_TRUE(WaitForCount("event", "BalloonHide", 1, 30s));
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
}

}  // namespace e2e
