#include "character.h"

#include <array>
#include <new>

#include "agent/core/speech_tags.h"
#include "agent/intl/language_texts.h"
#include "portable/image_scale.h"
#include "win32util/text.h"

namespace agent::win {
namespace {

// Room between the character and the edges of the work area and the anchor.
constexpr int kMarginAt96Dpi = 8;

// A different but repeatable blink rhythm for each character.
std::uint32_t SeedFor(std::wstring_view id) {
    std::uint32_t hash = 2166136261u;
    for (wchar_t c : id) hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
    return hash;
}

AnimationSet AnimationsOf(const format::CharacterData& data) {
    const auto steps = [&](std::string_view name) {
        Animation animation;
        if (const format::Animation* found = data.FindAnimation(name)) {
            for (const format::AnimationStep& step : found->steps) {
                animation.push_back({step.frame, step.durationMs});
            }
        }
        return animation;
    };
    return {steps(format::kShowAnimation), steps(format::kIdleAnimation),
            steps(format::kHideAnimation), steps(format::kSpeakAnimation)};
}

Rect WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{sizeof(info)};
    GetMonitorInfoW(monitor, &info);
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

}  // namespace

ControlContext::ControlContext(Events& events, HWND anchor, testing::ControlOptions options)
    : events_(events),
      anchor_(anchor),
      options_(std::move(options)),
      trace_(options_.traceFile ? TraceLog(*options_.traceFile) : TraceLog::FromRegistry()),
      scheduler_(options_.speedUp) {}

void ControlContext::PostBalloonHide(const std::wstring& characterId) {
    scheduler_.Post([this, characterId] {
        Trace(TraceLine("event", "BalloonHide", win32util::ToU16(characterId)));
        events_.BalloonHide(characterId);
    });
}

void ControlContext::PostHide(const std::wstring& characterId, HideCause cause) {
    scheduler_.Post([this, characterId, cause] {
        Trace(TraceLine("event", "Hide", win32util::ToU16(characterId))
                  .Number(static_cast<int>(cause)));
        events_.Hide(characterId, cause);
    });
}

CharacterImpl::CharacterImpl(ControlContext& context, std::wstring id, format::CharacterData data)
    : context_(context),
      id_(std::move(id)),
      data_(std::move(data)),
      window_(data_, *this, id_, context.Anchor()),
      balloon_(window_.Handle()),
      animator_(AnimationsOf(data_), context.Scheduler(), window_, SeedFor(id_)),
      paced_(context.Scheduler()),
      queue_(context.Scheduler(), *this, *this) {
    if (!context_.Options().silent) {
        sapi_ = std::make_unique<sapi::SapiEngine>(context_.Scheduler());
        sapi_->SetStallHandler([this] {
            UsePacedFromNowOn(u"the voice sent no events");
            if (speaking_ == sapi_.get()) SpeakPaced();
        });
    }
    ApplyTexts(intl::TextsForLanguage(IntlFolder(), intl::kEnglish));
    // Placed already, so that a balloon spoken before the first Show has a sound place.
    window_.SizeAt(ShowPosition());
}

CharacterImpl::~CharacterImpl() {
    StopMouthSteps();
}

void CharacterImpl::TraceRequest(std::string_view name) const {
    context_.Trace(TraceLine("request", name, win32util::ToU16(id_)));
}

void CharacterImpl::Show() {
    TraceRequest("Show");
    queue_.Show();
}

void CharacterImpl::Hide() {
    TraceRequest("Hide");
    queue_.Hide();
}

void CharacterImpl::Speak(std::wstring_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    const std::u16string_view utf16(reinterpret_cast<const char16_t*>(text.data()), text.size());
    context_.Trace(TraceLine("request", "Speak", win32util::ToU16(id_)).Excerpt(utf16));
    std::u16string copy;
    try {
        copy.assign(utf16);
    } catch (const std::bad_alloc&) {
        // Too big to keep: the request still comes, says nothing and ends with its BalloonHide.
    }
    queue_.Speak(std::move(copy));
}

void CharacterImpl::Stop() {
    TraceRequest("Stop");
    queue_.Stop();
}

void CharacterImpl::Pause() {
    TraceRequest("Pause");
    queue_.Pause();
}

void CharacterImpl::Resume() {
    TraceRequest("Resume");
    queue_.Resume();
}

void CharacterImpl::SetRate(int speedWpm) {
    const int speed = core::kSpeedWpmRange.Clamp(speedWpm);
    context_.Trace(TraceLine("request", "Rate", win32util::ToU16(id_)).Number(speed));
    queue_.SetRate(speed);
}

void CharacterImpl::SetLanguageID(long languageId) {
    context_.Trace(TraceLine("request", "LanguageID", win32util::ToU16(id_)).Number(languageId));
    const intl::TextsOrError loaded = intl::TextsForLanguage(IntlFolder(), languageId);
    if (!loaded.texts) throw Error(loaded.error);
    ApplyTexts(loaded);
    languageId_ = languageId;
}

std::wstring CharacterImpl::IntlFolder() const {
    const std::wstring& folder = context_.Options().intlFolder;
    return folder.empty() ? intl::DefaultIntlFolder() : folder;
}

void CharacterImpl::ApplyTexts(const intl::TextsOrError& loaded) {
    // English always loads (it is built in), so a character has texts from the start.
    if (!loaded.texts) return;
    window_.SetHideText(loaded.texts->Get(intl::TextId::MenuHide));
    SetWindowTextW(balloon_.Handle(), loaded.texts->Get(intl::TextId::BalloonName).c_str());
}

void CharacterImpl::SetTTSModeID(std::wstring_view modeId) {
    context_.Trace(
        TraceLine("request", "TTSModeID", win32util::ToU16(id_)).Text(win32util::ToU16(modeId)));
    ttsModeId_ = modeId;
}

Point CharacterImpl::ShowPosition() {
    if (context_.userPlacement) {
        const Point placed = *context_.userPlacement;
        const Size size = window_.SizeAt(placed);
        const POINT point{placed.x, placed.y};
        return ClampIntoArea(placed, size,
                             WorkAreaOf(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)));
    }
    const HWND anchor = context_.Anchor();
    std::optional<Rect> anchorRect;
    RECT rect{};
    if (anchor && IsWindow(anchor) && GetWindowRect(anchor, &rect)) {
        anchorRect = Rect{rect.left, rect.top, rect.right, rect.bottom};
    }
    const HMONITOR monitor = anchorRect ? MonitorFromWindow(anchor, MONITOR_DEFAULTTOPRIMARY)
                                        : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    const Rect workArea = WorkAreaOf(monitor);
    // The size depends on the monitor's DPI: measure where the window will go, then place.
    Size size = window_.SizeAt({workArea.left, workArea.top});
    const int margin = ScaleForDpi(kMarginAt96Dpi, window_.Dpi());
    const Point first = InitialCharacterPosition(workArea, anchorRect, size, margin);
    size = window_.SizeAt(first);
    return InitialCharacterPosition(workArea, anchorRect, size, margin);
}

