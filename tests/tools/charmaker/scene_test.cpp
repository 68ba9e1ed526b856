#include "scene.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "render.h"

namespace charmaker {
namespace {

namespace format = agent::format;

// A small complete source; cases add lines to it or spoil it. The face around the mouth keeps
// still in the Speak frames while the arm moves.
const std::string kSource = R"(character Tiny
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

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

// The first fault in reading the source or in building the character from it.
std::string ErrorOf(const std::string& source) {
    try {
        BuildCharacter(ParseScene(source));
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

// The promise the overlays make: a Speak frame with a mouth pasted on is exactly the character
// drawn in that frame's pose with that mouth.
void ExpectMouthsMatchDrawing(const Scene& scene, const format::CharacterData& character) {
    for (const format::AnimationStep& step : character.FindAnimation("Speak")->steps) {
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

TEST(SceneTest, FramesInheritAndOverride) {
    const Scene scene = ParseScene(
        Replace(kSource, "face.rotate=10\n",
                "face.rotate=10 mouth=open\n"
                "frame lean2 like lean face.move=1,-2 face.scale=2 scale=0.5,0.25 opacity=0.5\n"));
    ASSERT_EQ(scene.frames.size(), 5u);
    const Pose& pose = scene.frames[2].pose;
    EXPECT_EQ(pose.groups.at("face").degrees, 10) << "inherited";
    EXPECT_EQ(pose.groups.at("face").move.y, -2);
    EXPECT_EQ(pose.groups.at("face").sx, 2);
    EXPECT_EQ(pose.whole.sy, 0.25);
    EXPECT_EQ(pose.opacity, 0.5);
    EXPECT_EQ(pose.variants.at("mouth"), "open");
}

TEST(SceneTest, FaultsInTheSourceOrTheCharacterAreReported) {
    const std::string circle = "circle red 8 8 6";
    const struct {
        std::string from, to, error;
    } cases[] = {
        {"size 24 24", "size 24 0", "line 2: the height must be a whole number from 1 to 1024"},
        {"#ff0000", "#ff00", "line 6: colour '#ff00' must be #rrggbb or #rrggbbaa"},
        {circle, "circle red 8 8 x", "line 8: a value must be a number, not 'x'"},
        {circle, "blob red 8 8 6", "line 8: unknown shape 'blob'"},
        {circle, "path red L 1 1", "line 8: a path starts with M"},
        {circle, "path red M 1 1 L 2", "line 8: path command L needs 2 numbers"},
        {circle, "path red M 1 1 L 2 2", "line 8: the path encloses nothing"},
        {"colour red #ff0000", "gradient red linear 0 0 1 1 0.5 #000000 0.2 #ffffff",
         "line 6: gradient offsets rise from 0 to 1"},
        {"#ff0000", "#ff0000\ncolour red #00ff00", "line 7: paint 'red' is defined twice"},
        {"end\ngroup arm", "group arm", "line 30: 'face' is not closed by 'end'"},
        {"rest 1000", "rest 5", "line 24: a duration must be a whole number from 10 to 65535"},
        {"lean 100", "leaning 100", "line 24: unknown frame 'leaning'"},
        {"face.rotate=10", "face.spin=10", "line 20: unknown setting 'face.spin' (rotate"},
        {"face.rotate=10", "nose.rotate=10", "line 20: unknown group 'nose'"},
        {"face.rotate=10", "mouth=ajar", "line 20: slot 'mouth' has no variant 'ajar'"},
        {"face.rotate=10", "opacity=2", "line 20: opacity goes from 0 to 1"},
        {"lean like rest", "lean like lean", "line 20: frame 'lean' is not defined before"},
        {"Round mouth=open", "Round", "line 31: mouth Round changes nothing"},
        {"Round mouth=open", "Oval mouth=open", "line 31: unknown mouth shape 'Oval' (Closed"},
        {"mouth Round mouth=open\n", "", "mouth Round is not defined"},
        {"character Tiny", "// no name", "the source has no 'character' line"},
        {circle,
         "// a comment\n    path red M 1 1 \\\n    L 5 1 L 5 5 Z // closed\n    circle blue 8 8 6",
         "line 11: unknown paint 'blue'"},  // comments and continued lines keep the count
        // Sources that read well but would make a bad character.
        {"opacity=0.5", "opacity=0.5\nframe spare", "line 23: frame 'spare' is not used by any"},
        {"arm.rotate=-40", "arm.rotate=-40 move=0,1", "the Speak frames differ around the mouth"},
        {"Round mouth=open", "Round mouth=open\nanimation Speak2 loop rest 100", "no error"},
    };
    for (const auto& c : cases) {
        const std::string error = ErrorOf(Replace(kSource, c.from, c.to));
        EXPECT_NE(error.find(c.error), std::string::npos) << c.to << "\n  gave: " << error;
    }
    // Mouths that draw nothing new leave nothing to cut.
    std::string still = kSource;
    for (int i = 0; i < 4; ++i) still = Replace(still, "mouth=open", "mouth=shut");
    EXPECT_EQ(ErrorOf(still), "the mouth shapes do not change the Speak frames");
}

TEST(BuildCharacterTest, FramesAnimationsAndMouthsComeFromTheSource) {
    const Scene scene = ParseScene(kSource);
    const format::CharacterData character = BuildCharacter(scene);
    ASSERT_EQ(character.frames.size(), 4u);
    EXPECT_NE(character.frames[0], character.frames[2]) << "the arm moved";
    EXPECT_EQ(character.FindAnimation("Show")->steps,
              (std::vector<format::AnimationStep>{{3, 50}, {0, 50}}));
    EXPECT_TRUE(character.FindAnimation("Idle")->loops && !character.FindAnimation("Hide")->loops);
    // The overlay holds what the mouths change, not the face around it.
    const format::MouthOverlay& mouth = character.MouthFor(agent::core::Mouth::Wide);
    EXPECT_EQ((std::array{mouth.x, mouth.y, mouth.width, mouth.height}), (std::array{6, 9, 4, 3}));
    ExpectMouthsMatchDrawing(scene, character);
    // The small frame: a quarter of the area at half the opacity.
    auto alphaSum = [&](int frame) {
        std::size_t sum = 0;
        const std::vector<std::uint8_t>& bgra = character.frames[frame].bgra;
        for (std::size_t i = 3; i < bgra.size(); i += 4) sum += bgra[i];
        return sum;
    };
    EXPECT_LT(alphaSum(3) * 6, alphaSum(0));
    EXPECT_EQ(BuildCharacter(scene), character) << "the same source, the same character";
}

}  // namespace
}  // namespace charmaker
