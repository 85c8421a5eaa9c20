#include "tests/support/RandomDraws.h"

#include <random>

std::unique_ptr<TCodes> RandomDraws(uint32_t seed, int32_t count) {
    auto draws = std::make_unique<TCodes>();
    std::mt19937 random(seed);
    for (int32_t row = 0; row < count; ++row) {
        draws->Add();
        for (int32_t position = 1; position <= 7; ++position)
            draws->SetNum(position, row, static_cast<int32_t>(random() % 10));
    }
    return draws;
}
