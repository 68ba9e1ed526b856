// The Control and its character collection.
#include <algorithm>
#include <vector>

#include "agent/agent.h"
#include "agent/agent_testing.h"
#include "character.h"
#include "character_loader.h"
#include "win32util/text.h"

namespace agent::win {
namespace {

bool SameId(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

class ControlImpl final : public Control, public CharacterCollection {
public:
    ControlImpl(Events& events, HWND anchor, testing::ControlOptions options)
        : context_(events, anchor, std::move(options)) {}

    CharacterCollection& Characters() override { return *this; }

    void Load(const std::wstring& characterId, const std::wstring& path) override {
        context_.Trace(TraceLine("request", "Load", win32util::ToU16(characterId))
                           .Text(win32util::ToU16(path)));
        if (Find(characterId) != characters_.end()) {
            throw Error(L"A character is already loaded as \"" + characterId + L"\".");
        }
        format::CharacterData data = LoadCharacterFile(path);
        characters_.push_back(
            std::make_unique<CharacterImpl>(context_, characterId, std::move(data)));
    }

    Character& Item(const std::wstring& characterId) override {
        const auto found = Find(characterId);
        if (found == characters_.end()) {
            throw Error(L"No character is loaded as \"" + characterId + L"\".");
        }
        return **found;
    }

    void Unload(const std::wstring& characterId) override {
        context_.Trace(TraceLine("request", "Unload", win32util::ToU16(characterId)));
        const auto found = Find(characterId);
        if (found == characters_.end()) {
            throw Error(L"No character is loaded as \"" + characterId + L"\".");
        }
        characters_.erase(found);
    }

private:
    using Characters_ = std::vector<std::unique_ptr<CharacterImpl>>;
    Characters_::iterator Find(std::wstring_view characterId) {
        return std::find_if(characters_.begin(), characters_.end(),
                            [&](const auto& c) { return SameId(c->Id(), characterId); });
    }

    ControlContext context_;
    Characters_ characters_;  // after the context: characters go before its scheduler
};

}  // namespace
}  // namespace agent::win

namespace agent {

std::unique_ptr<Control> Control::Create(Events& events, HWND anchor) {
    return testing::CreateControl(events, anchor, {});
}

std::unique_ptr<Control> testing::CreateControl(Events& events, HWND anchor,
                                                const ControlOptions& options) {
    return std::make_unique<win::ControlImpl>(events, anchor, options);
}

}  // namespace agent
