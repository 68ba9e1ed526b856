#include "balloon_window.h"

#include <algorithm>
#include <cstring>

#include "agent/window_ids.h"
#include "component_window.h"
#include "portable/image_scale.h"
#include "shaped_line.h"
#include "win32util/window.h"

namespace agent::win {
namespace {

constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

// Near-black on warm white, the spoken word on highlighter yellow: both well above 12:1
// contrast. With a high-contrast theme on, the user's own colours are used instead.
BalloonPalette CurrentPalette() {
    if (win32util::HighContrast()) {
        return {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT),
                GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT),
                GetSysColor(COLOR_WINDOWTEXT)};
    }
    return {RGB(255, 253, 244), RGB(20, 20, 20), RGB(255, 222, 89), RGB(20, 20, 20),
            RGB(88, 88, 88)};
}

void FillBackground(HDC dc, Size size, COLORREF colour) {
    const win32util::UniqueBrush brush(CreateSolidBrush(colour));
    const RECT whole{0, 0, size.width, size.height};
    FillRect(dc, &whole, brush.get());
}

void FillRounded(HDC dc, const RECT& rect, HBRUSH brush, int corner) {
    const win32util::SelectedObject selectedBrush(dc, brush);
    const win32util::SelectedObject pen(dc, GetStockObject(NULL_PEN));
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
}

}  // namespace

BalloonWindow::BalloonWindow(HWND owner) {
    window_ =
        CreateComponentWindow<BalloonWindow, &BalloonWindow::hwnd_, &BalloonWindow::OnMessage>(
            *this, kBalloonWindowClass,
            {.exStyle = kExStyle, .style = WS_POPUP, .bounds = {0, 0, 1, 1}, .parent = owner});
}

LRESULT BalloonWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case kBalloonGetWord:
            return wordBegin_ ? static_cast<LRESULT>(*wordBegin_ + 1) : 0;
        case kBalloonGetPageBegin:
            return pages_ ? static_cast<LRESULT>(pages_->Current().begin + 1) : 0;
        case kBalloonGetPageEnd:
            return pages_ ? static_cast<LRESULT>(pages_->Current().end + 1) : 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void BalloonWindow::SetDpi(unsigned dpi) {
    if (dpi == 0) dpi = 96;
    if (dpi == dpi_ && font_) return;
    dpi_ = dpi;
    NONCLIENTMETRICSW metrics{sizeof(metrics)};
    LOGFONTW font{};
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        font = metrics.lfMessageFont;
    } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        font = metrics.lfMessageFont;
        font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), 96);
    } else {
        font.lfHeight = -ScaleForDpi(12, dpi);
        std::wcscpy(font.lfFaceName, L"Segoe UI");
    }
    // Half again as large as the system's message text: readers with low vision take in the
    // words at a glance, and a page still holds a sentence or two.
    font.lfHeight = font.lfHeight * 3 / 2;
    font.lfWeight = FW_NORMAL;
    measureDc_.reset();
    font_.reset(CreateFontIndirectW(&font));
    measureDc_.reset(CreateCompatibleDC(nullptr));
    SelectObject(measureDc_.get(), font_.get());
    TEXTMETRICW textMetrics{};
    GetTextMetricsW(measureDc_.get(), &textMetrics);
    fontHeight_ = textMetrics.tmHeight;
    lineHeight_ = textMetrics.tmHeight + textMetrics.tmExternalLeading + fontHeight_ / 4;
}

