#include "shaped_line.h"

#include <algorithm>

#include "win32util/system_library.h"
#include "win32util/text.h"

namespace agent::win {
namespace {

bool IsRightToLeftLetter(char16_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE70 && c <= 0xFEFF);
}

bool IsLeftToRightLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0x00C0 && c < 0x0590) ||
           (c >= 0x0900 && c < 0xFB1D && !(c >= 0x2000 && c <= 0x2BFF) &&
            !(c >= 0x3000 && c <= 0x303F));
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

}  // namespace

std::wstring Displayable(std::u16string_view run) {
    std::wstring text = win32util::ToWide(run);
    for (wchar_t& c : text) {
        if (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) c = L' ';
    }
    return text;
}

bool StartsRightToLeft(std::u16string_view text) {
    for (char16_t c : text) {
        if (IsRightToLeftLetter(c)) return true;
        if (IsLeftToRightLetter(c)) return false;
    }
    return false;
}

ShapedLine::ShapedLine(HDC dc, const std::wstring& text, bool rightToLeft) {
    if (text.empty() || !Usp().Complete()) return;
    const int length = static_cast<int>(text.size());
    DWORD flags = SSA_GLYPHS | SSA_FALLBACK;
    if (rightToLeft) flags |= SSA_RTL;
    if (FAILED(Usp().analyse(dc, text.c_str(), length, length * 3 / 2 + 16, -1, flags, 0, nullptr,
                             nullptr, nullptr, nullptr, nullptr, &analysis_))) {
        analysis_ = nullptr;
    }
}

ShapedLine::~ShapedLine() {
    if (analysis_) Usp().free(&analysis_);
}

int ShapedLine::Width() const {
    const SIZE* size = analysis_ ? Usp().size(analysis_) : nullptr;
    return size ? size->cx : 0;
}

std::pair<int, int> ShapedLine::Span(int begin, int end) const {
    int x1 = 0;
    int x2 = 0;
    Usp().cpToX(analysis_, begin, FALSE, &x1);
    Usp().cpToX(analysis_, end - 1, TRUE, &x2);
    return {std::min(x1, x2), std::max(x1, x2)};
}

void ShapedLine::Draw(int x, int y) const {
    if (analysis_) Usp().out(analysis_, x, y, 0, nullptr, 0, 0, FALSE);
}

}  // namespace agent::win
