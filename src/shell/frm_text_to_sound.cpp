#include "shell/frm_text_to_sound.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>
#include <stdexcept>
#include <utility>

#include "agent/core/speech_tags.h"
#include "resources/resource.h"
#include "selection/selection_win.h"
#include "settings/frm_cfg.h"
#include "settings/frm_character.h"
#include "settings/frm_language.h"
#include "settings/profile_file_win.h"
#include "shell/picture_button.h"
#include "shell/reading_hotkey_win.h"
#include "speech/character_win.h"
#include "speech/speaking_character.h"
#include "speech/speech_text.h"
#include "ui/app_title.h"
#include "ui/twips.h"

namespace vocalinka {
namespace {

constexpr wchar_t kClassName[] = L"frmTextToSound";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

// Command1's accessible names: what a click will do.
constexpr wchar_t kReadName[] = L"Read selection aloud";
constexpr wchar_t kStopName[] = L"Stop reading";

// How long a reading from the shortcut waits for the person to let go of its modifiers.
constexpr ULONGLONG kShortcutReleaseBoundMs = 400;

// Whether any of the shortcut's modifier keys is down.
bool ModifiersHeld(std::uint32_t modifiers) {
    const auto down = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
    return ((modifiers & MOD_CONTROL) && down(VK_CONTROL)) ||
           ((modifiers & MOD_ALT) && down(VK_MENU)) ||
           ((modifiers & MOD_SHIFT) && down(VK_SHIFT)) ||
           ((modifiers & MOD_WIN) && (down(VK_LWIN) || down(VK_RWIN)));
}

// The mouse buttons as Command1_MouseDown numbers them.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

// The designed client area and controls, in twips.
struct Box {
    int left, top, width, height;
};
constexpr int kClientWidth = 690;
constexpr int kClientHeight = 645;
constexpr Box kCommand1{0, -15, 690, 660};  // reaches 15 twips above the client area
constexpr Box kTextBox{3840, 120, 735, 615};
constexpr Box kImage1{1890, 180, 600, 600};
constexpr Box kImage2{3015, 195, 600, 600};

void MoveToBox(HWND control, const Box& box, int dpi) {
    MoveWindow(control, TwipsToPixels(box.left, dpi), TwipsToPixels(box.top, dpi),
               TwipsToPixels(box.width, dpi), TwipsToPixels(box.height, dpi), TRUE);
}

RECT OuterRect(int dpi) {
    RECT rect{0, 0, TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&rect, kStyle, FALSE, kExStyle, static_cast<UINT>(dpi));
    return rect;
}

}  // namespace

long SetTopMostWindow(HWND hWnd, bool Topmost) {
    constexpr UINT kNoMoveNoSize = SWP_NOSIZE | SWP_NOMOVE;
    if (Topmost) return SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, kNoMoveNoSize);
    SetWindowPos(hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, kNoMoveNoSize);
    return 0;
}

frmTextToSound::frmTextToSound(HINSTANCE instance) : instance_(instance), about_(instance) {}

frmTextToSound::~frmTextToSound() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void frmTextToSound::Create(HWND owner) {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = &win32util::ForwardingWindowProc<frmTextToSound, &frmTextToSound::hwnd_,
                                                      &frmTextToSound::OnMessage>;
    wc.hInstance = instance_;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VOCALINKA), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VOCALINKA),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    win32util::RegisterWindowClass(wc);

    Form_Initialize();
    // Created hidden at its final DPI, then laid out, loaded and placed before it is shown.
    if (!CreateWindowExW(kExStyle, kClassName, kMainCaption, kStyle, 0, 0, 0, 0, owner, nullptr,
                         instance_, this)) {
        throw std::runtime_error("The main window could not be created.");
    }
    // The shortcut belongs to this window, from now until it closes.
    const std::wstring hotkeyProblem = hotkey_.Register(hwnd_, ReadHotkeySetting());
    CreateControls();
    LayoutForDpi(WindowDpi(hwnd_));
    PlaceWindow();
    Form_Load();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    // The button is on screen at once, with the busy picture of the greeting to come; the
    // character follows before any message, a click included, is handled.
    StartCharacter();
    if (!hotkeyProblem.empty()) {
        // Said once, after the greeting has started, in a box that blocks no window of ours.
        MessageBoxW(owner, hotkeyProblem.c_str(), kApplicationTitle, MB_OK | MB_ICONINFORMATION);
    }
}

