// A folder of its own below the temporary folder, removed with everything in it.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "win32util/handles.h"

namespace vocalinka::test {

class TemporaryFolder {
public:
    // "vocalinka-<name>-<process id>": tests running side by side each have their own.
    explicit TemporaryFolder(const std::wstring& name)
        : path_(std::filesystem::temp_directory_path() /
                (L"vocalinka-" + name + L"-" + std::to_wstring(GetCurrentProcessId()))),
          wide_(path_.wstring()) {
        Remove();  // what a killed run left
        std::filesystem::create_directory(path_);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder() { Remove(); }

    const std::wstring& Path() const { return wide_; }
    void AddFile(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const {
        const win32util::UniqueFile file(CreateFileW((path_ / name).c_str(), GENERIC_WRITE, 0,
                                                     nullptr, CREATE_ALWAYS, attributes, nullptr));
    }
    std::wstring AddFolder(const std::wstring& name) const {
        std::filesystem::create_directories(path_ / name);
        return (path_ / name).wstring();
    }

private:
    void Remove() const {
        std::error_code error;  // read-only files too
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, error)) {
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        std::filesystem::remove_all(path_, error);
    }

    std::filesystem::path path_;
    std::wstring wide_;
};

}  // namespace vocalinka::test