core::VoiceChoice CharacterImpl::Voice() const {
    return {languageId_, win32util::ToU16(ttsModeId_)};
}

void CharacterImpl::BeginShow() {
    window_.ShowAt(ShowPosition());
    animator_.PlayShow([this] { queue_.Complete(); });
}

void CharacterImpl::BeginHide() {
    balloon_.Close();
    animator_.PlayHide([this] {
        window_.Hide();
        queue_.Complete();
    });
}

void CharacterImpl::BeginSpeak(core::SharedUtterance utterance) {
    utterance_ = std::move(utterance);
    speechHeld_ = false;
    speedWpm_.reset();
    balloon_.Open(utterance_, window_.ScreenRect(), window_.BalloonTarget(), window_.Dpi());
    if (window_.Visible()) animator_.StartSpeaking();
    if (sapi_ && !pacedFromNowOn_) {
        if (sapi_->Speak(utterance_, Voice(), *this)) {
            speaking_ = sapi_.get();
            if (!sapi_->LastVoiceNote().empty()) {
                context_.Trace(
                    TraceLine("note", "Voice", win32util::ToU16(id_)).Text(sapi_->LastVoiceNote()));
            }
            return;
        }
        UsePacedFromNowOn(u"the voice cannot speak");
    }
    SpeakPaced();
}

