// Files as the tests see them: their bytes, how many a folder holds, their age, and the helper
// programs the build puts beside the test programs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "win32util/handles.h"

namespace vocalinka::test {

// A file's bytes; empty when it cannot be read.
inline std::string FileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void SetFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

// How many files and folders `folder` holds directly.
inline std::ptrdiff_t EntriesIn(const std::wstring& folder) {
    using std::filesystem::directory_iterator;
    return std::distance(directory_iterator(std::filesystem::path(folder)), directory_iterator{});
}

// Dates the file's last write `seconds` back, as if an earlier run had left it.
inline bool Backdate(const std::wstring& path, unsigned seconds) {
    const win32util::UniqueFile file(
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= seconds * 10'000'000ull;
    const FILETIME before{time.LowPart, time.HighPart};
    return file.Valid() && SetFileTime(file.Get(), nullptr, nullptr, &before);
}

// The build folder: test programs run from <build>\tests\<kind>.
inline std::filesystem::path BuildFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path().parent_path().parent_path();
}

// A program that stands in for another in the tests: <build>\tests\helpers\<name>.
inline std::wstring HelperProgram(const wchar_t* name) {
    return (BuildFolder() / L"tests" / L"helpers" / name).wstring();
}

}  // namespace vocalinka::test
