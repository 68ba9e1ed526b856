#include "character_loader.h"

#include "agent/agent.h"
#include "win32util/files.h"
#include "win32util/handles.h"
#include "win32util/text.h"

namespace agent::win {
namespace {

[[noreturn]] void Fail(const std::wstring& path, const std::wstring& why) {
    throw Error(L"Cannot load character \"" + path + L"\": " + why + L".");
}

}  // namespace

format::CharacterData LoadCharacterFile(const std::wstring& path) {
    if (path.empty()) throw Error(L"Cannot load character: no file was named.");
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Fail(path, L"the path is a folder, not a file");
    }

    const win32util::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                 nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH) {
            Fail(path, L"the file does not exist");
        }
        Fail(path, L"the file cannot be opened (" + win32util::SystemMessage(error) + L")");
    }
    const win32util::WholeFile whole =
        win32util::ReadWholeFile(file.Get(), static_cast<std::uint64_t>(kMaxCharacterFileBytes));
    if (whole.error == ERROR_FILE_TOO_LARGE) {
        Fail(path, L"the file is too large to be a character (" + std::to_wstring(whole.size) +
                       L" bytes)");
    }
    if (whole.error != ERROR_SUCCESS) {
        Fail(path, L"the file cannot be read (" + win32util::SystemMessage(whole.error) + L")");
    }

    format::ParseResult parsed = format::ParseCharacterFile(whole.bytes);
    if (!parsed.character) {
        Fail(path, L"the file is not a valid character file (" +
                       win32util::Utf8ToWide(parsed.error) + L")");
    }
    return std::move(*parsed.character);
}

}  // namespace agent::win
