#include "settings/profile_file_win.h"

#include <windows.h>

#include <algorithm>

#include "settings/profile.h"
#include "shell/win32_util.h"

namespace vocalinka {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::wstring Decode(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

// The text in the ANSI code page, or false when the code page cannot hold all of it.
bool EncodeAnsi(std::wstring_view wide, std::string& ansi) {
    ansi.clear();
    if (wide.empty()) return true;
    const UINT codePage = GetACP();
    const int size = static_cast<int>(wide.size());
    if (codePage == CP_UTF8) {  // "Beta: use UTF-8" systems: ANSI is UTF-8 and holds anything
        ansi = WideToUtf8(wide);
        return true;
    }
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                           nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) return false;
    ansi.resize(static_cast<std::size_t>(length));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, ansi.data(), length,
                        nullptr, &lossy);
    // A round trip catches what the code page maps without reporting a default character.
    return !lossy && Decode(ansi, codePage) == wide;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Renames `from` over `to`. A virus scanner, a backup tool or an editor that is reading the
// profile holds it open for a moment: the rename is tried again for up to half a second.
bool ReplaceWith(const std::wstring& from, const std::wstring& to) {
    constexpr int kTries = 25;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (attempt == kTries ||
            (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) {
            return false;
        }
        Sleep(20);
    }
}

}  // namespace

bool ReadTextFile(const std::wstring& path, std::string& text) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxProfileBytes) return false;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size())) {
        return false;
    }
    const std::string_view view(bytes);
    const std::wstring wide = view.starts_with(kUtf8Bom)
                                  ? Decode(view.substr(kUtf8Bom.size()), CP_UTF8)
                                  : Decode(view, CP_ACP);
    text = ReadFields(WideToUtf8(wide));
    return true;
}

bool WriteTextFile(const std::wstring& path, std::string_view text) {
    const std::wstring wide = Utf8ToWide(QuotedRecord(text));
    std::string bytes;
    if (!EncodeAnsi(wide, bytes)) bytes = std::string(kUtf8Bom) + WideToUtf8(wide);

    // Written beside the profile, then renamed over it: the rename either happens whole or not
    // at all, so a crash or a full disk mid-write never leaves half a profile.
    const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    const bool written = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
    const bool closed = file.Close();
    if (!written || !closed || !ReplaceWith(temporary, path)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

std::wstring ProfilePath() {
    return ProgramFolder() + L"\\profile.pfl";
}

}  // namespace vocalinka
