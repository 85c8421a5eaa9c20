#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/JobControl.h"
#include "reduce/ReduceConditions.h"
#include "reduce/ReduceCount.h"

// What 导出号码 and 发送到投注 do with the bets a set of conditions keeps: count them, pick a
// random sample when asked and write them to a file, all on the caller's thread (a window runs
// it on a background job; the count runs on the cores).

// k of the bets, each set of k equally likely (all of them when k is not less than their
// number), in the order of bets.
std::vector<int32_t> SampleBets(const std::vector<int32_t>& bets, size_t k, uint64_t seed);

struct TBetsRequest {
    TReduceSet Conditions;
    TReduceContext Context;
    size_t Sample = 0;  // 0: every kept bet; else at most this many, chosen at random
    uint64_t Seed = 1;  // of the sample
    std::string Path;   // when not empty, the chosen bets are written there and not kept
};

struct TBetsOutcome {
    int64_t Kept = 0;           // the bets the conditions keep
    int64_t Chosen = 0;         // the bets chosen (all of them or the sample)
    std::vector<int32_t> Bets;  // the chosen bets, ascending (empty when written to a file)
    bool Stopped = false;       // stopped before the end: nothing chosen, nothing written
};

// Conditions that cannot apply raise TReduceError; a file that cannot be written
// TFileWriteError (the old file is kept). control takes the count's progress and stops it.
TBetsOutcome MakeBets(const TBetsRequest& request, TJobControl& control);
