#include "characters/character_names.h"

#include <gtest/gtest.h>

#include <string>

namespace vocalinka {
namespace {

TEST(CharacterName, MustNameAFileInTheCharacterFolder) {
    for (const char16_t* good :
         {u"Merlin", u"Old Merlin", u"Génie", u"a.b", u"Console", u"CONS", u"NULL", u"COM",
          u"COM10", u"LPT", u"AUX1", u" NUL", u"PRN_x", u"COM\u2074", u"x.con"}) {
        EXPECT_TRUE(IsCharacterName(good)) << std::u16string(good).size();
    }
    for (const char16_t* bad :
         {u"", u".", u"..", u"..\\Windows\\x", u"a/b", u"C:x", u"a*", u"a\"b", u"a\x01"}) {
        EXPECT_FALSE(IsCharacterName(bad));
    }
}

// The chooser offers, and the program loads, "<name>.acs": for these Windows opens a device.
TEST(CharacterName, IsNoNameWindowsKeepsForADevice) {
    for (const char16_t* device :
         {u"CON",    u"con",     u"Prn",     u"aux",      u"NUL",       u"nul ",
          u"Nul ",   u"NUL  ",   u"con.acs", u"con.x.y",  u"NUL .acs",  u"COM1",
          u"com9",   u"COM0",    u"LPT1",    u"lpt9",     u"COM\u00B9", u"LPT\u00B3",
          u"CONIN$", u"conout$", u"AUX.",    u"aux . acs"}) {
        EXPECT_FALSE(IsCharacterName(device)) << std::u16string(device).size();
    }
}

}  // namespace
}  // namespace vocalinka
