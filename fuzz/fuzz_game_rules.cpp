// Feeds arbitrary bytes to the game-rules reader. It reads or refuses with TError, never
// crashes; rules it accepts give every pattern at most one tier, exact draw counts that add up
// to no more than the game's draws, and an expected return that is a number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tickets/GameRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<TGameRules> games;
    try {
        games = ReadGameRules(bytes);
    } catch (const TError&) {
        return 0;
    }
    for (const TGameRules& rules : games) {
        int64_t total = 0;
        for (const int64_t count : rules.ExactDrawCounts()) total += count;
        if (total > rules.DrawSpace() || rules.TierCount() < 1 || rules.TierCount() > MaxTiers)
            std::abort();
        for (uint32_t pattern = 0; pattern < MatchPatterns; ++pattern)
            if (rules.TierOf(pattern) >= rules.TierCount()) std::abort();
        if (!std::isfinite(rules.ExpectedReturn())) std::abort();
    }
    return 0;
}
