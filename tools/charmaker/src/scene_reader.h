// Reading a character source into what it says, statement by statement; nothing is drawn yet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "line_reader.h"
#include "scene_description.h"
#include "shape_reader.h"

namespace charmaker {

class SceneReader {
public:
    // Throws SourceError on the first fault in how the source is written.
    SceneDescription Read(std::string_view source);

private:
    void Statement(const std::string& keyword, Tokens args);
    void Group(Tokens args);
    void Variant(Tokens args);
    void Frame(Tokens args);
    void Animation(Tokens args);
    void Mouth(Tokens args);

    template <class What>
    void Add(What what) {
        (open_.empty() ? scene_.items : open_.back()->children)
            .push_back({reader_.CurrentLine(), std::move(what)});
    }
    // Items are only ever appended to the innermost open part, so the pointers to the open
    // parts stay valid.
    void Open(Part part);

    SceneDescription scene_;
    std::vector<Part*> open_;  // not yet ended, the innermost last
    LineReader reader_;
    ShapeReader shapes_{reader_};
};

}  // namespace charmaker
