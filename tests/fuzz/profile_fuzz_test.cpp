// Any bytes as a profile file's text: reading never fails, and whatever settings come out are
// written and read back unchanged, as a text and as a file's quoted record. The bytes are also
// cut into four settings of any content but line breaks (which no setting can hold: a
// character name is a file name, the other three come from the dialogs), which must survive the
// same way.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_driver.h"
#include "settings/profile.h"

namespace vocalinka::fuzz {
namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

ProfileSettings FromText(std::string_view profileText) {
    ProfileSettings settings;
    ApplyProfileText(profileText, settings);
    return settings;
}

void RequireRoundTrip(const ProfileSettings& settings) {
    const std::string text = ProfileText(settings);
    Require(FromText(text) == settings);
    Require(ReadFields(QuotedRecord(text)) == text);
}

// Four settings from the bytes, split at NUL bytes, line breaks left out.
ProfileSettings Cut(std::string_view bytes) {
    std::string parts[4];
    std::size_t part = 0;
    for (const char c : bytes) {
        if (c == '\0') {
            part = (part + 1) % 4;
        } else if (c != '\r' && c != '\n') {
            parts[part] += c;
        }
    }
    return {parts[0], parts[1], parts[2], parts[3]};
}

TEST(ProfileFuzz, ReadsAnyBytesAndWritesBackWhatItRead) {
    ExpectMutationsRun(
        "profile",
        {Utf8Bytes("\"Character=Merlin\r\nLanguage=English\r\nSpeed=127\r\nPitch=127\"\r\n"),
         Utf8Bytes("\"Character=Say \"\"Hi\"\"\r\nSpeed=150\"\r\n"),
         Utf8Bytes("Character=Genie, Jr.\nSpeed=150\n\nPitch=90"),
         Utf8Bytes("\"Speed=8\",\"0\"\r\n   \"BEGIN\r\nEnd\"\r\n"),
         Utf8Bytes(std::string_view("Merlin\0French\0\"150\"\0=90", 24))});
}

}  // namespace
}  // namespace vocalinka::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vocalinka::fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const vocalinka::ProfileSettings loaded = FromText(vocalinka::ReadFields(bytes));
    RequireRoundTrip(loaded);
    RequireRoundTrip(Cut(bytes));

    // A save keeps each setting either as stored or as the run has it.
    vocalinka::ProfileChanges changes(loaded);
    const vocalinka::ProfileSettings current = Cut(bytes);
    const vocalinka::ProfileSettings merged = changes.Merge(current, {});
    Require(merged.Character ==
            (current.Character != loaded.Character ? current.Character : "Merlin"));
    Require(merged.Speed == (current.Speed != loaded.Speed ? current.Speed : "127"));
    return 0;
}
