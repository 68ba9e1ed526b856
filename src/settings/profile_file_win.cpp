#include "settings/profile_file_win.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <algorithm>

#include "settings/profile.h"
#include "win32util/files.h"
#include "win32util/handles.h"
#include "win32util/text.h"

namespace vocalinka {
namespace {

using win32util::ProgramFolder;
using win32util::UniqueFile;
using win32util::Utf8ToWide;
using win32util::WideToUtf8;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr wchar_t kProfileName[] = L"profile.pfl";
constexpr wchar_t kProfileFolderName[] = L"Vocalinka";
// What a replaced profile keeps of the old file's attributes.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// A temporary file of a save older than this was left by a save that was cut short.
constexpr ULONGLONG kStaleTemporaryAge = 60ull * 10'000'000;  // in 100 ns units

bool IsReadOnlyFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) ==
               FILE_ATTRIBUTE_READONLY;
}

bool IsBriefHold(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
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
    return !lossy && win32util::MultiByteToWide(ansi, codePage) == wide;
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
// profile holds it open for a moment: the rename is tried again for up to half a second. A
// read-only profile stays so however long one waits: that fails at once.
bool ReplaceWith(const std::wstring& from, const std::wstring& to) {
    constexpr int kTries = 25;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (attempt == kTries ||
            (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
            IsReadOnlyFile(to)) {
            SetLastError(error);
            return false;
        }
        Sleep(20);
    }
}

// Opens the file for reading, trying `tries` times 20 ms apart while another program holds it
// without read sharing. INVALID_HANDLE_VALUE, with `error` set, when it cannot.
HANDLE OpenForReading(const std::wstring& path, int tries, DWORD& error) {
    for (int attempt = 1;; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        error = file != INVALID_HANDLE_VALUE ? ERROR_SUCCESS : GetLastError();
        if (file != INVALID_HANDLE_VALUE || attempt >= tries || !IsBriefHold(error)) return file;
        Sleep(20);
    }
}

ProfileRead ReadFieldsOfFile(const std::wstring& path, std::string& text, int tries) {
    DWORD error = ERROR_SUCCESS;
    const UniqueFile file(OpenForReading(path, tries, error));
    if (!file.Valid()) {
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? ProfileRead::Missing
                   : ProfileRead::Unreadable;
    }
    const win32util::WholeFile whole =
        win32util::ReadWholeFile(file.Get(), static_cast<std::uint64_t>(kMaxProfileBytes));
    // A file that shrank while it was read is one that another program is writing.
    if (whole.error != ERROR_SUCCESS || whole.bytes.size() != whole.size) {
        return ProfileRead::Unreadable;
    }
    const std::string_view view(reinterpret_cast<const char*>(whole.bytes.data()),
                                whole.bytes.size());
    const std::wstring wide =
        view.starts_with(kUtf8Bom)
            ? win32util::MultiByteToWide(view.substr(kUtf8Bom.size()), CP_UTF8)
            : win32util::MultiByteToWide(view, CP_ACP);
    text = ReadFields(WideToUtf8(wide));
    return ProfileRead::Read;
}

// A save that was killed between writing its temporary file and the rename leaves that file;
// the next save clears such files once they are old enough not to belong to a save running now.
void RemoveStaleTemporaries(const std::wstring& path) {
    const std::wstring folder = FolderOf(path);
    const std::wstring profileName = path.substr(folder.size() + 1);
    // Named "<profile>.<process id>.tmp": another file of the person's is never taken for one.
    const auto isTemporary = [&](std::wstring_view name) {
        constexpr std::wstring_view kEnd = L".tmp";
        if (name.size() <= profileName.size() + 1 + kEnd.size()) return false;
        const std::wstring_view id =
            name.substr(profileName.size() + 1, name.size() - profileName.size() - 1 - kEnd.size());
        return std::all_of(id.begin(), id.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    };
    WIN32_FIND_DATAW found;
    const win32util::UniqueFind find(FindFirstFileW((path + L".*.tmp").c_str(), &found));
    if (!find.Valid()) return;
    FILETIME nowTime;
    GetSystemTimeAsFileTime(&nowTime);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !isTemporary(found.cFileName)) {
            continue;
        }
        if (ticks(nowTime) - ticks(found.ftLastWriteTime) > kStaleTemporaryAge) {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        }
    } while (FindNextFileW(find.Get(), &found));
}

std::wstring RoamingAppDataFolder() {
    PWSTR folder = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder))) {
        result = folder;
    }
    CoTaskMemFree(folder);
    return result;
}

}  // namespace

