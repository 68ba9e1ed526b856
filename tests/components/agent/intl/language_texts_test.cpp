// The language components as built, read through agent_intl. CMake copies them, with a test
// component that lacks texts (AGT0411.DLL), into "intl_components" beside this program.
#include "agent/intl/language_texts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace agent::intl {
namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::wstring BuiltComponents() {
    return ProgramFolder() + L"\\intl_components";
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) out += c < 0x80 ? char(c) : '?';
    return out;
}

// An empty folder of the test's own, removed with what the test put in it.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"agent_intl_test_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const std::wstring& file : files_) DeleteFileW(file.c_str());
        RemoveDirectoryW(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    void Write(const std::wstring& name, const std::string& bytes) {
        const std::wstring file = path_ + L"\\" + name;
        std::ofstream(file.c_str(), std::ios::binary) << bytes;
        files_.push_back(file);
    }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(LanguageComponents, EachHoldsItsLanguagesTexts) {
    const struct {
        long language;
        std::wstring menuHide;
    } cases[] = {{kEnglish, L"&Hide"}, {kFrench, L"&Masquer"}};
    for (const auto& c : cases) {
        const TextsOrError loaded = LoadLanguageTexts(BuiltComponents(), c.language);
        ASSERT_TRUE(loaded.texts.has_value()) << Narrow(loaded.error);
        EXPECT_TRUE(loaded.error.empty());
        EXPECT_EQ(loaded.texts->LanguageId(), c.language);
        EXPECT_EQ(loaded.texts->Get(TextId::MenuHide), c.menuHide);
        for (const TextId id : kTextIds) EXPECT_FALSE(loaded.texts->Get(id).empty());
    }
}

TEST(LanguageComponents, FrenchIsTranslatedWithItsAccents) {
    const TextsOrError english = LoadLanguageTexts(BuiltComponents(), kEnglish);
    const TextsOrError french = LoadLanguageTexts(BuiltComponents(), kFrench);
    ASSERT_TRUE(english.texts && french.texts);
    for (const TextId id : kTextIds) {
        EXPECT_NE(french.texts->Get(id), english.texts->Get(id)) << unsigned(id);
    }
    // Written as UTF-8 in the .rc: the accent must survive as U+00E9, not as two bytes.
    EXPECT_EQ(french.texts->Get(TextId::CharacterName), L"Personnage anim\u00E9");
}

TEST(LanguageComponents, BuiltInEnglishSaysWhatTheEnglishComponentSays) {
    const TextsOrError english = LoadLanguageTexts(BuiltComponents(), kEnglish);
    ASSERT_TRUE(english.texts.has_value());
    const LanguageTexts builtIn = LanguageTexts::BuiltInEnglish();
    EXPECT_EQ(builtIn.LanguageId(), kEnglish);
    for (const TextId id : kTextIds) EXPECT_EQ(builtIn.Get(id), english.texts->Get(id));
}

TEST(LanguageComponents, UnusableComponentsAreClearErrorsThatNameTheFile) {
    ScratchFolder folder;
    const std::string realFrench = ReadFile(ComponentPath(BuiltComponents(), kFrench));
    ASSERT_GT(realFrench.size(), 1024u);
    folder.Write(L"AGT0C0C.DLL", "This is a text file, renamed.\r\n");
    folder.Write(L"AGT0816.DLL", "");
    folder.Write(L"AGT0410.DLL", realFrench.substr(0, 300));
    folder.Write(L"AGT0413.DLL", "MZ" + std::string(200, '\0'));

    const struct {
        const char* name;
        std::wstring folder;
        long language;
        std::wstring says;
    } cases[] = {
        {"missing file", folder.Path(), kFrench, L"is not installed"},
        {"missing folder", folder.Path() + L"\\nowhere", kFrench, L"is not installed"},
        {"text file", folder.Path(), 0x0C0C, L"is damaged: it is not a DLL"},
        {"empty file", folder.Path(), 0x0816, L"is damaged: it is not a DLL"},
        {"truncated DLL", folder.Path(), 0x0410, L"is damaged: it is not a DLL"},
        {"bare MZ header", folder.Path(), 0x0413, L"is damaged: it is not a DLL"},
        {"texts missing", BuiltComponents(), 0x0411, L"is damaged: text 2 is missing"},
    };
    for (const auto& c : cases) {
        const TextsOrError loaded = LoadLanguageTexts(c.folder, c.language);
        EXPECT_FALSE(loaded.texts.has_value()) << c.name;
        const std::wstring file = ComponentPath(c.folder, c.language);
        EXPECT_NE(loaded.error.find(L"\"" + file + L"\""), std::wstring::npos)
            << c.name << ": " << Narrow(loaded.error);
        EXPECT_NE(loaded.error.find(c.says), std::wstring::npos)
            << c.name << ": " << Narrow(loaded.error);
    }
}

TEST(LanguageComponents, OnlyNumbersThatCanBeLanguagesAreTried) {
    for (const long language : {0L, -1L, 0x10000L, 0x7FFFFFFFL}) {
        const TextsOrError loaded = LoadLanguageTexts(BuiltComponents(), language);
        EXPECT_FALSE(loaded.texts.has_value()) << language;
        EXPECT_NE(loaded.error.find(L"not a language id"), std::wstring::npos) << language;
    }
}

TEST(LanguageComponents, EnglishAlwaysWorksOtherLanguagesNeedTheirComponent) {
    ScratchFolder folder;
    folder.Write(L"AGT0409.DLL", "not a DLL");
    const struct {
        const char* name;
        std::wstring folder;
        long language;
        bool works;
    } cases[] = {
        {"English without components", folder.Path() + L"\\nowhere", kEnglish, true},
        {"English with a corrupt component", folder.Path(), kEnglish, true},
        {"English component", BuiltComponents(), kEnglish, true},
        {"French component", BuiltComponents(), kFrench, true},
        {"French without components", folder.Path(), kFrench, false},
        {"English (UK) without components", folder.Path(), 0x0809, false},
    };
    for (const auto& c : cases) {
        const TextsOrError texts = TextsForLanguage(c.folder, c.language);
        ASSERT_EQ(texts.texts.has_value(), c.works) << c.name << ": " << Narrow(texts.error);
        EXPECT_EQ(texts.error.empty(), c.works) << c.name;
        if (c.works) {
            EXPECT_EQ(texts.texts->LanguageId(), c.language) << c.name;
        }
    }
}

TEST(LanguageComponents, FileNamesAndTheDefaultFolder) {
    const struct {
        std::wstring folder;
        long language;
        std::wstring path;
    } cases[] = {
        {L"C:\\Windows\\Msagent\\Intl", 1036, L"C:\\Windows\\Msagent\\Intl\\AGT040C.DLL"},
        {L"C:\\Windows\\Msagent\\Intl\\", 1033, L"C:\\Windows\\Msagent\\Intl\\AGT0409.DLL"},
        {L"D:/intl/", 0x0C0C, L"D:/intl/AGT0C0C.DLL"},
        {L"", 0xABCD, L"AGTABCD.DLL"},
    };
    for (const auto& c : cases) EXPECT_EQ(ComponentPath(c.folder, c.language), c.path);

    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(DefaultIntlFolder(), std::wstring(windows, length) + L"\\Msagent\\Intl");
}

// The PE facts of a DLL file that tell whether it could run anything.
struct PeFacts {
    DWORD entryPoint = 0;
    DWORD exportedFunctions = 0;
    std::size_t importedDlls = 0;
    bool hasResources = false;
};

template <class NtHeaders>
std::optional<PeFacts> ReadPeFacts(const std::string& file, std::size_t ntOffset) {
    const auto at = [&](std::size_t offset, std::size_t size) -> const char* {
        return offset <= file.size() && size <= file.size() - offset ? file.data() + offset
                                                                     : nullptr;
    };
    const auto* nt = reinterpret_cast<const NtHeaders*>(at(ntOffset, sizeof(NtHeaders)));
    if (!nt) return std::nullopt;
    const std::size_t sectionsOffset =
        ntOffset + offsetof(NtHeaders, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(sectionsOffset, nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)));
    if (!sections) return std::nullopt;
    const auto fileOffset = [&](DWORD rva) -> std::optional<std::size_t> {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
                return std::size_t(rva - s.VirtualAddress) + s.PointerToRawData;
            }
        }
        return std::nullopt;
    };

    PeFacts facts;
    const auto& directories = nt->OptionalHeader.DataDirectory;
    facts.entryPoint = nt->OptionalHeader.AddressOfEntryPoint;
    facts.hasResources = directories[IMAGE_DIRECTORY_ENTRY_RESOURCE].Size > 0;
    if (const auto& exports = directories[IMAGE_DIRECTORY_ENTRY_EXPORT]; exports.Size > 0) {
        const auto offset = fileOffset(exports.VirtualAddress);
        const auto* table = offset ? reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
                                         at(*offset, sizeof(IMAGE_EXPORT_DIRECTORY)))
                                   : nullptr;
        if (!table) return std::nullopt;
        facts.exportedFunctions = table->NumberOfFunctions;
    }
    if (const auto& imports = directories[IMAGE_DIRECTORY_ENTRY_IMPORT]; imports.Size > 0) {
        const auto offset = fileOffset(imports.VirtualAddress);
        if (!offset) return std::nullopt;
        for (std::size_t i = 0;; ++i) {
            const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
                at(*offset + i * sizeof(IMAGE_IMPORT_DESCRIPTOR), sizeof(IMAGE_IMPORT_DESCRIPTOR)));
            if (!descriptor) return std::nullopt;
            if (descriptor->Name == 0) break;
            ++facts.importedDlls;
        }
    }
    return facts;
}

