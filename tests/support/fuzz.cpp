#include "support/fuzz.h"

#include <cstdio>
#include <cstdlib>

namespace testing_support {

std::uint64_t FuzzRandom::Next() {
    // SplitMix64: tiny, fast, and the same sequence on every platform.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string FuzzRandom::Bytes(std::size_t length, bool allowNul) {
    std::string bytes(length, '\0');
    for (char& c : bytes) {
        const unsigned value = allowNul ? Below(256) : 1 + Below(255);
        c = static_cast<char>(value);
    }
    return bytes;
}

std::string FuzzRandom::Text(std::size_t maxLength) {
    static const char* const kPieces[] = {
        "a", "Z", "0", "9", "F", "F1", "F12", "Ctrl+", "Shift+", "Alt+", "Ctrl+Shift+", " ", "/", "\\", ".", "..",
        "#", "!", "!!!!Inbox", "\r", "\n", "\r\n", "%d", "%s", "=", "[", "]", ";",
        "\x82\x60",  // full-width A
        "\x82\x81",  // full-width a
        "\x8E\xF3\x90\x4D\x94\xA0",  // the inbox's Japanese name
        "\x83\x5C",  // a katakana whose trail byte is a backslash
        "\x81",      // a lone lead byte
        "\xFF", "\x80", "\xA0",
    };
    const std::size_t pieceCount = sizeof(kPieces) / sizeof(kPieces[0]);
    std::string text;
    const std::size_t target = Below(static_cast<std::uint32_t>(maxLength + 1));
    while (text.size() < target) {
        if (OneIn(8)) {
            text += Bytes(1 + Below(4));
        } else {
            text += kPieces[Below(static_cast<std::uint32_t>(pieceCount))];
        }
    }
    text.resize(target);
    return text;
}

FuzzPlan PlanCampaign(long defaultCases, long maxCases) {
    FuzzPlan plan{20261207ull, defaultCases};
    if (const char* seed = std::getenv("TARNWICK_FUZZ_SEED")) plan.seed = std::strtoull(seed, nullptr, 10);
    if (const char* scale = std::getenv("TARNWICK_FUZZ_SCALE")) {
        const long factor = std::strtol(scale, nullptr, 10);
        if (factor > 0) plan.cases = defaultCases * factor;
    }
    if (const char* cases = std::getenv("TARNWICK_FUZZ_CASES")) plan.cases = std::strtol(cases, nullptr, 10);
    if (plan.cases > maxCases) plan.cases = maxCases;
    return plan;
}

std::string DescribeCase(const FuzzPlan& plan, long index) {
    char text[96];
    std::snprintf(text, sizeof(text), "seed=%llu case=%ld", static_cast<unsigned long long>(plan.seed), index);
    return text;
}

}  // namespace testing_support
