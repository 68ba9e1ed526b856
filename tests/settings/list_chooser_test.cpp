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

using test::RunScripted;
using test::Step;
using test::Text;

Step Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

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

// The names among `listed`, in the order the file system returns their files.
std::vector<std::wstring> InFolderOrder(
    const std::wstring& folder, const std::vector<std::pair<std::wstring, std::wstring>>& listed) {
    std::vector<std::wstring> order;
    for (const std::wstring& file : test::NamesInFolderOrder(folder)) {
        for (const auto& [listedFile, entry] : listed) {
            if (file == listedFile) order.push_back(entry);
        }
    }
    return order;
}

// A chooser, its dialog and list while it is open.
template <class Form>
class Chooser {
public:
    Chooser(std::wstring folder, int listId)
        : form_(GetModuleHandleW(nullptr), folder), listId_(listId) {}
    bool Run(ProfileSettings& settings, std::vector<Step> steps) {
        steps.insert(steps.begin(),
                     [this] { return (dialog_ = form_.Handle()) && IsWindowVisible(dialog_); });
        return RunScripted([&] { form_.Run(owner_.Handle(), settings); }, std::move(steps));
    }
    HWND Dialog() const { return dialog_; }
    HWND List() const { return GetDlgItem(dialog_, listId_); }
    HWND Owner() const { return owner_.Handle(); }

private:
    test::OwnerWindow owner_;
    Form form_;
    int listId_;
    HWND dialog_ = nullptr;
};

class CharacterChooser : public testing::Test {
protected:
    test::TemporaryFolder folder_{L"chars"};
};

