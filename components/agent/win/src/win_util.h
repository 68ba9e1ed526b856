// Small Win32 helpers of the Agent component: owning handles and text conversions.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace agent::win {

template <auto Fn>
struct Closer {
    template <class T>
    void operator()(T handle) const noexcept {
        if (handle) Fn(handle);
    }
};
template <class H, auto Fn>
using Unique = std::unique_ptr<std::remove_pointer_t<H>, Closer<Fn>>;

using UniqueBitmap = Unique<HBITMAP, DeleteObject>;
using UniqueFont = Unique<HFONT, DeleteObject>;
using UniqueBrush = Unique<HBRUSH, DeleteObject>;
using UniqueDc = Unique<HDC, DeleteDC>;
using UniqueMenu = Unique<HMENU, DestroyMenu>;
using UniqueWindow = Unique<HWND, DestroyWindow>;

// A kernel handle where INVALID_HANDLE_VALUE, not null, means "none" (CreateFileW).
class UniqueFile {
public:
    explicit UniqueFile(HANDLE handle) noexcept : handle_(handle) {}
    ~UniqueFile() {
        if (Valid()) CloseHandle(handle_);
    }
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;
    bool Valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const noexcept { return handle_; }

private:
    HANDLE handle_;
};

// Selects an object into a device context for one scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// wchar_t is 16 bits on Windows: UTF-16 text crosses between the two string types as it is.
inline std::u16string ToU16(std::wstring_view text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
inline std::wstring ToWide(std::u16string_view text) {
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// Registers a window class of this module once; later calls for the same name do nothing.
void RegisterWindowClass(const wchar_t* name, WNDPROC proc);

// The system's text for an error code, without the trailing line end.
std::wstring SystemMessage(DWORD error);

}  // namespace agent::win
