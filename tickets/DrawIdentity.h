#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "data/DrawRegister.h"
#include "data/Hao.h"

// Which draw a 期号 names, in one place. A row whose 期号 the register knows is named by it
// (five- and seven-digit forms alike); a row it does not know is numbered from the list's
// first issue, as the grid's 期 column numbers it. The row after the last is the coming draw.

// The row of a typed 期号: 0..draws.Count() (Count(): the coming draw). Throws TError
// "期号…不存在" for any other.
int32_t DrawRowOfIssue(const TCodes& draws, const TDrawRegister& reg, std::string_view issue);
// The 期号 shown for a row; a row after the coming draw counts on from the last known 期号.
std::string IssueOfDrawRow(const TCodes& draws, const TDrawRegister& reg, int32_t row);
// The 期号 the register gives a row (the coming draw and those after it counted on from the
// last row's), or empty when it knows none: a ticket of such a row is placed by its row.
std::string KnownIssueOfRow(const TCodes& draws, const TDrawRegister& reg, int32_t row);

// The rows of every 期号 the register knows, the coming draw's and those of the draws after
// it, for placing many tickets at once; 期号 of both widths alike (IssueKey).
class TIssueRows {
  public:
    TIssueRows(const TCodes& draws, const TDrawRegister& reg);
    // The row of the draw of issue; -1 when the register does not know it.
    int32_t RowOf(std::string_view issue) const;

  private:
    std::unordered_map<int64_t, int32_t> rows_;
};
