// The four user settings and the text of the profile file "profile.pfl". Portable: the file
// itself is read and written by profile_file_win.cpp; here is only text.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ui/app_title.h"

namespace vocalinka {

// Held as UTF-8 text at all times; nothing here converts or checks them.
struct ProfileSettings {
    std::string Character = "Merlin";
    std::string Language = "English";
    std::string Speed = "127";
    std::string Pitch = "127";
    bool operator==(const ProfileSettings&) const = default;
};

// "Character=...", "Language=...", "Speed=...", "Pitch=..." joined by LineBreak, no break after
// the last line.
std::string ProfileText(const ProfileSettings& settings);

// One quoted record as the file holds it: a double quote, the text, a double quote, CR LF. A
// double quote inside the text is written twice, so that it does not end the field; a text
// without one is written as it is.
std::string QuotedRecord(std::string_view text);

// The fields of a file's text, read as quoted or unquoted fields and appended: a quoted field
// keeps its line breaks and commas, and two double quotes in it stand for one; fields on one
// line are joined directly, fields of separate lines with LineBreak, so that a profile written
// by hand without quotes still reads line by line.
std::string ReadFields(std::string_view fileText);

// The non-blank lines of sString, in order and untrimmed. An empty sString leaves sArray as it
// was. A line of spaces only counts as blank; blank lines are skipped, not the end.
void StringToArray(std::string_view sString, std::vector<std::string>& sArray,
                   std::string_view sDelimit);

// Splits "key=value" at the first "="; lines without one give the key "begin" (when they
// contain "begin" in any case), "end" (when they are "end" in any case) or nothing.
void ReturnKeyValue(std::string_view sLines, std::string& sKey, std::string& sValue);

// Applies the key=value lines of a profile text on top of `settings`: exact, case-sensitive
// keys; a later line overrides an earlier one; other keys are ignored.
void ApplyProfileText(std::string_view profileText, ProfileSettings& settings);

// Which settings the person changed in this run, so that a save replaces only those and keeps
// whatever else the file holds: settings the program could not read at start, or that another
// copy of the program saved meanwhile.
class ProfileChanges {
public:
    // `loaded`: the settings the run started with.
    explicit ProfileChanges(const ProfileSettings& loaded = {}) : loaded_(loaded) {}

    // What to store: `stored` (the file as it is now) with every setting that differs from the
    // loaded one taken from `current`. A setting once changed stays changed for the run, also
    // when it is set back to its loaded value.
    ProfileSettings Merge(const ProfileSettings& current, const ProfileSettings& stored);

private:
    ProfileSettings loaded_;
    std::array<bool, 4> changed_{};
};

}  // namespace vocalinka
