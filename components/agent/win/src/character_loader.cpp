#include "character_loader.h"

#include <vector>

#include "agent/agent.h"
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
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        Fail(path, L"the file cannot be read (" + win32util::SystemMessage(GetLastError()) + L")");
    }
    if (size.QuadPart > kMaxCharacterFileBytes) {
        Fail(path, L"the file is too large to be a character (" + std::to_wstring(size.QuadPart) +
                       L" bytes)");
    }

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                      &read, nullptr)) {
            Fail(path,
                 L"the file cannot be read (" + win32util::SystemMessage(GetLastError()) + L")");
        }
        if (read == 0) break;  // shrank while we read: parse what is there
        done += read;
    }
    bytes.resize(done);

    format::ParseResult parsed = format::ParseCharacterFile(bytes);
    if (!parsed.character) {
        Fail(path, L"the file is not a valid character file (" +
                       win32util::Utf8ToWide(parsed.error) + L")");
    }
    return std::move(*parsed.character);
}

}  // namespace agent::win
