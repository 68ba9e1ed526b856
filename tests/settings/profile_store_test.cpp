// The profile as a run of the program uses it: where it lives, and saves that keep what the
// person did not change, whatever holds or protects the file.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <thread>

#include "dialog_test_support.h"
#include "settings/profile.h"
#include "settings/profile_file_win.h"
#include "test_support/test_files.h"
#include "win32util/handles.h"

namespace vocalinka {
namespace {

using win32util::UniqueFile;

using win32util::UniqueHandle;

const ProfileSettings kPersons{"Genie", "French", "90", "80"};

using test::FileBytes;
using test::SetFileBytes;

std::string FileOf(const ProfileSettings& settings) {
    return QuotedRecord(ProfileText(settings));
}

// Another program that holds the profile open and shares nothing, as a virus scanner may.
UniqueFile HoldWithoutSharing(const std::wstring& path) {
    return UniqueFile(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

class ProfileStoreTest : public testing::Test {
protected:
    test::TemporaryFolder folder_{L"store"};
    std::wstring path_ = folder_.Path() + L"\\profile.pfl";
    ProfileStore store_{{path_, {}}};
};

// The harm this mends: a profile held at start gave the defaults, and the next save wrote them
// over the person's settings.
TEST_F(ProfileStoreTest, ProfileHeldAtStartKeepsThePersonsSettingsThroughASave) {
    SetFileBytes(path_, FileOf(kPersons));
    ProfileSettings settings;
    {
        const UniqueFile scanner = HoldWithoutSharing(path_);
        ASSERT_TRUE(scanner.Valid());
        settings = store_.Load();
    }
    EXPECT_EQ(settings, ProfileSettings{});
    settings.Speed = "150";  // the speech dialog, closed with OK
    const SaveResult saved = store_.Save(settings);
    EXPECT_EQ(saved.outcome, SaveOutcome::Saved);
    EXPECT_EQ(saved.message, L"");
    EXPECT_EQ(FileBytes(path_), FileOf({"Genie", "French", "150", "80"}));
}

TEST_F(ProfileStoreTest, ProfileStillHeldAtTheSaveIsLeftAloneAndThePersonIsTold) {
    SetFileBytes(path_, FileOf(kPersons));
    ProfileSettings settings;
    {
        const UniqueFile scanner = HoldWithoutSharing(path_);
        settings = store_.Load();
        settings.Character = "Peedy";
        const SaveResult saved = store_.Save(settings);
        EXPECT_EQ(saved.outcome, SaveOutcome::Unreadable);
        EXPECT_NE(saved.message.find(path_), std::wstring::npos) << saved.message;
        EXPECT_NE(saved.message.find(L"left as it was"), std::wstring::npos) << saved.message;
    }
    EXPECT_EQ(FileBytes(path_), FileOf(kPersons));
    // Once the file can be read again, the change is saved over the person's other settings.
    EXPECT_EQ(store_.Save(settings).outcome, SaveOutcome::Saved);
    EXPECT_EQ(FileBytes(path_), FileOf({"Peedy", "French", "90", "80"}));
}

TEST_F(ProfileStoreTest, MissingProfileLoadsTheDefaultsAndASaveWritesThem) {
    ProfileSettings settings = store_.Load();
    EXPECT_EQ(settings, ProfileSettings{});
    EXPECT_EQ(store_.Save(settings).outcome, SaveOutcome::Saved);
    EXPECT_EQ(FileBytes(path_), FileOf(ProfileSettings{}));
}

TEST_F(ProfileStoreTest, ValuesWithQuotesRoundTripThroughTheFile) {
    SetFileBytes(path_, FileOf({}));
    store_.Load();
    const ProfileSettings quoted{"Say \"Hi\"", "\"", "1\"\"2", "\"80\""};
    ASSERT_EQ(store_.Save(quoted).outcome, SaveOutcome::Saved);
    EXPECT_EQ(ProfileStore({path_, {}}).Load(), quoted);
}

// The person made the profile read-only: it is not overwritten, it does not stall the program
// (no waiting for it to become writable), and they are told once.
TEST_F(ProfileStoreTest, ReadOnlyProfileIsKeptAndToldOnce) {
    SetFileBytes(path_, FileOf(kPersons));
    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    ProfileSettings settings = store_.Load();
    EXPECT_EQ(settings, kPersons);
    settings.Speed = "200";
    const SaveResult first = store_.Save(settings);
    EXPECT_EQ(first.outcome, SaveOutcome::ReadOnly);
    EXPECT_NE(first.message.find(L"read-only"), std::wstring::npos) << first.message;
    const SaveResult second = store_.Save(settings);
    EXPECT_EQ(second.outcome, SaveOutcome::ReadOnly);
    EXPECT_EQ(second.message, L"");
    EXPECT_EQ(FileBytes(path_), FileOf(kPersons));
    EXPECT_EQ(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD{FILE_ATTRIBUTE_READONLY});
}

TEST_F(ProfileStoreTest, ReadOnlyProfileFailsAtOnceRatherThanWaitingForIt) {
    SetFileBytes(path_, FileOf(kPersons));
    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    // Were a read-only file retried like a held one, the save would succeed once this clears
    // the attribute, a tenth of a second into the half second of retries; a save that gives up
    // at once lets it clear the attribute straight away.
    const UniqueHandle saveReturned(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread clearer([this, &saveReturned] {
        WaitForSingleObject(saveReturned.get(), 100);
        SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    });
    const bool written = WriteTextFile(path_, ProfileText({}));
    const DWORD error = GetLastError();
    SetEvent(saveReturned.get());
    clearer.join();
    EXPECT_FALSE(written);
    EXPECT_EQ(error, DWORD{ERROR_ACCESS_DENIED});
    EXPECT_EQ(FileBytes(path_), FileOf(kPersons));
}

TEST_F(ProfileStoreTest, SaveKeepsTheFilesAttributes) {
    SetFileBytes(path_, FileOf(kPersons));
    const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), attributes));
    if ((GetFileAttributesW(path_.c_str()) & attributes) != attributes) {
        GTEST_SKIP() << "this file system does not keep the hidden attribute";
    }
    ProfileSettings settings = store_.Load();
    settings.Pitch = "300";
    ASSERT_EQ(store_.Save(settings).outcome, SaveOutcome::Saved);
    EXPECT_EQ(FileBytes(path_), FileOf({"Genie", "French", "90", "300"}));
    EXPECT_EQ(GetFileAttributesW(path_.c_str()) & attributes, attributes);
}

TEST_F(ProfileStoreTest, SaveToAFolderThatCannotBeMadeSaysWhy) {
    ProfileStore nowhere({folder_.Path() + L"\\file\\sub\\profile.pfl", {}});
    folder_.AddFile(L"file");
    const SaveResult saved = nowhere.Save(nowhere.Load());
    EXPECT_EQ(saved.outcome, SaveOutcome::Failed);
    EXPECT_NE(saved.message.find(L"could not save"), std::wstring::npos) << saved.message;
}

TEST_F(ProfileStoreTest, SaveClearsTemporaryFilesThatKilledSavesLeftBehind) {
    const std::wstring old = path_ + L".4242.tmp";
    const std::wstring recent = path_ + L".4343.tmp";
    const std::wstring persons = path_ + L".copy.tmp";  // not one of ours: kept at any age
    for (const std::wstring& name : {old, recent, persons}) SetFileBytes(name, "\"Charac");
    for (const std::wstring& name : {old, persons}) {
        UniqueFile file(CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr));
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
        time.QuadPart -= 2ull * 60 * 10'000'000;  // two minutes ago
        const FILETIME before{time.LowPart, time.HighPart};
        ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &before));
    }
    ASSERT_EQ(store_.Save(store_.Load()).outcome, SaveOutcome::Saved);
    EXPECT_EQ(GetFileAttributesW(old.c_str()), INVALID_FILE_ATTRIBUTES);
    // One this recent may belong to a save of another copy running now.
    EXPECT_NE(GetFileAttributesW(recent.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(persons.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Where the profile lives: the folder test is a stand-in here; the real one is tested below.
TEST(ProfilePlace, BesideTheProgramWhenItsFolderIsWritableElseInTheRoamingFolder) {
    const auto writable = [](const std::wstring&) { return true; };
    const auto protectedFolder = [](const std::wstring&) { return false; };
    const std::wstring program = L"C:\\Program Files\\Vocalinka";
    const std::wstring roaming = L"C:\\Users\\anna\\AppData\\Roaming";
    EXPECT_EQ(FindProfilePlace(program, roaming, writable),
              (ProfilePlace{program + L"\\profile.pfl", {}}));
    EXPECT_EQ(FindProfilePlace(program, roaming, protectedFolder),
              (ProfilePlace{roaming + L"\\Vocalinka\\profile.pfl", program + L"\\profile.pfl"}));
    EXPECT_EQ(FindProfilePlace(program, L"", protectedFolder),
              (ProfilePlace{program + L"\\profile.pfl", {}}));
    std::wstring asked;
    FindProfilePlace(program, roaming, [&](const std::wstring& folder) {
        asked = folder;
        return true;
    });
    EXPECT_EQ(asked, program);
}

TEST(ProfilePlace, RoamingProfileStartsFromTheOneBesideTheProgramAndLeavesItAlone) {
    const test::TemporaryFolder folder(L"place");
    const std::wstring program = folder.AddFolder(L"program");
    const std::wstring roaming = folder.AddFolder(L"roaming");
    const ProfilePlace place =
        FindProfilePlace(program, roaming, [](const std::wstring&) { return false; });
    SetFileBytes(place.startingPath, FileOf(kPersons));

    ProfileStore store(place);
    ProfileSettings settings = store.Load();
    EXPECT_EQ(settings, kPersons);
    settings.Language = "English";
    ASSERT_EQ(store.Save(settings).outcome, SaveOutcome::Saved);
    // Same format, byte for byte, in the per-user folder that the save made.
    EXPECT_EQ(FileBytes(roaming + L"\\Vocalinka\\profile.pfl"),
              FileOf({"Genie", "English", "90", "80"}));
    EXPECT_EQ(FileBytes(place.startingPath), FileOf(kPersons));
    // The next run reads the per-user profile.
    EXPECT_EQ(ProfileStore(place).Load(), (ProfileSettings{"Genie", "English", "90", "80"}));
}

TEST(CanCreateFilesIn, TellsFoldersThatTakeFilesAndLeavesNothingThere) {
    const test::TemporaryFolder folder(L"writable");
    folder.AddFile(L"file");
    EXPECT_TRUE(CanCreateFilesIn(folder.Path()));
    EXPECT_FALSE(CanCreateFilesIn(folder.Path() + L"\\missing"));
    EXPECT_FALSE(CanCreateFilesIn(folder.Path() + L"\\file"));
    using std::filesystem::directory_iterator;
    EXPECT_EQ(std::distance(directory_iterator(folder.Path()), directory_iterator{}), 1);
}

}  // namespace
}  // namespace vocalinka