std::optional<PeFacts> ReadPeFacts(const std::string& file) {
    IMAGE_DOS_HEADER dos;
    if (file.size() < sizeof dos) return std::nullopt;
    file.copy(reinterpret_cast<char*>(&dos), sizeof dos);
    const std::size_t ntOffset = static_cast<std::size_t>(dos.e_lfanew);
    const std::size_t magicOffset = ntOffset + offsetof(IMAGE_NT_HEADERS, OptionalHeader);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || magicOffset + 2 > file.size() ||
        file.compare(ntOffset, 4, std::string("PE\0\0", 4)) != 0) {
        return std::nullopt;
    }
    WORD magic = 0;
    file.copy(reinterpret_cast<char*>(&magic), sizeof magic, magicOffset);
    switch (magic) {
        case IMAGE_NT_OPTIONAL_HDR64_MAGIC:
            return ReadPeFacts<IMAGE_NT_HEADERS64>(file, ntOffset);
        case IMAGE_NT_OPTIONAL_HDR32_MAGIC:
            return ReadPeFacts<IMAGE_NT_HEADERS32>(file, ntOffset);
        default:
            return std::nullopt;
    }
}

TEST(LanguageComponents, HoldNoCode) {
    for (const long language : {kEnglish, kFrench}) {
        const auto facts = ReadPeFacts(ReadFile(ComponentPath(BuiltComponents(), language)));
        ASSERT_TRUE(facts.has_value()) << language;
        EXPECT_EQ(facts->entryPoint, 0u) << language;
        EXPECT_EQ(facts->exportedFunctions, 0u) << language;
        EXPECT_EQ(facts->importedDlls, 0u) << language;
        EXPECT_TRUE(facts->hasResources) << language;
    }
}

TEST(LanguageComponents, ThePeReaderSeesCodeWhereThereIsSome) {
    // The check above would pass vacuously if the reader never found anything.
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    const auto facts = ReadPeFacts(ReadFile(std::wstring(system, length) + L"\\user32.dll"));
    ASSERT_TRUE(facts.has_value());
    EXPECT_NE(facts->entryPoint, 0u);
    EXPECT_GT(facts->exportedFunctions, 0u);
    EXPECT_GT(facts->importedDlls, 0u);
}

}  // namespace
}  // namespace agent::intl
