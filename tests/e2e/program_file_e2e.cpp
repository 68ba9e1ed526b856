// The built program file, read as Windows' loader reads it: which libraries it imports, the
// protections it asks for, and its manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "program_path.h"

namespace e2e {
namespace {

class PortableExecutable {
public:
    explicit PortableExecutable(const char* path) {
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), {});
        const auto dos = Read<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        headers_ = Read<IMAGE_NT_HEADERS64>(static_cast<std::size_t>(dos->e_lfanew));
        if (!headers_ || headers_->Signature != IMAGE_NT_SIGNATURE ||
            headers_->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            headers_.reset();
            return;
        }
        const std::size_t sections = static_cast<std::size_t>(dos->e_lfanew) +
                                     offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                                     headers_->FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < headers_->FileHeader.NumberOfSections; ++i) {
            if (auto section =
                    Read<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER)))
                sections_.push_back(*section);
        }
    }

    bool Valid() const { return headers_.has_value(); }
    WORD DllCharacteristics() const { return headers_->OptionalHeader.DllCharacteristics; }

    // The names of the imported libraries, in lower case.
    std::set<std::string> ImportedLibraries() const {
        std::set<std::string> names;
        const IMAGE_DATA_DIRECTORY& imports =
            headers_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        auto offset = FileOffset(imports.VirtualAddress);
        for (; offset; *offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto entry = Read<IMAGE_IMPORT_DESCRIPTOR>(*offset);
            if (!entry || entry->Name == 0) break;
            const auto name = FileOffset(entry->Name);
            if (!name) break;
            std::string text(bytes_.data() + *name, strnlen(bytes_.data() + *name, 256));
            std::transform(text.begin(), text.end(), text.begin(),
                           [](char c) { return static_cast<char>(std::tolower(c)); });
            names.insert(text);
        }
        return names;
    }

private:
    template <class T>
    std::optional<T> Read(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return std::nullopt;
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return value;
    }
    std::optional<std::size_t> FileOffset(DWORD rva) const {
        for (const IMAGE_SECTION_HEADER& section : sections_) {
            if (rva >= section.VirtualAddress &&
                rva < section.VirtualAddress + section.Misc.VirtualSize) {
                return rva - section.VirtualAddress + section.PointerToRawData;
            }
        }
        return std::nullopt;
    }

    std::vector<char> bytes_;
    std::optional<IMAGE_NT_HEADERS64> headers_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

std::string ProgramPath() {
    std::string path = kProgramPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

TEST(ProgramFileE2E, ImportsOnlyLibrariesThatCannotBePlantedBesideIt) {
    const PortableExecutable program(ProgramPath().c_str());
    ASSERT_TRUE(program.Valid());
    // KnownDLLs always come from System32; common controls 6 come from the side-by-side store
    // that the manifest names.
    const std::set<std::string> safe = {"advapi32.dll", "comctl32.dll", "gdi32.dll",
                                        "kernel32.dll", "msvcrt.dll",   "ole32.dll",
                                        "oleaut32.dll", "shell32.dll",  "user32.dll"};
    const std::set<std::string> imported = program.ImportedLibraries();
    EXPECT_TRUE(imported.count("kernel32.dll"));
    for (const std::string& library : imported) {
        EXPECT_TRUE(safe.count(library)) << library << " would be searched in the program's folder";
    }
}

TEST(ProgramFileE2E, AsksForTheProtectionsOfAModernProgram) {
    const PortableExecutable program(ProgramPath().c_str());
    ASSERT_TRUE(program.Valid());
    const WORD flags = program.DllCharacteristics();
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
}

TEST(ProgramFileE2E, ManifestRunsItAsTheInvokerWithCommonControls6) {
    const std::string narrow = ProgramPath();
    const std::wstring path(narrow.begin(), narrow.end());
    HMODULE program = LoadLibraryExW(path.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(program, found)));
    const std::string manifest(text, SizeofResource(program, found));
    FreeLibrary(program);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
              std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
}

}  // namespace
}  // namespace e2e
