// The folders, a folder search handle, reading a file whole and typed registry reads.
#include "win32util/files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "test_support/registry_key.h"
#include "test_support/temporary_folder.h"
#include "win32util/handles.h"
#include "win32util/registry.h"

namespace {

using vocalinka::test::TemporaryFolder;

TEST(Folders, HaveNoTrailingBackslashAndHoldWhatTheyShould) {
    const std::wstring windows = win32util::WindowsDirectory();
    ASSERT_FALSE(windows.empty());
    EXPECT_NE(windows.back(), L'\\');
    EXPECT_NE(GetFileAttributesW((windows + L"\\system32").c_str()), INVALID_FILE_ATTRIBUTES);

    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring folder = win32util::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(std::wstring(program).rfind(folder + L"\\", 0), 0u) << folder;
    EXPECT_EQ(std::wstring(program).find(L'\\', folder.size() + 1), std::wstring::npos);
}

TEST(UniqueFind, ClosesTheSearchSoTheFolderCanBeRemoved) {
    const TemporaryFolder folder(L"unique-find");
    const std::wstring inner = folder.AddFolder(L"inner");
    {
        WIN32_FIND_DATAW found;
        const win32util::UniqueFind find(FindFirstFileW((inner + L"\\*").c_str(), &found));
        ASSERT_TRUE(find.Valid());
    }
    EXPECT_TRUE(RemoveDirectoryW(inner.c_str())) << GetLastError();
    WIN32_FIND_DATAW found;
    const win32util::UniqueFind none(FindFirstFileW((inner + L"\\*").c_str(), &found));
    EXPECT_FALSE(none.Valid());
}

class WholeFileTest : public ::testing::Test {
protected:
    win32util::WholeFile Read(const std::string& content, std::uint64_t maxBytes) {
        const std::wstring path = folder_.Path() + L"\\file.bin";
        {
            const win32util::UniqueFile file(
                CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            DWORD written = 0;
            WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written,
                      nullptr);
        }
        const win32util::UniqueFile file(
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        return win32util::ReadWholeFile(file.Get(), maxBytes);
    }
    TemporaryFolder folder_{L"whole-file"};
};

TEST_F(WholeFileTest, ReadsEverythingUpToTheLimit) {
    const std::string content(70000, 'x');
    const win32util::WholeFile whole = Read(content, content.size());
    EXPECT_EQ(whole.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(whole.size, content.size());
    EXPECT_EQ(std::string(whole.bytes.begin(), whole.bytes.end()), content);

    const win32util::WholeFile empty = Read("", 0);
    EXPECT_EQ(empty.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(empty.bytes.empty());
}

TEST_F(WholeFileTest, RefusesAFileOverTheLimitOrAHandleThatIsNoFile) {
    const win32util::WholeFile large = Read("12345", 4);
    EXPECT_EQ(large.error, static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(large.size, 5u);
    EXPECT_TRUE(large.bytes.empty());
    EXPECT_NE(win32util::ReadWholeFile(INVALID_HANDLE_VALUE, 10).error,
              static_cast<DWORD>(ERROR_SUCCESS));
}

TEST(ReadRegistryString, ReadsStringsAndNothingElse) {
    const vocalinka::test::TestKey key;
    key.SetText(L"k", L"Text", L"Ctrl+F12");
    key.SetText(L"k", L"Empty", L"");
    key.Set(L"k", L"Unended", REG_SZ, L"abc", 3 * sizeof(wchar_t));  // stored without its null
    const DWORD number = 7;
    key.Set(L"k", L"Number", REG_DWORD, &number, sizeof(number));
    const auto read = [&](const wchar_t* name) {
        return win32util::ReadRegistryString(HKEY_CURRENT_USER, key.Path(L"k").c_str(), name);
    };
    EXPECT_EQ(read(L"Text"), L"Ctrl+F12");
    EXPECT_EQ(read(L"Empty"), L"");
    EXPECT_EQ(read(L"Unended"), L"abc");
    EXPECT_EQ(read(L"Number"), std::nullopt);
    EXPECT_EQ(read(L"Missing"), std::nullopt);
}

}  // namespace
