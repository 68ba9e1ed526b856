// Building the scene a source describes: frames from their settings, and faults in what the
// source means, each at the line it is on.
#include <gtest/gtest.h>

#include <string>

#include "scene.h"
#include "tiny_source.h"

namespace charmaker {
namespace {

TEST(SceneBuilderTest, FramesInheritAndOverride) {
    const Scene scene = ParseScene(
        Replace(kTinySource, "face.rotate=10\n",
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

TEST(SceneBuilderTest, FaultsInWhatTheSourceMeansNameTheirLine) {
    const std::string circle = "circle red 8 8 6";
    ExpectFaults(
        {
            {circle, "path red M 1 1 L 2 2", "line 8: the path encloses nothing"},
            {"#ff0000", "#ff0000\ncolour red #00ff00", "line 7: paint 'red' is defined twice"},
            {"group arm", "group face", "line 16: group 'face' is defined twice"},
            {"lean 100", "leaning 100", "line 24: unknown frame 'leaning'"},
            {"face.rotate=10", "face.spin=10", "line 20: unknown setting 'face.spin' (rotate"},
            {"face.rotate=10", "nose.rotate=10", "line 20: unknown group 'nose'"},
            {"face.rotate=10", "mouth=ajar", "line 20: slot 'mouth' has no variant 'ajar'"},
            {"face.rotate=10", "opacity=2", "line 20: opacity goes from 0 to 1"},
            {"lean like rest", "lean like lean", "line 20: frame 'lean' is not defined before"},
            {"mouth Round mouth=open\n", "", "mouth Round is not defined"},
            {"character Tiny", "// no name", "the source has no 'character' line"},
            {circle,
             "// a comment\n    path red M 1 1 \\\n    L 5 1 L 5 5 Z // closed\n"
             "    circle blue 8 8 6",
             "line 11: unknown paint 'blue'"},  // comments and continued lines keep the count
        },
        ParseScene);
}

}  // namespace
}  // namespace charmaker
