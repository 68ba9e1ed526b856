// Text at the Win32 boundary: UTF-8 in portable code, UTF-16 in the W functions.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win32util {

std::wstring Utf8ToWide(std::string_view text);
// Text in the given code page (CP_ACP, CP_UTF8, ...) as UTF-16.
std::wstring MultiByteToWide(std::string_view text, UINT codePage);
std::string WideToUtf8(std::wstring_view text);

// The system's text for an error code, without its closing full stop and line end, its "%1"
// (meant for a file name) reading "the file"; "error N" when the system has none.
std::wstring SystemMessage(DWORD error);

// wchar_t is 16 bits on Windows: UTF-16 text crosses between the two string types as it is.
inline std::u16string ToU16(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
inline std::wstring ToWide(std::u16string_view text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

}  // namespace win32util
