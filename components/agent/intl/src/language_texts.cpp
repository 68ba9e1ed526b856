#include "agent/intl/language_texts.h"

#include <windows.h>

#include "win32util/files.h"
#include "win32util/handles.h"
#include "win32util/text.h"

namespace agent::intl {
namespace {

using win32util::SystemMessage;
using win32util::UniqueModule;

constexpr long kMaxLanguageId = 0xFFFF;

bool IsNotAnImage(DWORD error) {
    return error == ERROR_BAD_EXE_FORMAT || error == ERROR_BAD_FORMAT ||
           error == ERROR_INVALID_EXE_SIGNATURE || error == ERROR_EXE_MARKED_INVALID ||
           error == ERROR_FILE_INVALID;
}

TextsOrError Failure(std::wstring error) {
    return {std::nullopt, std::move(error)};
}

std::wstring TheComponent(const std::wstring& path) {
    return L"The language component \"" + path + L"\"";
}

}  // namespace

LanguageTexts LanguageTexts::BuiltInEnglish() {
    LanguageTexts texts;
    texts.texts_[Index(TextId::MenuHide)] = L"&Hide";
    texts.texts_[Index(TextId::CharacterName)] = L"Animated character";
    texts.texts_[Index(TextId::BalloonName)] = L"Word balloon";
    return texts;
}

std::wstring DefaultIntlFolder() {
    std::wstring windows = win32util::WindowsDirectory();
    if (windows.empty()) windows = L"C:\\Windows";
    return windows + L"\\Msagent\\Intl";
}

std::wstring ComponentPath(const std::wstring& folder, long languageId) {
    std::wstring name = L"AGT0000.DLL";
    unsigned long id = static_cast<unsigned long>(languageId) & kMaxLanguageId;
    for (std::size_t digit = 6; digit >= 3; --digit, id >>= 4) {
        name[digit] = L"0123456789ABCDEF"[id & 0xF];
    }
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path + name;
}

TextsOrError LoadLanguageTexts(const std::wstring& folder, long languageId) {
    if (languageId <= 0 || languageId > kMaxLanguageId) {
        return Failure(std::to_wstring(languageId) + L" is not a language id.");
    }
    const std::wstring path = ComponentPath(folder, languageId);
    // As data: nothing in the file runs, and a file that is not ours cannot do harm.
    const UniqueModule module(LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_MOD_NOT_FOUND) {
            return Failure(TheComponent(path) + L" is not installed.");
        }
        if (IsNotAnImage(error)) {
            return Failure(TheComponent(path) + L" is damaged: it is not a DLL.");
        }
        return Failure(TheComponent(path) + L" cannot be read: " + SystemMessage(error) + L".");
    }
    LanguageTexts texts;
    texts.languageId_ = languageId;
    for (const TextId id : kTextIds) {
        const wchar_t* text = nullptr;
        // With a zero buffer size LoadStringW points into the mapped resource instead of copying.
        const int length =
            LoadStringW(module.get(), static_cast<UINT>(id), reinterpret_cast<wchar_t*>(&text), 0);
        if (length <= 0 || !text) {
            return Failure(TheComponent(path) + L" is damaged: text " +
                           std::to_wstring(static_cast<unsigned>(id)) + L" is missing.");
        }
        texts.texts_[LanguageTexts::Index(id)].assign(text, static_cast<std::size_t>(length));
    }
    return {std::move(texts), {}};
}

TextsOrError TextsForLanguage(const std::wstring& folder, long languageId) {
    TextsOrError result = LoadLanguageTexts(folder, languageId);
    if (!result.texts && languageId == kEnglish) return {LanguageTexts::BuiltInEnglish(), {}};
    return result;
}

}  // namespace agent::intl
