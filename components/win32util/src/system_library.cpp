#include "win32util/system_library.h"

namespace win32util {

HMODULE SystemLibrary(const wchar_t* fileName) noexcept {
    // A module loaded once stays loaded: asking again only finds it (the loader counts the
    // references), so no cache of our own is needed.
    if (HMODULE loaded = GetModuleHandleW(fileName)) return loaded;
    return LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace win32util
