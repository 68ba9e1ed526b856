// What the program's four dialogs share: a template from dialogs.rc whose controls are placed
// from the design's twips at the window's DPI, a client area of the designed size, the
// application icon, a taskbar button and a place in the centre of the owner's screen. The main
// window is laid out by the same design code.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "win32util/handles.h"

namespace vocalinka {

// One control of a layout, in twips of the client area.
struct DesignedControl {
    int id;
    int left;
    int top;
    int width;
    int height;
    // A label sized to its text: it grows when the font needs more room than the design had,
    // so that a wider font never cuts it.
    bool fitsText = false;
};

struct DialogDesign {
    int clientWidth;  // twips
    int clientHeight;
    std::span<const DesignedControl> controls;
};

// Moves each designed control, the child of `parent` with its id, to its place at `dpi`.
void PlaceDesignedControls(HWND parent, std::span<const DesignedControl> controls, int dpi);
// The size of `window`, with its styles, whose client area is the design's at `dpi`.
SIZE DesignedOuterSize(HWND window, const DialogDesign& design, int dpi);

class DesignedDialog {
public:
    DesignedDialog(const DesignedDialog&) = delete;
    DesignedDialog& operator=(const DesignedDialog&) = delete;

    // The open dialog, or null.
    HWND Handle() const { return hwnd_; }

protected:
    DesignedDialog(HINSTANCE instance, int templateId, DialogDesign design);
    // A modeless dialog still open is destroyed with its object.
    virtual ~DesignedDialog();

    // Runs the dialog modally, owned by `owner`, until Close.
    void RunModal(HWND owner);
    // Creates the dialog modelessly, owned by `owner`, and shows it.
    void CreateModeless(HWND owner);
    void Close();

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    HINSTANCE Instance() const { return instance_; }
    int Dpi() const { return dpi_; }

    // Fills the controls, which stand at their designed places by then.
    virtual void Form_Load() = 0;
    // Called whenever the controls have been placed for a DPI, the first time before Form_Load.
    virtual void OnLayout(int /*dpi*/) {}
    // The dialog's own messages: true when handled, with the dialog procedure's result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) = 0;

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Initialize(HWND owner);
    void LayOut(int dpi);
    void CentreOnOwnersScreen(HWND owner);
    void SetIcons(int dpi);
    void ScaleFont(int dpi);
    void OnDpiChanged(int dpi, const RECT& suggested);

    HINSTANCE instance_;
    int templateId_;
    DialogDesign design_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    int createdDpi_ = USER_DEFAULT_SCREEN_DPI;
    win32util::UniqueIcon bigIcon_;
    win32util::UniqueIcon smallIcon_;
    // Only after a change of DPI; until then the template's font serves.
    win32util::UniqueFont font_;
};

}  // namespace vocalinka
