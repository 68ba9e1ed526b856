// The project's version (VOCALINKA_PROJECT_VERSION, from the top CMakeLists.txt) as every
// shipped file carries it: the version resources of the program and of the language
// components, and the program's manifest. The About box of the running program shows it
// (tests/e2e/dialogs_e2e.cpp).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/test_files.h"
#include "win32util/handles.h"

namespace vocalinka {
namespace {

const std::wstring kVersion = L"" VOCALINKA_PROJECT_VERSION;

using test::BuildFolder;

std::wstring Quad(DWORD high, DWORD low) {
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
           std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

// A file's fixed file and product versions, then the texts FileVersion and ProductVersion of
// its first translation, joined by spaces; what is missing is named instead.
std::wstring VersionsOf(const std::filesystem::path& file) {
    std::vector<char> block(GetFileVersionInfoSizeW(file.c_str(), nullptr));
    if (block.empty() ||
        !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) {
        return L"<no version resource>";
    }
    const auto value = [&](const std::wstring& path, UINT atLeast) -> const void* {
        void* data = nullptr;
        UINT length = 0;
        return VerQueryValueW(block.data(), path.c_str(), &data, &length) && length >= atLeast
                   ? data
                   : nullptr;
    };
    const auto* fixed =
        static_cast<const VS_FIXEDFILEINFO*>(value(L"\\", sizeof(VS_FIXEDFILEINFO)));
    const auto* translation =
        static_cast<const WORD*>(value(L"\\VarFileInfo\\Translation", 2 * sizeof(WORD)));
    if (!fixed || !translation) return L"<no fixed version or no translation>";
    wchar_t texts[32] = {};
    swprintf(texts, 32, L"\\StringFileInfo\\%04X%04X\\", translation[0], translation[1]);
    const auto text = [&](const wchar_t* name) {
        const auto* found = static_cast<const wchar_t*>(value(texts + std::wstring(name), 1));
        return std::wstring(found ? found : L"<none>");
    };
    return Quad(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + L" " +
           Quad(fixed->dwProductVersionMS, fixed->dwProductVersionLS) + L" " +
           text(L"FileVersion") + L" " + text(L"ProductVersion");
}

TEST(ShippedFiles, CarryTheProjectVersion) {
    const std::filesystem::path build = BuildFolder();
    for (const auto& file : {build / L"vocalinka.exe", build / L"intl" / L"AGT0409.DLL",
                             build / L"intl" / L"AGT040C.DLL"}) {
        EXPECT_EQ(VersionsOf(file),
                  kVersion + L".0 " + kVersion + L".0 " + kVersion + L" " + kVersion)
            << file.string();
    }
}

TEST(ShippedFiles, ProgramManifestNamesTheProjectVersion) {
    const win32util::UniqueModule program(
        LoadLibraryExW((BuildFolder() / L"vocalinka.exe").c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_NE(program, nullptr);
    HRSRC found = FindResourceW(program.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(program.get(), found)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, SizeofResource(program.get(), found));
    const std::string version(kVersion.begin(), kVersion.end());
    EXPECT_NE(manifest.find("name=\"Vocalinka.Vocalinka\" version=\"" + version + ".0\""),
              std::string::npos)
        << manifest;
}

}  // namespace
}  // namespace vocalinka
