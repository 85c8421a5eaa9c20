#pragma once

#include <cstdint>

#include "search/SearchOptions.h"

// How the grid shows draws and patterns, read from the options: ten columns when the tail
// digits take part, the cell height (a height the grid cannot show falls back to the
// smallest), and the marker, link and colour styles.
struct TGridDisplay {
    int32_t ColCount = 7;
    int32_t CellHeight = 30;
    int32_t BoxColorMode = 0;
    int32_t LinkLineStyle = 0;
    int32_t DrawBoxStyle = 0;
};

TGridDisplay GridDisplayFor(const SearchOptions& options);
