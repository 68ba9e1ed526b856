#include <utility>

#include "agent_fixture.h"
#include "win32util/handles.h"
#include "win32util/text.h"

namespace agent::win::testing {
namespace {

constexpr wchar_t kLongText[] =
    L"One two three four five six seven eight nine ten eleven twelve thirteen fourteen "
    L"fifteen sixteen seventeen eighteen nineteen twenty.";

// The message of the Error that the call throws.
std::wstring ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& error) {
        return error.Message();
    }
    ADD_FAILURE() << "no error";
    return {};
}

TEST_F(AgentFixture, LoadErrorsNameTheFileAndSayWhy) {
    std::vector<std::uint8_t> damaged = TestCharacterFile();  // the format tests have the rest
    damaged[damaged.size() / 2] ^= 0x5A;
    WriteBytes(folder + L"\\Damaged.acs", damaged);
    const std::pair<std::wstring, std::wstring> cases[] = {
        {folder + L"\\Missing.acs", L"the file does not exist"},
        {folder + L"\\Nowhere\\Bad.acs", L"the file does not exist"},
        {folder, L"is a folder"},
        {folder + L"\\Damaged.acs", L"not a valid character file"}};
    for (const auto& [path, reason] : cases) {
        const std::wstring error = ErrorOf([&] { control->Characters().Load(L"Bad", path); });
        EXPECT_EQ(error.rfind(L"Cannot load character \"" + path + L"\": ", 0), 0u) << error;
        EXPECT_NE(error.find(reason), std::wstring::npos) << error;
        EXPECT_THROW(control->Characters().Item(L"Bad"), Error);
    }
}

TEST_F(AgentFixture, CollectionFindsIdsIgnoringCaseAndUnloadClosesEverything) {
    Character& character = LoadTest(L"Test");
    EXPECT_NO_THROW(control->Characters().Item(L"TEST"));
    EXPECT_THROW(control->Characters().Load(L"test", characterPath), Error);
    EXPECT_THROW(control->Characters().Unload(L"Other"), Error);
    character.Show();
    character.Speak(kLongText);
    ASSERT_TRUE(PumpUntilVisible(BalloonWindow()));
    control->Characters().Unload(L"Test");
    EXPECT_THROW(control->Characters().Item(L"Test"), Error);
    EXPECT_EQ(CharacterWindow(), nullptr);
    PumpFor(200);  // nothing of the unloaded character may run now
    EXPECT_TRUE(events.log.empty());
    EXPECT_NO_THROW(LoadTest(L"Test"));  // the same id loads again after an unload
}

// Nothing happens inside the calls. One trace line per request, refused ones too, and event.
TEST_F(AgentFixture, RequestsRunInOrderThroughTheMessageLoopAndAreTraced) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(L"\\Spd=150\\Caf\u00E9 \"one\"\r\n");
    character.Hide();
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
    ASSERT_TRUE(PumpUntilEvents(2));
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
    character.Stop();
    EXPECT_THROW(character.SetLanguageID(1036), Error);

    std::string path = win32util::WideToUtf8(characterPath);
    for (auto at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 2))
        path.insert(at, 1, '\\');
    const std::vector<std::string> expected{
        "request Load Test \"" + path + "\"",
        "request Show Test",
        "request Speak Test \"\\\\Spd=150\\\\Caf\xC3\xA9 \\\"one\\\"\\r\\n\"",
        "request Hide Test",
        "event BalloonHide Test",
        "event Hide Test 3",
        "request Stop Test",
        "request LanguageID Test 1036"};
    std::ifstream file(std::filesystem::path(*options.traceFile), std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    EXPECT_EQ(lines, expected);
}

// Stopped while speaking or still waiting, hidden by the user from the menu: every Speak ends
// in exactly one BalloonHide, and none is raised inside the call.
TEST_F(AgentFixture, EverySpeakEndsInOneBalloonHideWhateverEndsIt) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(L"");
    character.Speak(L"\\Spd=200\\");
    character.Speak(kLongText);
    character.Speak(L"Waiting in line.");
    const HWND balloon = BalloonWindow();
    ASSERT_TRUE(PumpUntil(
        [&] { return SendMessageW(balloon, agent::testing::kBalloonGetWord, 0, 0) > 1; }));
    ASSERT_EQ(events.log, Log(2, L"BalloonHide Test"));
    character.Stop();
    EXPECT_EQ(events.log.size(), 2u);
    EXPECT_FALSE(IsWindowVisible(balloon));  // a stopped balloon closes at once
    ASSERT_TRUE(PumpUntilEvents(4));
    EXPECT_TRUE(IsWindowVisible(CharacterWindow()));  // Stop does not hide the character

    character.Speak(kLongText);
    character.Speak(L"Never read.");
    ASSERT_TRUE(PumpUntilVisible(balloon));
    SendMessageW(CharacterWindow(), WM_COMMAND, agent::testing::kHideCommand, 0);
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
    EXPECT_FALSE(IsWindowVisible(balloon));
    ASSERT_TRUE(PumpUntilEvents(7));
    PumpFor(200);
    EXPECT_EQ(Log(events.log.begin() + 4, events.log.end()),
              (Log{L"BalloonHide Test", L"BalloonHide Test", L"Hide Test 7"}));
}

std::wstring MenuText(HWND characterWindow) {
    const win32util::UniqueMenu menu(reinterpret_cast<HMENU>(
        SendMessageW(characterWindow, agent::testing::kCharacterGetMenu, 0, 0)));
    wchar_t text[64] = {};
    GetMenuStringW(menu.get(), agent::testing::kHideCommand, text, 64, MF_BYCOMMAND);
    return text;
}

// English needs no component. Another language is read from its component when it is chosen;
// without one it is an error that names the file and keeps the language as it was.
TEST_F(AgentFixture, LanguagesComeFromTheirComponentsAndEnglishIsBuiltIn) {
    Character& character = LoadTest();
    EXPECT_NE(ErrorOf([&] { character.SetLanguageID(1036); }).find(L"AGT040C.DLL"),
              std::wstring::npos);
    EXPECT_EQ(character.LanguageID(), 1033);

    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::filesystem::create_directories(options.intlFolder);
    ASSERT_TRUE(CopyFileW(std::filesystem::path(program).replace_filename(L"AGT040C.DLL").c_str(),
                          (options.intlFolder + L"\\AGT040C.DLL").c_str(), FALSE));
    character.SetLanguageID(1036);
    EXPECT_EQ(character.LanguageID(), 1036);
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Masquer");
    character.SetLanguageID(1033);  // no English component here: the built-in texts
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Hide");
}

}  // namespace
}  // namespace agent::win::testing
