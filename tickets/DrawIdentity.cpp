#include "tickets/DrawIdentity.h"

#include <charconv>

#include "data/Error.h"

int32_t DrawRowOfIssue(const TCodes& draws, std::string_view issue) {
    int64_t number = 0;
    const auto [end, error] = std::from_chars(issue.data(), issue.data() + issue.size(), number);
    const int64_t row = number - draws.FirstIssue();
    if (issue.empty() || error != std::errc() || end != issue.data() + issue.size() || row < 0 ||
        row > draws.Count())
        throw TError("期号" + std::string(issue) + "不存在");
    return static_cast<int32_t>(row);
}

std::string IssueOfDrawRow(const TCodes& draws, int32_t row) {
    return std::to_string(static_cast<int64_t>(draws.FirstIssue()) + row);
}
