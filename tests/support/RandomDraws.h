#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/Hao.h"

// Draws of random digits, the same for the same seed on every run, for tests, end-to-end
// tests and benchmarks alike: draw by draw, digit by digit, each digit the next number of
// std::mt19937(seed) modulo 10.

// The draws as seven-digit texts.
std::vector<std::string> RandomDrawLines(uint32_t seed, int32_t count);
// The same draws as a draw list.
std::unique_ptr<TCodes> RandomDraws(uint32_t seed, int32_t count);
// The same draws as a plain draw file: one draw a line, each line ended by lineEnd.
std::string RandomDrawFile(uint32_t seed, int32_t count, std::string_view lineEnd = "\r\n");
