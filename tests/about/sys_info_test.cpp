// GetKeyValue and StartSysInfo on registry values written here, below HKEY_CURRENT_USER, and a
// stand-in tool that leaves a marker file when it runs.
#include "about/sys_info.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialog_test_support.h"
#include "shell/app_title.h"

namespace vocalinka {
namespace {

using namespace std::chrono_literals;

// A key of its own below HKEY_CURRENT_USER, removed with its values.
class TestKey {
public:
    TestKey() : path_(L"Software\\VocalinkaTest-" + std::to_wstring(GetCurrentProcessId())) {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;
    ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

    // Sets the value `name` of the subkey `subkey` to raw data of a type.
    void Set(const std::wstring& subkey, const std::wstring& name, DWORD type, const void* data,
             DWORD size) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Path(subkey).c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void SetText(const std::wstring& subkey, const std::wstring& name, const std::wstring& text,
                 DWORD type = REG_SZ, bool withNul = true) const {
        Set(subkey, name, type, text.c_str(),
            static_cast<DWORD>((text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t)));
    }
    std::wstring Path(const std::wstring& subkey) const { return path_ + L"\\" + subkey; }

private:
    std::wstring path_;
};

TEST(GetKeyValue, ReadsTextExpandableTextAndNumbers) {
    const TestKey key;
    SetEnvironmentVariableW(L"VOCALINKA_TEST_FOLDER", L"C:\\Tools");
    const DWORD number = 0x105;
    const std::wstring fits(511, L'a');     // 1024 bytes with its NUL
    const std::wstring tooLong(512, L'a');  // 1026 bytes with its NUL
    const unsigned char binary[] = {1, 2, 3};
    key.SetText(L"k", L"text", L"C:\\Tools\\tool.exe");
    key.SetText(L"k", L"noNul", L"C:\\Tools\\tool.exe", REG_SZ, false);
    key.SetText(L"k", L"expand", L"%VOCALINKA_TEST_FOLDER%\\tool.exe", REG_EXPAND_SZ);
    key.Set(L"k", L"number", REG_DWORD, &number, sizeof(number));
    key.SetText(L"k", L"fits", fits);
    key.SetText(L"k", L"tooLong", tooLong);
    key.Set(L"k", L"empty", REG_SZ, nullptr, 0);
    key.Set(L"k", L"binary", REG_BINARY, binary, sizeof(binary));

    const struct {
        const wchar_t* subkey;
        const wchar_t* name;
        std::optional<std::wstring> value;  // nothing: GetKeyValue fails
    } cases[] = {
        {L"k", L"text", L"C:\\Tools\\tool.exe"},
        {L"k", L"noNul", L"C:\\Tools\\tool.exe"},
        {L"k", L"expand", L"C:\\Tools\\tool.exe"},
        {L"k", L"number", L"&h00000105"},
        {L"k", L"fits", fits},
        {L"k", L"tooLong", std::nullopt},
        {L"k", L"empty", std::nullopt},
        {L"k", L"binary", std::nullopt},
        {L"k", L"missing", std::nullopt},
        {L"missing", L"text", std::nullopt},
    };
    for (const auto& c : cases) {
        std::wstring value = L"left from before";
        const bool read = GetKeyValue(HKEY_CURRENT_USER, key.Path(c.subkey), c.name, value);
        EXPECT_EQ(read, c.value.has_value()) << c.name;
        EXPECT_EQ(value, c.value.value_or(L"")) << c.name;
    }
}

// The stand-in tool: copies of one small program, each leaving "<its path>.ran" when run.
class SysInfo : public testing::Test {
protected:
    std::wstring AddTool(const std::wstring& relativePath,
                         DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        const std::wstring path = folder_.Path() + L"\\" + relativePath;
        const auto slash = path.find_last_of(L'\\');
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        EXPECT_TRUE(CopyFileW(MarkerProgram().c_str(), path.c_str(), FALSE)) << MarkerProgram();
        if (attributes != FILE_ATTRIBUTE_NORMAL) SetFileAttributesW(path.c_str(), attributes);
        return path;
    }
    // What the tool at `path` wrote when it ran, once it has.
    std::optional<std::wstring> WaitForMarker(const std::wstring& path) {
        const std::wstring marker = path + L".ran";
        std::optional<std::wstring> content;
        test::PumpUntil([&] {
            HANDLE file = CreateFileW(marker.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return false;
            wchar_t text[1024] = {};
            DWORD read = 0;
            ReadFile(file, text, sizeof(text) - sizeof(wchar_t), &read, nullptr);
            CloseHandle(file);
            if (read == 0) return false;  // still being written
            content = text;
            return true;
        });
        return content;
    }
    SysInfoLocations Locations() const {
        return {{HKEY_CURRENT_USER, key_.Path(L"MSINFO"), L"PATH"},
                {HKEY_CURRENT_USER, key_.Path(L"Shared Tools Location"), L"MSINFO"}};
    }
    // Runs StartSysInfo and returns the message it showed, closing it, if any.
    std::optional<test::MessageBoxContent> Start() {
        std::optional<test::MessageBoxContent> shown;
        HWND box = nullptr;
        bool any = false;
        test::RunScripted([&] { StartSysInfo(owner_.Handle(), Locations()); },
                          {[&] {
                               // The message, if there is one, opens within StartSysInfo; the
                               // script stops looking once StartSysInfo has returned.
                               any = (box = test::FindThreadWindow(kApplicationTitle)) != nullptr;
                               return any;
                           },
                           [&] {
                               shown = test::ReadMessageBox(box);
                               EXPECT_EQ(GetWindow(box, GW_OWNER), owner_.Handle());
                               test::PostClick(box, IDOK);
                               return true;
                           }},
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

    TestKey key_;
    test::TemporaryFolder folder_{L"sysinfo"};
    test::OwnerWindow owner_;
};

TEST_F(SysInfo, StartsTheProgramOfTheFirstRowByItsQuotedPathWithANormalWindow) {
    for (const std::wstring& relative :
         {std::wstring(L"tool.exe"), std::wstring(L"with space\\my tool.exe")}) {
        const std::wstring tool = AddTool(relative);
        key_.SetText(L"MSINFO", L"PATH", tool);
        EXPECT_FALSE(Start().has_value());
        EXPECT_EQ(WaitForMarker(tool), L"1 \"" + tool + L"\"");
    }
}

TEST_F(SysInfo, ExpandsTheVariablesOfAnExpandableFirstRow) {
    const std::wstring tool = AddTool(L"tool.exe");
    SetEnvironmentVariableW(L"VOCALINKA_TOOL_FOLDER", folder_.Path().c_str());
    key_.SetText(L"MSINFO", L"PATH", L"%VOCALINKA_TOOL_FOLDER%\\tool.exe", REG_EXPAND_SZ);
    EXPECT_FALSE(Start().has_value());
    EXPECT_TRUE(WaitForMarker(tool).has_value());
}

TEST_F(SysInfo, FallsBackToTheToolInTheFolderOfTheSecondRow) {
    const std::wstring tool = AddTool(L"msinfo folder\\MSINFO32.EXE");
    const std::wstring folder = tool.substr(0, tool.find_last_of(L'\\'));
    const unsigned char binary[] = {1, 2};
    // Each first row that cannot be read hands over to the second row.
    const std::vector<std::function<void()>> firstRows = {
        [] {},
        [&] { key_.SetText(L"MSINFO", L"PATH", L""); },
        [&] { key_.Set(L"MSINFO", L"PATH", REG_BINARY, binary, sizeof(binary)); },
        [&] { key_.SetText(L"MSINFO", L"PATH", std::wstring(600, L'x')); },
        [&] { key_.Set(L"MSINFO", L"PATH", REG_SZ, nullptr, 0); },
    };
    for (std::size_t i = 0; i < firstRows.size(); ++i) {
        firstRows[i]();
        // With and without a closing backslash.
        key_.SetText(L"Shared Tools Location", L"MSINFO", i % 2 ? folder + L"\\" : folder);
        EXPECT_FALSE(Start().has_value()) << i;
        EXPECT_EQ(WaitForMarker(tool), L"1 \"" + folder + L"\\MSINFO32.EXE\"") << i;
        DeleteFileW((tool + L".ran").c_str());
    }
}

TEST_F(SysInfo, SaysTheToolIsUnavailableWhenNeitherRowLeadsToIt) {
    const std::wstring hiddenTool = AddTool(L"hidden\\MSINFO32.EXE", FILE_ATTRIBUTE_HIDDEN);
    const std::wstring spareTool = AddTool(L"spare\\MSINFO32.EXE");
    const DWORD number = 0x105;
    const struct {
        const char* what;
        std::function<void()> setUp;
    } cases[] = {
        {"no rows", [] {}},
        {"second row: a folder without the tool",
         [&] { key_.SetText(L"Shared Tools Location", L"MSINFO", folder_.Path()); }},
        {"second row: the tool is hidden",
         [&] { key_.SetText(L"Shared Tools Location", L"MSINFO", folder_.Path() + L"\\hidden"); }},
        {"second row: a number",
         [&] {
             key_.Set(L"Shared Tools Location", L"MSINFO", REG_DWORD, &number, sizeof(number));
         }},
        // A first row that is read is used as it is, even when it leads nowhere.
        {"first row: a missing program",
         [&] {
             key_.SetText(L"MSINFO", L"PATH", folder_.Path() + L"\\missing.exe");
             key_.SetText(L"Shared Tools Location", L"MSINFO", folder_.Path() + L"\\spare");
         }},
        {"first row: a folder", [&] { key_.SetText(L"MSINFO", L"PATH", folder_.Path()); }},
        {"first row: a number",
         [&] { key_.Set(L"MSINFO", L"PATH", REG_DWORD, &number, sizeof(number)); }},
    };
    for (const auto& c : cases) {
        c.setUp();
        const std::optional<test::MessageBoxContent> shown = Start();
        ASSERT_TRUE(shown.has_value()) << c.what;
        EXPECT_EQ(shown->caption, kApplicationTitle) << c.what;
        EXPECT_EQ(shown->text, L"System Information Is Unavailable At This Time") << c.what;
        EXPECT_FALSE(shown->hasIcon) << c.what;
        EXPECT_EQ(shown->buttons, std::vector<int>{IDOK}) << c.what;
    }
    // Nothing was started meanwhile.
    EXPECT_EQ(GetFileAttributesW((hiddenTool + L".ran").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW((spareTool + L".ran").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace vocalinka
