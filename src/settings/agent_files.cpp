#include "settings/agent_files.h"

#include "win32util/ascii.h"

namespace vocalinka {
namespace {

constexpr std::string_view kCharacterExtension = ".acs";

using win32util::EqualsIgnoringAsciiCase;

}  // namespace

std::optional<std::string> LanguageOf(std::string_view fileName) {
    if (EqualsIgnoringAsciiCase(fileName, "AGT0409.DLL")) return "English";
    if (EqualsIgnoringAsciiCase(fileName, "AGT040C.DLL")) return "French";
    return std::nullopt;
}

}  // namespace vocalinka
