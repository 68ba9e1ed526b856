#include <gtest/gtest.h>

#include "fuzz_driver.h"

namespace vocalinka::fuzz {
namespace {

TEST(ProfileFuzz, ReadsAnyBytesAndWritesBackWhatItRead) {
    std::vector<Input> seeds = {
        Utf8Bytes("\"Character=Merlin\r\nLanguage=English\r\nSpeed=127\r\nPitch=127\"\r\n"),
        Utf8Bytes("\"Character=Say \"\"Hi\"\"\r\nSpeed=150\"\r\n"),
        Utf8Bytes("Character=Genie, Jr.\nSpeed=150\n\nPitch=90"),
        Utf8Bytes("\"Speed=8\",\"0\"\r\n   \"BEGIN\r\nEnd\"\r\n"),
        Utf8Bytes(std::string("Merlin\0French\0\"150\"\0=90", 24)),
    };
    ExpectMutationsRun("profile", std::move(seeds));
}

}  // namespace
}  // namespace vocalinka::fuzz