TEST_F(CharacterChooser, ListsOnlyPlainAcsFilesInFileSystemOrderWithTheFirstSelected) {
    folder_.AddFile(L"Merlin.acs");
    folder_.AddFile(L"Genie.acs");
    folder_.AddFile(L"readme.txt");
    folder_.AddFile(L"x.ACS");
    folder_.AddFile(L".acs");
    folder_.AddFile(L"Peedy.acs.bak");
    folder_.AddFile(L"Robby.acs", FILE_ATTRIBUTE_HIDDEN);
    folder_.AddFile(L"Sys.acs", FILE_ATTRIBUTE_SYSTEM);
    folder_.AddFile(L"Old.acs", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    folder_.AddFolder(L"Folder.acs");
    const std::vector<std::wstring> expected =
        InFolderOrder(folder_.Path(), {{L"Merlin.acs", L"Merlin"},
                                       {L"Genie.acs", L"Genie"},
                                       {L"x.ACS", L"x"},
                                       {L"Old.acs", L"Old"}});
    ASSERT_EQ(expected.size(), 4u);

    Chooser<frmCharacter> chooser(folder_.Path(), IDC_LSTCHAR);
    ProfileSettings settings;  // Character is "Merlin", which need not be first
    EXPECT_TRUE(chooser.Run(settings, {Do([&] {
                                EXPECT_EQ(ListEntries(chooser.List()), expected);
                                EXPECT_EQ(SendMessageW(chooser.List(), LB_GETCURSEL, 0, 0), 0);
                                EXPECT_EQ(GetFocus(), chooser.List());
                                test::PostClick(chooser.Dialog(), IDOK);
                            })}));
    EXPECT_EQ(settings.Character, WideToUtf8(expected.front()));
}

TEST_F(CharacterChooser, OkTakesTheEntryChosenWithTheKeyboard) {
    folder_.AddFile(L"Genie.acs");
    folder_.AddFile(L"Merlin.acs");
    const std::vector<std::wstring> order =
        InFolderOrder(folder_.Path(), {{L"Genie.acs", L"Genie"}, {L"Merlin.acs", L"Merlin"}});
    Chooser<frmCharacter> chooser(folder_.Path(), IDC_LSTCHAR);
    ProfileSettings settings;
    EXPECT_TRUE(chooser.Run(settings,
                            {Do([&] { test::PostKey(chooser.List(), VK_DOWN); }),
                             [&] { return SendMessageW(chooser.List(), LB_GETCURSEL, 0, 0) == 1; },
                             Do([&] { test::PostKey(chooser.List(), VK_RETURN); })}));
    EXPECT_EQ(settings.Character, WideToUtf8(order[1]));
}

TEST_F(CharacterChooser, CancelEscapeAndTheCloseBoxLeaveTheCharacter) {
    folder_.AddFile(L"Genie.acs");
    const std::vector<std::function<void(HWND)>> closers = {
        [](HWND dialog) { test::PostClick(dialog, IDCANCEL); },
        [](HWND dialog) { test::PostKey(GetDlgItem(dialog, IDC_LSTCHAR), VK_ESCAPE); },
        [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (std::size_t i = 0; i < closers.size(); ++i) {
        Chooser<frmCharacter> chooser(folder_.Path(), IDC_LSTCHAR);
        ProfileSettings settings;
        settings.Character = "Merlin";
        EXPECT_TRUE(chooser.Run(settings, {Do([&] { closers[i](chooser.Dialog()); })})) << i;
        EXPECT_EQ(settings.Character, "Merlin") << i;
    }
}

TEST_F(CharacterChooser, OkOnAnEmptyOrMissingFolderLeavesTheCharacter) {
    folder_.AddFile(L"readme.txt");
    for (const std::wstring& folder : {folder_.Path(), folder_.Path() + L"\\missing"}) {
        Chooser<frmCharacter> chooser(folder, IDC_LSTCHAR);
        ProfileSettings settings;
        settings.Character = "Genie";
        EXPECT_TRUE(chooser.Run(settings, {Do([&] {
                                    EXPECT_EQ(SendMessageW(chooser.List(), LB_GETCOUNT, 0, 0), 0);
                                    test::PostClick(chooser.Dialog(), IDOK);
                                })}));
        EXPECT_EQ(settings.Character, "Genie");
    }
}

TEST_F(CharacterChooser, RebuildsTheListAtEveryOpening) {
    folder_.AddFile(L"Genie.acs");
    Chooser<frmCharacter> chooser(folder_.Path(), IDC_LSTCHAR);
    ProfileSettings settings;
    EXPECT_TRUE(chooser.Run(settings, {Do([&] {
                                EXPECT_EQ(ListEntries(chooser.List()),
                                          std::vector<std::wstring>{L"Genie"});
                                test::PostClick(chooser.Dialog(), IDCANCEL);
                            })}));
    DeleteFileW((folder_.Path() + L"\\Genie.acs").c_str());
    folder_.AddFile(L"Merlin.acs");
    EXPECT_TRUE(chooser.Run(settings, {Do([&] {
                                EXPECT_EQ(ListEntries(chooser.List()),
                                          std::vector<std::wstring>{L"Merlin"});
                                test::PostClick(chooser.Dialog(), IDCANCEL);
                            })}));
}

class LanguageChooser : public testing::Test {
protected:
    test::TemporaryFolder folder_{L"intl"};
};

TEST_F(LanguageChooser, ListsBothComponentsInAnyLetterCaseAndNothingElse) {
    folder_.AddFile(L"AGT0409.DLL");
    folder_.AddFile(L"agt040c.dll");
    folder_.AddFile(L"AGT0407.DLL");
    folder_.AddFile(L"readme.txt");
    folder_.AddFolder(L"AGT0410.DLL");
    const std::vector<std::wstring> expected =
        InFolderOrder(folder_.Path(), {{L"AGT0409.DLL", L"English"}, {L"agt040c.dll", L"French"}});
    ASSERT_EQ(expected.size(), 2u);

    Chooser<frmLanguage> chooser(folder_.Path(), IDC_LSTLANGUAGE);
    ProfileSettings settings;
    settings.Language = WideToUtf8(expected.back());  // the other one is selected all the same
    EXPECT_TRUE(chooser.Run(settings, {Do([&] {
                                EXPECT_EQ(ListEntries(chooser.List()), expected);
                                EXPECT_EQ(SendMessageW(chooser.List(), LB_GETCURSEL, 0, 0), 0);
                                EXPECT_EQ(GetFocus(), chooser.List());
                                test::PostClick(chooser.Dialog(), IDOK);
                            })}));
    EXPECT_EQ(settings.Language, WideToUtf8(expected.front()));
}

TEST_F(LanguageChooser, HiddenComponentsAreNotOffered) {
    folder_.AddFile(L"AGT0409.DLL", FILE_ATTRIBUTE_HIDDEN);
    folder_.AddFile(L"AGT040C.DLL");
    Chooser<frmLanguage> chooser(folder_.Path(), IDC_LSTLANGUAGE);
    ProfileSettings settings;
    EXPECT_TRUE(chooser.Run(settings, {Do([&] {
                                EXPECT_EQ(ListEntries(chooser.List()),
                                          std::vector<std::wstring>{L"French"});
                                test::PostClick(chooser.Dialog(), IDOK);
                            })}));
    EXPECT_EQ(settings.Language, "French");
}

TEST_F(LanguageChooser, CancelAndOkOnAnEmptyListLeaveTheLanguage) {
    for (const int button : {IDCANCEL, IDOK}) {
        Chooser<frmLanguage> chooser(
            button == IDOK ? folder_.Path() + L"\\missing" : folder_.Path(), IDC_LSTLANGUAGE);
        folder_.AddFile(L"AGT0409.DLL");
        ProfileSettings settings;
        settings.Language = "French";
        EXPECT_TRUE(
            chooser.Run(settings, {Do([&] { test::PostClick(chooser.Dialog(), button); })}));
        EXPECT_EQ(settings.Language, "French") << button;
    }
}

// Both choosers share one frame: designed places, sizable, owned, centred, with icons.
TEST(Choosers, PlaceTheirControlsAtTheDesignedPixelsWithCaptionAndFrame) {
    const test::TemporaryFolder folder(L"layout");
    folder.AddFile(L"Genie.acs");
    const struct {
        int id;
        RECT rect;
    } character[] = {{IDC_LSTCHAR, {16, 14, 200, 200}},
                     {IDOK, {219, 15, 300, 48}},
                     {IDCANCEL, {219, 57, 300, 90}}},
      language[] = {{IDC_LSTLANGUAGE, {16, 16, 202, 189}},
                    {IDOK, {221, 16, 302, 49}},
                    {IDCANCEL, {221, 57, 302, 90}}};
    const auto check = [](HWND dialog, HWND owner, const wchar_t* caption, auto& expected) {
        EXPECT_EQ(Text(dialog), caption);
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 312);
        EXPECT_EQ(client.bottom, 213);
        for (const auto& e : expected) {
            const RECT r = test::RectInParent(GetDlgItem(dialog, e.id));
            EXPECT_TRUE(EqualRect(&r, &e.rect))
                << e.id << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        }
        const LONG style = GetWindowLongW(dialog, GWL_STYLE);
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU),
                  WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU);
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
        EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0);
        HWND list = GetDlgItem(dialog, expected[0].id);
        EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) &
                     (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
        // Tab order: the list, OK, Cancel.
        EXPECT_EQ(GetNextDlgTabItem(dialog, list, FALSE), GetDlgItem(dialog, IDOK));
        EXPECT_EQ(GetNextDlgTabItem(dialog, GetDlgItem(dialog, IDOK), FALSE),
                  GetDlgItem(dialog, IDCANCEL));
        EXPECT_EQ(GetNextDlgTabItem(dialog, GetDlgItem(dialog, IDCANCEL), FALSE), list);
        EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);
    };
    ProfileSettings settings;
    Chooser<frmCharacter> characters(folder.Path(), IDC_LSTCHAR);
    EXPECT_TRUE(characters.Run(settings, {Do([&] {
                                   check(characters.Dialog(), characters.Owner(),
                                         L"Select Character", character);
                                   test::PostClick(characters.Dialog(), IDCANCEL);
                               })}));
    Chooser<frmLanguage> languages(folder.Path(), IDC_LSTLANGUAGE);
    EXPECT_TRUE(languages.Run(settings, {Do([&] {
                                  check(languages.Dialog(), languages.Owner(), L"Select Language",
                                        language);
                                  test::PostClick(languages.Dialog(), IDCANCEL);
                              })}));
}

}  // namespace
}  // namespace vocalinka
