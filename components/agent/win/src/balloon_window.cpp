#include "balloon_window.h"

#include <agent/agent_testing.h>
#include <usp10.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "portable/image_scale.h"
#include "win32util/system_library.h"

namespace agent::win {
namespace {

constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

struct Palette {
    COLORREF background;
    COLORREF text;
    COLORREF mark;      // behind the spoken word
    COLORREF markText;  // the spoken word
    COLORREF border;
};

// Near-black on warm white, the spoken word on highlighter yellow: both well above 12:1
// contrast. With a high-contrast theme on, the user's own colours are used instead.
Palette CurrentPalette() {
    if (win32util::HighContrast())
        return {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT),
                GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT),
                GetSysColor(COLOR_WINDOWTEXT)};
    return {RGB(255, 253, 244), RGB(20, 20, 20), RGB(255, 222, 89), RGB(20, 20, 20),
            RGB(88, 88, 88)};
}

// Characters GDI would draw as boxes (tabs, line ends) become spaces, one for one, so that
// offsets into the line stay offsets into the text.
std::wstring Displayable(std::u16string_view run) {
    std::wstring text = ToWide(run);
    for (wchar_t& c : text)
        if (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) c = L' ';
    return text;
}

bool IsRightToLeftLetter(char16_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE70 && c <= 0xFEFF);
}

bool IsLeftToRightLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0x00C0 && c < 0x0590) ||
           (c >= 0x0900 && c < 0xFB1D && !(c >= 0x2000 && c <= 0x2BFF) &&
            !(c >= 0x3000 && c <= 0x303F));
}

// The paragraph runs right to left when its first strong letter does.
bool StartsRightToLeft(std::u16string_view text) {
    for (char16_t c : text) {
        if (IsRightToLeftLetter(c)) return true;
        if (IsLeftToRightLetter(c)) return false;
    }
    return false;
}

// Uniscribe's functions, from System32 only (see win32util/system_library.h).
struct Uniscribe {
    decltype(&ScriptStringAnalyse) analyse =
        win32util::SystemFunction<decltype(ScriptStringAnalyse)>(L"usp10.dll",
                                                                 "ScriptStringAnalyse");
    decltype(&ScriptStringFree) free =
        win32util::SystemFunction<decltype(ScriptStringFree)>(L"usp10.dll", "ScriptStringFree");
    decltype(&ScriptString_pSize) size =
        win32util::SystemFunction<decltype(ScriptString_pSize)>(L"usp10.dll", "ScriptString_pSize");
    decltype(&ScriptStringCPtoX) cpToX =
        win32util::SystemFunction<decltype(ScriptStringCPtoX)>(L"usp10.dll", "ScriptStringCPtoX");
    decltype(&ScriptStringOut) out =
        win32util::SystemFunction<decltype(ScriptStringOut)>(L"usp10.dll", "ScriptStringOut");
    bool Complete() const { return analyse && free && size && cpToX && out; }
};

const Uniscribe& Usp() {
    static const Uniscribe functions;
    return functions;
}

// One line shaped by Uniscribe: bidirectional order, complex scripts and font fallback for
// characters the balloon's font lacks. Without Uniscribe the line is not valid.
class ShapedLine {
public:
    ShapedLine(HDC dc, const std::wstring& text, bool rightToLeft) {
        if (text.empty() || !Usp().Complete()) return;
        const int length = static_cast<int>(text.size());
        DWORD flags = SSA_GLYPHS | SSA_FALLBACK;
        if (rightToLeft) flags |= SSA_RTL;
        if (FAILED(Usp().analyse(dc, text.c_str(), length, length * 3 / 2 + 16, -1, flags, 0,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, &analysis_)))
            analysis_ = nullptr;
    }
    ~ShapedLine() {
        if (analysis_) Usp().free(&analysis_);
    }
    ShapedLine(const ShapedLine&) = delete;
    ShapedLine& operator=(const ShapedLine&) = delete;

    bool Valid() const { return analysis_ != nullptr; }
    int Width() const {
        const SIZE* size = analysis_ ? Usp().size(analysis_) : nullptr;
        return size ? size->cx : 0;
    }
    // Left and right edge of the characters [begin, end) of the line.
    std::pair<int, int> Span(int begin, int end) const {
        int x1 = 0;
        int x2 = 0;
        Usp().cpToX(analysis_, begin, FALSE, &x1);
        Usp().cpToX(analysis_, end - 1, TRUE, &x2);
        return {std::min(x1, x2), std::max(x1, x2)};
    }
    // Into the device context it was shaped for.
    void Draw(int x, int y) const {
        if (analysis_) Usp().out(analysis_, x, y, 0, nullptr, 0, 0, FALSE);
    }

private:
    SCRIPT_STRING_ANALYSIS analysis_ = nullptr;
};

}  // namespace

BalloonWindow::BalloonWindow(HWND owner) {
    RegisterForwardingClass<BalloonWindow, &BalloonWindow::hwnd_, &BalloonWindow::OnMessage>(
        kClassName);
    CreateWindowExW(kExStyle, kClassName, L"", WS_POPUP, 0, 0, 1, 1, owner, nullptr,
                    GetModuleHandleW(nullptr), this);
    window_.reset(hwnd_);
}

