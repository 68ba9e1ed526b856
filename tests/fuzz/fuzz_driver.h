// A small stand-in for libFuzzer, so that the fuzz targets run in every test run with the
// ordinary compiler: inputs grown from seeds by random mutation, from a fixed random seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace vocalinka::fuzz {

using Input = std::vector<std::uint8_t>;

// Bytes of UTF-8 or of UTF-16 (low byte first) text, as seeds.
Input Utf8Bytes(std::string_view text);
Input Utf16Bytes(std::u16string_view text);

// A fuzz test: runs the seeds, then mutations of them and of earlier mutations (bit flips,
// random bytes, insertions, cuts, copied runs, splices of two inputs) through the target for
// VOCALINKA_FUZZ_SECONDS (3 when unset), and expects mutations to have run, not only the
// seeds; the number of inputs goes into the test's report. The targets abort on a broken
// invariant: the input that did it is first written to "<name>-crash.bin" in the current
// folder, to be run again by hand.
void ExpectMutationsRun(std::string_view name, std::vector<Input> seeds);

}  // namespace vocalinka::fuzz