bool ReadTextFile(const std::wstring& path, std::string& text) {
    return ReadFieldsOfFile(path, text, 1) == ProfileRead::Read;
}

ProfileRead ReadProfileFile(const std::wstring& path, std::string& text) {
    return ReadFieldsOfFile(path, text, 10);
}

bool WriteTextFile(const std::wstring& path, std::string_view text) {
    const std::wstring wide = Utf8ToWide(QuotedRecord(text));
    std::string bytes;
    if (!EncodeAnsi(wide, bytes)) bytes = std::string(kUtf8Bom) + WideToUtf8(wide);

    // Written beside the profile, then renamed over it: the rename either happens whole or not
    // at all, so a crash or a full disk mid-write never leaves half a profile.
    const DWORD existing = GetFileAttributesW(path.c_str());
    if (IsReadOnlyFile(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const DWORD kept = existing == INVALID_FILE_ATTRIBUTES ? 0 : existing & kKeptAttributes;
    const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    UniqueFile file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                kept ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    const bool written = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
    const bool closed = file.Close();
    if (!written || !closed || !ReplaceWith(temporary, path)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        SetLastError(error);
        return false;
    }
    return true;
}

std::wstring ProfilePath() {
    return ProgramFolder() + L"\\" + kProfileName;
}

bool CanCreateFilesIn(const std::wstring& folder) {
    const std::wstring probe = folder + L"\\vocalinka-" + std::to_wstring(GetCurrentProcessId()) +
                               L"-" + std::to_wstring(GetTickCount64()) + L".tmp";
    const UniqueFile file(CreateFileW(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.Valid();
}

ProfilePlace FindProfilePlace(const std::wstring& programFolder, const std::wstring& roamingFolder,
                              const FolderTest& writable) {
    const std::wstring beside = programFolder + L"\\" + kProfileName;
    if (roamingFolder.empty() || writable(programFolder)) return {beside, {}};
    return {roamingFolder + L"\\" + kProfileFolderName + L"\\" + kProfileName, beside};
}

ProfilePlace DefaultProfilePlace() {
    return FindProfilePlace(ProgramFolder(), RoamingAppDataFolder(), CanCreateFilesIn);
}

ProfileRead ProfileStore::ReadStored(ProfileSettings& stored) const {
    stored = ProfileSettings{};
    std::string text;
    ProfileRead read = ReadProfileFile(place_.path, text);
    if (read == ProfileRead::Missing && !place_.startingPath.empty()) {
        read = ReadProfileFile(place_.startingPath, text);
    }
    if (read == ProfileRead::Read) ApplyProfileText(text, stored);
    return read;
}

ProfileSettings ProfileStore::Load() {
    ProfileSettings loaded;
    ReadStored(loaded);  // the defaults when it cannot be read
    changes_ = ProfileChanges(loaded);
    return loaded;
}

SaveResult ProfileStore::Save(const ProfileSettings& current) {
    const std::wstring& path = place_.path;
    const std::wstring unsaved = L"Your new settings apply until Vocalinka closes.";
    if (IsReadOnlyFile(path)) {
        const bool tell = !toldReadOnly_;
        toldReadOnly_ = true;
        return {SaveOutcome::ReadOnly,
                tell ? L"Vocalinka does not save your settings, because the settings file is "
                       L"read-only:\r\n" +
                           path + L"\r\n\r\n" + unsaved +
                           L" To save them, clear the file's read-only attribute."
                     : std::wstring()};
    }
    ProfileSettings stored;
    if (ReadStored(stored) == ProfileRead::Unreadable) {
        return {SaveOutcome::Unreadable,
                L"Vocalinka did not save your settings, because the settings file could not be "
                L"read (another program may be using it):\r\n" +
                    path +
                    L"\r\n\r\nThe file was left as it was, so none of your earlier settings "
                    L"are lost. " +
                    unsaved};
    }
    const ProfileSettings merged = changes_.Merge(current, stored);
    // The per-user folder is made at the first save.
    CreateDirectoryW(FolderOf(path).c_str(), nullptr);
    if (!WriteTextFile(path, ProfileText(merged))) {
        const DWORD error = GetLastError();
        return {SaveOutcome::Failed, L"Vocalinka could not save your settings to\r\n" + path +
                                         L"\r\n\r\n" + win32util::SystemMessage(error) + L".\r\n" +
                                         unsaved};
    }
    RemoveStaleTemporaries(path);
    return {SaveOutcome::Saved, {}};
}

}  // namespace vocalinka
