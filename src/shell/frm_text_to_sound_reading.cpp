// frmTextToSound's reading: a click or the shortcut reads the selection of the window the
// person worked in, or stops the reading under way.
#include <exception>
#include <utility>

#include "agent/core/speech_tags.h"
#include "shell/frm_text_to_sound.h"
#include "shell/scope_exit.h"
#include "speech/speech_text.h"
#include "ui/app_title.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace vocalinka {

using win32util::ToU16;
using win32util::ToWide;
using win32util::WindowText;

void frmTextToSound::Command1_Click() {
    // The window noted when the press took the activation from it, while it is still there.
    const bool workedInStays =
        workedIn_.window && IsWindow(workedIn_.window) && IsWindowVisible(workedIn_.window);
    ReadOrStop(workedInStays ? workedIn_ : ReadingTarget{FindTargetWindow()}, false,
               std::exchange(readAtPress_, std::nullopt));
}

// The shortcut does what a click does, in the window the person is working in: the one in
// front at the press, with its focused control as it is now.
void frmTextToSound::Hotkey_Pressed() {
    const ReadingTarget front = TargetInFront();
    ReadOrStop(front.window ? front : ReadingTarget{FindTargetWindow()}, true);
}

void frmTextToSound::ReadOrStop(ReadingTarget target, bool fromShortcut,
                                std::optional<CopiedSelection> readAlready) {
    ++clickGeneration_;
    if (IsReading()) {
        CurrentCharacter()->Stop();
        ShowPicture(Image1_);
        return;
    }
    // A reading that fails is over, and the button says so; the window reports the failure.
    auto idleOnFailure = ScopeExit([this, failures = std::uncaught_exceptions()] {
        if (std::uncaught_exceptions() > failures) ShowPicture(Image1_);
    });
    ReadSelection(target, fromShortcut, std::move(readAlready));
}

void frmTextToSound::ReadSelection(const ReadingTarget& target, bool fromShortcut,
                                   std::optional<CopiedSelection> readAlready) {
    // A click while a copy is under way (an earlier balloon's close may have put the idle
    // picture up meanwhile) stops that copy, as on the busy picture: a second copy would save
    // the first one's text as the user's clipboard.
    if (copying_) {
        ShowPicture(Image1_);
        return;
    }
    const unsigned generation = clickGeneration_;
    CopyOptions options;
    options.listener = hwnd_;
    options.cancelled = [this, generation] { return generation != clickGeneration_ || !hwnd_; };
    CopiedSelection copied =
        readAlready ? std::move(*readAlready) : ReadWithoutCopying(target, options);
    if (copied.copyNeeded) {
        // A copy takes long enough to be seen, and for a second click to stop it: the busy
        // picture goes up. A direct read is over before it could be seen.
        ShowPicture(Image2_);
        if (fromShortcut) shortcuts_.WaitForRelease();
        {
            copying_ = true;
            auto copyEnds = ScopeExit([this] { copying_ = false; });
            copied = CopySelectionFrom(target.window, options, clipboardKeeper_);
        }
        if (options.cancelled()) return;  // a later click stopped this one: it stays silent
    }
    SpeakOrTell(copied);
    // Read without the copy keys, nothing brought the target forward: it gets the front back
    // from the click once the reading has started.
    const bool backToTarget = copied.direct || copied.refusal == CopiedSelection::Refusal::Password;
    if (backToTarget && IsWindow(target.window)) SetForegroundWindow(target.window);
}

void frmTextToSound::SpeakOrTell(const CopiedSelection& copied) {
    if (!copied.text) {
        ShowPicture(Image1_);
        SayRefusal(copied.refusal);
        if (copied.clipboardLeftAlone == ClipboardSnapshot::Outcome::TooLarge ||
            copied.clipboardLeftAlone == ClipboardSnapshot::Outcome::Unkeepable) {
            // Copying would replace what could not be kept: the user is told, nothing is lost.
            MessageBoxW(hwnd_,
                        copied.clipboardLeftAlone == ClipboardSnapshot::Outcome::TooLarge
                            ? kClipboardTooLargeMessage
                            : kClipboardUnkeepableMessage,
                        kApplicationTitle, MB_OK | MB_ICONINFORMATION);
        }
        return;
    }
    SetWindowTextW(TextBox_, copied.text->c_str());
    const std::wstring text = WindowText(TextBox_);
    if (text.empty()) {
        ShowPicture(Image1_);
        return;
    }
    CurrentCharacter()->Show();
    CurrentCharacter()->Speak(ToWide(TaggedText(settings_.Speed, settings_.Pitch, ToU16(text))));
    // Events handled while copying (the close of an earlier balloon) may have put the idle
    // picture up: the reading has started, and the picture says so. No event of the reading
    // can come before it: they are this thread's messages.
    ShowPicture(Image2_);
}

void frmTextToSound::SayRefusal(CopiedSelection::Refusal refusal) {
    switch (refusal) {
        case CopiedSelection::Refusal::Password:
            // Said by the character, in its language, so that the person knows the click was
            // heard; the field's text is never asked for.
            CurrentCharacter()->Show();
            CurrentCharacter()->Speak(ToWide(agent::core::EscapeSpeechText(
                PasswordRefusalText(FindLanguage(settings_.Language)))));
            return;
        case CopiedSelection::Refusal::Elevated:
            if (telling_) return;
            telling_ = true;
            // Owned by the hidden application window: the button goes on answering.
            MessageBoxW(GetWindow(hwnd_, GW_OWNER), kElevatedTargetMessage, kApplicationTitle,
                        MB_OK | MB_ICONINFORMATION);
            telling_ = false;
            return;
        case CopiedSelection::Refusal::None:
        case CopiedSelection::Refusal::Hung:
            return;  // a hung window is left alone; the idle picture says the reading is over
    }
}

}  // namespace vocalinka
