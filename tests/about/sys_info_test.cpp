// GetKeyValue and StartSysInfo on registry values written here, below HKEY_CURRENT_USER, and a
// stand-in tool that leaves a marker file when it runs.
#include "about/sys_info.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "dialog_test_support.h"
#include "shell/app_title.h"

namespace vocalinka {
namespace {

using namespace std::chrono_literals;

// A key of its own below HKEY_CURRENT_USER, removed with its values.
class TestKey {
public:
    TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;
    ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

    void Set(const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data,
             DWORD size) const {
        EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Path(subkey).c_str(), name, type, data, size),
                  ERROR_SUCCESS);
    }
    void SetText(const std::wstring& subkey, const wchar_t* name, const std::wstring& text,
                 DWORD type = REG_SZ) const {
        Set(subkey, name, type, text.c_str(),
            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    std::wstring Path(const std::wstring& subkey) const { return path_ + L"\\" + subkey; }

private:
    std::wstring path_ = L"Software\\VocalinkaTest-" + std::to_wstring(GetCurrentProcessId());
};

// Only what the registry read adds to CutRegistryValue: the open for reading, the buffer size,
// and the expansion of REG_EXPAND_SZ (mended: it was returned unexpanded).
TEST(GetKeyValue, ReadsTextExpandableTextAndNumbersUpTo1024Bytes) {
    const TestKey key;
    SetEnvironmentVariableW(L"VOCALINKA_TEST_FOLDER", L"C:\\Tools");
    const DWORD number = 0x105;
    const std::wstring fits(511, L'a');  // 1024 bytes with its NUL
    key.SetText(L"k", L"text", L"C:\\Tools\\tool.exe");
    key.SetText(L"k", L"expand", L"%VOCALINKA_TEST_FOLDER%\\tool.exe", REG_EXPAND_SZ);
    key.Set(L"k", L"number", REG_DWORD, &number, sizeof(number));
    key.SetText(L"k", L"fits", fits);
    key.SetText(L"k", L"tooLong", fits + L'a');
    const struct {
        const wchar_t* subkey;
        const wchar_t* name;
        std::optional<std::wstring> value;  // nothing: GetKeyValue fails
    } cases[] = {
        {L"k", L"text", L"C:\\Tools\\tool.exe"}, {L"k", L"expand", L"C:\\Tools\\tool.exe"},
        {L"k", L"number", L"&h00000105"},        {L"k", L"fits", fits},
        {L"k", L"tooLong", std::nullopt},        {L"k", L"missing", std::nullopt},
        {L"missing", L"text", std::nullopt},
    };
    for (const auto& c : cases) {
        std::wstring value = L"left from before";
        EXPECT_EQ(GetKeyValue(HKEY_CURRENT_USER, key.Path(c.subkey), c.name, value),
                  c.value.has_value())
            << c.name;
        EXPECT_EQ(value, c.value.value_or(L"")) << c.name;
    }
}

// The stand-in tool: copies of one small program, each leaving "<its path>.ran" when run.
class SysInfo : public testing::Test {
protected:
    std::wstring AddTool(const std::wstring& folder, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        const std::wstring path = folder_.AddFolder(folder) + L"\\MSINFO32.EXE";
        EXPECT_TRUE(CopyFileW(MarkerProgram().c_str(), path.c_str(), FALSE)) << MarkerProgram();
        SetFileAttributesW(path.c_str(), attributes);
        return path;
    }
    // What the tool at `path` wrote when it ran, once it has; the marker is then removed.
    std::optional<std::wstring> WaitForMarker(const std::wstring& path) {
        const std::wstring marker = path + L".ran";
        std::optional<std::wstring> content;
        test::PumpUntil([&] {
            const UniqueFile file(CreateFileW(marker.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
            wchar_t text[1024] = {};
            DWORD read = 0;
            if (!file.Valid() ||
                !ReadFile(file.Get(), text, sizeof(text) - sizeof(wchar_t), &read, nullptr) ||
                read == 0) {  // not yet there, or still being written
                return false;
            }
            content = text;
            return true;
        });
        DeleteFileW(marker.c_str());
        return content;
    }
    // Runs StartSysInfo on the rows of `key` and returns the message it showed, if any.
    std::optional<std::wstring> Start(const TestKey& key) {
        std::optional<std::wstring> shown;
        HWND box = nullptr;
        test::RunScripted(
            [&] {
                StartSysInfo(owner_.get(), {{HKEY_CURRENT_USER, key.Path(L"MSINFO"), L"PATH"},
                                            {HKEY_CURRENT_USER, key.Path(L"Location"), L"MSINFO"}});
            },
            // The message, if there is one, opens within StartSysInfo; the script stops
            // looking once StartSysInfo has returned.
            {test::WaitForWindow(kApplicationTitle, box), test::Do([&] {
                 shown = test::MessageBoxText(box);
                 EXPECT_EQ(GetWindow(box, GW_OWNER), owner_.get());
                 test::PostClick(box, IDOK);
             })},
            5s);
        return shown;
    }
    static std::wstring MarkerProgram() {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path = self;
        path.resize(path.find_last_of(L'\\'));  // tests\win32
        path.resize(path.find_last_of(L'\\'));  // tests
        return path + L"\\helpers\\marker_program.exe";
    }

    test::TemporaryFolder folder_{L"sysinfo"};
    UniqueWindow owner_ = test::MakeOwnerWindow();
};

// The first row names the program; the second, read only when the first cannot be, names the
// folder of MSINFO32.EXE. A first row that is read is used as it is, even when it leads nowhere.
TEST_F(SysInfo, StartsTheToolOfTheFirstRowOrTheSecondOrSaysItIsUnavailable) {
    const std::wstring spaced = AddTool(L"with space");
    const std::wstring second = AddTool(L"second");
    const std::wstring folder = second.substr(0, second.find_last_of(L'\\'));
    const std::wstring hidden = AddTool(L"hidden", FILE_ATTRIBUTE_HIDDEN);
    const struct {
        std::optional<std::wstring> first, second;  // the rows' text; nothing: no row
        std::wstring started;                       // empty: the message instead
    } cases[] = {
        {spaced, folder, spaced},  // quoted, for its space
        {std::nullopt, folder, second},
        {L"", folder + L"\\", second},
        {std::nullopt, std::nullopt, L""},
        {std::nullopt, folder_.Path(), L""},  // a folder without the tool
        {std::nullopt, folder_.Path() + L"\\hidden", L""},
        {folder_.Path() + L"\\missing.exe", folder, L""},
    };
    for (const auto& c : cases) {
        const TestKey key;
        if (c.first) key.SetText(L"MSINFO", L"PATH", *c.first);
        if (c.second) key.SetText(L"Location", L"MSINFO", *c.second);
        const std::wstring what = c.first.value_or(L"-") + L" / " + c.second.value_or(L"-");
        const std::optional<std::wstring> shown = Start(key);
        if (!c.started.empty()) {
            EXPECT_FALSE(shown.has_value()) << what;
            // Started by its quoted path, with a normal window.
            EXPECT_EQ(WaitForMarker(c.started), L"1 \"" + c.started + L"\"") << what;
            continue;
        }
        EXPECT_EQ(shown, L"System Information Is Unavailable At This Time") << what;
    }
    // Nothing was started that should not have been.
    for (const std::wstring& tool : {spaced, second, hidden}) {
        EXPECT_EQ(GetFileAttributesW((tool + L".ran").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

}  // namespace
}  // namespace vocalinka
