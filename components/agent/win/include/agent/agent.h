// The Agent component: loads characters, shows them on the desktop and has them speak in a
// word balloon. Every request returns at once; a character carries out its requests one after
// another in the order made. Events reach the Events object through the message loop of the
// thread that created the Control, never from another thread.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <string_view>

namespace agent {

// Why a character was hidden, numbered as the old control numbered the causes.
enum class HideCause : short { UserTaskbar = 1, Program = 3, OtherProgram = 5, UserMenu = 7 };

// A failed call. The message is meant for the user: it names the file or value and says why.
class Error : public std::exception {
public:
    explicit Error(std::wstring message);
    const std::wstring& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::wstring message_;
    std::string utf8_;
};

class Events {
public:
    // A character's word balloon closed: its speech ended or was stopped. Every Speak ends in
    // exactly one BalloonHide, an empty or stopped one included.
    virtual void BalloonHide(const std::wstring& characterId) = 0;
    // A character was hidden, by a Hide request or by the user.
    virtual void Hide(const std::wstring& characterId, HideCause cause) = 0;

protected:
    ~Events() = default;
};

class Character {
public:
    virtual ~Character() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Speech output tags (\Spd=n\, \Pit=n\, ...) inside the text are obeyed; \\ is a backslash.
    virtual void Speak(std::wstring_view text) = 0;
    // Cancels the current and every pending request of this character.
    virtual void Stop() = 0;
    // Holds the speech under way: the word being spoken is finished, then the voice and the words
    // stop where they are; the character rests (mouth closed, no animation and no timer running,
    // so a paused character uses no CPU) and the balloon stays open with that word still marked.
    // A Speak that has not begun yet (behind a Show, or queued) does not begin until Resume.
    // Does nothing when no Speak is running or waiting, or when already paused.
    virtual void Pause() = 0;
    // Goes on from the word after the last one spoken. Does nothing unless paused.
    virtual void Resume() = 0;
    virtual bool IsPaused() const = 0;
    // The speed in words per minute (clamped to 50..250) of the Speak under way from its next
    // word on, and of every Speak requested before this call that has not begun; a Speak
    // requested later speaks at the speed its own \Spd=n\ tag says. Pitch is untouched. While
    // paused the new speed is used from the resume on. Nothing to do when nothing is spoken.
    virtual void SetRate(int speedWpm) = 0;
    // 1033 English, 1036 French. Throws Error when that language's component is not installed;
    // the old value stays.
    virtual void SetLanguageID(long languageId) = 0;
    virtual long LanguageID() const = 0;
    virtual void SetTTSModeID(std::wstring_view modeId) = 0;
    virtual std::wstring TTSModeID() const = 0;
};

class CharacterCollection {
public:
    virtual ~CharacterCollection() = default;
    // Throws Error naming the file and the reason when it is missing, unreadable or malformed,
    // and Error naming the window when the character's windows cannot be created.
    virtual void Load(const std::wstring& characterId, const std::wstring& path) = 0;
    // Throws Error when no character is loaded under that id.
    virtual Character& Item(const std::wstring& characterId) = 0;
    virtual void Unload(const std::wstring& characterId) = 0;
};

class Control {
public:
    // anchor: the program's window; a character first appears at the right of the work area
    // below it. May be null. Throws Error when its hidden window cannot be created.
    static std::unique_ptr<Control> Create(Events& events, HWND anchor);
    virtual ~Control() = default;
    virtual CharacterCollection& Characters() = 0;
};

}  // namespace agent
