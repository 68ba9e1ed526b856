#include "ui/dialog_window.h"

#include <algorithm>

#include "resources/resource.h"
#include "ui/twips.h"
#include "win32util/failure.h"
#include "win32util/handles.h"
#include "win32util/window.h"

namespace vocalinka {

using win32util::UniqueFont;
using win32util::UniqueIcon;
using win32util::WindowDpi;
using win32util::WindowText;
namespace {

SIZE TextSize(HWND control) {
    const std::wstring text = WindowText(control);
    HDC dc = GetDC(control);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    RECT bounds{};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    if (previous) SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

}  // namespace

void PlaceDesignedControls(HWND parent, std::span<const DesignedControl> controls, int dpi) {
    for (const DesignedControl& c : controls) {
        HWND control = GetDlgItem(parent, c.id);
        int width = TwipsToPixels(c.width, dpi);
        int height = TwipsToPixels(c.height, dpi);
        if (c.fitsText) {
            const SIZE text = TextSize(control);
            width = std::max<int>(width, text.cx);
            height = std::max<int>(height, text.cy);
        }
        MoveWindow(control, TwipsToPixels(c.left, dpi), TwipsToPixels(c.top, dpi), width, height,
                   TRUE);
    }
}

SIZE DesignedOuterSize(HWND window, const DialogDesign& design, int dpi) {
    RECT rect{0, 0, TwipsToPixels(design.clientWidth, dpi),
              TwipsToPixels(design.clientHeight, dpi)};
    AdjustWindowRectExForDpi(&rect, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)),
                             static_cast<UINT>(dpi));
    return {rect.right - rect.left, rect.bottom - rect.top};
}

DesignedDialog::DesignedDialog(HINSTANCE instance, int templateId, DialogDesign design)
    : instance_(instance), templateId_(templateId), design_(design) {}

DesignedDialog::~DesignedDialog() {
    if (hwnd_ && !modal_) {
        // Detached first: the derived object is gone, so no message may reach it any more.
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

void DesignedDialog::RunModal(HWND owner) {
    modal_ = true;
    DialogBoxParamW(instance_, MAKEINTRESOURCEW(templateId_), owner, Proc,
                    reinterpret_cast<LPARAM>(this));
}

void DesignedDialog::CreateModeless(HWND owner) {
    modal_ = false;
    if (CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId_), owner, Proc,
                           reinterpret_cast<LPARAM>(this))) {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
    }
}

void DesignedDialog::Close() {
    if (!hwnd_) return;
    if (modal_) {
        EndDialog(hwnd_, IDOK);  // nobody reads the result: the caller reads the settings
    } else {
        DestroyWindow(hwnd_);
    }
}

INT_PTR CALLBACK DesignedDialog::Proc(HWND dialog, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<DesignedDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DesignedDialog*>(lParam);
        self->hwnd_ = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    if (!self) return FALSE;
    return win32util::GuardedCall(dialog, INT_PTR{FALSE},
                                  [&] { return self->Dispatch(message, wParam, lParam); });
}

INT_PTR DesignedDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = FALSE;
    switch (message) {
        case WM_INITDIALOG:
            Form_Initialize(GetWindow(hwnd_, GW_OWNER));
            Form_Load();
            return TRUE;  // the focus goes to the first control in the tab order
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_NCDESTROY:
            OnMessage(message, wParam, lParam, result);
            SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
            hwnd_ = nullptr;
            font_.reset();  // the controls that used it are gone
            return FALSE;
    }
    return OnMessage(message, wParam, lParam, result) ? result : FALSE;
}

void DesignedDialog::Form_Initialize(HWND owner) {
    dpi_ = createdDpi_ = WindowDpi(hwnd_);
    SetIcons(dpi_);
    LayOut(dpi_);
    CentreOnOwnersScreen(owner);
}

void DesignedDialog::LayOut(int dpi) {
    PlaceDesignedControls(hwnd_, design_.controls, dpi);
    const SIZE outer = DesignedOuterSize(hwnd_, design_, dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    OnLayout(dpi);
}

void DesignedDialog::CentreOnOwnersScreen(HWND owner) {
    MONITORINFO monitor{sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    RECT window{};
    GetWindowRect(hwnd_, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    // A dialog larger than the work area keeps its caption bar on the screen.
    const int left = std::max<int>(work.left, work.left + (work.right - work.left - width) / 2);
    const int top = std::max<int>(work.top, work.top + (work.bottom - work.top - height) / 2);
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesignedDialog::SetIcons(int dpi) {
    const auto load = [&](int widthMetric, int heightMetric) {
        return static_cast<HICON>(LoadImageW(
            instance_, MAKEINTRESOURCEW(IDI_VOCALINKA), IMAGE_ICON,
            GetSystemMetricsForDpi(widthMetric, static_cast<UINT>(dpi)),
            GetSystemMetricsForDpi(heightMetric, static_cast<UINT>(dpi)), LR_DEFAULTCOLOR));
    };
    UniqueIcon big(load(SM_CXICON, SM_CYICON));
    UniqueIcon small(load(SM_CXSMICON, SM_CYSMICON));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    // The window no longer uses the previous icons once the new ones are set.
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

void DesignedDialog::ScaleFont(int dpi) {
    // Always scaled from the template's font, which the dialog manager made for the DPI the
    // dialog was created at.
    const auto templateFont = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    LOGFONTW logFont{};
    if (!templateFont || !GetObjectW(templateFont, sizeof(logFont), &logFont)) return;
    logFont.lfHeight = MulDiv(logFont.lfHeight, dpi, createdDpi_);
    logFont.lfWidth = MulDiv(logFont.lfWidth, dpi, createdDpi_);
    UniqueFont font(CreateFontIndirectW(&logFont));
    if (!font) return;
    // The controls take the new font; the dialog keeps its own, which the dialog manager owns.
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    font_ = std::move(font);
}

void DesignedDialog::OnDpiChanged(int dpi, const RECT& suggested) {
    if (dpi <= 0 || dpi == dpi_) return;
    ScaleFont(dpi);
    dpi_ = dpi;
    SetIcons(dpi);
    LayOut(dpi);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vocalinka
