#include "tests/support/RandomDraws.h"

#include <algorithm>
#include <random>

std::vector<std::string> RandomDrawLines(uint32_t seed, int32_t count) {
    std::mt19937 random(seed);
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int32_t row = 0; row < count; ++row) {
        std::string line;
        for (int32_t position = 1; position <= 7; ++position)
            line += static_cast<char>('0' + random() % 10);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::unique_ptr<TCodes> RandomDraws(uint32_t seed, int32_t count) {
    auto draws = std::make_unique<TCodes>();
    for (const std::string& line : RandomDrawLines(seed, count)) {
        const int32_t row = draws->Add();
        for (int32_t position = 1; position <= 7; ++position)
            draws->SetNum(position, row, line[static_cast<size_t>(position - 1)] - '0');
    }
    return draws;
}

std::string RandomDrawFile(uint32_t seed, int32_t count, std::string_view lineEnd) {
    std::string text;
    for (const std::string& line : RandomDrawLines(seed, count)) {
        text += line;
        text += lineEnd;
    }
    return text;
}
