#include "fuzz_driver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <random>

namespace vocalinka::fuzz {
namespace {

constexpr std::size_t kMaxInputBytes = 256 * 1024;
constexpr std::size_t kPoolSize = 512;

// What the crash handler writes; set before each input runs.
std::string crashPath;
const std::uint8_t* currentData = nullptr;
std::size_t currentSize = 0;

extern "C" void WriteCrashingInput(int signal) {
    const int file = open(crashPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file >= 0) {
        for (std::size_t done = 0; done < currentSize;) {
            const ssize_t written = write(file, currentData + done, currentSize - done);
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

    Input Mutate(const Input& input, const Input& other) {
        Input out = input;
        const int steps = 1 + Below(4);
        for (int i = 0; i < steps; ++i) MutateOnce(out, other);
        if (out.size() > kMaxInputBytes) out.resize(kMaxInputBytes);
        return out;
    }

    std::size_t Below(std::size_t bound) {
        return bound == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_);
    }

private:
    std::uint8_t Byte() {
        // Bytes that mean something to parsers come up more often than at random.
        constexpr std::uint8_t kTelling[] = {0,    1,    0x7F, 0x80, 0xFF, '"',  '\\', '=',
                                             '\r', '\n', ',',  ' ',  0xEF, 0xBB, 0xBF};
        return Below(3) == 0 ? kTelling[Below(std::size(kTelling))]
                             : static_cast<std::uint8_t>(Below(256));
    }

    void MutateOnce(Input& out, const Input& other) {
        switch (Below(7)) {
            case 0:  // flip a bit
                if (!out.empty())
                    out[Below(out.size())] ^= static_cast<std::uint8_t>(1 << Below(8));
                break;
            case 1:  // overwrite a byte
                if (!out.empty()) out[Below(out.size())] = Byte();
                break;
            case 2: {  // insert a few bytes
                const std::size_t at = Below(out.size() + 1);
                Input bytes(1 + Below(8));
                for (auto& b : bytes) b = Byte();
                out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(),
                           bytes.end());
                break;
            }
            case 3: {  // cut a run
                if (out.empty()) break;
                const std::size_t at = Below(out.size());
                const std::size_t length = 1 + Below(std::min<std::size_t>(out.size() - at, 64));
                out.erase(out.begin() + static_cast<std::ptrdiff_t>(at),
                          out.begin() + static_cast<std::ptrdiff_t>(at + length));
                break;
            }
            case 4: {  // copy a run of the input elsewhere into it
                if (out.empty()) break;
                const std::size_t from = Below(out.size());
                const std::size_t length = 1 + Below(std::min<std::size_t>(out.size() - from, 64));
                const Input run(out.begin() + static_cast<std::ptrdiff_t>(from),
                                out.begin() + static_cast<std::ptrdiff_t>(from + length));
                const std::size_t to = Below(out.size() + 1);
                out.insert(out.begin() + static_cast<std::ptrdiff_t>(to), run.begin(), run.end());
                break;
            }
            case 5: {  // splice: the head of this input, the tail of another
                const std::size_t head = Below(out.size() + 1);
                const std::size_t tail = Below(other.size() + 1);
                out.resize(head);
                out.insert(out.end(), other.begin() + static_cast<std::ptrdiff_t>(tail),
                           other.end());
                break;
            }
            default:  // cut the end
                out.resize(Below(out.size() + 1));
                break;
        }
    }

    std::mt19937 random_;
};

}  // namespace

double SecondsPerTarget() {
    if (const char* text = std::getenv("VOCALINKA_FUZZ_SECONDS")) {
        const double seconds = std::atof(text);
        if (seconds > 0) return seconds;
    }
    return 3.0;
}

Input Utf8Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

Input Utf16Bytes(std::u16string_view text) {
    Input bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

RunSummary RunTarget(std::string_view name, std::vector<Input> seeds, double seconds,
                     std::uint32_t randomSeed) {
    crashPath = std::string(name) + "-crash.bin";
    for (const int signal : {SIGABRT, SIGSEGV, SIGFPE, SIGBUS, SIGILL}) {
        std::signal(signal, WriteCrashingInput);
    }
    RunSummary summary;
    const auto runOne = [&](const Input& input) {
        currentData = input.data();
        currentSize = input.size();
        LLVMFuzzerTestOneInput(input.data(), input.size());
        ++summary.inputs;
        summary.largestInput = std::max(summary.largestInput, input.size());
    };
    if (seeds.empty()) seeds.emplace_back();
    for (const Input& seed : seeds) runOne(seed);

    Mutator mutator(randomSeed);
    std::vector<Input> pool = seeds;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        const Input& parent = pool[mutator.Below(pool.size())];
        const Input& other = pool[mutator.Below(pool.size())];
        Input child = mutator.Mutate(parent, other);
        runOne(child);
        // Without coverage to guide it, the pool keeps a random share of what it made, so that
        // mutations pile up.
        if (pool.size() < kPoolSize) {
            pool.push_back(std::move(child));
        } else if (mutator.Below(4) == 0) {
            pool[seeds.size() + mutator.Below(kPoolSize - seeds.size())] = std::move(child);
        }
    }
    for (const int signal : {SIGABRT, SIGSEGV, SIGFPE, SIGBUS, SIGILL})
        std::signal(signal, SIG_DFL);
    currentData = nullptr;
    currentSize = 0;
    return summary;
}

void ExpectMutationsRun(std::string_view name, std::vector<Input> seeds) {
    const std::size_t seedCount = seeds.size();
    const RunSummary summary = RunTarget(name, std::move(seeds), SecondsPerTarget());
    EXPECT_GT(summary.inputs, seedCount);
    testing::Test::RecordProperty("inputs", static_cast<int>(summary.inputs));
}

}  // namespace vocalinka::fuzz
