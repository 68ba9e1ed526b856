// The picture of a layered window: a 32-bit top-down DIB section (premultiplied BGRA, rows as
// the frames store them) selected into a memory DC, drawn into and then given to the window
// whole with UpdateLayeredWindow. Shared by the character and the balloon.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "portable/placement.h"
#include "win32util/handles.h"

namespace agent::win {

class LayeredSurface {
public:
    // Makes the surface this size, keeping it when it already is; false when the bitmap cannot
    // be made (the surface is then as it was).
    bool Resize(Size size);
    // Holds the surface selected; valid after a successful Resize.
    HDC Dc() const noexcept { return dc_.get(); }
    // The surface's pixels, width * height * 4 bytes.
    std::span<std::uint8_t> Pixels() const noexcept;
    // Makes the surface the window's picture; the window also moves there when a position is
    // given.
    void Present(HWND window, const Point* position = nullptr) const;

private:
    win32util::UniqueBitmap bitmap_;  // before the DC, so that the DC lets go of it first
    win32util::UniqueDc dc_;
    void* bits_ = nullptr;
    Size size_;
};

}  // namespace agent::win