int BalloonWindow::Measure(std::u16string_view run) const {
    const ShapedLine line(measureDc_.get(), Displayable(run), rightToLeft_);
    if (line.Valid()) return line.Width();
    const std::wstring text = Displayable(run);
    SIZE size{};
    GetTextExtentPoint32W(measureDc_.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void BalloonWindow::Open(core::SharedUtterance utterance, const Rect& character, Point target,
                         unsigned dpi) {
    SetDpi(dpi);
    pages_.reset();
    utterance_ = std::move(utterance);
    // A long text is shown from where it already is, not copied once more.
    std::u16string().swap(joined_);
    if (utterance_->segments.size() == 1) {
        text_ = utterance_->segments.front().shown;
    } else {
        joined_ = utterance_->ShownText();
        text_ = joined_;
    }
    rightToLeft_ = StartsRightToLeft(text_);
    wordBegin_.reset();
    wordLength_ = 0;
    character_ = character;
    target_ = target;
    pages_.emplace(text_, ScaleForDpi(kMaxTextWidth, dpi_), kLinesPerPage,
                   [this](std::u16string_view run) { return Measure(run); });
    Render();
}

void BalloonWindow::ShowWord(std::size_t begin, std::size_t length) {
    if (!pages_) return;
    wordBegin_ = begin;
    wordLength_ = length;
    pages_->ShowWord(begin);
    Render();
}

void BalloonWindow::Follow(const Rect& character, Point target, unsigned dpi) {
    character_ = character;
    target_ = target;
    if (!pages_) return;
    if (dpi != dpi_ && dpi != 0) {
        SetDpi(dpi);
        pages_.emplace(text_, ScaleForDpi(kMaxTextWidth, dpi_), kLinesPerPage,
                       [this](std::u16string_view run) { return Measure(run); });
        if (wordBegin_) pages_->ShowWord(*wordBegin_);
    }
    Render();
}

void BalloonWindow::Close() {
    ShowWindow(hwnd_, SW_HIDE);
    pages_.reset();
    // A long text's memory goes now, not at the next one.
    text_ = {};
    std::u16string().swap(joined_);
    utterance_.reset();
    wordBegin_.reset();
}

void BalloonWindow::Render() {
    if (!pages_) return;
    const BalloonPlacement placement = Place(BodySize());
    const Size size{placement.window.Width(), placement.window.Height()};
    if (!surface_.Resize(size)) return;
    const BalloonPalette palette = CurrentPalette();
    const BalloonShape shape = ShapeFor(placement);
    FillBackground(surface_.Dc(), size, palette.background);
    DrawLines(surface_.Dc(), shape, palette);
    GdiFlush();  // GDI may batch: the pixels must be final before they are read
    mask_.Prepare(shape, size.width, size.height);
    mask_.Apply(surface_.Pixels(), Colour{GetRValue(palette.border), GetGValue(palette.border),
                                          GetBValue(palette.border)});
    const Point position{placement.window.left, placement.window.top};
    surface_.Present(hwnd_, &position);
    if (!IsWindowVisible(hwnd_)) {
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

// A text that fits on one page gets a balloon its size; a longer one a full-size balloon that
// keeps its size while the pages turn.
Size BalloonWindow::BodySize() const {
    const TextPage& page = pages_->Current();
    int textWidth = ScaleForDpi(kMaxTextWidth, dpi_);
    int lineCount = kLinesPerPage;
    if (pages_->SinglePage()) {
        textWidth = 0;
        for (const TextLine& line : page.lines) {
            textWidth =
                std::max(textWidth, Measure(text_.substr(line.begin, line.end - line.begin)));
        }
        lineCount = std::max<int>(1, static_cast<int>(page.lines.size()));
    }
    textWidth = std::max(textWidth, ScaleForDpi(kMinTextWidth, dpi_));
    const int padding = ScaleForDpi(kPadding, dpi_);
    const int margin = ScaleForDpi(kShadowMargin, dpi_);
    return {textWidth + 2 * padding + margin,
            lineCount * lineHeight_ - (lineHeight_ - fontHeight_) + 2 * padding + margin};
}

BalloonPlacement BalloonWindow::Place(Size body) const {
    MONITORINFO monitor{sizeof(monitor)};
    const RECT characterRect{character_.left, character_.top, character_.right, character_.bottom};
    GetMonitorInfoW(MonitorFromRect(&characterRect, MONITOR_DEFAULTTONEAREST), &monitor);
    const Rect workArea{monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                        monitor.rcWork.bottom};
    // The balloon belongs to the character window, which belongs to the program's window.
    Rect keepClear{};
    if (HWND program = GetWindow(GetWindow(hwnd_, GW_OWNER), GW_OWNER)) {
        RECT r{};
        GetWindowRect(program, &r);
        keepClear = {r.left, r.top, r.right, r.bottom};
    }
    return PlaceBalloon(character_, target_, body, ScaleForDpi(kTailHeight, dpi_),
                        ScaleForDpi(kCornerRadius, dpi_), workArea, keepClear);
}

BalloonShape BalloonWindow::ShapeFor(const BalloonPlacement& placement) const {
    const int margin = ScaleForDpi(kShadowMargin, dpi_);
    BalloonShape shape;
    shape.body = {placement.body.left, placement.body.top, placement.body.right - margin,
                  placement.body.bottom - margin};
    shape.cornerRadius = ScaleForDpi(kCornerRadius, dpi_);
    shape.tail = placement.tail;
    shape.tailTip = placement.tailTip;
    shape.tailBaseX = placement.tailBaseX;
    shape.tailHalfWidth = ScaleForDpi(kTailHeight, dpi_) / 2;
    shape.borderWidth = 1.5f * static_cast<float>(dpi_) / 96.0f;
    shape.shadowOffset = ScaleForDpi(3, dpi_);
    return shape;
}

void BalloonWindow::DrawLines(HDC dc, const BalloonShape& shape,
                              const BalloonPalette& palette) const {
    const win32util::SelectedObject font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    const win32util::UniqueBrush markBrush(CreateSolidBrush(palette.mark));
    const int padding = ScaleForDpi(kPadding, dpi_);
    int y = shape.body.top + padding;
    for (const TextLine& line : pages_->Current().lines) {
        const ShapedLine shaped(dc, Displayable(text_.substr(line.begin, line.end - line.begin)),
                                rightToLeft_);
        const int x =
            rightToLeft_ ? shape.body.right - padding - shaped.Width() : shape.body.left + padding;
        const std::optional<RECT> mark = MarkOn(line, shaped, {x, y});
        if (mark) FillRounded(dc, *mark, markBrush.get(), ScaleForDpi(3, dpi_) * 3);
        SetTextColor(dc, palette.text);
        shaped.Draw(x, y);
        if (mark && palette.markText != palette.text) {
            const int saved = SaveDC(dc);
            IntersectClipRect(dc, mark->left, mark->top, mark->right, mark->bottom);
            SetTextColor(dc, palette.markText);
            shaped.Draw(x, y);
            RestoreDC(dc, saved);
        }
        y += lineHeight_;
    }
}

std::optional<RECT> BalloonWindow::MarkOn(const TextLine& line, const ShapedLine& shaped,
                                          Point origin) const {
    if (!wordBegin_ || !shaped.Valid()) return std::nullopt;
    const std::size_t wordEnd = *wordBegin_ + std::max<std::size_t>(wordLength_, 1);
    if (*wordBegin_ >= line.end || wordEnd <= line.begin) return std::nullopt;
    const int from = static_cast<int>(std::max(*wordBegin_, line.begin) - line.begin);
    const int to = static_cast<int>(std::min(wordEnd, line.end) - line.begin);
    const auto [x1, x2] = shaped.Span(from, to);
    const int markPad = ScaleForDpi(3, dpi_);
    return RECT{origin.x + x1 - markPad, origin.y - markPad / 2, origin.x + x2 + markPad,
                origin.y + fontHeight_ + markPad / 2};
}

}  // namespace agent::win
