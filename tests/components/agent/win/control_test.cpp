// The Control as the program uses it: loading, the order of requests, events through the
// message loop, languages and the trace file.
#include <vector>

#include "agent_fixture.h"
#include "test_character.h"

namespace agent::win::testing {
namespace {

using Log = std::vector<std::wstring>;

constexpr wchar_t kLongText[] =
    L"One two three four five six seven eight nine ten eleven twelve thirteen fourteen "
    L"fifteen sixteen seventeen eighteen nineteen twenty.";

struct LoadFailure {
    const char* name;
    std::vector<std::uint8_t> bytes;  // written to the file; ignored when missing
    enum class Kind { Write, Missing, MissingFolder, Folder } kind;
    const wchar_t* reason;
};

class LoadErrorTest : public AgentFixture, public ::testing::WithParamInterface<LoadFailure> {};

TEST_P(LoadErrorTest, NamesTheFileAndSaysWhy) {
    const LoadFailure& c = GetParam();
    std::wstring path = folder + L"\\Bad.acs";
    switch (c.kind) {
        case LoadFailure::Kind::Write:
            WriteBytes(path, c.bytes);
            break;
        case LoadFailure::Kind::Missing:
            break;
        case LoadFailure::Kind::MissingFolder:
            path = folder + L"\\Nowhere\\Bad.acs";
            break;
        case LoadFailure::Kind::Folder:
            path = folder;
            break;
    }
    try {
        control->Characters().Load(L"Bad", path);
        FAIL() << "loaded";
    } catch (const Error& error) {
        const std::wstring& message = error.Message();
        EXPECT_EQ(message.rfind(L"Cannot load character \"" + path + L"\": ", 0), 0u)
            << error.what();
        EXPECT_NE(message.find(c.reason), std::wstring::npos) << error.what();
    }
    EXPECT_THROW(control->Characters().Item(L"Bad"), Error);
}

std::vector<std::uint8_t> Truncated() {
    auto bytes = TestCharacterFile();
    bytes.resize(bytes.size() / 2);
    return bytes;
}

std::vector<std::uint8_t> Flipped() {
    auto bytes = TestCharacterFile();
    bytes[bytes.size() / 2] ^= 0x5A;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadErrorTest,
    ::testing::Values(
        LoadFailure{"Missing", {}, LoadFailure::Kind::Missing, L"the file does not exist"},
        LoadFailure{
            "MissingFolder", {}, LoadFailure::Kind::MissingFolder, L"the file does not exist"},
        LoadFailure{"AFolder", {}, LoadFailure::Kind::Folder, L"is a folder"},
        LoadFailure{"Empty", {}, LoadFailure::Kind::Write, L"not a valid character file"},
        LoadFailure{"Text",
                    {'h', 'e', 'l', 'l', 'o'},
                    LoadFailure::Kind::Write,
                    L"not a valid character file"},
        LoadFailure{"Truncated", Truncated(), LoadFailure::Kind::Write,
                    L"not a valid character file"},
        LoadFailure{"Damaged", Flipped(), LoadFailure::Kind::Write, L"not a valid character file"}),
    [](const auto& tested) { return tested.param.name; });

TEST_F(AgentFixture, CollectionFindsIdsIgnoringCaseAndRefusesUnknownOrTwice) {
    LoadTest(L"Test");
    EXPECT_NO_THROW(control->Characters().Item(L"TEST"));
    EXPECT_THROW(control->Characters().Load(L"test", characterPath), Error);
    EXPECT_THROW(control->Characters().Item(L"Other"), Error);
    EXPECT_THROW(control->Characters().Unload(L"Other"), Error);
    control->Characters().Unload(L"Test");
    EXPECT_THROW(control->Characters().Item(L"Test"), Error);
    EXPECT_EQ(CharacterWindow(), nullptr);
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

TEST_F(AgentFixture, HideThenShowHidesAndShowsAgain) {
    Character& character = LoadTest();
    character.Show();
    character.Hide();
    character.Show();
    ASSERT_TRUE(PumpUntilEvents(1));
    EXPECT_EQ(events.log, (Log{L"Hide Test 3"}));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(CharacterWindow()) != FALSE; }));
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

// With the machine's own SAPI: a voice that speaks, or (under Wine) one that cannot, which
// hands the text to the paced engine. Either way the balloon shows the words and closes.
TEST_F(AgentFixture, ReadsWithWhicheverEngineWorksHere) {
    options.silent = false;
    control = agent::testing::CreateControl(events, nullptr, options);
    Character& character = LoadTest();
    character.Speak(L"Hi.");
    character.Speak(L"Bye.");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(BalloonWindow()) != FALSE; }));
    ASSERT_TRUE(PumpUntilEvents(2, 30000));
    EXPECT_EQ(events.log, Log(2, L"BalloonHide Test"));
}

TEST_F(AgentFixture, SpeakingWhileHiddenStillReadsInTheBalloon) {
    Character& character = LoadTest();
    character.Speak(L"Read me anyway.");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(BalloonWindow()) != FALSE; }));
    ASSERT_TRUE(PumpUntilEvents(1));
    EXPECT_EQ(events.log, (Log{L"BalloonHide Test"}));
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
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

