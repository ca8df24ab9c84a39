#pragma once
// Seeded, bounded input campaigns. The suite runs a fixed seed and a bounded
// number of cases; the environment (or the long command scripts/fuzz.sh)
// runs more, with the seed printed on failure.

#include <cstdint>
#include <string>

namespace testing_support {

class FuzzRandom {
public:
    explicit FuzzRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // A value from 0 to bound - 1 (0 when bound is 0).
    std::uint32_t Below(std::uint32_t bound) { return bound ? static_cast<std::uint32_t>(Next() % bound) : 0; }
    bool OneIn(std::uint32_t n) { return Below(n) == 0; }
    // Random bytes, 1..255 (no NUL) unless allowNul.
    std::string Bytes(std::size_t length, bool allowNul = false);
    // A text built from pieces that matter to the plug-in's parsers: ASCII
    // letters and digits, separators, CR/LF, Shift-JIS characters, lone lead
    // bytes, "." and "..".
    std::string Text(std::size_t maxLength);

private:
    std::uint64_t state_;
};

struct FuzzPlan {
    std::uint64_t seed;
    long cases;
};

// The seed and the number of cases for a campaign: the suite's fixed seed
// and the given default count, unless the environment says otherwise
// (TARNWICK_FUZZ_SEED; TARNWICK_FUZZ_SCALE multiplies the count,
// TARNWICK_FUZZ_CASES replaces it).
// maxCases bounds what the environment may ask for.
FuzzPlan PlanCampaign(long defaultCases, long maxCases = 0x7FFFFFFF);

// Campaigns that load the plug-in afresh for every case stay below this
// count per process: the static MinGW thread runtime in the DLL takes a TLS
// index at each load and never gives it back, and a process has 1,088.
constexpr long kMaxPluginLoadsPerProcess = 1000;

// "seed=... case=..." for failure messages.
std::string DescribeCase(const FuzzPlan& plan, long index);

}  // namespace testing_support
