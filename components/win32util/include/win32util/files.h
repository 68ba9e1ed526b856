// The program's folders, the files in a folder and reading a small file whole.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace win32util {

// The folder that holds the running program, without a trailing backslash; empty when the
// system cannot say.
std::wstring ProgramFolder();

// The Windows folder, without a trailing backslash; empty when the system cannot say.
std::wstring WindowsDirectory();

// Regular files of `folder` whose names end in `extension` (any letter case): no folders, no
// hidden or system files, in the order the file system gives them. Names only.
std::vector<std::wstring> FilesWithExtension(const std::wstring& folder,
                                             std::wstring_view extension);

// What ReadWholeFile found.
struct WholeFile {
    // ERROR_SUCCESS; ERROR_FILE_TOO_LARGE when the file is over the limit (nothing is read
    // then); otherwise the system's reason the file could not be read.
    DWORD error = ERROR_SUCCESS;
    std::uint64_t size = 0;  // the file's size when the read began
    // What was read: fewer than `size` bytes when the file shrank during the read.
    std::vector<std::uint8_t> bytes;
};

// Reads an open file from its current position to its end, when it holds at most `maxBytes`.
WholeFile ReadWholeFile(HANDLE file, std::uint64_t maxBytes);

}  // namespace win32util
