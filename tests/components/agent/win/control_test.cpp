// The Control as the program uses it: loading, the order of requests, events through the
// message loop, languages and the trace file.
#include <utility>

#include "agent_fixture.h"
#include "win32util/handles.h"
#include "win32util/text.h"

namespace agent::win::testing {
namespace {

constexpr wchar_t kLongText[] =
    L"One two three four five six seven eight nine ten eleven twelve thirteen fourteen "
    L"fifteen sixteen seventeen eighteen nineteen twenty.";

TEST_F(AgentFixture, LoadErrorsNameTheFileAndSayWhy) {
    std::vector<std::uint8_t> damaged = TestCharacterFile();  // the format tests have the rest
    damaged[damaged.size() / 2] ^= 0x5A;
    WriteBytes(folder + L"\\Damaged.acs", damaged);
    WriteBytes(folder + L"\\Empty.acs", {});
    const std::pair<std::wstring, std::wstring> cases[] = {
        {folder + L"\\Missing.acs", L"the file does not exist"},
        {folder + L"\\Nowhere\\Bad.acs", L"the file does not exist"},
        {folder, L"is a folder"},
        {folder + L"\\Empty.acs", L"not a valid character file"},
        {folder + L"\\Damaged.acs", L"not a valid character file"}};
    for (const auto& [path, reason] : cases) {
        try {
            control->Characters().Load(L"Bad", path);
            ADD_FAILURE() << "loaded " << path;
        } catch (const Error& error) {
            const std::wstring& message = error.Message();
            EXPECT_EQ(message.rfind(L"Cannot load character \"" + path + L"\": ", 0), 0u)
                << error.what();
            EXPECT_NE(message.find(reason), std::wstring::npos) << error.what();
        }
        EXPECT_THROW(control->Characters().Item(L"Bad"), Error);
    }
}

// Ids ignore case; an unload, even while the character speaks, closes everything at once.
TEST_F(AgentFixture, CollectionFindsIdsIgnoringCaseAndUnloadClosesEverything) {
    Character& character = LoadTest(L"Test");
    EXPECT_NO_THROW(control->Characters().Item(L"TEST"));
    EXPECT_THROW(control->Characters().Load(L"test", characterPath), Error);
    EXPECT_THROW(control->Characters().Item(L"Other"), Error);
    EXPECT_THROW(control->Characters().Unload(L"Other"), Error);
    character.Show();
    character.Speak(kLongText);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(BalloonWindow()) != FALSE; }));
    control->Characters().Unload(L"Test");
    EXPECT_THROW(control->Characters().Item(L"Test"), Error);
    EXPECT_EQ(CharacterWindow(), nullptr);
    PumpFor(200);  // nothing of the unloaded character may run now
    EXPECT_TRUE(events.log.empty());
    EXPECT_NO_THROW(LoadTest(L"Test"));  // the same id loads again after an unload
}

TEST_F(AgentFixture, ShowSpeakHideRunInOrderAndReportThroughTheMessageLoop) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(L"Hello there, reader.");
    character.Hide();
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));  // nothing happens inside the calls

    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(CharacterWindow()) != FALSE; }));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(BalloonWindow()) != FALSE; }));
    EXPECT_TRUE(events.log.empty());
    ASSERT_TRUE(PumpUntilEvents(2));
    EXPECT_EQ(events.log, (Log{L"BalloonHide Test", L"Hide Test 3"}));
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
    EXPECT_FALSE(IsWindowVisible(BalloonWindow()));
}

// Every Speak ends in exactly one BalloonHide: empty, tags only, stopped while speaking and
// stopped while still waiting. Stop raises nothing inside the call.
TEST_F(AgentFixture, EverySpeakEndsInOneBalloonHide) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(L"");
    character.Speak(L"\\Spd=200\\");
    character.Speak(kLongText);
    character.Speak(L"Waiting in line.");
    const HWND balloon = BalloonWindow();
    ASSERT_TRUE(PumpUntil(
        [&] { return SendMessageW(balloon, agent::testing::kBalloonGetWord, 0, 0) > 1; }));
    ASSERT_EQ(events.log, (Log{L"BalloonHide Test", L"BalloonHide Test"}));
    character.Stop();
    EXPECT_EQ(events.log.size(), 2u);
    EXPECT_FALSE(IsWindowVisible(balloon));  // a stopped balloon closes at once
    ASSERT_TRUE(PumpUntilEvents(4));
    PumpFor(300);
    EXPECT_EQ(events.log, Log(4, L"BalloonHide Test"));
    EXPECT_TRUE(IsWindowVisible(CharacterWindow()));  // Stop does not hide the character
}

TEST_F(AgentFixture, UserHideFromTheMenuRaisesHideSeven) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(kLongText);
    character.Speak(L"Never read.");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(BalloonWindow()) != FALSE; }));
    SendMessageW(CharacterWindow(), WM_COMMAND, agent::testing::kHideCommand, 0);
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
    EXPECT_FALSE(IsWindowVisible(BalloonWindow()));
    ASSERT_TRUE(PumpUntilEvents(3));
    PumpFor(200);
    EXPECT_EQ(events.log, (Log{L"BalloonHide Test", L"BalloonHide Test", L"Hide Test 7"}));
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
    EXPECT_EQ(character.LanguageID(), 1033);
    try {
        character.SetLanguageID(1036);
        ADD_FAILURE() << "French without its component";
    } catch (const Error& error) {
        EXPECT_NE(error.Message().find(L"AGT040C.DLL"), std::wstring::npos) << error.what();
    }
    EXPECT_EQ(character.LanguageID(), 1033);

    const std::wstring french = options.intlFolder + L"\\AGT040C.DLL";
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::filesystem::create_directories(options.intlFolder);
    ASSERT_TRUE(CopyFileW(std::filesystem::path(program).replace_filename(L"AGT040C.DLL").c_str(),
                          french.c_str(), FALSE));
    character.SetLanguageID(1036);
    EXPECT_EQ(character.LanguageID(), 1036);
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Masquer");
    character.SetLanguageID(1033);  // no English component here: the built-in texts
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Hide");
}

TEST_F(AgentFixture, TraceHasOneLinePerRequestAndEvent) {
    Character& character = LoadTest();
    character.SetTTSModeID(L"{c77c5160-2867-11d0-847B-444553540000}");
    EXPECT_EQ(character.TTSModeID(), L"{c77c5160-2867-11d0-847B-444553540000}");
    character.Show();
    character.Speak(L"\\Spd=150\\\\Pit=127\\Caf\u00E9 \"one\"\r\n\ttwo \\\\ three");
    character.Hide();
    ASSERT_TRUE(PumpUntilEvents(2));
    character.Stop();
    EXPECT_THROW(character.SetLanguageID(1036), Error);  // refused requests are traced too
    std::string path = win32util::WideToUtf8(characterPath);
    for (auto at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 2)) {
        path.insert(at, 1, '\\');
    }
    const std::vector<std::string> expected{
        "request Load Test \"" + path + "\"",
        R"(request TTSModeID Test "{c77c5160-2867-11d0-847B-444553540000}")",
        "request Show Test",
        "request Speak Test \"\\\\Spd=150\\\\\\\\Pit=127\\\\Caf\xC3\xA9 \\\"one\\\"\\r\\n\\ttwo "
        "\\\\\\\\ three\"",
        "request Hide Test",
        "event BalloonHide Test",
        "event Hide Test 3",
        "request Stop Test",
        "request LanguageID Test 1036",
    };
    EXPECT_EQ(TraceLines(), expected);
}

}  // namespace
}  // namespace agent::win::testing
