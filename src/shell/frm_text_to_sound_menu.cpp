// frmTextToSound's pop-up menu and its commands.
#include "settings/frm_cfg.h"
#include "settings/frm_character.h"
#include "settings/frm_language.h"
#include "shell/frm_text_to_sound.h"
#include "shell/scope_exit.h"
#include "ui/app_title.h"
#include "win32util/text.h"

namespace vocalinka {

using win32util::Utf8ToWide;
using win32util::WideToUtf8;

void frmTextToSound::mnuCFG_Click() {
    CurrentCharacter()->Hide();
    frmCFG dialog(instance_);
    configuring_ = &dialog;
    auto closed = ScopeExit([this] { configuring_ = nullptr; });
    dialog.Run(hwnd_, settings_);
    ShowPicture(Image1_);
    SaveProfile();
    CurrentCharacter()->Show();
}

void frmTextToSound::mnuCharacter_Click() {
    CurrentCharacter()->Hide();
    const std::wstring previous = Utf8ToWide(settings_.Character);
    character_->Unload();
    frmCharacter(instance_).Run(hwnd_, settings_);

    SpeakingCharacter::Exchange exchange;
    try {
        exchange = character_->LoadInstead(Utf8ToWide(settings_.Character), previous);
    } catch (const agent::Error& none) {
        MessageBoxW(hwnd_, none.Message().c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return;
    }
    // The user is told why the chosen character did not come.
    if (!exchange.failure.empty()) {
        MessageBoxW(hwnd_, exchange.failure.c_str(), kApplicationTitle, MB_OK | MB_ICONWARNING);
    }
    settings_.Character = WideToUtf8(exchange.loaded);
    // The new character speaks the language of the Language setting, as at start-up.
    character_->ApplyLanguage(settings_.Language);
    SaveProfile();
    ShowPicture(Image1_);
    CurrentCharacter()->Show();
}

void frmTextToSound::mnuLanguage_Click() {
    frmLanguage(instance_).Run(hwnd_, settings_);
    CurrentCharacter()->Hide();
    character_->ApplyLanguage(settings_.Language);
    ShowPicture(Image1_);
    SaveProfile();
    CurrentCharacter()->Show();
}

void frmTextToSound::mnuAbout_Click() {
    about_.Show(hwnd_);
}

void frmTextToSound::Command1_MouseDown(int Button) {
    if (Button != kRightButton) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    ShowPopupMenu(cursor);
}

void frmTextToSound::ShowPopupMenu(POINT screenPoint) {
    // As TrackPopupMenu's documentation asks: otherwise, with another program in front, the
    // menu does not close when the person clicks elsewhere, and the first press may only
    // activate the window.
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(mnuFile(), 0, screenPoint.x, screenPoint.y, 0, hwnd_, nullptr);
}

}  // namespace vocalinka
