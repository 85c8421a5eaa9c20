#include "tickets/DrawIdentity.h"

#include "data/Error.h"

std::string IssueOfDrawRow(const TCodes& draws, const TDrawRegister& reg, int32_t row) {
    // A draw after the coming one (a ticket bought for several draws) continues the 期号 of the
    // last draw one a draw, as the coming draw does; never the row number.
    const int32_t count = draws.Count();
    constexpr int32_t FarthestAhead = 1000;
    if (row > count && row - count <= FarthestAhead && count > 0 && reg.Count() >= count) {
        std::string issue = reg.At(count - 1).Issue;
        for (int32_t r = count - 1; r < row && !issue.empty(); ++r) issue = NextIssueAfter(issue);
        if (!issue.empty()) return issue;
    }
    const std::string label = IssueLabel(reg, row, draws.Count(), draws.FirstIssue());
    // The coming draw after a last row without a 期号 continues the row numbering.
    return label.empty() ? std::to_string(static_cast<int64_t>(draws.FirstIssue()) + row) : label;
}

int32_t DrawRowOfIssue(const TCodes& draws, const TDrawRegister& reg, std::string_view issue) {
    const int64_t key = IssueKey(issue);
    // Newest first: tickets are nearly always for the last draws or the coming one.
    if (key >= 0) {
        for (int32_t row = draws.Count(); row >= 0; --row)
            if (IssueKey(IssueOfDrawRow(draws, reg, row)) == key) return row;
    }
    throw TError("期号" + std::string(issue) + "不存在");
}
