// ISpVoice behind the engine's Voice interface.
#include "agent/sapi/voice.h"  // first: it brings <windows.h>, which <sapi.h> needs

// <initguid.h> makes <sapi.h> define its GUIDs, in this file only: no other may include it.
#include <initguid.h>
#include <sapi.h>
#include <wrl/client.h>

#include <optional>

namespace agent::sapi {
namespace {

using Microsoft::WRL::ComPtr;
static_assert(sizeof(wchar_t) == sizeof(char16_t));

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// SAPI hands strings out in CoTaskMemAlloc memory.
struct CoTaskMemFreer {
    void operator()(wchar_t* text) const noexcept { CoTaskMemFree(text); }
};
using CoTaskString = std::unique_ptr<wchar_t, CoTaskMemFreer>;

std::u16string Text(const CoTaskString& text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text.get())) : std::u16string{};
}

// What SPFEI() spells; some MinGW-w64 versions lack that macro. The two reserved bits are a
// check SAPI insists on.
constexpr ULONGLONG EventFlag(SPEVENTENUM event) {
    return (1ULL << event) | (1ULL << SPEI_RESERVED1) | (1ULL << SPEI_RESERVED2);
}

// Joins the thread's COM apartment for as long as the voice lives. A thread that already
// chose the multithreaded apartment keeps it (SAPI works there too) and is not uninitialised.
class ComApartment {
public:
    ComApartment() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Usable() const noexcept { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

// Events may carry an owned string or object in lParam; ours do not, but a voice may.
void ReleaseEventParameter(const SPEVENT& event) {
    switch (event.elParamType) {
        case SPET_LPARAM_IS_POINTER:
        case SPET_LPARAM_IS_STRING:
            CoTaskMemFree(reinterpret_cast<void*>(event.lParam));
            break;
        case SPET_LPARAM_IS_TOKEN:
        case SPET_LPARAM_IS_OBJECT:
            if (event.lParam) reinterpret_cast<IUnknown*>(event.lParam)->Release();
            break;
        default:
            break;
    }
}

std::optional<VoiceEvent> Translate(const SPEVENT& event) {
    VoiceEvent out;
    out.stream = event.ulStreamNum;
    switch (event.eEventId) {
        case SPEI_START_INPUT_STREAM:
            out.kind = VoiceEvent::Kind::StreamStart;
            return out;
        case SPEI_END_INPUT_STREAM:
            out.kind = VoiceEvent::Kind::StreamEnd;
            return out;
        case SPEI_WORD_BOUNDARY:
            if (event.lParam < 0) return std::nullopt;
            out.kind = VoiceEvent::Kind::Word;
            out.position = static_cast<std::size_t>(event.lParam);
            out.length = static_cast<std::size_t>(event.wParam);
            return out;
        case SPEI_VISEME:
            out.kind = VoiceEvent::Kind::Viseme;
            out.viseme = static_cast<int>(event.lParam & 0xFFFF);  // low word: the current viseme
            return out;
        default:
            return std::nullopt;
    }
}

class SapiVoice final : public Voice {
public:
    bool Create() {
        return apartment_.Usable() &&
               SUCCEEDED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL,
                                          IID_PPV_ARGS(voice_.GetAddressOf())));
    }

    std::vector<InstalledVoice> InstalledVoices() override {
        std::vector<InstalledVoice> voices;
        ComPtr<ISpObjectTokenCategory> category;
        ComPtr<IEnumSpObjectTokens> tokens;
        ULONG count = 0;
        if (FAILED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL,
                                    IID_PPV_ARGS(category.GetAddressOf()))) ||
            FAILED(category->SetId(SPCAT_VOICES, FALSE)) ||
            FAILED(category->EnumTokens(nullptr, nullptr, tokens.GetAddressOf())) ||
            FAILED(tokens->GetCount(&count))) {
            return voices;
        }
        for (ULONG i = 0; i < count; ++i) {
            ComPtr<ISpObjectToken> token;
            wchar_t* id = nullptr;
            if (FAILED(tokens->Item(i, token.GetAddressOf())) || FAILED(token->GetId(&id))) {
                continue;
            }
            InstalledVoice voice;
            voice.id = Text(CoTaskString(id));
            wchar_t* name = nullptr;
            if (SUCCEEDED(token->GetStringValue(nullptr, &name))) {
                voice.name = Text(CoTaskString(name));
            }
            ComPtr<ISpDataKey> attributes;
            wchar_t* language = nullptr;
            if (SUCCEEDED(token->OpenKey(L"Attributes", attributes.GetAddressOf())) &&
                SUCCEEDED(attributes->GetStringValue(L"Language", &language))) {
                voice.languages = ParseLanguageList(Text(CoTaskString(language)));
            }
            voices.push_back(std::move(voice));
        }
        return voices;
    }

    bool Use(const std::u16string& voiceId) override {
        if (voiceId.empty()) return SUCCEEDED(voice_->SetVoice(nullptr));
        ComPtr<ISpObjectToken> token;
        return SUCCEEDED(CoCreateInstance(CLSID_SpObjectToken, nullptr, CLSCTX_ALL,
                                          IID_PPV_ARGS(token.GetAddressOf()))) &&
               SUCCEEDED(token->SetId(nullptr, Wide(voiceId), FALSE)) &&
               SUCCEEDED(voice_->SetVoice(token.Get()));
    }

    bool NotifyWindow(HWND window, UINT message) override {
        const ULONGLONG interest = EventFlag(SPEI_START_INPUT_STREAM) |
                                   EventFlag(SPEI_END_INPUT_STREAM) |
                                   EventFlag(SPEI_WORD_BOUNDARY) | EventFlag(SPEI_VISEME);
        return SUCCEEDED(voice_->SetNotifyWindowMessage(window, message, 0, 0)) &&
               SUCCEEDED(voice_->SetInterest(interest, interest)) &&
               SUCCEEDED(voice_->SetAlertBoundary(SPEI_WORD_BOUNDARY));
    }

    bool Speak(const std::u16string& xml, unsigned long& stream) override {
        ULONG number = 0;
        const DWORD flags = SPF_ASYNC | SPF_IS_XML | SPF_PURGEBEFORESPEAK;
        if (FAILED(voice_->Speak(Wide(xml), flags, &number))) return false;
        stream = number;
        return true;
    }

    void Purge() override { voice_->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr); }
    void Pause() override { voice_->Pause(); }
    void Resume() override { voice_->Resume(); }

    std::vector<VoiceEvent> TakeEvents() override {
        std::vector<VoiceEvent> events;
        constexpr ULONG kBatch = 16;
        SPEVENT batch[kBatch];
        ULONG fetched = kBatch;
        while (fetched == kBatch) {
            fetched = 0;
            if (FAILED(voice_->GetEvents(kBatch, batch, &fetched))) break;
            for (ULONG i = 0; i < fetched && i < kBatch; ++i) {
                if (const auto event = Translate(batch[i])) events.push_back(*event);
                ReleaseEventParameter(batch[i]);
            }
        }
        return events;
    }

private:
    ComApartment apartment_;  // first member, so the last to go: after the voice is released
    ComPtr<ISpVoice> voice_;
};

}  // namespace

std::unique_ptr<Voice> MakeSapiVoice() {
    auto voice = std::make_unique<SapiVoice>();
    if (!voice->Create()) return nullptr;
    return voice;
}

}  // namespace agent::sapi
