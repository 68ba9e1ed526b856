#include "fuzz_driver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <random>
#include <string>

namespace vocalinka::fuzz {
namespace {

constexpr std::size_t kMaxInputBytes = 256 * 1024;
constexpr std::size_t kPoolSize = 512;
constexpr int kCrashSignals[] = {SIGABRT, SIGSEGV, SIGFPE, SIGBUS, SIGILL};

// What the crash handler writes; set before each input runs.
std::string crashPath;
const Input* currentInput = nullptr;

extern "C" void WriteCrashingInput(int signal) {
    const int file = open(crashPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file >= 0) {
        for (std::size_t done = 0; done < currentInput->size();) {
            const ssize_t written =
                write(file, currentInput->data() + done, currentInput->size() - done);
            if (written <= 0) break;
            done += static_cast<std::size_t>(written);
        }
        close(file);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

class Mutator {
public:
    explicit Mutator(std::uint32_t seed) : random_(seed) {}

    std::size_t Below(std::size_t bound) { return bound == 0 ? 0 : random_() % bound; }

    Input Mutate(Input out, const Input& other) {
        for (std::size_t steps = 1 + Below(4); steps > 0; --steps) {
            const std::size_t at = Below(out.size() + 1);  // the end included
            const std::size_t runLength = 1 + Below(std::min<std::size_t>(out.size() - at, 64));
            switch (Below(7)) {
                case 0:  // flip a bit
                    if (at < out.size()) out[at] ^= static_cast<std::uint8_t>(1 << Below(8));
                    break;
                case 1:  // overwrite a byte
                    if (at < out.size()) out[at] = Byte();
                    break;
                case 2: {  // insert a few bytes
                    Input bytes(1 + Below(8));
                    for (auto& b : bytes) b = Byte();
                    out.insert(out.begin() + at, bytes.begin(), bytes.end());
                    break;
                }
                case 3:  // cut a run
                    out.erase(out.begin() + at, out.begin() + std::min(at + runLength, out.size()));
                    break;
                case 4: {  // copy a run of this input or of another into it
                    const Input& source = Below(2) == 0 ? out : other;
                    const std::size_t from = Below(source.size() + 1);
                    const std::size_t length = std::min(runLength, source.size() - from);
                    const Input run(source.begin() + from, source.begin() + from + length);
                    out.insert(out.begin() + at, run.begin(), run.end());
                    break;
                }
                case 5:  // splice: the head of this input, the tail of another
                    out.resize(at);
                    out.insert(out.end(), other.begin() + Below(other.size() + 1), other.end());
                    break;
                default:  // cut the end
                    out.resize(at);
                    break;
            }
        }
        if (out.size() > kMaxInputBytes) out.resize(kMaxInputBytes);
        return out;
    }

private:
    std::uint8_t Byte() {
        // Bytes that mean something to parsers come up more often than at random.
        constexpr std::uint8_t kTelling[] = {0,    1,    0x7F, 0x80, 0xFF, '"',  '\\', '=',
                                             '\r', '\n', ',',  ' ',  0xEF, 0xBB, 0xBF};
        return Below(3) == 0 ? kTelling[Below(std::size(kTelling))]
                             : static_cast<std::uint8_t>(random_());
    }

    std::mt19937 random_;
};

}  // namespace

Input Utf8Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

Input Utf16Bytes(std::u16string_view text) {
    Input bytes;
    for (const char16_t c : text) {
        bytes.insert(bytes.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
    }
    return bytes;
}

void ExpectMutationsRun(std::string_view name, std::vector<Input> seeds) {
    const char* secondsText = std::getenv("VOCALINKA_FUZZ_SECONDS");
    const double seconds = secondsText && std::atof(secondsText) > 0 ? std::atof(secondsText) : 3;
    crashPath = std::string(name) + "-crash.bin";
    for (const int signal : kCrashSignals) std::signal(signal, WriteCrashingInput);
    std::size_t inputs = 0;
    const auto runOne = [&](const Input& input) {
        currentInput = &input;
        LLVMFuzzerTestOneInput(input.data(), input.size());
        ++inputs;
    };
    if (seeds.empty()) seeds.emplace_back();
    for (const Input& seed : seeds) runOne(seed);

    Mutator mutator(20261206);
    std::vector<Input> pool = seeds;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        Input child =
            mutator.Mutate(pool[mutator.Below(pool.size())], pool[mutator.Below(pool.size())]);
        runOne(child);
        // Without coverage to guide it, the pool keeps a random share of what it made, so that
        // mutations pile up; the seeds stay.
        if (pool.size() < kPoolSize) {
            pool.push_back(std::move(child));
        } else if (mutator.Below(4) == 0) {
            pool[seeds.size() + mutator.Below(kPoolSize - seeds.size())] = std::move(child);
        }
    }
    for (const int signal : kCrashSignals) std::signal(signal, SIG_DFL);
    EXPECT_GT(inputs, seeds.size());
    testing::Test::RecordProperty("inputs", static_cast<int>(inputs));
}

}  // namespace vocalinka::fuzz
