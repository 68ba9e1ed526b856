// The project's version (VOCALINKA_PROJECT_VERSION, from the top CMakeLists.txt) as every
// shipped file carries it: the version resources of the program and of the language
// components, the program's manifest, and the About box opened from the program file.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "about/frm_about.h"
#include "dialog_test_support.h"
#include "resources/dialogs_resource.h"
#include "ui/dialog_window.h"
#include "win32util/handles.h"

namespace vocalinka {
namespace {

using namespace std::chrono_literals;

const std::wstring kVersion = L"" VOCALINKA_PROJECT_VERSION;

// The build folder: this program runs from <build>\tests\win32.
std::filesystem::path BuildFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path().parent_path().parent_path();
}

struct FileVersion {
    std::wstring fixedFile, fixedProduct;  // VS_FIXEDFILEINFO, as "a.b.c.d"
    std::wstring fileText, productText;    // the StringFileInfo values
};

std::wstring Quad(DWORD high, DWORD low) {
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
           std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

std::wstring StringValue(const std::vector<char>& block, const wchar_t* translation,
                         const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\") + translation + L"\\" + name;
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &text, &length) || length == 0) return {};
    return static_cast<const wchar_t*>(text);
}

::testing::AssertionResult ReadFileVersion(const std::filesystem::path& file, FileVersion& out) {
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), nullptr);
    if (size == 0) return ::testing::AssertionFailure() << "no version resource in " << file;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return ::testing::AssertionFailure() << "cannot read the version of " << file;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof(VS_FIXEDFILEINFO))
        return ::testing::AssertionFailure() << "no fixed version in " << file;
    out.fixedFile = Quad(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    out.fixedProduct = Quad(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    // The texts of the file's first translation.
    WORD* translation = nullptr;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD))
        return ::testing::AssertionFailure() << "no translation in " << file;
    wchar_t key[9] = {};
    swprintf(key, 9, L"%04X%04X", translation[0], translation[1]);
    out.fileText = StringValue(block, key, L"FileVersion");
    out.productText = StringValue(block, key, L"ProductVersion");
    return ::testing::AssertionSuccess();
}

TEST(ShippedFiles, CarryTheProjectVersion) {
    const std::filesystem::path build = BuildFolder();
    const std::filesystem::path files[] = {
        build / L"vocalinka.exe",
        build / L"intl" / L"AGT0409.DLL",
        build / L"intl" / L"AGT040C.DLL",
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        FileVersion version;
        ASSERT_TRUE(ReadFileVersion(file, version));
        EXPECT_EQ(version.fixedFile, kVersion + L".0");
        EXPECT_EQ(version.fixedProduct, kVersion + L".0");
        EXPECT_EQ(version.fileText, kVersion);
        EXPECT_EQ(version.productText, kVersion);
    }
}

win32util::UniqueModule LoadProgramAsData() {
    return win32util::UniqueModule(
        LoadLibraryExW((BuildFolder() / L"vocalinka.exe").c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

TEST(ShippedFiles, ProgramManifestNamesTheProjectVersion) {
    const win32util::UniqueModule program = LoadProgramAsData();
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

// The About box built from the program file's own resources, as the program shows it.
TEST(ShippedFiles, AboutBoxOfTheProgramShowsTheProjectVersion) {
    const win32util::UniqueModule program = LoadProgramAsData();
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(VersionText(program.get()), L"Version " + kVersion);

    UniqueWindow owner = test::MakeOwnerWindow();
    frmAbout about(program.get());
    about.Show(owner.get());
    ASSERT_TRUE(test::PumpUntil([&] { return about.Handle() && IsWindowVisible(about.Handle()); },
                                10s, [&](MSG& msg) { return about.PreTranslateMessage(msg); }));
    EXPECT_EQ(WindowText(GetDlgItem(about.Handle(), IDC_LBLVERSION)), L"Version " + kVersion);
}

}  // namespace
}  // namespace vocalinka