LRESULT frmTextToSound::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETMINMAXINFO: {
            // The designed window is smaller than the least size the system gives a captioned
            // window; it keeps its designed size all the same.
            const RECT outer = OuterRect(WindowDpi(hwnd_));
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {outer.right - outer.left, outer.bottom - outer.top};
            return 0;
        }
        case WM_DPICHANGED: {
            LayoutForDpi(HIWORD(wParam));
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            const RECT outer = OuterRect(HIWORD(wParam));
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, outer.right - outer.left,
                         outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_COMMAND:
            // A drawn button turns a quick second click into a double click: still a click.
            if (reinterpret_cast<HWND>(lParam) == Command1_ &&
                (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == BN_DOUBLECLICKED)) {
                Command1_Click();
                return 0;
            }
            switch (LOWORD(wParam)) {
                case IDM_CFG:
                    mnuCFG_Click();
                    return 0;
                case IDM_CHARACTER:
                    mnuCharacter_Click();
                    return 0;
                case IDM_LANGUAGE:
                    mnuLanguage_Click();
                    return 0;
                case IDM_ABOUT:
                    mnuAbout_Click();
                    return 0;
            }
            break;
        case WM_DRAWITEM:
            DrawPictureButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), command1Picture_,
                              WindowDpi(hwnd_));
            return TRUE;
        case WM_MOUSEACTIVATE:
            // The press has not taken the activation yet: the window in front is still the
            // person's, and only now does its thread name the control that has the focus.
            if (const ReadingTarget front = TargetInFront(); front.window) {
                workedIn_ = front;
                // A left press on the button reads at once, while that window is idle: once the
                // press has taken the activation, it is busy losing it. The click takes what
                // was read; a press that ends in no click drops it.
                if (LOWORD(lParam) == HTCLIENT && HIWORD(lParam) == WM_LBUTTONDOWN &&
                    !IsReading() && !copying_) {
                    readAtPress_ = ReadWithoutCopying(front, CopyOptions{});
                }
            }
            break;
        case WM_HOTKEY:
            if (wParam == ReadingHotkey::kId) {
                Hotkey_Pressed();
                return 0;
            }
            break;
        case WM_CONTEXTMENU:
            // The menu key or Shift+F10 on the focused button; a mouse right press has already
            // opened the menu when it went down.
            if (reinterpret_cast<HWND>(wParam) == Command1_ && lParam == -1) {
                RECT button{};
                GetWindowRect(Command1_, &button);
                ShowPopupMenu({button.left, button.bottom});
                return 0;
            }
            break;
        case WM_CLOSE:
            Form_Unload();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            hotkey_.Unregister();
            RemoveWindowSubclass(Command1_, Command1Proc, 0);
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK frmTextToSound::Command1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR self) noexcept {
    auto* form = reinterpret_cast<frmTextToSound*>(self);
    return win32util::GuardedCall(hwnd, LRESULT{0}, [&]() -> LRESULT {
        switch (message) {
            case WM_LBUTTONDOWN:
                form->Command1_MouseDown(kLeftButton);
                break;
            case WM_RBUTTONDOWN:
            case WM_RBUTTONDBLCLK:  // a second press soon after one on the button, say for About
                form->Command1_MouseDown(kRightButton);
                return 0;
            case WM_MBUTTONDOWN:
                form->Command1_MouseDown(kMiddleButton);
                return 0;
            case WM_LBUTTONUP: {
                // The click, if this release makes one, has been handled.
                const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
                form->readAtPress_.reset();
                return result;
            }
            case WM_KEYDOWN:
            case WM_KEYUP:
                form->readAtPress_.reset();  // a click with the keyboard reads now
                break;
            case BM_GETIMAGE:
                return reinterpret_cast<LRESULT>(form->command1Picture_);
            case BM_SETIMAGE:
                // Kept here and drawn by the form: the system's button is never given it.
                InvalidateRect(hwnd, nullptr, FALSE);
                return reinterpret_cast<LRESULT>(
                    std::exchange(form->command1Picture_, reinterpret_cast<HBITMAP>(lParam)));
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    });
}

void frmTextToSound::Form_Initialize() {
    menu_.reset(LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_MAINMENU)));
    idlePicture_.reset(static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDB_IDLE), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    busyPicture_.reset(static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BUSY), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

