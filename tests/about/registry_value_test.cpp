#include "about/registry_value.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace vocalinka {
namespace {

// Registry text as the registry stores it: UTF-16, low byte first.
std::vector<unsigned char> Utf16Bytes(std::u16string_view text, bool withNul = true) {
    std::vector<unsigned char> bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    if (withNul) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

TEST(CutRegistryValue, GivesTheTextOfTextAndNumbersAndNothingForTheRest) {
    const std::u16string path = u"C:\\Windows\\System32\\msinfo32.exe";
    const std::u16string fits(kMaxRegistryValueBytes / 2 - 1, u'a');  // with its NUL: 1024 bytes
    const std::u16string full(kMaxRegistryValueBytes / 2, u'a');      // 1024 bytes without
    std::vector<unsigned char> oddLength = Utf16Bytes(u"ab", false);
    oddLength.push_back('c');  // half a character
    const struct {
        std::uint32_t type;
        std::vector<unsigned char> data;
        std::optional<RegistryText> value;
    } cases[] = {
        {kRegistryText, Utf16Bytes(path), RegistryText{path}},
        {kRegistryText, Utf16Bytes(path, false), RegistryText{path}},
        {kRegistryText, Utf16Bytes(path + u'\0' + u"junk"), RegistryText{path}},
        {kRegistryText, Utf16Bytes(u"Ω ☺ 𝄞"), RegistryText{u"Ω ☺ 𝄞"}},
        {kRegistryText, Utf16Bytes(u""), RegistryText{u""}},
        {kRegistryText, oddLength, RegistryText{u"ab"}},
        {kRegistryExpandableText, Utf16Bytes(u"%windir%\\x.exe"),
         RegistryText{u"%windir%\\x.exe", true}},
        // Hexadecimal bytes, last first.
        {kRegistryNumber, {0x05, 0x01, 0x00, 0x00}, RegistryText{u"&h00000105"}},
        {kRegistryNumber, {0xFF, 0xFF, 0xFF, 0xFF}, RegistryText{u"&hFFFFFFFF"}},
        {kRegistryText, Utf16Bytes(fits), RegistryText{fits}},
        {kRegistryText, Utf16Bytes(full, false), RegistryText{full}},
        {kRegistryText, Utf16Bytes(full), std::nullopt},  // 1026 bytes
        {kRegistryText, {}, std::nullopt},
        {kRegistryNumber, {}, std::nullopt},
        {7, Utf16Bytes(path), std::nullopt},   // several texts
        {11, Utf16Bytes(path), std::nullopt},  // 64-bit number
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(CutRegistryValue(cases[i].type, cases[i].data), cases[i].value) << i;
    }
}

TEST(IsAbsolutePath, TakesOnlyPathsThatDoNotDependOnTheCurrentDriveOrFolder) {
    for (const char16_t* absolute :
         {u"C:\\Windows\\System32\\msinfo32.exe", u"c:/tools/x.exe", u"\\\\server\\share\\x.exe",
          u"\\\\?\\C:\\x.exe", u"//server/share/x.exe"}) {
        EXPECT_TRUE(IsAbsolutePath(absolute)) << std::u16string(absolute).size();
    }
    for (const char16_t* relative :
         {u"", u"msinfo32.exe", u".\\msinfo32.exe", u"..\\x.exe", u"C:msinfo32.exe", u"C:",
          u"\\Windows\\x.exe", u"\\\\\\x.exe", u"1:\\x.exe", u"tools\\C:\\x.exe"}) {
        EXPECT_FALSE(IsAbsolutePath(relative)) << std::u16string(relative).size();
    }
}

}  // namespace
}  // namespace vocalinka
