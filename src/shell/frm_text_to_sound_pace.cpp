// frmTextToSound's hold on the reading under way: pause and resume it, make it faster or
// slower. The Speed changed on the way is the person's setting from then on.
#include <string>
#include <utility>

#include "shell/frm_text_to_sound.h"

namespace vocalinka {

void frmTextToSound::Shortcut_Pressed(ShortcutRole role) {
    switch (role) {
        case ShortcutRole::Read:
            Hotkey_Pressed();
            return;
        case ShortcutRole::Pause:
            Pause_Pressed();
            return;
        case ShortcutRole::Faster:
            ChangeSpeed(1);
            return;
        case ShortcutRole::Slower:
            ChangeSpeed(-1);
            return;
    }
}

void frmTextToSound::Pause_Pressed() {
    agent::Character* character = CurrentCharacter();
    if (!IsReading() || !character) return;
    if (character->IsPaused()) {
        character->Resume();
    } else {
        character->Pause();
    }
}

void frmTextToSound::ChangeSpeed(int steps) {
    if (steps == 0) return;  // a part of a wheel notch
    if (configuring_) {
        // The open dialog would store its own speed over a changed setting: it moves instead.
        configuring_->MoveSpeedSlider(
            std::stoi(SteppedSpeed(std::to_string(configuring_->SliderSpeed()), steps)));
        return;
    }
    std::string speed = SteppedSpeed(settings_.Speed, steps);
    if (speed == settings_.Speed) return;  // at the end of the range already
    settings_.Speed = std::move(speed);
    if (!IsReading()) {
        SaveProfile();
        return;
    }
    // The words still to come take the new speed; the profile is written once, at the end, so
    // that a run of presses costs one write.
    if (agent::Character* character = CurrentCharacter()) {
        character->SetRate(std::stoi(settings_.Speed));
    }
    speedUnsaved_ = true;
}

void frmTextToSound::Command1_MouseWheel(int delta) {
    // Away from the person is faster, as a volume wheel turns up.
    ChangeSpeed(wheel_.Add(delta));
}

void frmTextToSound::Reading_Began() {
    shortcuts_.HoldPause(true);
}

void frmTextToSound::Reading_Ended() {
    shortcuts_.HoldPause(false);
    SaveChangedSpeed();
}

void frmTextToSound::SaveChangedSpeed() {
    if (std::exchange(speedUnsaved_, false)) SaveProfile();
}

}  // namespace vocalinka
