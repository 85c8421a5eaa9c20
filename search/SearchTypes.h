#pragma once

#include <cstdint>
#include <memory>

#include "data/Hao.h"
#include "search/Gui2Reg.h"
#include "search/SearchOptions.h"

// What a search is asked and what it tells: shared by the engine's entry point and its
// parallel driver.

// What one search did: accepted candidates, pattern builds (one per accepted candidate and
// layout tried) and patterns found.
struct TSearchTotals {
    int64_t Candidates = 0;
    int64_t Builds = 0;
    int64_t Found = 0;
    bool operator==(const TSearchTotals&) const = default;
};

// Receives a search's notifications, on the thread that called RunSearch, in walk order.
class ISearchSink {
  public:
    virtual ~ISearchSink() = default;
    // A count pair begins, or a layout of an accepted candidate gave no pattern while the
    // candidate count is a multiple of ProgressInterval.
    virtual void Progress(int64_t candidateCount) = 0;
    virtual void Found(std::unique_ptr<TGui2Reg> pattern, int64_t candidateCount) = 0;
    // Ends a run of notifications handed over together (one piece of the walk); a sink that
    // gathers patterns may look at the clock here instead of at every pattern.
    virtual void BatchEnd() {}
};

struct TSearchRequest {
    SearchOptions Options;
    const TCodes* Draws = nullptr;
    int Threads = 0;    // worker threads; 0 = all cores
    uint64_t Seed = 0;  // source of the random result digit when both lines predict
    // Found patterns come with each line's cells in drawing order (OrderForDrawing), as every
    // taker that shows, saves or pictures them wants; a taker that only scores them (the
    // backtest, the strategy check, a quiet tool run) turns it off and gets the walk's order.
    bool DrawingOrder = true;
};