TEST_F(AgentFixture, UnloadWhileSpeakingClosesEverything) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(kLongText);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(BalloonWindow()) != FALSE; }));
    control->Characters().Unload(L"Test");
    EXPECT_EQ(CharacterWindow(), nullptr);
    PumpFor(200);  // nothing of the unloaded character may run now
    EXPECT_TRUE(events.log.empty());
}

std::wstring MenuText(HWND characterWindow) {
    const auto menu = reinterpret_cast<HMENU>(
        SendMessageW(characterWindow, agent::testing::kCharacterGetMenu, 0, 0));
    wchar_t text[64] = {};
    GetMenuStringW(menu, agent::testing::kHideCommand, text, 64, MF_BYCOMMAND);
    DestroyMenu(menu);
    return text;
}

TEST_F(AgentFixture, EnglishWorksWithoutComponentsAndAMissingLanguageKeepsTheOld) {
    Character& character = LoadTest();
    EXPECT_EQ(character.LanguageID(), 1033);
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Hide");
    EXPECT_NO_THROW(character.SetLanguageID(1033));
    for (const long missing : {1036L, 1031L}) {
        try {
            character.SetLanguageID(missing);
            FAIL() << missing;
        } catch (const Error& error) {
            wchar_t leaf[16];
            swprintf(leaf, 16, L"AGT%04lX.DLL", missing);
            EXPECT_NE(error.Message().find(leaf), std::wstring::npos) << error.what();
        }
        EXPECT_EQ(character.LanguageID(), 1033);
    }
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Hide");
}

// The folder of this test program, with a trailing backslash.
std::wstring BesideTheTests() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

TEST_F(AgentFixture, FrenchComponentGivesFrenchMenuAndEnglishComesBack) {
    const std::wstring intl = folder + L"\\Intl";
    CreateDirectoryW(intl.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((BesideTheTests() + L"AGT040C.DLL").c_str(),
                          (intl + L"\\AGT040C.DLL").c_str(), FALSE));
    Character& character = LoadTest();
    character.SetLanguageID(1036);
    EXPECT_EQ(character.LanguageID(), 1036);
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Masquer");
    character.SetLanguageID(1033);  // no English component here: the built-in texts
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Hide");
    // A damaged component is refused like a missing one.
    WriteBytes(intl + L"\\AGT040C.DLL", {'n', 'o', 't', ' ', 'a', ' ', 'd', 'l', 'l'});
    EXPECT_THROW(character.SetLanguageID(1036), Error);
    EXPECT_EQ(character.LanguageID(), 1033);
}

TEST_F(AgentFixture, TtsModeIdIsKeptAsGiven) {
    Character& character = LoadTest();
    EXPECT_EQ(character.TTSModeID(), L"");
    character.SetTTSModeID(L"{0879A4E1-A92C-11D1-B17B-0020AFED142E}");
    EXPECT_EQ(character.TTSModeID(), L"{0879A4E1-A92C-11D1-B17B-0020AFED142E}");
}

std::string Utf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.pop_back();
    return out;
}

std::string EscapedPath(const std::wstring& path) {
    std::string escaped;
    for (char c : Utf8(path)) {
        if (c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

TEST_F(AgentFixture, TraceHasOneLinePerRequestAndEvent) {
    Character& character = LoadTest();
    character.SetTTSModeID(L"{c77c5160-2867-11d0-847B-444553540000}");
    character.Show();
    character.Speak(L"\\Spd=150\\\\Pit=127\\Caf\u00E9 \"one\"\r\n\ttwo \\\\ three");
    character.Hide();
    ASSERT_TRUE(PumpUntilEvents(2));
    character.Stop();
    try {
        character.SetLanguageID(1036);
    } catch (const Error&) {
    }
    const std::vector<std::string> expected{
        "request Load Test \"" + EscapedPath(characterPath) + "\"",
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

TEST_F(AgentFixture, TraceIsOffWithoutAFile) {
    options.traceFile = L"";
    control = agent::testing::CreateControl(events, nullptr, options);
    LoadTest().Show();
    PumpFor(100);
    EXPECT_EQ(GetFileAttributesW(tracePath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(AgentFixture, TraceFileIsReadFromTheRegistryOnce) {
    const std::wstring registryTrace = folder + L"\\from-registry.txt";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Vocalinka\\Agent", 0, nullptr, 0,
                              KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const auto setValue = [&](const std::wstring& value) {
        RegSetValueExW(key, L"TraceFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    setValue(registryTrace);
    options.traceFile.reset();
    control = agent::testing::CreateControl(events, nullptr, options);
    setValue(folder + L"\\later.txt");  // read once: a later change is not seen
    LoadTest().Show();
    RegDeleteValueW(key, L"TraceFile");
    RegCloseKey(key);
    tracePath = registryTrace;
    const auto lines = TraceLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "request Show Test");
    EXPECT_EQ(GetFileAttributesW((folder + L"\\later.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace agent::win::testing
