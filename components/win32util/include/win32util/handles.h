// Owning wrappers for Win32 handles, shared by the program and its components. Not copyable,
// so that no handle is closed twice.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace win32util {

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
using UniqueIcon = Unique<HICON, DestroyIcon>;
using UniqueKey = Unique<HKEY, RegCloseKey>;
using UniqueModule = Unique<HMODULE, FreeLibrary>;
// A kernel handle where null means "none" (processes, threads, events, tokens).
using UniqueHandle = Unique<HANDLE, CloseHandle>;

// A handle where INVALID_HANDLE_VALUE, not null, means "none", closed by CloseFn.
template <auto CloseFn>
class UniqueSearchOrFile {
public:
    explicit UniqueSearchOrFile(HANDLE handle = INVALID_HANDLE_VALUE) noexcept : handle_(handle) {}
    UniqueSearchOrFile(const UniqueSearchOrFile&) = delete;
    UniqueSearchOrFile& operator=(const UniqueSearchOrFile&) = delete;
    ~UniqueSearchOrFile() { Close(); }
    bool Valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const noexcept { return handle_; }
    // Closes now; false when closing failed (a write the system could not finish).
    bool Close() noexcept {
        const bool ok = !Valid() || CloseFn(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

// A file from CreateFileW.
using UniqueFile = UniqueSearchOrFile<CloseHandle>;
// A search from FindFirstFileW or FindFirstFileExW.
using UniqueFind = UniqueSearchOrFile<FindClose>;

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

}  // namespace win32util
