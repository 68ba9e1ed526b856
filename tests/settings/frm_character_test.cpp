// The character chooser, run modally on this thread and driven from a timer. The language
// chooser is the same list on another folder.
#include "settings/frm_character.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "dialog_test_support.h"
#include "resources/dialogs_resource.h"
#include "win32util/handles.h"
#include "win32util/text.h"

namespace vocalinka {
namespace {

using win32util::UniqueFile;
using win32util::WideToUtf8;

using test::Do;
using test::PostClick;

std::vector<std::wstring> Entries(HWND list) {
    std::vector<std::wstring> entries;
    for (LRESULT at = 0; at < SendMessageW(list, LB_GETCOUNT, 0, 0); ++at) {
        wchar_t text[MAX_PATH] = {};
        SendMessageW(list, LB_GETTEXT, at, reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

// Plain ".acs" files in any letter case, without their extension, in the file system's order;
// the first is selected, not the current setting. Only OK on an entry changes the setting:
// on an empty list it keeps naming what is installed rather than nothing.
TEST(CharacterChooser, ListsOnlyPlainAcsFilesInFileSystemOrderAndOnlyOkTakesOne) {
    const test::TemporaryFolder folder(L"choosers");
    for (const wchar_t* file :
         {L"Merlin.acs", L"Genie.acs", L"readme.txt", L"x.ACS", L".acs", L"Peedy.acs.bak"}) {
        folder.AddFile(file);
    }
    folder.AddFile(L"Old.acs", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    folder.AddFile(L"Robby.acs", FILE_ATTRIBUTE_HIDDEN);
    folder.AddFile(L"Sys.acs", FILE_ATTRIBUTE_SYSTEM);
    folder.AddFolder(L"Folder.acs");
    const std::wstring empty = folder.AddFolder(L"empty");
    const std::set<std::wstring> listed = {L"Merlin", L"Genie", L"x", L"Old"};
    std::vector<std::wstring> expected;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        const std::wstring name = entry.path().stem().wstring();
        if (listed.contains(name)) expected.push_back(name);
    }
    ASSERT_EQ(expected.size(), 4u);
    const std::string current = WideToUtf8(expected.back());

    const struct {
        std::wstring folder;
        void (*leave)(HWND dialog);
        std::string stored;
    } cases[] = {
        {folder.Path(), [](HWND d) { PostClick(d, IDOK); }, WideToUtf8(expected[0])},
        {folder.Path(), [](HWND d) { PostClick(d, IDCANCEL); }, current},
        {folder.Path(), [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, current},
        {empty, [](HWND d) { PostClick(d, IDOK); }, current},
        {empty + L"\\missing", [](HWND d) { PostClick(d, IDOK); }, current}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        test::DialogUnderTest<frmCharacter> chooser(cases[i].folder);
        const auto checkAndLeave = [&] {
            test::ExpectDialogFrame(chooser.Dialog(), chooser.Owner(), L"Select Character");
            EXPECT_EQ(Entries(chooser.Item(IDC_LSTCHAR)),
                      cases[i].folder == folder.Path() ? expected : std::vector<std::wstring>{});
            cases[i].leave(chooser.Dialog());
        };
        ProfileSettings settings;
        settings.Character = current;
        EXPECT_TRUE(chooser.Run(settings, {Do(checkAndLeave)})) << i;
        EXPECT_EQ(settings.Character, cases[i].stored) << i;
    }
}

// Files named for a device ("con.acs", "Nul .acs") are not offered: Windows would open the
// device in place of the file. Such files can only be made with the "\\?\" prefix.
TEST(CharacterChooser, OffersNoNameWindowsKeepsForADevice) {
    const test::TemporaryFolder folder(L"devices");
    folder.AddFile(L"Merlin.acs");
    const auto devicePath = [&](const wchar_t* name) {
        return L"\\\\?\\" + folder.Path() + L"\\" + name;
    };
    const wchar_t* devices[] = {L"con.acs", L"Nul .acs", L"COM1.acs", L"lpt9.x.acs"};
    for (const wchar_t* device : devices) {
        const UniqueFile file(CreateFileW(devicePath(device).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    // The folder's own clean-up cannot remove them.
    const auto removeDevices = [&] {
        for (const wchar_t* device : devices) DeleteFileW(devicePath(device).c_str());
    };
    using std::filesystem::directory_iterator;
    const auto files = std::distance(directory_iterator(folder.Path()), directory_iterator{});
    if (files == 1) GTEST_SKIP() << "this file system makes no files named for devices";

    test::DialogUnderTest<frmCharacter> chooser(folder.Path());
    std::vector<std::wstring> entries;
    const auto readAndLeave = [&] {
        entries = Entries(chooser.Item(IDC_LSTCHAR));
        PostClick(chooser.Dialog(), IDCANCEL);
    };
    ProfileSettings settings;
    EXPECT_TRUE(chooser.Run(settings, {Do(readAndLeave)}));
    removeDevices();
    EXPECT_EQ(entries, std::vector<std::wstring>{L"Merlin"}) << files << " files";
}

}  // namespace
}  // namespace vocalinka
