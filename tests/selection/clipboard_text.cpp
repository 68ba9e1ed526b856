#include "clipboard_text.h"

#include <windows.h>

#include <cstring>

namespace test_clipboard {

bool SetClipboardText(const std::wstring& text, HWND owner) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
    }
    const bool placed = memory && SetClipboardData(CF_UNICODETEXT, memory);
    if (!placed && memory) GlobalFree(memory);
    CloseClipboard();
    return placed;
}

std::wstring ClipboardText() {
    if (!OpenClipboard(nullptr)) return L"<locked>";
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) text = chars;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

}  // namespace test_clipboard
