#pragma once

#include <cstdint>
#include <string>

#include "data/Hao.h"

// The trend report of the command-line tool: one JSON line per position A-G with the five
// omission statistics of the last `window` draws (every draw when window <= 0), indexed by
// digit, then {"trend": {"draws": count, "window": real window length}}.
std::string TrendReportJson(const TCodes& draws, int32_t window);
