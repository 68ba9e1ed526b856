// The profile file and its store: what a save writes and a load makes of any file, where the
// profile lives, and saves that keep what the person did not change, whatever holds or
// protects the file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "settings/profile.h"
#include "settings/profile_file_win.h"
#include "test_support/profile_record.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_files.h"
#include "win32util/handles.h"

namespace vocalinka {
namespace {

using test::FileBytes;
using test::SavedProfile;
using test::SetFileBytes;
using win32util::UniqueFile;
using win32util::UniqueHandle;

const ProfileSettings kPersons{"Genie", "French", "90", "80"};

// Another program that holds the profile open without delete sharing: `sharing` 0 as a virus
// scanner may, FILE_SHARE_READ as a reader does.
UniqueFile Hold(const std::wstring& path, DWORD sharing) {
    return UniqueFile(
        CreateFileW(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr));
}

class ProfileFile : public testing::Test {
protected:
    ProfileSettings Load() const {
        ProfileSettings settings;
        std::string text;
        ReadTextFile(path_, text);
        ApplyProfileText(text, settings);
        return settings;
    }

    const test::TemporaryFolder folder_{L"profile"};
    const std::wstring path_ = folder_.Path() + L"\\profile.pfl";
    ProfileStore store_{{path_, {}}};
};

TEST_F(ProfileFile, RoundTripsNamesWithSpacesCommasQuotesAndAnyScript) {
    const ProfileSettings saved[] = {{"Old Merlin, the Wise", "French", "50", "400"},
                                     {"Génie", "English", "127", "127"},
                                     {"Мерлин 🧙", "French", "127", "127"},
                                     {"Say \"Hi\"", "\"", "1\"\"2", "\"80\""}};
    for (const ProfileSettings& settings : saved) {
        ASSERT_TRUE(WriteTextFile(path_, ProfileText(settings)));
        EXPECT_EQ(Load(), settings) << settings.Character;
    }
}

TEST_F(ProfileFile, StaysAnsiWhenTheCodePageHoldsTheTextAndUsesUtf8OtherwiseOnly) {
    ASSERT_TRUE(WriteTextFile(path_, "Character=Merlin"));
    EXPECT_EQ(FileBytes(path_), "\"Character=Merlin\"\r\n");

    ASSERT_TRUE(WriteTextFile(path_, "Character=Мерлин 🧙"));
    const std::string bytes = FileBytes(path_);
    if (GetACP() != CP_UTF8) {
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    }
    EXPECT_NE(bytes.find("Мерлин 🧙"), std::string::npos);
}

TEST_F(ProfileFile, MissingOrOversizedFilesLeaveTheTextAlone) {
    std::string text = "untouched";
    EXPECT_FALSE(ReadTextFile(path_, text));
    EXPECT_EQ(text, "untouched");

    SetFileBytes(path_, std::string(50 * 1024 * 1024, 'A') + "\"Speed=60\"");
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
        SetFileBytes(path_, content);
        const ProfileSettings loaded = Load();
        EXPECT_EQ(loaded.Character, "Merlin");
        EXPECT_EQ(loaded.Language, "English");
        EXPECT_EQ(loaded.Pitch, "127");
    }
}

TEST_F(ProfileFile, FailedSaveLeavesThePreviousFileWholeAndNoTemporaryFile) {
    SetFileBytes(path_, SavedProfile(kPersons));
    {
        // Held open past the save's half second of retries: it cannot be replaced.
        const UniqueFile reader = Hold(path_, FILE_SHARE_READ);
        ASSERT_TRUE(reader.Valid());
        EXPECT_FALSE(WriteTextFile(path_, ProfileText(ProfileSettings{})));
    }
    EXPECT_EQ(FileBytes(path_), SavedProfile(kPersons));
    EXPECT_EQ(test::EntriesIn(folder_.Path()), 1);
}

TEST_F(ProfileFile, SaveWaitsForAReaderThatHoldsTheProfileForAMoment) {
    SetFileBytes(path_, SavedProfile(kPersons));
    const UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread reader([this, &held] {
        // A scanner or a reader, for a moment well within the save's half second of retries.
        const UniqueFile holder = Hold(path_, FILE_SHARE_READ);
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
    SetFileBytes(path_, SavedProfile(kPersons));
    // A save that died mid-write leaves only its temporary file, half written.
    SetFileBytes(path_ + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp", "\"Charac");
    EXPECT_EQ(Load(), kPersons);

    ASSERT_TRUE(WriteTextFile(path_, ProfileText(ProfileSettings{})));
    EXPECT_EQ(Load(), ProfileSettings{});
    EXPECT_EQ(test::EntriesIn(folder_.Path()), 1);
}

// The harm this mends: a profile held at start gave the defaults, and the next save wrote them
// over the person's settings.
TEST_F(ProfileFile, HeldAtStartTheStoreKeepsThePersonsSettingsThroughASave) {
    SetFileBytes(path_, SavedProfile(kPersons));
    ProfileSettings settings;
    {
        const UniqueFile scanner = Hold(path_, 0);
        ASSERT_TRUE(scanner.Valid());
        settings = store_.Load();
    }
    EXPECT_EQ(settings, ProfileSettings{});
    settings.Speed = "150";  // the speech dialog, closed with OK
    const SaveResult saved = store_.Save(settings);
    EXPECT_EQ(saved.outcome, SaveOutcome::Saved);
    EXPECT_EQ(saved.message, L"");
    EXPECT_EQ(FileBytes(path_), SavedProfile({"Genie", "French", "150", "80"}));
}

TEST_F(ProfileFile, StillHeldAtTheSaveTheStoreLeavesItAloneAndTellsThePerson) {
    SetFileBytes(path_, SavedProfile(kPersons));
    ProfileSettings settings;
    {
        const UniqueFile scanner = Hold(path_, 0);
        settings = store_.Load();
        settings.Character = "Peedy";
        const SaveResult saved = store_.Save(settings);
        EXPECT_EQ(saved.outcome, SaveOutcome::Unreadable);
        EXPECT_NE(saved.message.find(path_), std::wstring::npos) << saved.message;
        EXPECT_NE(saved.message.find(L"left as it was"), std::wstring::npos) << saved.message;
    }
    EXPECT_EQ(FileBytes(path_), SavedProfile(kPersons));
    // Once the file can be read again, the change is saved over the person's other settings.
    EXPECT_EQ(store_.Save(settings).outcome, SaveOutcome::Saved);
    EXPECT_EQ(FileBytes(path_), SavedProfile({"Peedy", "French", "90", "80"}));
}

TEST_F(ProfileFile, MissingTheStoreLoadsTheDefaultsAndASaveWritesThem) {
    const ProfileSettings settings = store_.Load();
    EXPECT_EQ(settings, ProfileSettings{});
    EXPECT_EQ(store_.Save(settings).outcome, SaveOutcome::Saved);
    EXPECT_EQ(FileBytes(path_), SavedProfile(ProfileSettings{}));
}

// The person made the profile read-only: it is not overwritten, it does not stall the program
// (no waiting for it to become writable), and they are told once.
TEST_F(ProfileFile, ReadOnlyTheStoreKeepsItAndTellsOnce) {
    SetFileBytes(path_, SavedProfile(kPersons));
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
    EXPECT_EQ(FileBytes(path_), SavedProfile(kPersons));
    EXPECT_EQ(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD{FILE_ATTRIBUTE_READONLY});
}

TEST_F(ProfileFile, ReadOnlyFailsAtOnceRatherThanWaitingForIt) {
    SetFileBytes(path_, SavedProfile(kPersons));
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
    EXPECT_EQ(FileBytes(path_), SavedProfile(kPersons));
}

TEST_F(ProfileFile, SaveKeepsTheFilesAttributes) {
    SetFileBytes(path_, SavedProfile(kPersons));
    const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesW(path_.c_str(), attributes));
    if ((GetFileAttributesW(path_.c_str()) & attributes) != attributes) {
        GTEST_SKIP() << "this file system does not keep the hidden attribute";
    }
    ProfileSettings settings = store_.Load();
    settings.Pitch = "300";
    ASSERT_EQ(store_.Save(settings).outcome, SaveOutcome::Saved);
    EXPECT_EQ(FileBytes(path_), SavedProfile({"Genie", "French", "90", "300"}));
    EXPECT_EQ(GetFileAttributesW(path_.c_str()) & attributes, attributes);
}

TEST_F(ProfileFile, SaveToAFolderThatCannotBeMadeSaysWhy) {
    ProfileStore nowhere({folder_.Path() + L"\\file\\sub\\profile.pfl", {}});
    folder_.AddFile(L"file");
    const SaveResult saved = nowhere.Save(nowhere.Load());
    EXPECT_EQ(saved.outcome, SaveOutcome::Failed);
    EXPECT_NE(saved.message.find(L"could not save"), std::wstring::npos) << saved.message;
}

TEST_F(ProfileFile, SaveClearsTemporaryFilesThatKilledSavesLeftBehind) {
    const std::wstring old = path_ + L".4242.tmp";
    const std::wstring recent = path_ + L".4343.tmp";
    const std::wstring persons = path_ + L".copy.tmp";  // not one of ours: kept at any age
    for (const std::wstring& name : {old, recent, persons}) SetFileBytes(name, "\"Charac");
    ASSERT_TRUE(test::Backdate(old, 120) && test::Backdate(persons, 120));
    ASSERT_EQ(store_.Save(store_.Load()).outcome, SaveOutcome::Saved);
    EXPECT_EQ(GetFileAttributesW(old.c_str()), INVALID_FILE_ATTRIBUTES);
    // One this recent may belong to a save of another copy running now.
    EXPECT_NE(GetFileAttributesW(recent.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(persons.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Where the profile lives: the folder test is a stand-in here; the real one is tested below.
TEST(ProfilePlace, BesideTheProgramWhenItsFolderIsWritableElseInTheRoamingFolder) {
    const auto protectedFolder = [](const std::wstring&) { return false; };
    const std::wstring program = L"C:\\Program Files\\Vocalinka";
    const std::wstring roaming = L"C:\\Users\\anna\\AppData\\Roaming";
    std::wstring asked;
    const auto writable = [&](const std::wstring& folder) {
        asked = folder;
        return true;
    };
    EXPECT_EQ(FindProfilePlace(program, roaming, writable),
              (ProfilePlace{program + L"\\profile.pfl", {}}));
    EXPECT_EQ(asked, program);
    EXPECT_EQ(FindProfilePlace(program, roaming, protectedFolder),
              (ProfilePlace{roaming + L"\\Vocalinka\\profile.pfl", program + L"\\profile.pfl"}));
    EXPECT_EQ(FindProfilePlace(program, L"", protectedFolder),
              (ProfilePlace{program + L"\\profile.pfl", {}}));
}

TEST(ProfilePlace, RoamingProfileStartsFromTheOneBesideTheProgramAndLeavesItAlone) {
    const test::TemporaryFolder folder(L"place");
    const std::wstring program = folder.AddFolder(L"program");
    const std::wstring roaming = folder.AddFolder(L"roaming");
    const ProfilePlace place =
        FindProfilePlace(program, roaming, [](const std::wstring&) { return false; });
    SetFileBytes(place.startingPath, SavedProfile(kPersons));

    ProfileStore store(place);
    ProfileSettings settings = store.Load();
    EXPECT_EQ(settings, kPersons);
    settings.Language = "English";
    ASSERT_EQ(store.Save(settings).outcome, SaveOutcome::Saved);
    // Same format, byte for byte, in the per-user folder that the save made.
    EXPECT_EQ(FileBytes(roaming + L"\\Vocalinka\\profile.pfl"),
              SavedProfile({"Genie", "English", "90", "80"}));
    EXPECT_EQ(FileBytes(place.startingPath), SavedProfile(kPersons));
    // The next run reads the per-user profile.
    EXPECT_EQ(ProfileStore(place).Load(), (ProfileSettings{"Genie", "English", "90", "80"}));
}

TEST(CanCreateFilesIn, TellsFoldersThatTakeFilesAndLeavesNothingThere) {
    const test::TemporaryFolder folder(L"writable");
    folder.AddFile(L"file");
    EXPECT_TRUE(CanCreateFilesIn(folder.Path()));
    EXPECT_FALSE(CanCreateFilesIn(folder.Path() + L"\\missing"));
    EXPECT_FALSE(CanCreateFilesIn(folder.Path() + L"\\file"));
    EXPECT_EQ(test::EntriesIn(folder.Path()), 1);
}

}  // namespace
}  // namespace vocalinka
