// Start-up as Windows' loader and the person see it: a program file that imports only what
// cannot be planted beside it and asks for today's protections, an error that stays to be
// read, a missing language component, and a program folder that cannot be written into.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "program_path.h"
#include "program_under_test.h"
#include "test_support/profile_record.h"
#include "test_support/test_files.h"
#include "trace_reader.h"
#include "win32util/handles.h"

namespace e2e {

using namespace std::chrono_literals;
using vocalinka::test::FileBytes;
namespace {

// The built program file mapped as the loader maps it (sections at their addresses), not run.
class ProgramFileE2E : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(module_, nullptr);  // the loader checks the signatures of an image it maps
        headers_ = At<IMAGE_NT_HEADERS64>(static_cast<DWORD>(At<IMAGE_DOS_HEADER>(0)->e_lfanew));
        ASSERT_EQ(headers_->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    }
    // What lies at this address relative to the start of the image.
    template <class T>
    const T* At(DWORD rva) const {
        // The low bits of the handle say how the file was mapped.
        const auto base = reinterpret_cast<ULONG_PTR>(module_.get()) & ~ULONG_PTR{3};
        return reinterpret_cast<const T*>(base + rva);
    }

    const win32util::UniqueModule module_{
        LoadLibraryExW(WindowsPath(kProgramPath).c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
    const IMAGE_NT_HEADERS64* headers_ = nullptr;
};

TEST_F(ProgramFileE2E, ImportsOnlyLibrariesThatCannotBePlantedBesideIt) {
    const IMAGE_DATA_DIRECTORY& directory =
        headers_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    std::set<std::string> imported;
    for (auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(directory.VirtualAddress); entry->Name;
         ++entry) {
        std::string name = At<char>(entry->Name);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
        imported.insert(name);
    }
    // KnownDLLs always come from System32; common controls 6 come from the side-by-side store
    // that the manifest names.
    const std::set<std::string> safe = {"advapi32.dll", "comctl32.dll", "gdi32.dll",
                                        "kernel32.dll", "msvcrt.dll",   "ole32.dll",
                                        "oleaut32.dll", "shell32.dll",  "user32.dll"};
    EXPECT_TRUE(imported.count("kernel32.dll"));
    for (const std::string& library : imported) {
        EXPECT_TRUE(safe.count(library)) << library << " would be searched in the program's folder";
    }
}

TEST_F(ProgramFileE2E, AsksForTheProtectionsOfAModernProgram) {
    const WORD flags = headers_->OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
}

TEST_F(ProgramFileE2E, ManifestRunsItAsTheInvokerWithCommonControls6) {
    HRSRC found = FindResourceW(module_.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const std::string manifest(
        static_cast<const char*>(LockResource(LoadResource(module_.get(), found))),
        SizeofResource(module_.get(), found));
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
              std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
}

// Sets a file or folder below the Windows folder aside for one test and always puts it back,
// also after a test that failed half-way or a run that was killed before (it is found set
// aside). A folder set aside leaves an empty one in its place.
class SetAside {
public:
    explicit SetAside(const std::wstring& belowWindows) {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        path_ = std::wstring(windows) + L"\\" + belowWindows;
        away_ = path_ + L".away";
        PutBack();
        const DWORD attributes = GetFileAttributesW(path_.c_str());
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        done_ = MoveFileW(path_.c_str(), away_.c_str()) &&
                (!folder || CreateDirectoryW(path_.c_str(), nullptr));
    }
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;
    ~SetAside() { PutBack(); }
    bool Done() const { return done_; }

private:
    void PutBack() const {
        if (GetFileAttributesW(away_.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        RemoveDirectoryW(path_.c_str());  // only ever the empty stand-in
        MoveFileW(away_.c_str(), path_.c_str());
    }
    std::wstring path_;
    std::wstring away_;
    bool done_ = false;
};

TEST(StartupE2E, NoCharacterToLoadGivesAMessageThatStaysUntilClosed) {
    const SetAside characters(L"Msagent\\Chars");
    ASSERT_TRUE(characters.Done()) << "the character folder could not be emptied";
    ProgramUnderTest program;
    ASSERT_TRUE(program.Launch());

    std::wstring message;
    ASSERT_TRUE(PumpUntil([&] { return !(message = program.MessageText()).empty(); }, 20s))
        << "no message appeared";
    EXPECT_NE(message.find(L"Msagent\\Chars"), std::wstring::npos)
        << "the message does not name the character folder: " << message.size();
    // It stays on the screen, and the program with it, until the person answers.
    EXPECT_FALSE(PumpUntil([&] { return program.MessageText().empty(); }, 2s))
        << "the message closed";
    EXPECT_FALSE(program.WaitForExit(0ms).has_value());

    EXPECT_EQ(program.AnswerMessage(), message);
    const auto exitCode = program.WaitForExit();
    ASSERT_TRUE(exitCode.has_value()) << "the program did not end after the message";
    EXPECT_NE(*exitCode, 0u);
}

TEST(StartupE2E, MissingLanguageComponentLeavesTheVoiceAsItWas) {
    const SetAside french(L"Msagent\\Intl\\AGT040C.DLL");
    ASSERT_TRUE(french.Done());
    const Trace trace;
    ProgramUnderTest program;
    program.WriteProfile(vocalinka::test::SavedProfile({"Merlin", "French", "127", "127"}));
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(PumpUntil([&] { return !trace.Find("request", "Speak").empty(); }, 20s));

    // The balloon cannot speak French, so the voice does not either.
    EXPECT_FALSE(trace.Find("request", "LanguageID").empty());
    for (const TraceEntry& mode : trace.Find("request", "TTSModeID")) {
        ASSERT_FALSE(mode.args.empty());
        EXPECT_NE(mode.args[0], L"{0879A4E1-A92C-11D1-B17B-0020AFED142E}");
    }
    EXPECT_TRUE(program.Close());
}

// The program started from a folder it cannot write into, as Program Files is for a person:
// its settings are saved in the person's application data, starting from the profile beside
// the program. The test script provides the folder (a read-only bind mount: Wine as root
// ignores the permissions of files) in VOCALINKA_READONLY_PROGRAM.
TEST(ProfileHomeE2E, AProgramFolderThatCannotBeWrittenKeepsTheSettingsInApplicationData) {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"VOCALINKA_READONLY_PROGRAM", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        GTEST_SKIP() << "scripts/test.sh provides the read-only program folder";
    }
    wchar_t* roamingFolder = nullptr;
    SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roamingFolder);
    const std::wstring roaming =
        std::wstring(roamingFolder ? roamingFolder : L"") + L"\\Vocalinka\\profile.pfl";
    CoTaskMemFree(roamingFolder);
    DeleteFileW(roaming.c_str());
    const std::wstring besidePath = folder + std::wstring(L"\\profile.pfl");
    const std::string beside = FileBytes(besidePath);
    ASSERT_FALSE(beside.empty());

    {
        ProgramUnderTest program(folder);
        ASSERT_TRUE(program.Start());
        // OK in the speech configuration saves, as every settings dialog does.
        ASSERT_NE(program.OpenFromMenu('P', L"Speech Configuration"), nullptr);
        PressKey(VK_RETURN);
        EXPECT_TRUE(PumpUntil([&] { return !FileBytes(roaming).empty(); }))
            << "nothing was saved in the application data";
        EXPECT_EQ(program.FindWindowOfClass(L"#32770"), nullptr) << "a save failure was shown";
        EXPECT_TRUE(program.Close());
    }
    // The settings beside the program were the starting values, written byte for byte.
    EXPECT_EQ(FileBytes(roaming), beside);
    EXPECT_EQ(FileBytes(besidePath), beside);
    DeleteFileW(roaming.c_str());
}

}  // namespace
}  // namespace e2e
