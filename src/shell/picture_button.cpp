#include "shell/picture_button.h"

#include <algorithm>

namespace vocalinka {

void DrawPictureButton(const DRAWITEMSTRUCT& item, HBITMAP picture, int dpi) {
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    // One bevel of two pixels at 96 DPI, two at 192.
    const int scale = std::max(1, dpi / USER_DEFAULT_SCREEN_DPI);
    RECT face = item.rcItem;
    FillRect(item.hDC, &face, GetSysColorBrush(COLOR_BTNFACE));
    for (int ring = 0; ring < scale; ++ring) {
        DrawEdge(item.hDC, &face, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
    BITMAP size{};
    if (picture && GetObjectW(picture, sizeof(size), &size)) {
        // A pushed face moves its picture down and to the right, as the system's buttons do.
        const int shift = pushed ? scale : 0;
        const int left = (item.rcItem.left + item.rcItem.right - size.bmWidth) / 2 + shift;
        const int top = (item.rcItem.top + item.rcItem.bottom - size.bmHeight) / 2 + shift;
        const UINT state = (item.itemState & ODS_DISABLED) ? DSS_DISABLED : DSS_NORMAL;
        DrawStateW(item.hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(picture), 0, left, top,
                   size.bmWidth, size.bmHeight, DST_BITMAP | state);
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        InflateRect(&face, -scale, -scale);
        DrawFocusRect(item.hDC, &face);
    }
}

}  // namespace vocalinka
