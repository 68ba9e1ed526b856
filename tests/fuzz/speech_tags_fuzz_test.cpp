#include <gtest/gtest.h>

#include "fuzz_driver.h"

namespace vocalinka::fuzz {
namespace {

TEST(SpeechTagsFuzz, ParsesAnyTextIntoWordsInsideIt) {
    ExpectMutationsRun(
        "speech-tags",
        {Utf16Bytes(u"\\Spd=150\\\\Pit=127\\Hello world."),
         Utf16Bytes(u"\\Pau=500\\Then \\Emp\\this, \\Rst\\and \\Vol=65535\\that."),
         Utf16Bytes(u"\\Map=\"spoken\"=\"shown\"\\ and \\\\ a backslash \\Spd=fast\\ x"),
         Utf16Bytes(u"Tom & Jerry — 𝄞 ¿qué? \\Chr=\"Whisper\"\\ \\Mrk=12\\ end"), Input{}});
}

}  // namespace
}  // namespace vocalinka::fuzz
