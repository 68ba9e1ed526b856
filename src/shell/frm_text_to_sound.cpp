#include "shell/frm_text_to_sound.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>
#include <stdexcept>

#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "shell/app_title.h"
#include "shell/twips.h"

namespace vocalinka {
namespace {

constexpr wchar_t kClassName[] = L"frmTextToSound";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

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

int WindowDpi(HWND hwnd) {
    const UINT dpi = GetDpiForWindow(hwnd);
    return dpi ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

long SetTopMostWindow(HWND hWnd, bool Topmost) {
    constexpr UINT kNoMoveNoSize = SWP_NOSIZE | SWP_NOMOVE;
    if (Topmost) return SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, kNoMoveNoSize);
    SetWindowPos(hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, kNoMoveNoSize);
    return 0;
}

frmTextToSound::frmTextToSound(HINSTANCE instance) : instance_(instance) {}

frmTextToSound::~frmTextToSound() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void frmTextToSound::Create(HWND owner) {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance_;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VOCALINKA), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_VOCALINKA),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);

    Form_Initialize();
    // Created hidden at its final DPI, then laid out, loaded and placed before it is shown.
    if (!CreateWindowExW(kExStyle, kClassName, kMainCaption, kStyle, 0, 0, 0, 0, owner, nullptr,
                         instance_, this)) {
        throw std::runtime_error("The main window could not be created.");
    }
    CreateControls();
    LayoutForDpi(WindowDpi(hwnd_));
    PlaceWindow();
    Form_Load();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
}

LRESULT CALLBACK frmTextToSound::Proc(HWND hwnd, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<frmTextToSound*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<frmTextToSound*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    return self ? self->OnMessage(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
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
        RemoveWindowSubclass(Command1_, Command1Proc, 0);
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK frmTextToSound::Command1Proc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR, DWORD_PTR self) noexcept {
    auto* form = reinterpret_cast<frmTextToSound*>(self);
    switch (message) {
    case WM_LBUTTONDOWN: form->Command1_MouseDown(1); break;
    case WM_RBUTTONDOWN: form->Command1_MouseDown(2); return 0;
    case WM_MBUTTONDOWN: form->Command1_MouseDown(4); return 0;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
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
    // The character starts here: it is loaded from the Character setting, set to the
    // language of the Language setting, shown, and greets the user.
    ShowPicture(Image1_);
}

void frmTextToSound::Form_Unload() {
    // Nothing is saved on closing: every change of settings was saved when it was made.
}

void frmTextToSound::Command1_MouseDown(int Button) {
    if (Button != 2) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    ShowPopupMenu(cursor);
}

void frmTextToSound::ShowPopupMenu(POINT screenPoint) {
    TrackPopupMenu(mnuFile(), 0, screenPoint.x, screenPoint.y, 0, hwnd_, nullptr);
}

void frmTextToSound::LoadProfile() {
    settings_ = ProfileSettings{};
    std::string text;
    ReadTextFile(ProfilePath(), text);
    ApplyProfileText(text, settings_);
}

void frmTextToSound::SaveProfile() { WriteTextFile(ProfilePath(), ProfileText(settings_)); }

void frmTextToSound::CreateControls() {
    auto child = [this](const wchar_t* cls, const wchar_t* text, DWORD style) {
        return CreateWindowExW(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, hwnd_, nullptr,
                               instance_, nullptr);
    };
    // A graphical button without a visible caption; its text names it for screen readers.
    Command1_ = child(WC_BUTTONW, L"Read the selection aloud",
                      WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_BITMAP);
    TextBox_ = child(WC_EDITW, L"", ES_MULTILINE | ES_AUTOVSCROLL);
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
    const int left = static_cast<int>(std::lround(leftTwips * static_cast<float>(dpi) / kTwipsPerInch));
    SetWindowPos(hwnd_, nullptr, left, TwipsToPixels(kMainWindowTopTwips, dpi), width,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmTextToSound::ShowPicture(HWND image) {
    const LPARAM picture = SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0);
    SendMessageW(Command1_, BM_SETIMAGE, IMAGE_BITMAP, picture);
}

}  // namespace vocalinka
