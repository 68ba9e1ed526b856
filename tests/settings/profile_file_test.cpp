#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <thread>

#include "settings/profile.h"
#include "settings/profile_file_win.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_files.h"
#include "win32util/handles.h"
#include "win32util/text.h"

namespace vocalinka {
namespace {

using win32util::UniqueFile;
using win32util::UniqueFind;
using win32util::UniqueHandle;
using win32util::WideToUtf8;

class ProfileFile : public testing::Test {
protected:
    std::string Bytes() const { return test::FileBytes(path_); }
    void SetBytes(const std::string& bytes) const { test::SetFileBytes(path_, bytes); }
    // The folder holds files only.
    auto FilesInFolder() const {
        using std::filesystem::directory_iterator;
        return std::distance(directory_iterator(folder_.Path()), directory_iterator{});
    }
    ProfileSettings Load() const {
        ProfileSettings settings;
        std::string text;
        ReadTextFile(path_, text);
        ApplyProfileText(text, settings);
        return settings;
    }

    const test::TemporaryFolder folder_{L"profile"};
    const std::wstring path_ = folder_.Path() + L"\\profile.pfl";
};

TEST_F(ProfileFile, RoundTripsNamesWithSpacesCommasAndAnyScript) {
    const ProfileSettings names[] = {{"Old Merlin, the Wise", "French", "50", "400"},
                                     {"Génie", "English", "127", "127"},
                                     {"Мерлин 🧙", "French", "127", "127"}};
    for (const ProfileSettings& saved : names) {
        ASSERT_TRUE(WriteTextFile(path_, ProfileText(saved)));
        EXPECT_EQ(Load(), saved) << saved.Character;
    }
}

TEST_F(ProfileFile, StaysAnsiWhenTheCodePageHoldsTheTextAndUsesUtf8OtherwiseOnly) {
    ASSERT_TRUE(WriteTextFile(path_, "Character=Merlin"));
    EXPECT_EQ(Bytes(), "\"Character=Merlin\"\r\n");

    ASSERT_TRUE(WriteTextFile(path_, "Character=Мерлин 🧙"));
    const std::string bytes = Bytes();
    if (GetACP() != CP_UTF8) {
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    }
    EXPECT_NE(bytes.find("Мерлин 🧙"), std::string::npos);
}

TEST_F(ProfileFile, MissingOrOversizedFilesLeaveTheTextAlone) {
    std::string text = "untouched";
    EXPECT_FALSE(ReadTextFile(path_, text));
    EXPECT_EQ(text, "untouched");

    SetBytes(std::string(50 * 1024 * 1024, 'A') + "\"Speed=60\"");
    EXPECT_FALSE(ReadTextFile(path_, text));
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(Load(), ProfileSettings{});
}

TEST_F(ProfileFile, DamagedContentLoadsSoundSettings) {
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 37 % 251);
    for (const std::string& content :
         {binary, std::string("\"\"\"\""), std::string("\xEF\xBB\xBF\xC3\x28\"Speed=\xFF\""),
          std::string(60000, '"'), std::string(60000, '\n')}) {
        SetBytes(content);
        const ProfileSettings loaded = Load();
        EXPECT_EQ(loaded.Character, "Merlin");
        EXPECT_EQ(loaded.Language, "English");
        EXPECT_EQ(loaded.Pitch, "127");
    }
}

TEST_F(ProfileFile, FailedSaveLeavesThePreviousFileWhole) {
    ASSERT_TRUE(WriteTextFile(path_, ProfileText({"Genie", "French", "90", "80"})));
    const std::string before = Bytes();
    {
        // Another program holds the profile open without delete sharing: it cannot be
        // replaced.
        UniqueFile holder(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.Valid());
        EXPECT_FALSE(WriteTextFile(path_, ProfileText(ProfileSettings{})));
    }
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(FilesInFolder(), 1);
}

TEST_F(ProfileFile, SaveWaitsForAReaderThatHoldsTheProfileForAMoment) {
    ASSERT_TRUE(WriteTextFile(path_, ProfileText({"Genie", "French", "90", "80"})));
    const UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread reader([this, &held] {
        // A scanner or a reader that opens the file without delete sharing, for a moment well
        // within the save's half second of retries.
        UniqueFile holder(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        SetEvent(held.get());
        Sleep(100);
    });
    // The save starts once the file is held, however late the reader's thread runs.
    const bool heldInTime = WaitForSingleObject(held.get(), 10'000) == WAIT_OBJECT_0;
    EXPECT_TRUE(WriteTextFile(path_, ProfileText(ProfileSettings{})));
    reader.join();
    ASSERT_TRUE(heldInTime);
    EXPECT_EQ(Load(), ProfileSettings{});
}

TEST_F(ProfileFile, InterruptedSaveNeitherHarmsTheProfileNorBlocksTheNextSave) {
    ASSERT_TRUE(WriteTextFile(path_, ProfileText({"Genie", "French", "90", "80"})));
    const std::string before = Bytes();
    // A save that died mid-write leaves only its temporary file, half written.
    const std::wstring temporary = path_ + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    test::SetFileBytes(temporary, "\"Character=Gen");
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Load(), (ProfileSettings{"Genie", "French", "90", "80"}));

    ASSERT_TRUE(WriteTextFile(path_, ProfileText(ProfileSettings{})));
    EXPECT_EQ(Load(), ProfileSettings{});
    EXPECT_EQ(FilesInFolder(), 1);
}

TEST_F(ProfileFile, UnwritableFolderFailsQuietly) {
    EXPECT_FALSE(WriteTextFile(folder_.Path() + L"\\no such folder\\profile.pfl", "Speed=1"));
}

}  // namespace
}  // namespace vocalinka
