// Reading a character source: what the text says, and faults in how it is written, each at
// the line it is on.
#include "scene_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "tiny_source.h"

namespace charmaker {
namespace {

SceneDescription Read(const std::string& source) {
    return SceneReader().Read(source);
}

TEST(SceneReaderTest, PartsNestAndPathsRepeatTheirCommands) {
    const SceneDescription scene = Read(Replace(kTinySource, "group arm pivot 18 12",
                                                "path red M 0 0 4 0 4 4 Z M 1 1 Q 2 2 3 3\n"
                                                "group arm"));
    ASSERT_EQ(scene.items.size(), 4u);
    const auto& face = std::get<Part>(scene.items[1].what);
    EXPECT_EQ(scene.items[1].line, 7);
    EXPECT_EQ(face.pivot.x, 8);
    ASSERT_EQ(face.children.size(), 3u);
    const auto& open = std::get<Part>(face.children[2].what);
    EXPECT_EQ(open.slot + "=" + open.name, "mouth=open");
    EXPECT_EQ(face.children[2].line, 12);
    EXPECT_EQ(std::get<RectShape>(std::get<FilledShape>(open.children[0].what).shape).size.y, 3);

    std::string commands;
    for (const PathCommand& command :
         std::get<PathShape>(std::get<FilledShape>(scene.items[2].what).shape)) {
        commands += command.name + std::to_string(command.points.size());
    }
    EXPECT_EQ(commands, "M1L1L1Z0M1Q2") << "numbers after M draw lines";
    const auto& arm = std::get<Part>(scene.items[3].what);
    EXPECT_EQ(arm.pivot.x, 12) << "a group without a pivot turns about the frame's middle";
    EXPECT_EQ(scene.frames[1].like, "rest");
    EXPECT_EQ(scene.frames[1].settings[0].line, 21);
}

TEST(SceneReaderTest, FaultsInHowTheSourceIsWrittenNameTheirLine) {
    const std::string circle = "circle red 8 8 6";
    ExpectFaults(
        {
            {"size 24 24", "size 24 0", "line 2: the height must be a whole number from 1 to 1024"},
            {"#ff0000", "#ff00", "line 6: colour '#ff00' must be #rrggbb or #rrggbbaa"},
            {"colour red", "colour dark-red", "line 6: 'dark-red' is not a name"},
            {circle, "circle red 8 8 x", "line 8: a value must be a number, not 'x'"},
            {circle, "blob red 8 8 6", "line 8: unknown shape 'blob'"},
            {circle, "circle red 8 8 6 line red", "line 8: expected: ... line <paint> <width>"},
            {circle, "path red L 1 1", "line 8: a path starts with M"},
            {circle, "path red M 1 1 L 2", "line 8: path command L needs 2 numbers"},
            {circle, "path red M 1 1 l 2 2", "line 8: unknown path command 'l'"},
            {circle, "path red M 1 1 L 2 2 Z Z", "line 8: Z without an open path"},
            {circle, "path red M 1 1 L 2 2 Z 3 3", "line 8: a path continues after Z only with M"},
            {"colour red #ff0000", "gradient red linear 0 0 1 1 0.5 #000000 0.2 #ffffff",
             "line 6: gradient offsets rise from 0 to 1"},
            {"mouth shut", "mouth shut-tight", "line 9: slot and variant need plain names"},
            {"end\ngroup arm", "end\nend\ngroup arm", "line 16: 'end' without 'group' or"},
            {"end\ngroup arm", "group arm", "line 30: 'face' is not closed by 'end'"},
            {"frame rest", "frame rest pose", "line 19: 'pose' is not a setting of the form"},
            {"rest 1000", "rest 5", "line 24: a duration must be a whole number from 10 to 65535"},
            {"Round mouth=open", "Round", "line 31: mouth Round changes nothing"},
            {"Round mouth=open", "Oval mouth=open", "line 31: unknown mouth shape 'Oval' (Closed"},
            {"Round mouth=open", "Round mouth=open\nmouth Wide mouth=shut",
             "line 32: mouth Wide is defined twice"},
            // A continued line is one statement; the lines after it keep their numbers.
            {circle, "circle red 8 \\\n    8 6\n    blob red 1", "line 10: unknown shape 'blob'"},
        },
        Read);
}

}  // namespace
}  // namespace charmaker
