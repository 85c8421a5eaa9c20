#include "reduce/ReduceBets.h"

#include <algorithm>
#include <iterator>
#include <random>

std::vector<int32_t> SampleBets(const std::vector<int32_t>& bets, size_t k, uint64_t seed) {
    if (k >= bets.size()) return bets;
    std::vector<int32_t> chosen;
    chosen.reserve(k);
    std::sample(bets.begin(), bets.end(), std::back_inserter(chosen), static_cast<ptrdiff_t>(k),
                std::mt19937_64(seed));
    return chosen;
}

TBetsOutcome MakeBets(const TBetsRequest& request, TJobControl& control) {
    TBetsOutcome outcome;
    TReduceCount count = CountReduced(
        TReducePlan(request.Conditions, request.Context, true, &control), true, 0, control);
    outcome.Kept = count.Kept;
    if (count.Stopped || control.Cancelled()) {
        outcome.Stopped = true;
        return outcome;
    }
    outcome.Bets = request.Sample > 0 ? SampleBets(count.Bets, request.Sample, request.Seed)
                                      : std::move(count.Bets);
    outcome.Chosen = static_cast<int64_t>(outcome.Bets.size());
    if (!request.Path.empty() && !outcome.Bets.empty()) {
        WriteBetsFile(request.Path, outcome.Bets);
        outcome.Bets = {};
    }
    return outcome;
}
