// Small Win32 helpers shared by the program's windows: owning handles and UTF-8/UTF-16 text.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vocalinka {

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
using UniqueMenu = Unique<HMENU, DestroyMenu>;
using UniqueKey = Unique<HKEY, RegCloseKey>;
using UniqueIcon = Unique<HICON, DestroyIcon>;
using UniqueWindow = Unique<HWND, DestroyWindow>;

// A file handle; INVALID_HANDLE_VALUE is what CreateFileW returns on failure.
class UniqueFile {
public:
    explicit UniqueFile(HANDLE handle = INVALID_HANDLE_VALUE) noexcept : handle_(handle) {}
    UniqueFile(const UniqueFile&) = delete;
    UniqueFile& operator=(const UniqueFile&) = delete;
    ~UniqueFile() { Close(); }
    bool Valid() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const noexcept { return handle_; }
    bool Close() noexcept {
        const bool ok = !Valid() || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The folder that holds the running program, without a trailing backslash.
std::wstring ProgramFolder();

// The Windows folder (empty when the system cannot say), without a trailing backslash.
std::wstring WindowsDirectory();

// Regular files of `folder` whose names end in `extension` (any letter case): no folders, no
// hidden or system files, in the order the file system gives them. Names only.
std::vector<std::wstring> FilesWithExtension(const std::wstring& folder, std::wstring_view extension);

// Twips of the design become pixels at the window's DPI.
int TwipsToPixelsForWindow(HWND window, int twips);

}  // namespace vocalinka
