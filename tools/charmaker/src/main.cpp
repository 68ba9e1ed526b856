// charmaker: draws a character from its source and writes the character file.
//   charmaker <source> <output.acs> [--sheet <picture.png>] [--zoom <1 to 8>]
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "agent/format/character_file.h"
#include "render.h"
#include "scene.h"
#include "sheet.h"

namespace {

constexpr const char* kUsage =
    "usage: charmaker <source> <output.acs> [--sheet <picture.png>] [--zoom <1 to 8>]";

std::optional<std::string> ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes beside the target and renames, so that a failed run never leaves half a file that
// the next build would take as done.
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string sheet;
    int zoom = 2;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--sheet" && i + 1 < args.size()) {
            sheet = args[++i];
        } else if (args[i] == "--zoom" && i + 1 < args.size()) {
            zoom = std::atoi(args[++i].c_str());
            if (zoom < 1 || zoom > 8) {
                std::cerr << kUsage << "\n";
                return 2;
            }
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 2) {
        std::cerr << kUsage << "\n";
        return 2;
    }
    const std::string& sourcePath = paths[0];
    const std::string& outputPath = paths[1];
    const std::optional<std::string> source = ReadText(sourcePath);
    if (!source) {
        std::cerr << "charmaker: cannot read " << sourcePath << "\n";
        return 1;
    }
    try {
        const charmaker::Scene scene = charmaker::ParseScene(*source);
        const agent::format::CharacterData character = charmaker::BuildCharacter(scene);
        const std::vector<std::uint8_t> file = agent::format::WriteCharacterFile(character);
        // The reader is the judge of what the program will accept.
        if (const auto check = agent::format::ParseCharacterFile(file); !check.character) {
            std::cerr << "charmaker: the written file does not read back: " << check.error << "\n";
            return 1;
        }
        if (!WriteFile(outputPath, file)) {
            std::cerr << "charmaker: cannot write " << outputPath << "\n";
            return 1;
        }
        if (!sheet.empty() && !WriteFile(sheet, charmaker::ContactSheet(character, zoom))) {
            std::cerr << "charmaker: cannot write " << sheet << "\n";
            return 1;
        }
    } catch (const std::exception& error) {
        std::cerr << sourcePath << ": " << error.what() << "\n";
        return 1;
    }
    return 0;
}
