#include "about/frm_about.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "resources/dialogs_resource.h"
#include "resources/resource.h"
#include "ui/app_title.h"
#include "ui/twips.h"
#include "win32util/handles.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace vocalinka {
namespace {

using win32util::UniqueBrush;
using win32util::UniqueIcon;
using win32util::Utf8ToWide;

constexpr DesignedControl kControls[] = {
    {IDC_PICICON, 150, 105, 540, 540},           // picIcon
    {IDC_LBLTITLE, 960, 135, 3885, 390},         // lblTitle
    {IDC_LBLVERSION, 960, 540, 3885, 225},       // lblVersion
    {IDC_LBLDESCRIPTION, 960, 885, 3885, 1170},  // lblDescription
    {IDC_LBLDISCLAIMER, 165, 2400, 3870, 1290},  // lblDisclaimer
    {IDOK, 4155, 2400, 1260, 345},               // cmdOK
    {IDC_CMDSYSINFO, 4155, 2850, 1260, 345},     // cmdSysInfo
};
constexpr DialogDesign kDesign{5490, 3735, kControls};

// The etched rule between the description and the disclaimer, in twips: a grey line one pixel
// high and, 15 twips lower, a white line two pixels high, both reaching past the right edge.
constexpr int kGreyLineTop = 2220;
constexpr int kWhiteLineTop = 2235;
constexpr int kWhiteLineLeft = 15;
constexpr int kRuleRight = 5564;
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kDisclaimerLines = 6;

// picIcon shows the 32 x 32 image, at the DPI's scale.
constexpr int kPictureSize = 32;

struct Version {
    unsigned major, minor, third;
};

// The fixed part of the version resource, read in place: VERSION.DLL's VerQueryValueW would
// be one more library to load for sixteen bytes.
std::optional<Version> ReadVersion(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes) return std::nullopt;
    // VS_VERSIONINFO: three WORDs, the key L"VS_VERSION_INFO" with its NUL, padding to a
    // DWORD boundary, then VS_FIXEDFILEINFO.
    constexpr std::size_t kKeyEnd = 3 * sizeof(WORD) + sizeof(L"VS_VERSION_INFO");
    constexpr std::size_t kFixedInfo = (kKeyEnd + 3) & ~std::size_t{3};
    const std::size_t size = SizeofResource(module, found);
    if (size < kFixedInfo + sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, bytes + kFixedInfo, sizeof(info));
    if (info.dwSignature != 0xFEEF04BD) return std::nullopt;
    return Version{HIWORD(info.dwFileVersionMS), LOWORD(info.dwFileVersionMS),
                   HIWORD(info.dwFileVersionLS)};
}

std::wstring Lines(std::initializer_list<std::wstring> lines) {
    const std::wstring lineBreak = Utf8ToWide(LineBreak);
    std::wstring joined;
    for (const std::wstring& line : lines) {
        if (&line != lines.begin()) joined += lineBreak;
        joined += line;
    }
    return joined;
}

}  // namespace

std::wstring VersionText(HMODULE module) {
    const std::optional<Version> version = ReadVersion(module);
    if (!version) return {};
    return L"Version " + std::to_wstring(version->major) + L"." + std::to_wstring(version->minor) +
           L"." + std::to_wstring(version->third);
}

frmAbout::frmAbout(HINSTANCE instance, SysInfoLocations locations)
    : DesignedDialog(instance, IDD_ABOUT, kDesign), locations_(std::move(locations)) {}

void frmAbout::Show(HWND owner) {
    if (Handle()) {
        if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
        SetForegroundWindow(Handle());
        return;
    }
    CreateModeless(owner);
}

bool frmAbout::PreTranslateMessage(MSG& msg) {
    return Handle() && IsDialogMessageW(Handle(), &msg);
}

void frmAbout::Form_Load() {
    const std::optional<Version> version = ReadVersion(Instance());
    const std::wstring shortVersion =
        version ? std::to_wstring(version->major) + L"." + std::to_wstring(version->minor) : L"";
    // Short enough for the label's six lines even in a wide font.
    const std::wstring description = Lines({
        std::wstring(kApplicationTitle) + L" " + shortVersion +
            L", a reading aid by the Vocalinka developers.",
        L"",
        L"Copyright \u00A9 the Vocalinka developers.",
        L"All rights reserved.",
    });
    SetWindowTextW(Handle(), (std::wstring(L"About ") + kApplicationTitle).c_str());
    SetWindowTextW(Item(IDC_LBLVERSION), VersionText(Instance()).c_str());
    SetWindowTextW(Item(IDC_LBLTITLE), kApplicationTitle);
    SetWindowTextW(Item(IDC_LBLDESCRIPTION), description.c_str());
    std::wstring disclaimer;
    for (int line = 1; line < kDisclaimerLines; ++line) disclaimer += Utf8ToWide(LineBreak);
    SetWindowTextW(Item(IDC_LBLDISCLAIMER), disclaimer.c_str());
}

void frmAbout::OnLayout(int dpi) {
    const int size = MulDiv(kPictureSize, dpi, USER_DEFAULT_SCREEN_DPI);
    UniqueIcon picture(static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_VOCALINKA),
                                                     IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    SendMessageW(Item(IDC_PICICON), STM_SETICON, reinterpret_cast<WPARAM>(picture.get()), 0);
    picture_ = std::move(picture);
}

bool frmAbout::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL:  // OK is the cancel button too
                    cmdOK_Click();
                    return true;
                case IDC_CMDSYSINFO:
                    cmdSysInfo_Click();
                    return true;
            }
            return false;
        case WM_PAINT:
            PaintRule();
            return true;
        case WM_CTLCOLORSTATIC: {
            // Title, description and disclaimer are black by design; the version keeps the system
            // colour. High contrast keeps every system colour, so that the text stays readable.
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (win32util::HighContrast() ||
                (id != IDC_LBLTITLE && id != IDC_LBLDESCRIPTION && id != IDC_LBLDISCLAIMER)) {
                return false;
            }
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
            return true;
        }
    }
    return false;
}

void frmAbout::cmdOK_Click() {
    Close();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo(Handle(), locations_);
}

void frmAbout::PaintRule() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(Handle(), &paint);
    const int dpi = Dpi();
    const int pixel = std::max(1, MulDiv(1, dpi, USER_DEFAULT_SCREEN_DPI));
    const int right = TwipsToPixels(kRuleRight, dpi);
    const RECT grey{0, TwipsToPixels(kGreyLineTop, dpi), right,
                    TwipsToPixels(kGreyLineTop, dpi) + pixel};
    const RECT white{TwipsToPixels(kWhiteLineLeft, dpi), TwipsToPixels(kWhiteLineTop, dpi), right,
                     TwipsToPixels(kWhiteLineTop, dpi) + 2 * pixel};
    const UniqueBrush greyBrush(CreateSolidBrush(kGrey));
    const UniqueBrush whiteBrush(CreateSolidBrush(kWhite));
    FillRect(dc, &grey, greyBrush.get());
    FillRect(dc, &white, whiteBrush.get());
    EndPaint(Handle(), &paint);
}

}  // namespace vocalinka
