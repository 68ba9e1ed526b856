// The character and language choosers, run modally on this thread on folders made here.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog_test_support.h"
#include "resources/dialogs_resource.h"
#include "settings/frm_character.h"
#include "settings/frm_language.h"

namespace vocalinka {
namespace {

using test::Do;
using test::PostClick;
using test::PostKey;
using test::Step;

std::vector<std::wstring> ListEntries(HWND list) {
    std::vector<std::wstring> entries;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[MAX_PATH] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

// A chooser on `folder`, its dialog and list while it is open.
template <class Form>
class Chooser {
public:
    Chooser(std::wstring folder, int listId)
        : form_(GetModuleHandleW(nullptr), std::move(folder)), listId_(listId) {}
    // Opens the chooser on `settings`; the steps find it open. False when a step did not run.
    bool Run(ProfileSettings& settings, std::vector<Step> steps) {
        steps.insert(steps.begin(),
                     [this] { return (dialog_ = form_.Handle()) && IsWindowVisible(dialog_); });
        return test::RunScripted([&] { form_.Run(owner_.get(), settings); }, std::move(steps));
    }
    HWND Dialog() const { return dialog_; }
    HWND List() const { return GetDlgItem(dialog_, listId_); }
    LRESULT Selected() const { return SendMessageW(List(), LB_GETCURSEL, 0, 0); }
    // The frame, and a list that keeps the file system's order and offers one choice.
    void ExpectFrame(const wchar_t* caption) const {
        test::ExpectDialogFrame(dialog_, owner_.get(), caption);
        EXPECT_FALSE(GetWindowLongW(List(), GWL_STYLE) &
                     (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
    }

private:
    UniqueWindow owner_ = test::MakeOwnerWindow();
    Form form_;
    int listId_;
    HWND dialog_ = nullptr;
};

class Choosers : public testing::Test {
protected:
    test::TemporaryFolder folder_{L"choosers"};
};

// The first entry is selected, not the current setting; the keyboard chooses another.
TEST_F(Choosers, CharacterListsOnlyPlainAcsFilesInFileSystemOrder) {
    for (const wchar_t* file :
         {L"Merlin.acs", L"Genie.acs", L"readme.txt", L"x.ACS", L".acs", L"Peedy.acs.bak"}) {
        folder_.AddFile(file);
    }
    folder_.AddFile(L"Old.acs", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    folder_.AddFile(L"Robby.acs", FILE_ATTRIBUTE_HIDDEN);
    folder_.AddFile(L"Sys.acs", FILE_ATTRIBUTE_SYSTEM);
    folder_.AddFolder(L"Folder.acs");
    // The files the list offers, without their extension, in the order the file system gives.
    const std::vector<std::wstring> listed = {L"Merlin.acs", L"Genie.acs", L"x.ACS", L"Old.acs"};
    std::vector<std::wstring> expected;
    for (const std::wstring& name : test::NamesInFolderOrder(folder_.Path())) {
        if (std::find(listed.begin(), listed.end(), name) != listed.end()) {
            expected.push_back(name.substr(0, name.size() - 4));
        }
    }
    ASSERT_EQ(expected.size(), 4u);

    Chooser<frmCharacter> chooser(folder_.Path(), IDC_LSTCHAR);
    ProfileSettings settings;
    settings.Character = WideToUtf8(expected.back());
    EXPECT_TRUE(chooser.Run(settings, {Do([&] {
                                           chooser.ExpectFrame(L"Select Character");
                                           EXPECT_EQ(ListEntries(chooser.List()), expected);
                                           EXPECT_EQ(chooser.Selected(), 0);
                                           EXPECT_EQ(GetFocus(), chooser.List());
                                           PostKey(chooser.List(), VK_DOWN);
                                       }),
                                       [&] { return chooser.Selected() == 1; },
                                       Do([&] { PostKey(chooser.List(), VK_RETURN); })}));
    EXPECT_EQ(settings.Character, WideToUtf8(expected[1]));
}

TEST_F(Choosers, LanguageListsTheComponentsInAnyLetterCaseThatAreNotHidden) {
    folder_.AddFile(L"AGT0409.DLL", FILE_ATTRIBUTE_HIDDEN);
    folder_.AddFile(L"agt040c.dll");
    folder_.AddFile(L"AGT0407.DLL");
    folder_.AddFile(L"readme.txt");
    folder_.AddFolder(L"AGT0410.DLL");
    Chooser<frmLanguage> chooser(folder_.Path(), IDC_LSTLANGUAGE);
    ProfileSettings settings;
    EXPECT_TRUE(chooser.Run(settings, {Do([&] {
                                chooser.ExpectFrame(L"Select Language");
                                EXPECT_EQ(ListEntries(chooser.List()),
                                          std::vector<std::wstring>{L"French"});
                                PostClick(chooser.Dialog(), IDOK);
                            })}));
    EXPECT_EQ(settings.Language, "French");
}

// OK on an empty list keeps naming what is installed rather than nothing.
TEST_F(Choosers, CancelEscapeTheCloseBoxAndOkOnAnEmptyListLeaveTheSetting) {
    folder_.AddFile(L"Genie.acs");
    const std::wstring empty = folder_.AddFolder(L"empty");
    const struct {
        std::wstring folder;
        void (*leave)(HWND dialog);
    } cases[] = {
        {folder_.Path(), [](HWND dialog) { PostClick(dialog, IDCANCEL); }},
        {folder_.Path(), [](HWND dialog) { PostKey(GetDlgItem(dialog, IDC_LSTCHAR), VK_ESCAPE); }},
        {folder_.Path(), [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {empty, [](HWND dialog) { PostClick(dialog, IDOK); }},
        {empty + L"\\missing", [](HWND dialog) { PostClick(dialog, IDOK); }},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Chooser<frmCharacter> chooser(cases[i].folder, IDC_LSTCHAR);
        ProfileSettings settings;
        settings.Character = "Merlin";
        EXPECT_TRUE(chooser.Run(settings, {Do([&] { cases[i].leave(chooser.Dialog()); })})) << i;
        EXPECT_EQ(settings.Character, "Merlin") << i;
    }
}

}  // namespace
}  // namespace vocalinka
