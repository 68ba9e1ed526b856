// Libraries outside KnownDLLs come from System32, never from the program's folder.
#include "win32util/system_library.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

namespace {

TEST(SystemLibrary, FindsSystemFunctionsByTypeAndName) {
    using GetUser = decltype(GetUserNameW);
    EXPECT_NE(win32util::SystemFunction<GetUser>(L"advapi32.dll", "GetUserNameW"), nullptr);
    EXPECT_EQ(win32util::SystemFunction<GetUser>(L"advapi32.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(win32util::SystemFunction<GetUser>(L"no-such-library.dll", "GetUserNameW"), nullptr);
}

TEST(SystemLibrary, NeverLoadsALibraryPlantedBesideTheProgram) {
    wchar_t system[MAX_PATH] = {}, program[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring planted =
        std::filesystem::path(program).replace_filename(L"planted-library.dll").wstring();
    ASSERT_TRUE(
        CopyFileW((std::wstring(system) + L"\\version.dll").c_str(), planted.c_str(), FALSE));

    EXPECT_EQ(win32util::SystemLibrary(L"planted-library.dll"), nullptr);
    // The ordinary search would have taken it.
    HMODULE ordinary = LoadLibraryW(L"planted-library.dll");
    EXPECT_NE(ordinary, nullptr);
    if (ordinary) FreeLibrary(ordinary);
    DeleteFileW(planted.c_str());
}

}  // namespace
