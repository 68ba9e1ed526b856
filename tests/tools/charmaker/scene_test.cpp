#include "scene.h"

#include <gtest/gtest.h>

#include <string>

namespace charmaker {
namespace {

// The smallest complete source; cases add lines to it or spoil it.
const std::string kMinimal = R"(character Tiny
size 16 16
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
frame rest
frame lean like rest face.rotate=10
animation Show once rest 100
animation Idle loop rest 1000 lean 100
animation Hide once rest 100
animation Speak loop rest 100
mouth Closed mouth=shut
mouth Small mouth=open
mouth Medium mouth=open
mouth Wide mouth=open
mouth Round mouth=open
)";

std::string ErrorOf(const std::string& source) {
    try {
        ParseScene(source);
    } catch (const SourceError& error) {
        return error.what();
    }
    return "no error";
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(SceneTest, ReadsTheMinimalSource) {
    const Scene scene = ParseScene(kMinimal);
    EXPECT_EQ(scene.name, "Tiny");
    EXPECT_EQ(scene.width, 16);
    ASSERT_EQ(scene.frames.size(), 2u);
    EXPECT_EQ(scene.frames[1].pose.groups.at("face").degrees, 10);
    EXPECT_EQ(scene.slots.at("mouth"), (std::vector<std::string>{"shut", "open"}));
    ASSERT_EQ(scene.animations.size(), 4u);
    EXPECT_TRUE(scene.animations[1].loops);
    EXPECT_EQ(scene.animations[1].steps[1], (std::pair<std::string, int>{"lean", 100}));
}

TEST(SceneTest, FramesInheritAndOverride) {
    const Scene scene = ParseScene(
        Replace(kMinimal, "frame lean like rest face.rotate=10",
                "frame lean like rest face.rotate=10 mouth=open\n"
                "frame lean2 like lean face.move=1,-2 face.scale=2 scale=0.5,0.25 opacity=0.5"));
    const Pose& pose = scene.frames[2].pose;
    EXPECT_EQ(pose.groups.at("face").degrees, 10) << "inherited";
    EXPECT_EQ(pose.groups.at("face").move.y, -2);
    EXPECT_EQ(pose.groups.at("face").sx, 2);
    EXPECT_EQ(pose.whole.sy, 0.25);
    EXPECT_EQ(pose.opacity, 0.5);
    EXPECT_EQ(pose.variants.at("mouth"), "open");
}

TEST(SceneTest, ContinuationsAndCommentsKeepLineNumbers) {
    const std::string source = Replace(kMinimal, "    circle red 8 8 6\n",
                                       "    // a comment\n    path red M 1 1 \\\n"
                                       "        L 5 1 L 5 5 Z // closed\n    circle red 8 8 6\n");
    EXPECT_NO_THROW(ParseScene(source));
    EXPECT_EQ(ErrorOf(Replace(source, "circle red 8 8 6", "circle blue 8 8 6")),
              "line 8: unknown paint 'blue'");
}

TEST(SceneTest, FaultsAreReportedWithTheirLine) {
    struct Case {
        std::string from, to, error;
    };
    const Case cases[] = {
        {"size 16 16", "size 16 0", "line 2: the height must be a whole number from 1 to 1024"},
        {"size 16 16", "size 16", "line 2: expected: size <width> <height>"},
        {"#ff0000", "#ff00", "line 3: colour '#ff00' must be #rrggbb or #rrggbbaa"},
        {"circle red 8 8 6", "circle red 8 8 x", "line 5: a value must be a number, not 'x'"},
        {"circle red 8 8 6", "blob red 8 8 6", "line 5: unknown shape 'blob'"},
        {"circle red 8 8 6", "circle red 8 8 6 line", "line 5: expected: ... line <paint> <width>"},
        {"circle red 8 8 6", "path red L 1 1", "line 5: a path starts with M"},
        {"circle red 8 8 6", "path red M 1 1 L 2", "line 5: path command L needs 2 numbers"},
        {"circle red 8 8 6", "path red M 1 1 L 2 2 L 0 3 Z L 4 4",
         "line 5: a path continues after Z only with M"},
        {"circle red 8 8 6", "path red M 1 1 A 2 2", "line 5: unknown path command 'A'"},
        {"circle red 8 8 6", "path red M 1 1 L 2 2", "line 5: the path encloses nothing"},
        {"colour red #ff0000", "gradient red linear 0 0 1 1 0.5 #000000 0.2 #ffffff",
         "line 3: gradient offsets rise from 0 to 1"},
        {"colour red #ff0000", "colour red #ff0000\ncolour red #00ff00",
         "line 4: paint 'red' is defined twice"},
        {"end\nframe rest", "frame rest", "line 22: 'face' is not closed by 'end'"},
        {"frame rest", "end\nframe rest", "line 13: 'end' without 'group' or 'variant'"},
        {"rest 1000", "rest 5", "line 16: a duration must be a whole number from 10 to 65535"},
        {"Idle loop rest 1000 lean 100", "Idle loop rest 1000 leaning 100",
         "line 16: unknown frame 'leaning'"},
        {"face.rotate=10", "face.spin=10",
         "line 14: unknown setting 'face.spin' (rotate, move or scale)"},
        {"face.rotate=10", "nose.rotate=10", "line 14: unknown group 'nose'"},
        {"face.rotate=10", "mouth=ajar", "line 14: slot 'mouth' has no variant 'ajar'"},
        {"face.rotate=10", "colour=red", "line 14: unknown setting 'colour'"},
        {"face.rotate=10", "face.move=3", "line 14: face.move must be two numbers as x,y"},
        {"face.rotate=10", "opacity=2", "line 14: opacity goes from 0 to 1"},
        {"frame lean like rest", "frame lean like lean",
         "line 14: frame 'lean' is not defined before"},
        {"frame lean like rest face.rotate=10", "frame rest",
         "line 14: frame 'rest' is defined twice"},
        {"mouth Round mouth=open", "mouth Round", "line 23: mouth Round changes nothing"},
        {"mouth Round mouth=open", "mouth Oval mouth=open",
         "line 23: unknown mouth shape 'Oval' (Closed, Small, Medium, Wide, Round)"},
        {"mouth Round mouth=open", "mouth Wide mouth=open", "line 23: mouth Wide is defined twice"},
        {"mouth Round mouth=open\n", "", "mouth Round is not defined"},
        {"character Tiny", "// no name", "the source has no 'character' line"},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf(Replace(kMinimal, c.from, c.to));
        EXPECT_TRUE(error.ends_with(c.error)) << c.to << "\n  gave: " << error;
    }
}

TEST(SceneTest, UnsetSlotsShowTheirFirstVariant) {
    const Scene scene = ParseScene(kMinimal);
    const Node& face = scene.root.children.at(0);
    const Node& shut = face.children.at(1);
    const Node& open = face.children.at(2);
    EXPECT_TRUE(scene.Shows(Pose{}, shut));
    EXPECT_FALSE(scene.Shows(Pose{}, open));
    Pose talking;
    scene.Apply({"mouth", "open", 1}, talking);
    EXPECT_FALSE(scene.Shows(talking, shut));
    EXPECT_TRUE(scene.Shows(talking, open));
}

}  // namespace
}  // namespace charmaker
