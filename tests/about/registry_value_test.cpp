#include "about/registry_value.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace vocalinka {
namespace {

// Registry text as the registry stores it: UTF-16, low byte first.
std::vector<unsigned char> Utf16Bytes(std::u16string_view text, bool withNul) {
    std::vector<unsigned char> bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    if (withNul) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

std::optional<RegistryText> Cut(std::uint32_t type, const std::vector<unsigned char>& data) {
    return CutRegistryValue(type, data);
}

TEST(CutRegistryValue, GivesTextAloneWithOrWithoutItsTerminatingNul) {
    const std::u16string path = u"C:\\Windows\\System32\\msinfo32.exe";
    const RegistryText expected{path, false};
    EXPECT_EQ(Cut(kRegistryText, Utf16Bytes(path, true)), expected);
    EXPECT_EQ(Cut(kRegistryText, Utf16Bytes(path, false)), expected);
    // Text beyond a NUL inside the data is no part of the value.
    EXPECT_EQ(Cut(kRegistryText, Utf16Bytes(path + u'\0' + u"junk", true)), expected);
    EXPECT_EQ(Cut(kRegistryText, Utf16Bytes(u"Ω ☺ 𝄞", true)), (RegistryText{u"Ω ☺ 𝄞", false}));
    // Only a NUL: read, and empty.
    EXPECT_EQ(Cut(kRegistryText, Utf16Bytes(u"", true)), (RegistryText{u"", false}));
    // A lone last byte is half a character.
    std::vector<unsigned char> odd = Utf16Bytes(u"ab", false);
    odd.push_back('c');
    EXPECT_EQ(Cut(kRegistryText, odd), (RegistryText{u"ab", false}));
}

TEST(CutRegistryValue, MarksExpandableTextForExpansion) {
    EXPECT_EQ(Cut(kRegistryExpandableText, Utf16Bytes(u"%windir%\\x.exe", true)),
              (RegistryText{u"%windir%\\x.exe", true}));
}

TEST(CutRegistryValue, WritesANumberAsHexadecimalBytesLastFirst) {
    const struct {
        std::vector<unsigned char> data;
        std::u16string text;
    } cases[] = {
        {{0x05, 0x01, 0x00, 0x00}, u"&h00000105"},
        {{0x78, 0x56, 0x34, 0x12}, u"&h12345678"},
        {{0xFF, 0xFF, 0xFF, 0xFF}, u"&hFFFFFFFF"},
        {{0x00, 0x00, 0x00, 0x00}, u"&h00000000"},
        {{0xAB}, u"&hAB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cut(kRegistryNumber, c.data), (RegistryText{c.text, false}));
    }
}

TEST(CutRegistryValue, FitsExactly1024BytesAndRefusesLonger) {
    const std::u16string fits(kMaxRegistryValueBytes / 2 - 1, u'a');  // with its NUL: 1024 bytes
    ASSERT_EQ(Utf16Bytes(fits, true).size(), kMaxRegistryValueBytes);
    EXPECT_EQ(Cut(kRegistryText, Utf16Bytes(fits, true)), (RegistryText{fits, false}));
    const std::u16string full(kMaxRegistryValueBytes / 2, u'a');  // no NUL: 1024 bytes
    EXPECT_EQ(Cut(kRegistryText, Utf16Bytes(full, false)), (RegistryText{full, false}));
    EXPECT_EQ(Cut(kRegistryText, Utf16Bytes(full, true)), std::nullopt);  // 1026 bytes
    EXPECT_EQ(Cut(kRegistryNumber, std::vector<unsigned char>(kMaxRegistryValueBytes + 1, 1)),
              std::nullopt);
}

TEST(CutRegistryValue, FailsOnAnEmptyValueAndOnOtherTypes) {
    for (const std::uint32_t type : {kRegistryText, kRegistryExpandableText, kRegistryNumber}) {
        EXPECT_EQ(Cut(type, {}), std::nullopt) << type;
    }
    const std::vector<unsigned char> data = Utf16Bytes(u"C:\\x.exe", true);
    for (const std::uint32_t otherType : {0u, 3u, 7u, 11u}) {  // none, binary, multi-text, 64-bit
        EXPECT_EQ(Cut(otherType, data), std::nullopt) << otherType;
    }
}

}  // namespace
}  // namespace vocalinka
