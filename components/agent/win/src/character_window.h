// The character on the desktop: a top-most layered window showing one premultiplied frame at a
// time. It never takes the keyboard focus from the application the user reads in; the user can
// drag it with the left mouse button and hide it from its own right-click menu.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "agent/format/character_file.h"
#include "layered_surface.h"
#include "portable/animator.h"
#include "portable/frame_cache.h"
#include "portable/placement.h"
#include "win32util/handles.h"

namespace agent::win {

class CharacterWindowListener {
public:
    virtual void OnHideCommand() = 0;                // the user chose Hide in the pop-up menu
    virtual void OnMoved() = 0;                      // the window moved or changed size
    virtual void OnPlacedByUser(Point topLeft) = 0;  // a drag ended here

protected:
    ~CharacterWindowListener() = default;
};

class CharacterWindow final : public FrameSink {
public:
    // Enough for every frame and mouth of a typical character at 150%, a few at 500%.
    static constexpr std::size_t kFrameCacheBytes = 24u << 20;

    // The data must outlive the window. The window is owned by `owner` (the program's window,
    // may be null): an owned window is never taken for a window the user reads in.
    CharacterWindow(const format::CharacterData& character, CharacterWindowListener& listener,
                    const std::wstring& title, HWND owner);
    // The window keeps a reference to the data: a temporary would be gone at once.
    CharacterWindow(format::CharacterData&&, CharacterWindowListener&, const std::wstring&,
                    HWND) = delete;
    CharacterWindow(const CharacterWindow&) = delete;
    CharacterWindow& operator=(const CharacterWindow&) = delete;

    HWND Handle() const noexcept { return hwnd_; }
    // The window's size at the DPI of the monitor that holds this point.
    Size SizeAt(Point topLeft);
    // Moves there and shows the current frame without activating.
    void ShowAt(Point topLeft);
    void Hide();
    bool Visible() const;
    Rect ScreenRect() const;
    // Where the balloon's tail points, in screen pixels.
    Point BalloonTarget() const;
    unsigned Dpi() const noexcept { return dpi_; }

    void SetHideText(std::wstring text) { hideText_ = std::move(text); }
    // The pop-up menu as it would open now; the caller owns it.
    HMENU BuildMenu() const;

    void ShowFrame(int frame, std::optional<core::Mouth> mouth) override;

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnLeftDown(Point cursor);
    void OnMouseMove(Point cursor);
    void OnLeftUp();
    void OnContextMenu(Point screen);
    void OnCommand(UINT command);
    void OnDpiChanged(unsigned dpi, const RECT& suggested);
    void SetDpi(unsigned dpi);
    const std::vector<std::uint8_t>& Pixels(int frame, std::optional<core::Mouth> mouth);
    void Draw();

    const format::CharacterData& character_;
    CharacterWindowListener& listener_;
    HWND hwnd_ = nullptr;
    win32util::UniqueWindow window_;
    unsigned dpi_ = 96;
    Size size_;
    std::wstring hideText_ = L"&Hide";

    int frame_ = 0;
    std::optional<core::Mouth> mouth_;
    // Frames as drawn at a DPI other than 96 or with a mouth, made when first needed.
    FrameCache drawn_{kFrameCacheBytes};

    LayeredSurface surface_;

    bool dragging_ = false;
    Point dragStartCursor_;
    Point dragStartWindow_;
};

}  // namespace agent::win
