#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/Hao.h"

// Which draw a 期号 names, in one place: for now the draws' rows are numbered from the list's
// first issue (the grid's issue column), and the row after the last is the coming draw.

// The row of a typed 期号: 0..draws.Count() (Count(): the coming draw). Throws TError
// "期号…不存在" for any other.
int32_t DrawRowOfIssue(const TCodes& draws, std::string_view issue);
// The 期号 shown for a row.
std::string IssueOfDrawRow(const TCodes& draws, int32_t row);
