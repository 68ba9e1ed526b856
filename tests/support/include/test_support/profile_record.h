// The profile file as the program saves it, for the tests that read or plant one.
#pragma once

#include <string>

#include "settings/profile.h"

namespace vocalinka::test {

// The bytes a save writes for these settings; the format itself is proven in profile_test.
inline std::string SavedProfile(const ProfileSettings& settings) {
    return QuotedRecord(ProfileText(settings));
}

}  // namespace vocalinka::test
