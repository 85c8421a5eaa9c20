#pragma once

#include <memory>
#include <random>

#include "data/Hao.h"
#include "search/SearchOptions.h"

// 300 draws of random digits, the same on every run.
inline std::unique_ptr<TCodes> BenchDraws(int32_t count = 300) {
    auto draws = std::make_unique<TCodes>();
    std::mt19937 random(20240607);
    for (int32_t row = 0; row < count; ++row) {
        draws->Add();
        for (int32_t position = 1; position <= 7; ++position)
            draws->SetNum(position, row, static_cast<int32_t>(random() % 10));
    }
    return draws;
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
