#pragma once

#include <memory>

#include "data/Hao.h"
#include "search/SearchOptions.h"
#include "tests/support/RandomDraws.h"

// 300 draws of random digits, the same on every run.
inline std::unique_ptr<TCodes> BenchDraws(int32_t count = 300) {
    return RandomDraws(20240607, count);
}

// The heavy option set: tail and sum columns, low line over rows 0-9, high line over 1-4.
inline SearchOptions HeavyOptions() {
    SearchOptions options;
    options.RefTailChk = true;
    options.RefSumChk = true;
    options.LinedDistMaxSe = 9;
    options.LinegDistMaxSe = 4;
    return options;
}
