// The main window: a small top-most tool window filled by one picture button, Command1, whose
// right-button press opens the "File" pop-up menu.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "about/frm_about.h"
#include "agent/agent.h"
#include "selection/clipboard_win.h"
#include "selection/selection_win.h"
#include "settings/frm_cfg.h"
#include "settings/profile.h"
#include "settings/profile_file_win.h"
#include "shell/reading_pace.h"
#include "shell/shortcut_keys_win.h"
#include "speech/speaking_character.h"
#include "win32util/handles.h"

namespace vocalinka {

// Makes a window top-most (SetWindowPos with HWND_TOPMOST, no move, no size) and returns what
// SetWindowPos returned; with Topmost false it makes the window not top-most and returns 0.
long SetTopMostWindow(HWND hWnd, bool Topmost);

class frmTextToSound : private agent::Events {
public:
    explicit frmTextToSound(HINSTANCE instance);
    frmTextToSound(const frmTextToSound&) = delete;
    frmTextToSound& operator=(const frmTextToSound&) = delete;
    ~frmTextToSound();

    // Creates the window owned by `owner`, loads it, places it, shows it and starts the
    // character. Throws when no character can be loaded.
    void Create(HWND owner);

    HWND Handle() const { return hwnd_; }
    HWND Command1() const { return Command1_; }
    HWND TextBox() const { return TextBox_; }
    HWND Image1() const { return Image1_; }
    HWND Image2() const { return Image2_; }
    HMENU mnuFile() const { return GetSubMenu(menu_.get(), 0); }
    const ProfileSettings& Settings() const { return settings_; }
    agent::Character* CurrentCharacter() const {
        return character_ ? character_->Current() : nullptr;
    }
    // The reading indicator: the button shows Image2's picture object itself while reading.
    bool IsReading() const;
    // For the message loop: keyboard handling of the open About box.
    bool PreTranslateMessage(MSG& msg) { return about_.PreTranslateMessage(msg); }

private:
    // The mouse buttons as Command1_MouseDown numbers them.
    static constexpr int kLeftButton = 1;
    static constexpr int kRightButton = 2;
    static constexpr int kMiddleButton = 4;

    static LRESULT CALLBACK Command1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self) noexcept;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Initialize();
    void Form_Load();
    void Form_Unload();
    void Command1_MouseDown(int Button);
    void Command1_Click();
    void Shortcut_Pressed(ShortcutRole role);
    void Hotkey_Pressed();
    // Pauses the reading under way, or resumes the paused one.
    void Pause_Pressed();
    // Faster (positive) or Slower by `steps` from the next word of the reading under way, or
    // for the next reading.
    void ChangeSpeed(int steps);
    void Command1_MouseWheel(int delta);
    // The busy picture went up or came down: a reading began or ended.
    void Reading_Began();
    void Reading_Ended();
    // Writes a Speed changed during the reading under way to the profile, once.
    void SaveChangedSpeed();
    // Reads the selection of `target` (or, when it is gone, of the window the z-order gives),
    // or stops the reading under way.
    // `readAlready`: what the press before the click read without copying.
    void ReadOrStop(ReadingTarget target, bool fromShortcut,
                    std::optional<CopiedSelection> readAlready = std::nullopt);
    void mnuCFG_Click();
    void mnuCharacter_Click();
    void mnuLanguage_Click();
    void mnuAbout_Click();
    void Agent1_BalloonHide(const std::wstring& CharacterID);
    void Agent1_Hide(const std::wstring& CharacterID, agent::HideCause Cause);
    void BalloonHide(const std::wstring& characterId) override { Agent1_BalloonHide(characterId); }
    void Hide(const std::wstring& characterId, agent::HideCause cause) override {
        Agent1_Hide(characterId, cause);
    }
    void ShowPopupMenu(POINT screenPoint);

    void LoadProfile();
    void SaveProfile();

    void StartCharacter();
    void ReadSelection(const ReadingTarget& target, bool fromShortcut,
                       std::optional<CopiedSelection> readAlready);
    void SpeakOrTell(const CopiedSelection& copied);
    void SayRefusal(CopiedSelection::Refusal refusal);

    void CreateControls();
    void PlaceWindow();
    void ShowPicture(HWND image);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HWND Command1_ = nullptr;
    HWND TextBox_ = nullptr;
    HWND Image1_ = nullptr;
    HWND Image2_ = nullptr;
    // What Command1 shows: Image1's or Image2's picture, owned by them.
    HBITMAP command1Picture_ = nullptr;
    win32util::UniqueMenu menu_;
    win32util::UniqueBitmap idlePicture_;
    win32util::UniqueBitmap busyPicture_;
    ProfileSettings settings_;
    ProfileStore profile_;
    std::unique_ptr<agent::Control> Agent1_;
    std::optional<SpeakingCharacter> character_;
    // Rises at every click: a copy still running from an earlier click sees that it was
    // stopped and does not speak.
    unsigned clickGeneration_ = 0;
    // The user's clipboard, put back after each copy, a late one included.
    ClipboardKeeper clipboardKeeper_;
    bool copying_ = false;
    // The window the person worked in and its focused control, noted when a press on this
    // window was about to take the activation from it.
    ReadingTarget workedIn_;
    // What a left press on the button read there without copying, for the click it makes.
    std::optional<CopiedSelection> readAtPress_;
    // A message about a reading is on screen: a click meanwhile does not open a second one.
    bool telling_ = false;
    frmAbout about_;
    ShortcutKeys shortcuts_;
    WheelNotches wheel_;
    // The Speed was changed during the reading under way: it is saved when the reading ends.
    bool speedUnsaved_ = false;
    // The speech configuration while it is open: it holds the Speed until OK or Cancel.
    frmCFG* configuring_ = nullptr;
};

}  // namespace vocalinka
