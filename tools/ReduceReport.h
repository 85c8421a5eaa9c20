#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "data/Hao.h"
#include "search/SearchOptions.h"

// tolvane-search --reduce: the conditions of a file applied to every candidate after the draws.
struct TReduceToolRequest {
    std::string ConditionsPath;
    std::optional<std::string> BetsPath;  // write the kept bets there, one per line, ascending
    std::optional<int32_t> CheckRows;     // --backtest W: the strategy check over the last W
    SearchOptions Options;                // the search that gives 规律 its patterns
    int Threads = 0;
    uint64_t Seed = 1;
    bool Quiet = false;  // the summary lines only
};

// Prints {"kept": N, "share": q, "cost": yuan, "patterns": P} (patterns with 规律 only); with
// the check one line per draw {"row": t, "share": q_t, "kept": s_t} and then
// {"reduce_check": {"rows", "kept_draws", "r", "mean_share", "lift", "z", "verdict"}}. Returns
// the exit status: 0, 1 for bad conditions, conditions that keep nothing with --bets, or a
// failed write (the message on err), 130 when stopped.
int RunReduceTool(const TCodes& draws, const TReduceToolRequest& request,
                  const std::atomic<bool>& stop, std::FILE* out, std::FILE* err);
