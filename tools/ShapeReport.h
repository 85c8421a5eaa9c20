#pragma once

#include <cstdint>
#include <string>

#include "data/Hao.h"

// The shape report of the command-line tool: one JSON line per shape metric, in the charts'
// order, with its categories, the omission statistics and the counts chance expects over the
// last `window` draws (every draw when window <= 0), and the chi-square fit (p is null when too
// few draws leave nothing to test); then {"shape": {"draws": count, "window": real length}}.
std::string ShapeReportJson(const TCodes& draws, int32_t window);
