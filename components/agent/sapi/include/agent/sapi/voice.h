// The parts of a SAPI 5 voice (ISpVoice) the engine uses, behind an interface so that tests can
// stand in for the real voice and say exactly which events arrive.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "agent/sapi/voice_choice.h"

namespace agent::sapi {

struct VoiceEvent {
    enum class Kind { StreamStart, Word, Viseme, StreamEnd };
    Kind kind = Kind::StreamStart;
    unsigned long stream = 0;  // the number Speak gave the utterance
    std::size_t position = 0;  // Word: where the word starts in the XML text
    std::size_t length = 0;    // Word: its length there
    int viseme = 0;            // Viseme: SPVISEMES, 0..21
};

class Voice {
public:
    virtual ~Voice() = default;
    virtual std::vector<InstalledVoice> InstalledVoices() = 0;
    // Speaks with the installed voice of this token id from now on; empty: the user's default
    // voice.
    virtual bool Use(const std::u16string& voiceId) = 0;
    // Posts `message` to `window` whenever events wait, asks for start, end, word and viseme
    // events, and makes word boundaries the places where a pause takes hold.
    virtual bool NotifyWindow(HWND window, UINT message) = 0;
    // Discards whatever is still queued or speaking, queues the SAPI XML and returns at once.
    virtual bool Speak(const std::u16string& xml, unsigned long& stream) = 0;
    // Discards whatever is still queued or speaking; a pause stays.
    virtual void Purge() = 0;
    // Counted, as SAPI counts them: each Pause needs its own Resume before the voice speaks.
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual std::vector<VoiceEvent> TakeEvents() = 0;
};

// The real SAPI 5 voice, on the calling thread's COM apartment (initialised here as
// single-threaded unless the thread already chose one). Nothing when SAPI cannot be had.
std::unique_ptr<Voice> MakeSapiVoice();

}  // namespace agent::sapi
