// Files as the tests see them: their bytes, and the helper programs the build puts beside the
// test programs.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vocalinka::test {

// A file's bytes; empty when it cannot be read.
inline std::string FileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void SetFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
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
