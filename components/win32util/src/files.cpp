#include "win32util/files.h"

#include "win32util/handles.h"

namespace win32util {

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // truncated: long paths exceed MAX_PATH
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash);
}

std::wstring WindowsDirectory() {
    wchar_t buffer[MAX_PATH + 1];
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return {};
    std::wstring folder(buffer, length);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();  // "C:\" at a root
    return folder;
}

std::vector<std::wstring> FilesWithExtension(const std::wstring& folder,
                                             std::wstring_view extension) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const UniqueFind find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0));
    if (!find.Valid()) return names;
    constexpr DWORD kNotListed =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        const std::wstring_view name(found.cFileName);
        if ((found.dwFileAttributes & kNotListed) == 0 && name.size() > extension.size() &&
            CompareStringOrdinal(name.data() + name.size() - extension.size(),
                                 static_cast<int>(extension.size()), extension.data(),
                                 static_cast<int>(extension.size()), TRUE) == CSTR_EQUAL) {
            names.emplace_back(name);
        }
    } while (FindNextFileW(find.Get(), &found));
    return names;
}

WholeFile ReadWholeFile(HANDLE file, std::uint64_t maxBytes) {
    WholeFile whole;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        whole.error = GetLastError();
        return whole;
    }
    whole.size = static_cast<std::uint64_t>(size.QuadPart);
    if (whole.size > maxBytes) {
        whole.error = ERROR_FILE_TOO_LARGE;
        return whole;
    }
    whole.bytes.resize(static_cast<std::size_t>(whole.size));
    std::size_t done = 0;
    while (done < whole.bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file, whole.bytes.data() + done,
                      static_cast<DWORD>(whole.bytes.size() - done), &read, nullptr)) {
            whole.error = GetLastError();
            whole.bytes.clear();
            return whole;
        }
        if (read == 0) break;  // shrank while we read
        done += read;
    }
    whole.bytes.resize(done);
    return whole;
}

}  // namespace win32util
