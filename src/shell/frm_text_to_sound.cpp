#include "shell/frm_text_to_sound.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>
#include <stdexcept>
#include <utility>

#include "agent/core/speech_tags.h"
#include "resources/resource.h"
#include "selection/selection_win.h"
#include "settings/profile_file_win.h"
#include "shell/picture_button.h"
#include "shell/shortcut_keys_win.h"
#include "speech/character_win.h"
#include "speech/speaking_character.h"
#include "ui/app_title.h"
#include "ui/dialog_window.h"
#include "ui/twips.h"
#include "win32util/files.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace vocalinka {

using win32util::ToU16;
using win32util::ToWide;
using win32util::Utf8ToWide;
using win32util::WideToUtf8;
using win32util::WindowDpi;
using win32util::WindowsDirectory;
using win32util::WindowText;
namespace {

constexpr wchar_t kClassName[] = L"frmTextToSound";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

// The designed client area and controls, in twips.
enum ControlId { kCommand1Id = 100, kTextBoxId, kImage1Id, kImage2Id };
constexpr DesignedControl kControls[] = {
    {kCommand1Id, 0, -15, 690, 660},  // reaches 15 twips above the client area
    {kTextBoxId, 3840, 120, 735, 615},
    {kImage1Id, 1890, 180, 600, 600},
    {kImage2Id, 3015, 195, 600, 600},
};
constexpr DialogDesign kDesign{690, 645, kControls};

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
    wc.hInstance = instance_;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VOCALINKA), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VOCALINKA),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;

    Form_Initialize();
    // Created hidden at its final DPI, then laid out, loaded and placed before it is shown.
    // Owned through hwnd_, which the destructor destroys and WM_NCDESTROY clears, rather than
    // by the holder CreateForwardingWindow returns.
    win32util::CreateForwardingWindow<frmTextToSound, &frmTextToSound::hwnd_,
                                      &frmTextToSound::OnMessage>(
        *this, wc, {.exStyle = kExStyle, .style = kStyle, .title = kMainCaption, .parent = owner})
        .release();
    // The shortcuts belong to this window, from now until it closes.
    const std::wstring hotkeyProblem = shortcuts_.Register(hwnd_, ReadShortcutSettings());
    CreateControls();
    PlaceDesignedControls(hwnd_, kControls, WindowDpi(hwnd_));
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
            const SIZE outer = DesignedOuterSize(hwnd_, kDesign, WindowDpi(hwnd_));
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {outer.cx, outer.cy};
            return 0;
        }
        case WM_DPICHANGED: {
            PlaceDesignedControls(hwnd_, kControls, HIWORD(wParam));
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            const SIZE outer = DesignedOuterSize(hwnd_, kDesign, HIWORD(wParam));
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, outer.cx, outer.cy,
                         SWP_NOZORDER | SWP_NOACTIVATE);
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
            if (const std::optional<ShortcutRole> role = ShortcutKeys::RoleOf(wParam)) {
                Shortcut_Pressed(*role);
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
        case WM_ENDSESSION:
            if (wParam) SaveChangedSpeed();  // Windows ends this process when this returns
            return 0;
        case WM_CLOSE:
            Form_Unload();
            DestroyWindow(hwnd_);
            return 0;
        case WM_DESTROY:
            shortcuts_.Unregister();
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
            case WM_MOUSEWHEEL:
                form->Command1_MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
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
    // Every change of settings was saved when it was made, but for a Speed changed during a
    // reading that the closing ends.
    SaveChangedSpeed();
    if (CurrentCharacter()) CurrentCharacter()->Hide();
}

bool frmTextToSound::IsReading() const {
    return SendMessageW(Command1_, BM_GETIMAGE, IMAGE_BITMAP, 0) ==
           SendMessageW(Image2_, STM_GETIMAGE, IMAGE_BITMAP, 0);
}

void frmTextToSound::Agent1_BalloonHide(const std::wstring&) {
    ShowPicture(Image1_);
}

void frmTextToSound::Agent1_Hide(const std::wstring&, agent::HideCause) {
    ShowPicture(Image1_);
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
    auto child = [this](ControlId id, const wchar_t* cls, const wchar_t* text, DWORD style) {
        return CreateWindowExW(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                               nullptr);
    };
    // A graphical button without a visible caption; its text names it for screen readers and
    // follows the picture (ShowPicture).
    Command1_ = child(kCommand1Id, WC_BUTTONW, kReadName, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
    // Nobody sees the text box: it does not wrap, which for a text of megabytes took the
    // window away from the user for most of a minute.
    TextBox_ = child(kTextBoxId, WC_EDITW, L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL);
    SendMessageW(TextBox_, EM_SETLIMITTEXT, 0, 0);  // a long selection is read whole
    Image1_ = child(kImage1Id, WC_STATICW, L"", SS_BITMAP);
    Image2_ = child(kImage2Id, WC_STATICW, L"", SS_BITMAP);
    SendMessageW(Image1_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(idlePicture_.get()));
    SendMessageW(Image2_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(busyPicture_.get()));
    SetWindowSubclass(Command1_, Command1Proc, 0, reinterpret_cast<DWORD_PTR>(this));
    SetFocus(Command1_);
}

void frmTextToSound::PlaceWindow() {
    const int dpi = WindowDpi(hwnd_);
    const SIZE outer = DesignedOuterSize(hwnd_, kDesign, dpi);
    const int width = outer.cx;
    const float screenTwips = static_cast<float>(PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi));
    const float windowTwips = static_cast<float>(PixelsToTwips(width, dpi));
    const float leftTwips = MainWindowLeftTwips(screenTwips, windowTwips);
    const int left =
        static_cast<int>(std::lround(leftTwips * static_cast<float>(dpi) / kTwipsPerInch));
    SetWindowPos(hwnd_, nullptr, left, TwipsToPixels(kMainWindowTopTwips, dpi), width, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmTextToSound::ShowPicture(HWND image) {
    const LPARAM picture = SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0);
    // Shown already: the button is not drawn again.
    if (SendMessageW(Command1_, BM_GETIMAGE, IMAGE_BITMAP, 0) == picture) return;
    SendMessageW(Command1_, BM_SETIMAGE, IMAGE_BITMAP, picture);
    // A screen reader announces what a click will do; the text itself is never drawn.
    SetWindowTextW(Command1_, image == Image2_ ? kStopName : kReadName);
    if (image == Image2_) {
        Reading_Began();
    } else {
        Reading_Ended();
    }
}

}  // namespace vocalinka