void frmTextToSound::Form_Load() {
    LoadProfile();
    SetTopMostWindow(hwnd_, true);
    ShowPicture(Image2_);
}

void frmTextToSound::StartCharacter() {
    Agent1_ = agent::Control::Create(*this, hwnd_);
    character_.emplace(Agent1_->Characters(), WindowsDirectory());
    // A Character setting that names nothing loadable falls back, and then names the
    // character actually loaded.
    settings_.Character = WideToUtf8(character_->Load(Utf8ToWide(settings_.Character)));
    const std::wstring greeting = character_->Greet(settings_.Language, UserName());
    if (!greeting.empty()) SetWindowTextW(TextBox_, greeting.c_str());
    CurrentCharacter()->Show();
    // The greeting is spoken as written: a name such as DOMAIN\anna holds no speech tags.
    CurrentCharacter()->Speak(ToWide(agent::core::EscapeSpeechText(ToU16(WindowText(TextBox_)))));
}

void frmTextToSound::Form_Unload() {
    // Nothing is saved on closing: every change of settings was saved when it was made.
    if (CurrentCharacter()) CurrentCharacter()->Hide();
}

bool frmTextToSound::IsReading() const {
    return SendMessageW(Command1_, BM_GETIMAGE, IMAGE_BITMAP, 0) ==
           SendMessageW(Image2_, STM_GETIMAGE, IMAGE_BITMAP, 0);
}

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
    try {
        if (IsReading()) {
            CurrentCharacter()->Stop();
            ShowPicture(Image1_);
            return;
        }
        ReadSelection(target, fromShortcut, std::move(readAlready));
    } catch (...) {
        // Whatever failed, the reading is over and the button says so.
        ShowPicture(Image1_);
    }
}

void frmTextToSound::WaitForShortcutRelease() const {
    // The shortcut's own modifiers are still held when it fires: Ctrl+C sent now would reach
    // the target as, say, Ctrl+Alt+C. The person lets go within a moment; the copy keys
    // release whatever is still down after that.
    const auto end = GetTickCount64() + kShortcutReleaseBoundMs;
    while (ModifiersHeld(hotkey_.Modifiers()) && GetTickCount64() < end) Sleep(10);
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
        if (fromShortcut) WaitForShortcutRelease();
        copying_ = true;
        try {
            copied = CopySelectionFrom(target.window, options, clipboardKeeper_);
        } catch (...) {
            copying_ = false;
            throw;
        }
        copying_ = false;
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
                            ? L"The clipboard holds too much to be put back after copying "
                              L"(more than 64 MB), so the selection was not copied and the "
                              L"clipboard was left as it is.\r\n\r\nCopy something smaller, or "
                              L"empty the clipboard, and click again."
                            : L"The clipboard holds something that could not be put back after "
                              L"copying, so the selection was not copied and the clipboard was "
                              L"left as it is.\r\n\r\nCopy something else, or empty the "
                              L"clipboard, and click again.",
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
            MessageBoxW(GetWindow(hwnd_, GW_OWNER),
                        L"Vocalinka cannot read from a program running as administrator: "
                        L"Windows keeps other programs from reaching into it.\r\n\r\nTo "
                        L"read from it, run Vocalinka as administrator too.",
                        kApplicationTitle, MB_OK | MB_ICONINFORMATION);
            telling_ = false;
            return;
        case CopiedSelection::Refusal::None:
        case CopiedSelection::Refusal::Hung:
            return;  // a hung window is left alone; the idle picture says the reading is over
    }
}

