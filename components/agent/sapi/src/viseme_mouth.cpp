#include "agent/sapi/viseme_mouth.h"

#include <array>

namespace agent::sapi {

core::Mouth MouthForViseme(int viseme) {
    using core::Mouth;
    static constexpr std::array<Mouth, kVisemeCount> kMouths = {
        Mouth::Closed,  // 0 silence
        Mouth::Medium,  // 1 ae ax ah
        Mouth::Wide,    // 2 aa
        Mouth::Round,   // 3 ao
        Mouth::Medium,  // 4 ey eh uh
        Mouth::Medium,  // 5 er
        Mouth::Small,   // 6 y iy ih ix
        Mouth::Round,   // 7 w uw
        Mouth::Round,   // 8 ow
        Mouth::Wide,    // 9 aw
        Mouth::Round,   // 10 oy
        Mouth::Wide,    // 11 ay
        Mouth::Medium,  // 12 h
        Mouth::Small,   // 13 r
        Mouth::Small,   // 14 l
        Mouth::Small,   // 15 s z
        Mouth::Small,   // 16 sh ch jh zh
        Mouth::Small,   // 17 th dh
        Mouth::Small,   // 18 f v
        Mouth::Small,   // 19 d t n
        Mouth::Small,   // 20 k g ng
        Mouth::Closed,  // 21 p b m
    };
    if (viseme < 0 || viseme >= kVisemeCount) return Mouth::Small;
    return kMouths[static_cast<std::size_t>(viseme)];
}

}  // namespace agent::sapi