void CharacterImpl::SpeakPaced() {
    speaking_ = &paced_;
    paced_.Speak(utterance_, Voice(), *this);
    if (speedWpm_) paced_.SetRate(*speedWpm_);
    if (speechHeld_) paced_.Pause();
}

void CharacterImpl::UsePacedFromNowOn(std::u16string_view why) {
    if (pacedFromNowOn_) return;
    pacedFromNowOn_ = true;
    context_.Trace(TraceLine("note", "Paced", win32util::ToU16(id_)).Text(why));
}

void CharacterImpl::StopSpeech() {
    if (speaking_) speaking_->Stop();
    speaking_ = nullptr;
    utterance_.reset();
    speechHeld_ = false;
    speedWpm_.reset();
    StopMouthSteps();
}

void CharacterImpl::StopMouthSteps() {
    if (mouthStep_) context_.Scheduler().Cancel(*mouthStep_);
    mouthStep_.reset();
}

void CharacterImpl::PauseSpeech() {
    speechHeld_ = true;
    if (speaking_) speaking_->Pause();
}

void CharacterImpl::ResumeSpeech() {
    speechHeld_ = false;
    if (window_.Visible()) animator_.StartSpeaking();
    if (speaking_) speaking_->Resume();
}

void CharacterImpl::ChangeRate(int speedWpm) {
    speedWpm_ = speedWpm;
    if (speaking_) speaking_->SetRate(speedWpm);
}

void CharacterImpl::OnHeld() {
    // The character rests with its mouth closed and nothing scheduled; the balloon keeps its
    // page and its mark.
    StopMouthSteps();
    animator_.Rest();
}

void CharacterImpl::CloseBalloon() {
    balloon_.Close();
}

void CharacterImpl::CancelCurrent() {
    StopSpeech();
    balloon_.Close();
    // A cancelled Show or Hide leaves the character shown; it idles on.
    if (window_.Visible()) {
        animator_.Idle();
    } else {
        animator_.Halt();
    }
}

void CharacterImpl::HideAtOnce() {
    StopSpeech();
    balloon_.Close();
    animator_.Halt();
    window_.Hide();
}

void CharacterImpl::RaiseBalloonHide() {
    context_.PostBalloonHide(id_);
}

void CharacterImpl::RaiseHide(int cause) {
    context_.PostHide(id_, static_cast<HideCause>(cause));
}

void CharacterImpl::OnWord(std::size_t index, std::size_t shownBegin, std::size_t shownLength) {
    context_.Trace(
        TraceLine("note", "Word", win32util::ToU16(id_)).Number(static_cast<long long>(index)));
    balloon_.ShowWord(shownBegin, shownLength);
    if (speaking_ == sapi_.get() && sapi_ && !sapi_->GivesVisemes()) MouthWord(0);
}

void CharacterImpl::MouthWord(std::size_t step) {
    // Open, wider, rounder, closing: reads as talking without pretending to be lip sync.
    static constexpr std::array kShapes = {core::Mouth::Medium, core::Mouth::Wide,
                                           core::Mouth::Small, core::Mouth::Round,
                                           core::Mouth::Closed};
    constexpr int kStepMs = 70;
    if (step == 0) StopMouthSteps();
    mouthStep_.reset();
    animator_.SetMouth(kShapes[step]);
    if (step + 1 < kShapes.size()) {
        mouthStep_ = context_.Scheduler().RunAfter(kStepMs, [this, step] { MouthWord(step + 1); });
    }
}

void CharacterImpl::OnMouth(core::Mouth mouth) {
    animator_.SetMouth(mouth);
}

void CharacterImpl::OnFinished() {
    StopSpeech();
    animator_.StopSpeaking();
    queue_.Complete();
}

void CharacterImpl::OnHideCommand() {
    queue_.UserHid(core::kHideCauseUserMenu);
}

void CharacterImpl::OnMoved() {
    if (balloon_.IsOpen()) {
        balloon_.Follow(window_.ScreenRect(), window_.BalloonTarget(), window_.Dpi());
    }
}

void CharacterImpl::OnPlacedByUser(Point topLeft) {
    context_.userPlacement = topLeft;
}

}  // namespace agent::win