LRESULT BalloonWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case testing::kBalloonGetWord:
            return wordBegin_ ? static_cast<LRESULT>(*wordBegin_ + 1) : 0;
        case testing::kBalloonGetPageBegin:
            return pages_ ? static_cast<LRESULT>(pages_->Current().begin + 1) : 0;
        case testing::kBalloonGetPageEnd:
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
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
    pages_.reset();
    // A long text's memory goes now, not at the next one.
    text_ = {};
    std::u16string().swap(joined_);
    utterance_.reset();
    wordBegin_.reset();
}

void BalloonWindow::Render() {
    if (!hwnd_ || !pages_) return;
    const TextPage& page = pages_->Current();
    const int padding = ScaleForDpi(kPadding, dpi_);
    const int margin = ScaleForDpi(kShadowMargin, dpi_);
    const int tailHeight = ScaleForDpi(kTailHeight, dpi_);
    const int radius = ScaleForDpi(kCornerRadius, dpi_);

    // A text that fits on one page gets a balloon its size; a longer one a full-size balloon
    // that keeps its size while the pages turn.
    const std::u16string_view text = text_;
    int textWidth = ScaleForDpi(kMaxTextWidth, dpi_);
    int lineCount = kLinesPerPage;
    if (pages_->SinglePage()) {
        textWidth = 0;
        for (const TextLine& line : page.lines)
            textWidth =
                std::max(textWidth, Measure(text.substr(line.begin, line.end - line.begin)));
        lineCount = std::max<int>(1, static_cast<int>(page.lines.size()));
    }
    textWidth = std::max(textWidth, ScaleForDpi(kMinTextWidth, dpi_));
    const Size body{textWidth + 2 * padding + margin,
                    lineCount * lineHeight_ - (lineHeight_ - fontHeight_) + 2 * padding + margin};

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
    const BalloonPlacement placement =
        PlaceBalloon(character_, target_, body, tailHeight, radius, workArea, keepClear);
    const Size size{placement.window.Width(), placement.window.Height()};

    if (!surfaceDc_) surfaceDc_.reset(CreateCompatibleDC(nullptr));
    if (!surface_ || surfaceSize_ != size) {
        void* bits = nullptr;
        UniqueBitmap bitmap = CreateLayeredSurface(size.width, size.height, bits);
        if (!bitmap) return;
        SelectObject(surfaceDc_.get(), bitmap.get());
        surface_ = std::move(bitmap);
        surfaceBits_ = bits;
        surfaceSize_ = size;
    }
    const HDC dc = surfaceDc_.get();
    const Palette palette = CurrentPalette();
    const UniqueBrush background(CreateSolidBrush(palette.background));
    const RECT whole{0, 0, size.width, size.height};
    FillRect(dc, &whole, background.get());

    BalloonShape shape;
    shape.body = {placement.body.left, placement.body.top, placement.body.right - margin,
                  placement.body.bottom - margin};
    shape.cornerRadius = radius;
    shape.tail = placement.tail;
    shape.tailTip = placement.tailTip;
    shape.tailBaseX = placement.tailBaseX;
    shape.tailHalfWidth = tailHeight / 2;
    shape.borderWidth = 1.5f * static_cast<float>(dpi_) / 96.0f;
    shape.shadowOffset = ScaleForDpi(3, dpi_);

    const SelectedObject font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    const UniqueBrush markBrush(CreateSolidBrush(palette.mark));
    const int markPad = ScaleForDpi(3, dpi_);
    const int left = shape.body.left + padding;
    const std::size_t wordEnd =
        wordBegin_ ? *wordBegin_ + std::max<std::size_t>(wordLength_, 1) : 0;
    int y = shape.body.top + padding;
    for (const TextLine& line : page.lines) {
        const ShapedLine shaped(dc, Displayable(text.substr(line.begin, line.end - line.begin)),
                                rightToLeft_);
        const int x = rightToLeft_ ? shape.body.right - padding - shaped.Width() : left;
        std::optional<RECT> mark;
        if (wordBegin_ && shaped.Valid() && *wordBegin_ < line.end && wordEnd > line.begin) {
            const int from = static_cast<int>(std::max(*wordBegin_, line.begin) - line.begin);
            const int to = static_cast<int>(std::min(wordEnd, line.end) - line.begin);
            const auto [x1, x2] = shaped.Span(from, to);
            mark = RECT{x + x1 - markPad, y - markPad / 2, x + x2 + markPad,
                        y + fontHeight_ + markPad / 2};
            const SelectedObject brush(dc, markBrush.get());
            const SelectedObject pen(dc, GetStockObject(NULL_PEN));
            RoundRect(dc, mark->left, mark->top, mark->right, mark->bottom, markPad * 3,
                      markPad * 3);
        }
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
    GdiFlush();  // GDI may batch: the pixels must be final before they are read

    const Colour border{GetRValue(palette.border), GetGValue(palette.border),
                        GetBValue(palette.border)};
    mask_.Prepare(shape, size.width, size.height);
    mask_.Apply({static_cast<std::uint8_t*>(surfaceBits_),
                 static_cast<std::size_t>(size.width) * size.height * 4},
                border);

    POINT position{placement.window.left, placement.window.top};
    SIZE windowSize{size.width, size.height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd_, nullptr, &position, &windowSize, dc, &source, 0, &blend, ULW_ALPHA);
    if (!IsWindowVisible(hwnd_)) {
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

}  // namespace agent::win
