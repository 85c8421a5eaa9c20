#pragma once

#include <cstdint>

#include "search/Backtest.h"

// A backtest sink that only counts the scored patterns, so that a run measures the backtest
// and nothing else.
class TCountingBacktest : public IBacktestSink {
  public:
    void RowStarted(int32_t) override {}
    void RowScored(const TBacktestRow& row, int32_t, int32_t) override {
        Patterns += row.Total.Patterns;
    }
    int64_t Patterns = 0;
};
