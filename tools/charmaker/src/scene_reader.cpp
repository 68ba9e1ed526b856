#include "scene_reader.h"

#include <algorithm>

#include "agent/format/character_file.h"

namespace charmaker {

SceneDescription SceneReader::Read(std::string_view source) {
    for (const Line& line : Tokenize(source)) {
        reader_.MoveTo(line.number);
        Statement(line.tokens.front(), Tokens(line.tokens).subspan(1));
    }
    if (!open_.empty()) reader_.Fail("'" + open_.back()->name + "' is not closed by 'end'");
    scene_.lastLine = reader_.CurrentLine();
    return std::move(scene_);
}

void SceneReader::Statement(const std::string& keyword, Tokens args) {
    if (keyword == "character") {
        reader_.Count(args, 1, 1, "character <name>");
        scene_.name = args[0];
    } else if (keyword == "size") {
        reader_.Count(args, 2, 2, "size <width> <height>");
        scene_.width = reader_.Integer(args[0], 1, agent::format::kMaxFrameSide, "the width");
        scene_.height = reader_.Integer(args[1], 1, agent::format::kMaxFrameSide, "the height");
    } else if (keyword == "samples") {
        reader_.Count(args, 1, 1, "samples <1 to 8>");
        scene_.samples = reader_.Integer(args[0], 1, 8, "samples");
    } else if (keyword == "anchor") {
        reader_.Count(args, 2, 2, "anchor <x> <y>");
        scene_.anchor = reader_.Point(args, 0);
    } else if (keyword == "pivot") {
        reader_.Count(args, 2, 2, "pivot <x> <y>");
        scene_.pivot = reader_.Point(args, 0);
    } else if (keyword == "colour") {
        Add(shapes_.ReadColour(args));
    } else if (keyword == "gradient") {
        Add(shapes_.ReadGradient(args));
    } else if (keyword == "group") {
        Group(args);
    } else if (keyword == "variant") {
        Variant(args);
    } else if (keyword == "end") {
        reader_.Count(args, 0, 0, "end");
        if (open_.empty()) reader_.Fail("'end' without 'group' or 'variant'");
        open_.pop_back();
    } else if (keyword == "clip") {
        Add(shapes_.ReadClip(args));
    } else if (keyword == "stroke") {
        Add(shapes_.ReadStroke(args));
    } else if (keyword == "frame") {
        Frame(args);
    } else if (keyword == "animation") {
        Animation(args);
    } else if (keyword == "mouth") {
        Mouth(args);
    } else {
        Add(shapes_.ReadFilled(keyword, args));
    }
}

void SceneReader::Group(Tokens args) {
    const std::string usage = "group <name> [pivot <x> <y>] [mirror <x> | flip <x>]";
    if (args.empty() || !IsName(args[0])) reader_.Fail("expected: " + usage);
    // Without a pivot of its own a group turns about the middle of the frame sized so far.
    Part group{args[0], {}, {scene_.width / 2.0, scene_.height / 2.0}};
    for (std::size_t i = 1; i < args.size();) {
        if (args[i] == "pivot" && i + 2 < args.size()) {
            group.pivot = reader_.Point(args, i + 1);
            i += 3;
        } else if ((args[i] == "mirror" || args[i] == "flip") && i + 1 < args.size()) {
            group.mirrorX = reader_.Number(args[i + 1]);
            group.mirrorOnly = args[i] == "flip";
            i += 2;
        } else {
            reader_.Fail("expected: " + usage);
        }
    }
    Open(std::move(group));
}

void SceneReader::Variant(Tokens args) {
    reader_.Count(args, 2, 2, "variant <slot> <name>");
    if (!IsName(args[0]) || !IsName(args[1])) reader_.Fail("slot and variant need plain names");
    Open({args[1], args[0]});
}

void SceneReader::Open(Part part) {
    Add(std::move(part));
    std::vector<Item>& items = open_.empty() ? scene_.items : open_.back()->children;
    open_.push_back(&std::get<Part>(items.back().what));
}

void SceneReader::Frame(Tokens args) {
    if (args.empty() || !IsName(args[0])) {
        reader_.Fail("expected: frame <name> [like <frame>] key=value ...");
    }
    FrameDescription frame{args[0], {}, {}, reader_.CurrentLine()};
    std::size_t at = 1;
    if (args.size() >= 3 && args[1] == "like") {
        frame.like = args[2];
        at = 3;
    }
    frame.settings = reader_.Settings(args.subspan(at));
    scene_.frames.push_back(std::move(frame));
}

void SceneReader::Animation(Tokens args) {
    const std::string usage = "animation <name> loop|once <frame> <ms> <frame> <ms> ...";
    if (args.size() < 4 || args.size() % 2 != 0 || (args[1] != "loop" && args[1] != "once")) {
        reader_.Fail("expected: " + usage);
    }
    if (!IsName(args[0]) || args[0].size() > agent::format::kMaxAnimationNameBytes) {
        reader_.Fail("'" + args[0] + "' is not an animation name");
    }
    AnimationSource animation{args[0], args[1] == "loop", {}, reader_.CurrentLine()};
    for (std::size_t i = 2; i < args.size(); i += 2) {
        animation.steps.emplace_back(
            args[i], reader_.Integer(args[i + 1], agent::format::kMinStepMs, 65535, "a duration"));
    }
    scene_.animations.push_back(std::move(animation));
}

void SceneReader::Mouth(Tokens args) {
    if (args.empty()) reader_.Fail("expected: mouth <shape> key=value ...");
    const auto& names = agent::format::kMouthNames;
    const auto found = std::find(names.begin(), names.end(), args[0]);
    if (found == names.end()) {
        reader_.Fail("unknown mouth shape '" + args[0] + "' (Closed, Small, Medium, Wide, Round)");
    }
    std::vector<Setting>& settings = scene_.mouths[static_cast<std::size_t>(found - names.begin())];
    if (!settings.empty()) reader_.Fail("mouth " + args[0] + " is defined twice");
    settings = reader_.Settings(args.subspan(1));
    if (settings.empty()) reader_.Fail("mouth " + args[0] + " changes nothing");
}

}  // namespace charmaker
