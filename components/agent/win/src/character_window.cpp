#include "character_window.h"

#include <windowsx.h>

#include <cstring>

#include "agent/window_ids.h"
#include "component_window.h"
#include "portable/image_scale.h"
#include "win32util/window.h"

namespace agent::win {
namespace {

constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

int MouthNumber(std::optional<core::Mouth> mouth) {
    return mouth ? static_cast<int>(*mouth) + 1 : 0;
}

}  // namespace

CharacterWindow::CharacterWindow(const format::CharacterData& character,
                                 CharacterWindowListener& listener, const std::wstring& title,
                                 HWND owner)
    : character_(character), listener_(listener), size_{character.width, character.height} {
    window_ = CreateComponentWindow<CharacterWindow, &CharacterWindow::hwnd_,
                                    &CharacterWindow::OnMessage>(
        *this, kCharacterWindowClass,
        {.exStyle = kExStyle,
         .style = WS_POPUP,
         .title = title.c_str(),
         .bounds = {0, 0, size_.width, size_.height},
         .parent = owner});
    SetDpi(static_cast<unsigned>(win32util::WindowDpi(hwnd_)));
}

LRESULT CharacterWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_LBUTTONDOWN:
            OnLeftDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_LBUTTONUP:
            OnLeftUp();
            return 0;
        case WM_CAPTURECHANGED:
            dragging_ = false;
            return 0;
        case WM_CONTEXTMENU:
            OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case kCharacterGetMenu:
            return reinterpret_cast<LRESULT>(BuildMenu());
        case WM_WINDOWPOSCHANGED:
            if (IsWindowVisible(hwnd_)) listener_.OnMoved();
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), *reinterpret_cast<RECT*>(lParam));
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

Size CharacterWindow::SizeAt(Point topLeft) {
    if (!Visible()) {
        SetWindowPos(hwnd_, nullptr, topLeft.x, topLeft.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetDpi(static_cast<unsigned>(win32util::WindowDpi(hwnd_)));
    }
    return size_;
}

void CharacterWindow::ShowAt(Point topLeft) {
    SetWindowPos(hwnd_, HWND_TOPMOST, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    SetDpi(static_cast<unsigned>(win32util::WindowDpi(hwnd_)));
    Draw();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void CharacterWindow::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
}

bool CharacterWindow::Visible() const {
    return IsWindowVisible(hwnd_);
}

Rect CharacterWindow::ScreenRect() const {
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Point CharacterWindow::BalloonTarget() const {
    const Rect rect = ScreenRect();
    return {rect.left + ScaleForDpi(character_.balloonAnchor.x, dpi_),
            rect.top + ScaleForDpi(character_.balloonAnchor.y, dpi_)};
}

HMENU CharacterWindow::BuildMenu() const {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, kHideCommand, hideText_.c_str());
    return menu;
}

void CharacterWindow::ShowFrame(int frame, std::optional<core::Mouth> mouth) {
    if (frame < 0 || static_cast<std::size_t>(frame) >= character_.frames.size()) return;
    frame_ = frame;
    mouth_ = mouth;
    Draw();
}

void CharacterWindow::OnLeftDown(Point cursor) {
    POINT screen{cursor.x, cursor.y};
    ClientToScreen(hwnd_, &screen);
    const Rect rect = ScreenRect();
    dragStartCursor_ = {screen.x, screen.y};
    dragStartWindow_ = {rect.left, rect.top};
    dragging_ = true;
    SetCapture(hwnd_);
}

void CharacterWindow::OnMouseMove(Point cursor) {
    if (!dragging_) return;
    POINT screen{cursor.x, cursor.y};
    ClientToScreen(hwnd_, &screen);
    SetWindowPos(hwnd_, nullptr, dragStartWindow_.x + screen.x - dragStartCursor_.x,
                 dragStartWindow_.y + screen.y - dragStartCursor_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CharacterWindow::OnLeftUp() {
    if (!dragging_) return;
    ReleaseCapture();  // sends WM_CAPTURECHANGED, which ends the drag
    const Rect rect = ScreenRect();
    listener_.OnPlacedByUser({rect.left, rect.top});
}

void CharacterWindow::OnContextMenu(Point screen) {
    if (screen.x == -1 && screen.y == -1) {  // from the keyboard: open it over the character
        const Rect rect = ScreenRect();
        screen = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    const win32util::UniqueMenu menu(BuildMenu());
    // A pop-up menu closes on a click elsewhere only while its owner is in front; the
    // application the user reads in is put back in front as soon as the menu is closed.
    const HWND previous = GetForegroundWindow();
    SetForegroundWindow(hwnd_);
    const auto command = static_cast<UINT>(
        TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                         screen.y, hwnd_, nullptr));
    PostMessageW(hwnd_, WM_NULL, 0, 0);
    if (previous && previous != hwnd_) SetForegroundWindow(previous);
    if (command) OnCommand(command);
}

void CharacterWindow::OnCommand(UINT command) {
    if (command == kHideCommand) listener_.OnHideCommand();
}

void CharacterWindow::OnDpiChanged(unsigned dpi, const RECT& suggested) {
    SetDpi(dpi);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Draw();
}

void CharacterWindow::SetDpi(unsigned dpi) {
    if (dpi == 0) dpi = 96;
    dpi_ = dpi;
    size_ = {ScaleForDpi(character_.width, dpi), ScaleForDpi(character_.height, dpi)};
}

const std::vector<std::uint8_t>& CharacterWindow::Pixels(int frame,
                                                         std::optional<core::Mouth> mouth) {
    const auto& original = character_.frames[static_cast<std::size_t>(frame)].bgra;
    if (!mouth && dpi_ == 96) return original;
    return drawn_.Get({dpi_, frame, MouthNumber(mouth)}, [&] {
        std::vector<std::uint8_t> pixels = original;
        if (mouth) format::PasteMouth(character_, *mouth, pixels);
        if (dpi_ != 96) {
            pixels =
                ScaleBgra(pixels, character_.width, character_.height, size_.width, size_.height);
        }
        return pixels;
    });
}

void CharacterWindow::Draw() {
    if (character_.frames.empty()) return;
    const auto& pixels = Pixels(frame_, mouth_);
    if (pixels.size() != static_cast<std::size_t>(size_.width) * size_.height * 4) return;
    if (!surface_.Resize(size_)) return;
    std::memcpy(surface_.Pixels().data(), pixels.data(), pixels.size());
    surface_.Present(hwnd_);
}

}  // namespace agent::win
