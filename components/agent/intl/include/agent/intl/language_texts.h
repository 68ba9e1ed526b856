// The user-interface texts of the Agent component in one language, read from that language's
// component AGT<language id, 4 hex digits>.DLL: a resource-only DLL holding a string table,
// installed in <Windows>\Msagent\Intl. English is also built in, so that a character always
// has texts even where no component is installed.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace agent::intl {

// String table ids in every component (resources/agt*.rc).
enum class TextId : unsigned {
    MenuHide = 1,       // the character's pop-up menu command, with its access key: "&Hide"
    CharacterName = 2,  // accessible name of the character window
    BalloonName = 3,    // accessible name of the word balloon
};
inline constexpr std::array kTextIds = {TextId::MenuHide, TextId::CharacterName,
                                        TextId::BalloonName};

inline constexpr long kEnglish = 1033;  // 0x0409
inline constexpr long kFrench = 1036;   // 0x040C

struct TextsOrError;

class LanguageTexts {
public:
    static LanguageTexts BuiltInEnglish();
    long LanguageId() const noexcept { return languageId_; }
    const std::wstring& Get(TextId id) const { return texts_[Index(id)]; }

private:
    friend TextsOrError LoadLanguageTexts(const std::wstring& folder, long languageId);
    static std::size_t Index(TextId id) { return static_cast<std::size_t>(id) - 1; }
    long languageId_ = kEnglish;
    std::array<std::wstring, kTextIds.size()> texts_;
};

// Either the texts, or an error that names the component's file and says why it cannot serve.
struct TextsOrError {
    std::optional<LanguageTexts> texts;
    std::wstring error;
};

// <Windows>\Msagent\Intl, where the old control's components lived and ours are installed.
std::wstring DefaultIntlFolder();

// folder\AGT040C.DLL for 1036 (a trailing backslash on the folder is fine).
std::wstring ComponentPath(const std::wstring& folder, long languageId);

// Reads every text from the component, which is loaded as data only (its code, if it had any,
// never runs) and freed again. Missing, unreadable, not a DLL, or lacking a text: an error.
TextsOrError LoadLanguageTexts(const std::wstring& folder, long languageId);

// What a character uses: the component of that language; for English (1033), when its
// component is missing or unusable, the built-in English texts, never an error.
TextsOrError TextsForLanguage(const std::wstring& folder, long languageId);

}  // namespace agent::intl
