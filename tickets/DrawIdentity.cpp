#include "tickets/DrawIdentity.h"

#include <algorithm>

#include "data/Error.h"

namespace {

// The farthest row after the coming draw that is named by counting on.
constexpr int32_t FarthestAhead = 1000;

}  // namespace

std::string IssueOfDrawRow(const TCodes& draws, const TDrawRegister& reg, int32_t row) {
    // A draw after the coming one (a ticket bought for several draws) continues the 期号 of the
    // last draw one a draw, as the coming draw does; never the row number.
    const int32_t count = draws.Count();
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

std::string KnownIssueOfRow(const TCodes& draws, const TDrawRegister& reg, int32_t row) {
    const int32_t count = draws.Count();
    // Rows from the coming draw on count on from the last row's 期号.
    const int32_t named = std::min(row, count - 1);
    if (row < 0 || named < 0 || row - count > FarthestAhead || reg.At(named).Issue.empty())
        return {};
    return IssueOfDrawRow(draws, reg, row);
}

TIssueRows::TIssueRows(const TCodes& draws, const TDrawRegister& reg) {
    const int32_t count = std::min(draws.Count(), reg.Count());
    for (int32_t row = 0; row < count; ++row) {
        const int64_t key = IssueKey(reg.At(row).Issue);
        if (key >= 0) rows_[key] = row;
    }
    if (count == 0 || count != draws.Count() || reg.At(count - 1).Issue.empty()) return;
    std::string issue = reg.At(count - 1).Issue;
    for (int32_t row = count; row <= count + FarthestAhead && !issue.empty(); ++row) {
        issue = NextIssueAfter(issue);
        rows_.emplace(IssueKey(issue), row);
    }
}

int32_t TIssueRows::RowOf(std::string_view issue) const {
    const auto found = rows_.find(IssueKey(issue));
    return found == rows_.end() ? -1 : found->second;
}
