#include "agent/sapi/sapi_engine.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "agent/core/speech_tags.h"
#include "agent/sapi/viseme_mouth.h"
#include "win32util/window.h"

namespace agent::sapi {
namespace {

constexpr UINT kMsgVoiceEvents = WM_APP + 1;  // posted by the voice when events wait
constexpr wchar_t kWindowClass[] = L"AgentSapiEngineEvents";

}  // namespace

SapiEngine::SapiEngine(core::Scheduler& scheduler, VoiceFactory makeVoice)
    : scheduler_(scheduler), makeVoice_(std::move(makeVoice)) {}

SapiEngine::~SapiEngine() {
    Stop();
}

LRESULT SapiEngine::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kMsgVoiceEvents:
            OnVoiceEvents();
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

bool SapiEngine::Speak(core::SharedUtterance utterance, const core::VoiceChoice& voice,
                       core::EngineListener& listener) {
    Stop();
    if (stalled_ || !EnsureVoice() || !ChooseVoice(voice)) return false;
    utterance_ = std::move(utterance);
    try {
        if (!SpeakPart(XmlPosition{})) {
            Forget();
            return false;
        }
    } catch (...) {
        Forget();
        throw;
    }
    listener_ = &listener;
    ArmStallTimer();
    return true;
}

void SapiEngine::ArmStallTimer() {
    CancelStallTimer();
    const unsigned long stream = *stream_;
    stallTimer_ =
        scheduler_.RunAfter(kFirstEventBoundMs, [this, stream] { OnNoEventInTime(stream); });
}

bool SapiEngine::SpeakPart(XmlPosition from) {
    xml_.reset();  // the last part goes before the next is made
    stream_.reset();
    xml_.emplace(*utterance_, from, kPartUnits, speedWpm_);
    partStart_ = from;
    lastShownEnd_.reset();
    unsigned long stream = 0;
    if (!voice_->Speak(xml_->Text(), stream)) return false;
    stream_ = stream;
    return true;
}

// The voice has spoken a part: the next one, or the end of the utterance. A part that cannot
// be made or spoken ends the utterance there, as if it had been spoken.
void SapiEngine::OnPartSpoken() {
    const std::optional<XmlPosition> next = xml_->Next();
    bool speaking = false;
    if (next) {
        try {
            speaking = SpeakPart(*next);
        } catch (const std::bad_alloc&) {
            speaking = false;
        }
    }
    if (speaking) return;
    voice_->Purge();
    core::EngineListener& listener = *listener_;
    Forget();
    listener.OnFinished();
}

void SapiEngine::Stop() {
    if (!stream_) return;
    voice_->Purge();
    Forget();
}

void SapiEngine::Pause() {
    if (!stream_ || paused_) return;
    voice_->Pause();
    paused_ = true;
    // A held voice is silent by choice: the time it may take to be heard starts anew at Resume.
    stallTimerHeld_ = stallTimer_.has_value();
    CancelStallTimer();
    listener_->OnHeld();
}

void SapiEngine::Resume() {
    if (!paused_) return;
    paused_ = false;
    voice_->Resume();
    if (std::exchange(stallTimerHeld_, false)) ArmStallTimer();
    if (!heldEvents_.empty()) PostMessageW(hwnd_, kMsgVoiceEvents, 0, 0);
}

void SapiEngine::SetRate(int speedWpm) {
    if (!stream_) return;
    speedWpm_ = core::kSpeedWpmRange.Clamp(speedWpm);
    const XmlPosition from =
        lastShownEnd_ ? PositionAfterShown(*utterance_, *lastShownEnd_) : partStart_;
    const bool waitingForVoice = stallTimer_.has_value();
    heldEvents_.clear();  // of the part replaced: its words are spoken again
    bool speaking = false;
    try {
        speaking = SpeakPart(from);  // purges the voice's old part; a pause stays
    } catch (const std::bad_alloc&) {
        speaking = false;
    }
    if (!speaking) {
        voice_->Purge();
        core::EngineListener& listener = *listener_;
        Forget();
        listener.OnFinished();
        return;
    }
    if (waitingForVoice) ArmStallTimer();
}

bool SapiEngine::EnsureVoice() {
    if (voice_) return true;
    if (voiceUnavailable_) return false;
    voiceUnavailable_ = true;  // until the voice below is working
    if (!window_) {
        // Without the window that receives its events SAPI cannot be used: the text is paced.
        try {
            window_ = win32util::CreateForwardingWindow<SapiEngine, &SapiEngine::hwnd_,
                                                        &SapiEngine::OnMessage>(
                *this, {.cbSize = sizeof(WNDCLASSEXW), .lpszClassName = kWindowClass},
                {.parent = HWND_MESSAGE});
        } catch (const std::runtime_error&) {
            return false;
        }
    }
    std::unique_ptr<Voice> voice = makeVoice_ ? makeVoice_() : nullptr;
    if (!voice || !voice->NotifyWindow(window_.get(), kMsgVoiceEvents)) return false;
    installed_ = voice->InstalledVoices();
    chosenVoiceId_.clear();  // a new SAPI voice speaks with the default voice
    voice_ = std::move(voice);
    voiceUnavailable_ = false;
    return true;
}

bool SapiEngine::ChooseVoice(const core::VoiceChoice& choice) {
    VoicePick pick = PickVoice(choice, installed_);
    voiceNote_ = std::move(pick.note);
    if (chosenVoiceId_ == pick.voiceId) return true;
    if (!voice_->Use(pick.voiceId)) {
        // A token that is listed but cannot be loaded (a half-removed voice): the default one.
        if (pick.voiceId.empty() || !voice_->Use(u"")) return false;
        if (!voiceNote_.empty()) voiceNote_ += u"; ";
        voiceNote_ += u"the chosen voice failed; using the default voice";
        pick.voiceId.clear();
    }
    chosenVoiceId_ = pick.voiceId;
    givesVisemes_ = false;  // a new voice proves it anew
    return true;
}

void SapiEngine::OnVoiceEvents() {
    if (!voice_) return;
    std::vector<VoiceEvent> events = std::exchange(heldEvents_, {});
    for (const VoiceEvent& event : voice_->TakeEvents()) events.push_back(event);
    for (const VoiceEvent& event : events) {
        // Events of a stopped or replaced utterance are dropped; a listener called below may
        // stop, replace or pause the current one, so this is checked for every event.
        if (!stream_ || event.stream != *stream_) continue;
        if (paused_) {
            // The mouth rests while held; the words and the end come at Resume.
            if (event.kind != VoiceEvent::Kind::Viseme) heldEvents_.push_back(event);
            continue;
        }
        OnVoiceEvent(event);
    }
}

void SapiEngine::OnVoiceEvent(const VoiceEvent& event) {
    CancelStallTimer();  // the voice is alive
    switch (event.kind) {
        case VoiceEvent::Kind::StreamStart:
            break;
        case VoiceEvent::Kind::Word:
            if (const auto shown = xml_->ShownWord(event.position, event.length)) {
                lastShownEnd_ = shown->begin + shown->length;
                listener_->OnWord(wordsReported_++, shown->begin, shown->length);
            }
            break;
        case VoiceEvent::Kind::Viseme:
            givesVisemes_ = true;
            listener_->OnMouth(MouthForViseme(event.viseme));
            break;
        case VoiceEvent::Kind::StreamEnd:
            OnPartSpoken();
            break;
    }
}

void SapiEngine::OnNoEventInTime(unsigned long stream) {
    stallTimer_.reset();
    if (stream_ != stream) return;
    voice_->Purge();
    Forget();
    stalled_ = true;
    if (stallHandler_) stallHandler_();
}

void SapiEngine::CancelStallTimer() {
    if (stallTimer_) scheduler_.Cancel(*stallTimer_);
    stallTimer_.reset();
}

void SapiEngine::Forget() {
    CancelStallTimer();
    // After the purge: the voice must not say the rest as its pause ends.
    if (std::exchange(paused_, false)) voice_->Resume();
    stallTimerHeld_ = false;
    heldEvents_.clear();
    speedWpm_.reset();
    wordsReported_ = 0;
    lastShownEnd_.reset();
    partStart_ = {};
    stream_.reset();
    xml_.reset();
    utterance_.reset();
    listener_ = nullptr;
}

}  // namespace agent::sapi
