// The clipboard as the user sees it, written and read directly by the tests.
#pragma once

#include <windows.h>

#include <string>

namespace test_clipboard {

// Puts this text alone on the clipboard, as `owner` copies it; false when the clipboard could
// not be opened.
bool SetClipboardText(const std::wstring& text, HWND owner = nullptr);
// The clipboard's text, empty when it holds none, "<locked>" when it could not be opened.
std::wstring ClipboardText();

}  // namespace test_clipboard
