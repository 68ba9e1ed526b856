// Command1's face as DrawPictureButton paints it into a bitmap of our own.
#include "shell/picture_button.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "win32util/handles.h"

namespace vocalinka {
namespace {

using win32util::UniqueBitmap;
using win32util::UniqueBrush;

constexpr int kButtonSize = 46;
constexpr int kPictureSize = 8;
constexpr COLORREF kPictureColour = RGB(200, 30, 60);

// A button face drawn into a memory bitmap, read back pixel by pixel.
class DrawnFace {
public:
    DrawnFace(UINT state, int dpi) : dc_(CreateCompatibleDC(nullptr)) {
        HDC screen = GetDC(nullptr);
        face_.reset(CreateCompatibleBitmap(screen, kButtonSize, kButtonSize));
        picture_.reset(CreateCompatibleBitmap(screen, kPictureSize, kPictureSize));
        ReleaseDC(nullptr, screen);
        Fill(picture_.get(), kPictureColour);
        const HGDIOBJ previous = SelectObject(dc_, face_.get());
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hDC = dc_;
        item.rcItem = {0, 0, kButtonSize, kButtonSize};
        DrawPictureButton(item, picture_.get(), dpi);
        for (int y = 0; y < kButtonSize; ++y) {
            for (int x = 0; x < kButtonSize; ++x) pixels_.push_back(GetPixel(dc_, x, y));
        }
        SelectObject(dc_, previous);
    }
    ~DrawnFace() { DeleteDC(dc_); }
    COLORREF At(int x, int y) const { return pixels_[y * kButtonSize + x]; }
    // How many pixels of the face have the picture's colour.
    int PictureArea() const {
        int area = 0;
        for (COLORREF pixel : pixels_) area += pixel == kPictureColour;
        return area;
    }
    // The width of the frame's right edge, on the middle row: the pixels that are not the
    // button face's colour. (Its left edge may be drawn in the face's colour.)
    int RightFrameWidth() const {
        int width = 0;
        while (width < kButtonSize / 2 &&
               At(kButtonSize - 1 - width, kButtonSize / 2) != GetSysColor(COLOR_BTNFACE)) {
            ++width;
        }
        return width;
    }
    int PixelsDifferentFrom(const DrawnFace& other) const {
        int different = 0;
        for (std::size_t i = 0; i < pixels_.size(); ++i)
            different += pixels_[i] != other.pixels_[i];
        return different;
    }

private:
    void Fill(HBITMAP bitmap, COLORREF colour) const {
        const HGDIOBJ previous = SelectObject(dc_, bitmap);
        const RECT all{0, 0, kPictureSize, kPictureSize};
        UniqueBrush brush(CreateSolidBrush(colour));
        FillRect(dc_, &all, brush.get());
        SelectObject(dc_, previous);
    }
    HDC dc_;
    UniqueBitmap face_;
    UniqueBitmap picture_;
    std::vector<COLORREF> pixels_;
};

TEST(PictureButton, DrawsThePictureWholeAndCentredOnTheFace) {
    const DrawnFace face(0, USER_DEFAULT_SCREEN_DPI);
    EXPECT_EQ(face.PictureArea(), kPictureSize * kPictureSize);
    const int first = (kButtonSize - kPictureSize) / 2;
    EXPECT_EQ(face.At(first, first), kPictureColour);
    EXPECT_EQ(face.At(first + kPictureSize - 1, first + kPictureSize - 1), kPictureColour);
    EXPECT_NE(face.At(first - 1, first - 1), kPictureColour);
}

TEST(PictureButton, APushedFaceIsSunkenAndMovesThePicture) {
    const DrawnFace up(0, USER_DEFAULT_SCREEN_DPI);
    const DrawnFace pushed(ODS_SELECTED, USER_DEFAULT_SCREEN_DPI);
    // Raised: a dark bottom-right corner; sunken: a light one.
    constexpr int kLast = kButtonSize - 1;
    EXPECT_EQ(up.At(kLast, kLast), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(pushed.At(kLast, kLast), GetSysColor(COLOR_3DHILIGHT));
    const int first = (kButtonSize - kPictureSize) / 2;
    EXPECT_NE(pushed.At(first, first), kPictureColour);
    EXPECT_EQ(pushed.At(first + 1, first + 1), kPictureColour);
}

TEST(PictureButton, TheFrameGrowsWithTheDpi) {
    EXPECT_EQ(DrawnFace(0, 96).RightFrameWidth(), 2);
    EXPECT_EQ(DrawnFace(0, 144).RightFrameWidth(), 2);
    EXPECT_EQ(DrawnFace(0, 192).RightFrameWidth(), 4);
}

TEST(PictureButton, AFocusedFaceShowsTheFocusRectangleOnlyWhenCuesAreShown) {
    const DrawnFace plain(0, USER_DEFAULT_SCREEN_DPI);
    const DrawnFace focused(ODS_FOCUS, USER_DEFAULT_SCREEN_DPI);
    const DrawnFace cuesHidden(ODS_FOCUS | ODS_NOFOCUSRECT, USER_DEFAULT_SCREEN_DPI);
    EXPECT_GT(focused.PixelsDifferentFrom(plain), 0);
    EXPECT_EQ(cuesHidden.PixelsDifferentFrom(plain), 0);
}

TEST(PictureButton, ADisabledFaceGreysThePicture) {
    EXPECT_EQ(DrawnFace(ODS_DISABLED, USER_DEFAULT_SCREEN_DPI).PictureArea(), 0);
}

}  // namespace
}  // namespace vocalinka
