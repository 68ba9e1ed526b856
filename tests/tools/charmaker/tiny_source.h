// A small complete character source for the charmaker's tests, and the means to spoil it.
#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <initializer_list>
#include <string>

namespace charmaker {

// A small complete source; cases add lines to it or spoil it. The face around the mouth keeps
// still in the Speak frames while the arm moves.
inline const std::string kTinySource = R"(character Tiny
size 24 24
samples 3
anchor 12 14
pivot 12 22
colour red #ff0000
group face pivot 8 8
    circle red 8 8 6
    variant mouth shut
        rect #000000 6 10 4 1
    end
    variant mouth open
        rect #000000 6 9 4 3
    end
end
group arm pivot 18 12
    rect #3050c0 17 12 2 8 1
end
frame rest
frame lean like rest face.rotate=10
frame wave arm.rotate=-40
frame small scale=0.5 opacity=0.5
animation Show once small 50 rest 50
animation Idle loop rest 1000 lean 100
animation Hide once small 50
animation Speak loop rest 100 wave 100
mouth Closed mouth=shut
mouth Small mouth=open
mouth Medium mouth=open
mouth Wide mouth=open
mouth Round mouth=open
)";

inline std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

// The tiny source with `from` replaced by `to`, and the message its first fault must hold.
struct SpoiledSource {
    std::string from, to, error;
};

// Runs `make` on each spoiled source and expects the fault it reports ("no error" when none).
template <class Make>
void ExpectFaults(std::initializer_list<SpoiledSource> cases, Make make) {
    for (const SpoiledSource& c : cases) {
        std::string error = "no error";
        try {
            make(Replace(kTinySource, c.from, c.to));
        } catch (const std::exception& fault) {
            error = fault.what();
        }
        EXPECT_NE(error.find(c.error), std::string::npos) << c.to << "\n  gave: " << error;
    }
}

}  // namespace charmaker
