#include "render.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "scene.h"

namespace charmaker {
namespace {

namespace format = agent::format;

// A face whose mouth changes; the arm moves while it speaks, the face does not.
const std::string kTalker = R"(character Talker
size 40 48
samples 3
anchor 20 30
pivot 20 46
gradient skin radial 20 20 14 14 0 #ffe0c0 1 #d09070
circle skin 20 20 14 line #603020 1
variant mouth shut
    stroke #401010 1.2 M 15 28 Q 20 31 25 28
end
variant mouth open
    ellipse #401010 20 29 4 3
end
variant mouth round
    ellipse #401010 20 29 2.5 3.5
end
group arm pivot 32 34
    rect #3050c0 30 34 4 12 2
end
frame rest
frame wave arm.rotate=-40
frame small scale=0.5 opacity=0.5
animation Show once small 50 rest 50
animation Idle loop rest 1000
animation Hide once small 50
animation Speak loop rest 100 wave 100
mouth Closed mouth=shut
mouth Small mouth=open
mouth Medium mouth=open
mouth Wide mouth=open
mouth Round mouth=round
)";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

std::string BuildError(const std::string& source) {
    try {
        BuildCharacter(ParseScene(source));
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

std::string ReadSource(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The promise the overlays make: a Speak frame with a mouth pasted on is exactly the character
// drawn in that frame's pose with that mouth.
void ExpectMouthsMatchDrawing(const Scene& scene, const format::CharacterData& character) {
    const format::Animation* speak = character.FindAnimation(format::kSpeakAnimation);
    ASSERT_NE(speak, nullptr);
    for (const format::AnimationStep& step : speak->steps) {
        for (std::size_t mouth = 0; mouth < scene.mouths.size(); ++mouth) {
            std::vector<std::uint8_t> pasted = character.frames[step.frame].bgra;
            format::PasteMouth(character, static_cast<agent::core::Mouth>(mouth), pasted);
            Pose pose = scene.frames[step.frame].pose;
            for (const Setting& setting : scene.mouths[mouth]) scene.Apply(setting, pose);
            EXPECT_TRUE(pasted == RenderPose(scene, pose))
                << "frame " << scene.frames[step.frame].name << ", mouth "
                << format::kMouthNames[mouth];
        }
    }
}

TEST(BuildCharacterTest, FramesAnimationsAndMouthsComeFromTheSource) {
    const Scene scene = ParseScene(kTalker);
    const format::CharacterData character = BuildCharacter(scene);
    EXPECT_EQ(character.name, "Talker");
    EXPECT_EQ(character.balloonAnchor, (format::Point{20, 30}));
    ASSERT_EQ(character.frames.size(), 3u);
    EXPECT_NE(character.frames[0], character.frames[1]) << "the arm moved";
    EXPECT_EQ(character.FindAnimation("Show")->steps,
              (std::vector<format::AnimationStep>{{2, 50}, {0, 50}}));
    const format::MouthOverlay& mouth = character.MouthFor(agent::core::Mouth::Wide);
    EXPECT_LE(mouth.x, 16);
    EXPECT_GE(mouth.x + mouth.width, 24);
    EXPECT_LE(mouth.width, 14) << "the overlay holds the mouth, not the face";
    ExpectMouthsMatchDrawing(scene, character);
}

TEST(BuildCharacterTest, SmallerFramesAreFainterAndTheSameSize) {
    const format::CharacterData character = BuildCharacter(ParseScene(kTalker));
    auto alphaSum = [](const format::Frame& frame) {
        std::size_t sum = 0;
        for (std::size_t i = 3; i < frame.bgra.size(); i += 4) sum += frame.bgra[i];
        return sum;
    };
    EXPECT_EQ(character.frames[2].bgra.size(), character.frames[0].bgra.size());
    EXPECT_LT(alphaSum(character.frames[2]) * 6, alphaSum(character.frames[0]))
        << "a quarter of the area at half the opacity";
}

TEST(BuildCharacterTest, SameSourceSameBytes) {
    const Scene scene = ParseScene(kTalker);
    EXPECT_EQ(format::WriteCharacterFile(BuildCharacter(scene)),
              format::WriteCharacterFile(BuildCharacter(scene)));
}

TEST(BuildCharacterTest, RefusesWhatWouldMakeABadCharacter) {
    struct Case {
        std::string from, to, error;
    };
    const Case cases[] = {
        {"frame wave arm.rotate=-40", "frame wave arm.rotate=-40\nframe spare",
         "line 22: frame 'spare' is not used by any animation"},
        {"frame wave arm.rotate=-40", "frame wave arm.rotate=-40 move=0,1",
         "the Speak frames differ around the mouth (mouth Closed)"},
        {"mouth Round mouth=round", "mouth Round mouth=round\nanimation Speak2 loop rest 100",
         "no error"},
        {"animation Speak loop", "animation Talk loop", "the animation Speak is missing"},
        {"anchor 20 30", "anchor 20 60", "the balloon anchor (20, 60) is outside the frame"},
    };
    for (const Case& c : cases) {
        const std::string error = BuildError(Replace(kTalker, c.from, c.to));
        EXPECT_TRUE(error.starts_with(c.error)) << c.to << "\n  gave: " << error;
    }
    // Mouths that draw nothing new leave nothing to cut.
    std::string still = kTalker;
    for (const char* shape : {"mouth=open", "mouth=open", "mouth=open", "mouth=round"}) {
        still = Replace(still, shape, "mouth=shut");
    }
    EXPECT_EQ(BuildError(still), "the mouth shapes do not change the Speak frames");
}

TEST(ProjectCharactersTest, EveryMouthMatchesTheDrawing) {
    for (const char* name : {"merlin/Merlin.vkc", "robby/Robby.vkc", "pip/Pip.vkc"}) {
        SCOPED_TRACE(name);
        const std::string source =
            ReadSource(std::string(VOCALINKA_CHARACTER_SOURCES) + "/" + name);
        ASSERT_FALSE(source.empty());
        const Scene scene = ParseScene(source);
        ExpectMouthsMatchDrawing(scene, BuildCharacter(scene));
    }
}

}  // namespace
}  // namespace charmaker