void frmTextToSound::mnuCFG_Click() {
    CurrentCharacter()->Hide();
    frmCFG(instance_).Run(hwnd_, settings_);
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

void frmTextToSound::Agent1_BalloonHide(const std::wstring&) {
    ShowPicture(Image1_);
}

void frmTextToSound::Agent1_Hide(const std::wstring&, agent::HideCause) {
    ShowPicture(Image1_);
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

void frmTextToSound::LoadProfile() {
    profile_ = ProfileStore(DefaultProfilePlace());
    settings_ = profile_.Load();
}

void frmTextToSound::SaveProfile() {
    // Only what the person changed is written; a profile that could not be read or is
    // read-only is left alone, and the person is told.
    const SaveResult saved = profile_.Save(settings_);
    if (!saved.message.empty()) {
        MessageBoxW(hwnd_, saved.message.c_str(), kApplicationTitle, MB_OK | MB_ICONWARNING);
    }
}

void frmTextToSound::CreateControls() {
    auto child = [this](const wchar_t* cls, const wchar_t* text, DWORD style) {
        return CreateWindowExW(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, hwnd_, nullptr,
                               instance_, nullptr);
    };
    // A graphical button without a visible caption; its text names it for screen readers and
    // follows the picture (ShowPicture).
    Command1_ = child(WC_BUTTONW, kReadName, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
    // Nobody sees the text box: it does not wrap, which for a text of megabytes took the
    // window away from the user for most of a minute.
    TextBox_ = child(WC_EDITW, L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL);
    SendMessageW(TextBox_, EM_SETLIMITTEXT, 0, 0);  // a long selection is read whole
    Image1_ = child(WC_STATICW, L"", SS_BITMAP);
    Image2_ = child(WC_STATICW, L"", SS_BITMAP);
    SendMessageW(Image1_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(idlePicture_.get()));
    SendMessageW(Image2_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(busyPicture_.get()));
    SetWindowSubclass(Command1_, Command1Proc, 0, reinterpret_cast<DWORD_PTR>(this));
    SetFocus(Command1_);
}

void frmTextToSound::LayoutForDpi(int dpi) {
    MoveToBox(Command1_, kCommand1, dpi);
    MoveToBox(TextBox_, kTextBox, dpi);
    MoveToBox(Image1_, kImage1, dpi);
    MoveToBox(Image2_, kImage2, dpi);
}

void frmTextToSound::PlaceWindow() {
    const int dpi = WindowDpi(hwnd_);
    const RECT outer = OuterRect(dpi);
    const int width = outer.right - outer.left;
    const float screenTwips = static_cast<float>(PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi));
    const float windowTwips = static_cast<float>(PixelsToTwips(width, dpi));
    const float leftTwips = MainWindowLeftTwips(screenTwips, windowTwips);
    const int left =
        static_cast<int>(std::lround(leftTwips * static_cast<float>(dpi) / kTwipsPerInch));
    SetWindowPos(hwnd_, nullptr, left, TwipsToPixels(kMainWindowTopTwips, dpi), width,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmTextToSound::ShowPicture(HWND image) {
    const LPARAM picture = SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0);
    // Shown already: the button is not drawn again.
    if (SendMessageW(Command1_, BM_GETIMAGE, IMAGE_BITMAP, 0) == picture) return;
    SendMessageW(Command1_, BM_SETIMAGE, IMAGE_BITMAP, picture);
    // A screen reader announces what a click will do; the text itself is never drawn.
    SetWindowTextW(Command1_, image == Image2_ ? kStopName : kReadName);
}

}  // namespace vocalinka
