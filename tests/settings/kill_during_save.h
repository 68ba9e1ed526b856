// The two sets of settings the kill-during-save child writes in turn; they differ in every
// setting and in length.
#pragma once

#include "settings/profile.h"

namespace vocalinka::test {

inline const ProfileSettings kSavedFirst{"Merlin", "English", "127", "127"};
inline const ProfileSettings kSavedSecond{"Genie, the \"Great\"", "French", "250", "400"};

}  // namespace vocalinka::test
