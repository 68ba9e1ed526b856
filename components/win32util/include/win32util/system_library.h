// Libraries that are not on the system's KnownDLLs list (MPR, VERSION, USP10, DWMAPI...) would
// be searched in the program's own folder first if they were imported: a file planted beside
// the program would run inside it. They are loaded from System32 only, when first needed.
#pragma once

#include <windows.h>

namespace win32util {

// The library of that file name from System32, loaded once for the life of the process; null
// when it is not there.
HMODULE SystemLibrary(const wchar_t* fileName) noexcept;

// A function of such a library, typed by the caller; null when the library or the function is
// missing.
template <class Function>
Function* SystemFunction(const wchar_t* fileName, const char* functionName) noexcept {
    HMODULE library = SystemLibrary(fileName);
    return library ? reinterpret_cast<Function*>(
                         reinterpret_cast<void (*)()>(GetProcAddress(library, functionName)))
                   : nullptr;
}

}  // namespace win32util
