#include "data/DrawMerge.h"

#include <algorithm>
#include <unordered_set>

#include "data/DownloadCodec.h"

namespace {

DrawRecord RecordOf(int32_t number) {
    if (number < 0 || number > 9999999)
        throw TError("开奖号码不是7位数字：" + std::to_string(number));
    DrawRecord record;
    for (int p = 7; p >= 1; --p) {
        record[p] = number % 10;
        number /= 10;
    }
    record[0] = record[1] + record[2] + record[3] + record[4];
    return record;
}

// Whether the 期号 of a document and a source are read as serial numbers (see IssueKey).
bool SerialIssues(const TDrawRegister& reg, const TIncomingDraws& incoming) {
    return SerialNumbering(reg.Rows) || SerialNumbering(incoming.Identities);
}

// The issue text of a key in the width of a sample issue.
std::string IssueTextOf(int64_t key, const std::string& sample, bool serial) {
    if (sample.size() == 5 && !serial) key -= 2000 * 1000;
    std::string text = std::to_string(key);
    if (text.size() < sample.size()) text.insert(0, sample.size() - text.size(), '0');
    return text;
}

// Missing issues between consecutive known issues of the rows, oldest first. A serial that
// starts again at 001 in the next year (yyyyNNN) is no gap; a jump over whole years is a gap
// of unknown length (UncountedGap).
void FindGaps(const std::vector<const std::string*>& issues, bool serial, TDrawMergePlan& plan) {
    int64_t last = -1;
    const std::string* lastIssue = nullptr;
    for (const std::string* issue : issues) {
        if (issue == nullptr || issue->empty()) continue;
        const int64_t key = IssueKey(*issue, serial);
        if (key < 0) continue;
        if (last >= 0 && key > last + 1) {
            int64_t from = last + 1, to = key - 1;
            if (IsYearlyIssue(*issue, serial) && key / 1000 > last / 1000) {
                // Across a year: only the missing start of the new year is known.
                from = (key / 1000) * 1000 + 1;
                if (key / 1000 != last / 1000 + 1) {  // years missing: not guessed
                    from = key;
                    if (plan.UncountedGap.second.empty())
                        plan.UncountedGap = {lastIssue != nullptr ? *lastIssue : "", *issue};
                }
            }
            if (from <= to) {
                plan.GapCount += to - from + 1;
                for (int64_t k = from; k <= to && plan.Gaps.size() < MaxListedGaps; ++k)
                    plan.Gaps.push_back(IssueTextOf(k, *issue, serial));
            }
        }
        if (key > last) lastIssue = issue;
        last = std::max(last, key);
    }
}

// True when next (a source's first new 期号) can continue a numbering whose last 期号 is last:
// both serial numbers, both of one yearly width, or a five- and a seven-digit form of the same
// or the next year. Otherwise the two are numbered differently and next is no continuation.
bool CanContinue(const std::string& last, const std::string& next, bool serial) {
    const bool lastYearly = IsYearlyIssue(last, serial), nextYearly = IsYearlyIssue(next, serial);
    if (!lastYearly && !nextYearly) return true;
    if (lastYearly != nextYearly) return false;
    if (last.size() == next.size()) return true;
    const int64_t lastYear = IssueKey(last, serial) / 1000,
                  nextYear = IssueKey(next, serial) / 1000;
    return nextYear >= lastYear && nextYear <= lastYear + 1;
}

// z[i]: the length of the longest common prefix of s and s[i..].
std::vector<int32_t> ZFunction(const std::vector<int32_t>& s) {
    const int32_t n = static_cast<int32_t>(s.size());
    std::vector<int32_t> z(s.size(), 0);
    int32_t l = 0, r = 0;
    for (int32_t i = 1; i < n; ++i) {
        if (i < r) z[i] = std::min(r - i, z[i - l]);
        while (i + z[i] < n && s[z[i]] == s[i + z[i]]) ++z[i];
        if (i + z[i] > r) {
            l = i;
            r = i + z[i];
        }
    }
    return z;
}

void FindDuplicates(const TIncomingDraws& incoming, bool serial, TDrawMergePlan& plan) {
    // Issues that go strictly up (the usual source) cannot repeat.
    int64_t last = -1;
    bool rising = true;
    for (const TDrawIdentity& id : incoming.Identities) {
        const int64_t key = IssueKey(id.Issue, serial);
        if (key < 0) continue;
        rising = rising && key > last;
        last = key;
    }
    if (rising) return;
    std::unordered_set<int64_t> seen;
    seen.reserve(incoming.Identities.size());
    for (size_t i = 0; i < incoming.Identities.size(); ++i) {
        const int64_t key = IssueKey(incoming.Identities[i].Issue, serial);
        if (key >= 0 && !seen.insert(key).second)
            plan.Duplicates.push_back(static_cast<int32_t>(i));
    }
}

const TDrawIdentity& IdentityOf(const TIncomingDraws& incoming, size_t index) {
    static const TDrawIdentity unknown;
    return index < incoming.Identities.size() ? incoming.Identities[index] : unknown;
}

// True when the incoming identity adds something to a row's: only a date when datesOnly (the
// row was matched by its 期号, or the source numbers draws another way).
bool Adds(const TDrawIdentity& row, const TDrawIdentity& incoming, bool datesOnly) {
    if (datesOnly) return row.Date.empty() && !incoming.Date.empty();
    return (row.Issue.empty() && !incoming.Issue.empty()) ||
           (row.Date.empty() && !incoming.Date.empty() && row.Issue.empty());
}

// Returns how many incoming draws carry an issue the document has.
int32_t PlanByIssue(const TCodes& draws, const TDrawRegister& reg, const TIncomingDraws& incoming,
                    bool serial, TDrawMergePlan& plan) {
    std::vector<std::pair<int64_t, int32_t>> known;  // key, row
    for (int32_t r = 0; r < draws.Count(); ++r) {
        const int64_t key = IssueKey(reg.At(r).Issue, serial);
        if (key >= 0) known.emplace_back(key, r);
    }
    if (!std::is_sorted(known.begin(), known.end())) std::sort(known.begin(), known.end());
    const int64_t lastKey = known.back().first;
    const std::unordered_set<int32_t> duplicates(plan.Duplicates.begin(), plan.Duplicates.end());
    std::vector<std::pair<int64_t, int32_t>> added;
    int32_t shared = 0;
    for (size_t i = 0; i < incoming.Numbers.size(); ++i) {
        const int32_t index = static_cast<int32_t>(i);
        if (duplicates.count(index) != 0) continue;
        const int64_t key = IssueKey(incoming.Identities[i].Issue, serial);
        const auto found = std::lower_bound(known.begin(), known.end(), std::make_pair(key, -1));
        if (found != known.end() && found->first == key) {
            ++shared;
            const int32_t row = found->second;
            const int32_t number = DrawNumberOf(draws.Rows()[row]);
            if (number != incoming.Numbers[i])
                plan.Differences.push_back({row, index, number, incoming.Numbers[i]});
        } else if (key > lastKey) {
            added.emplace_back(key, index);
        } else {
            plan.Older.push_back(index);
        }
    }
    std::sort(added.begin(), added.end());
    for (const auto& [key, index] : added) plan.NewDraws.push_back(index);
    return shared;
}

void PlanByOverlap(const TCodes& draws, const TDrawRegister& reg, const TIncomingDraws& incoming,
                   bool serial, TDrawMergePlan& plan) {
    const int32_t n = draws.Count();
    const int32_t m = static_cast<int32_t>(incoming.Numbers.size());
    std::vector<int32_t> text;
    text.reserve(static_cast<size_t>(n + m + 1));
    for (int32_t r = n - 1; r >= 0; --r) text.push_back(DrawNumberOf(draws.Rows()[r]));
    text.push_back(-1);
    for (int32_t i = m - 1; i >= 0; --i) text.push_back(incoming.Numbers[static_cast<size_t>(i)]);
    const std::vector<int32_t> z = ZFunction(text);
    int32_t best = 0, bestEnd = -1;
    for (int32_t i = 0; i < m; ++i) {
        const int32_t length = z[static_cast<size_t>(n + 1 + i)];
        if (length > best) {  // the first found is the latest end in the source
            best = length;
            bestEnd = m - i;
        }
    }
    if (best < std::min(MinOverlap, n)) {
        plan.Match = TMergeMatch::None;
        for (int32_t i = 0; i < m; ++i) plan.NewDraws.push_back(i);
        return;
    }
    plan.Match = TMergeMatch::Overlap;
    plan.OverlapLength = best;
    plan.Offset = int64_t{n} - bestEnd;
    const int64_t firstRow = std::max<int64_t>(0, plan.Offset);
    // A draw both sides number, differently: the source counts another way, and its 期号 are
    // given to no row (a source numbered 3 lower would otherwise number the new draws wrong).
    for (int64_t r = firstRow; r < n && !plan.NumberingDiffers; ++r) {
        const int64_t mine = IssueKey(reg.At(static_cast<int32_t>(r)).Issue, serial);
        const int64_t theirs =
            IssueKey(IdentityOf(incoming, static_cast<size_t>(r - plan.Offset)).Issue, serial);
        plan.NumberingDiffers = mine >= 0 && theirs >= 0 && mine != theirs;
    }
    for (int64_t r = firstRow; r < n; ++r) {
        const size_t index = static_cast<size_t>(r - plan.Offset);
        const int32_t number = DrawNumberOf(draws.Rows()[r]);
        const int32_t row = static_cast<int32_t>(r);
        if (number != incoming.Numbers[index])
            plan.Differences.push_back(
                {row, static_cast<int32_t>(index), number, incoming.Numbers[index]});
    }
    for (int32_t i = bestEnd; i < m; ++i) plan.NewDraws.push_back(i);
}

// The identities after a merge (the document's rows, then the new draws), kept only when their
// 期号 stay in order: else the document's own and unknowns, never wrong ones. The plan counts
// with the same rows that applying it writes. dropped: the source's identities were refused.
std::vector<TDrawIdentity> MergedIdentities(const TDrawMergePlan& plan,
                                            const TIncomingDraws& incoming, bool replaceDiffering,
                                            const TCodes& draws, const TDrawRegister& reg,
                                            bool& dropped) {
    std::vector<TDrawIdentity> result = reg.Rows;
    result.resize(static_cast<size_t>(draws.Count()));
    const bool byIssue = plan.Match == TMergeMatch::Issue;
    const bool serial = SerialIssues(reg, incoming);
    // Identities the document gains on rows it shares with the source; never a 期号 of a source
    // that numbers draws another way.
    const bool datesOnly = byIssue || plan.NumberingDiffers;
    const auto fill = [&](int32_t row, size_t index) {
        TDrawIdentity& id = result[static_cast<size_t>(row)];
        const TDrawIdentity& from = IdentityOf(incoming, index);
        if (!Adds(id, from, datesOnly)) return;
        if (id.Issue.empty() && !datesOnly) id.Issue = from.Issue;
        if (id.Date.empty()) id.Date = from.Date;
    };
    if (plan.Match == TMergeMatch::Overlap) {
        for (int64_t r = std::max<int64_t>(0, plan.Offset); r < draws.Count(); ++r)
            fill(static_cast<int32_t>(r), static_cast<size_t>(r - plan.Offset));
    } else if (byIssue) {
        std::vector<std::pair<int64_t, size_t>> byKey;
        for (size_t i = 0; i < incoming.Numbers.size(); ++i)
            byKey.emplace_back(IssueKey(IdentityOf(incoming, i).Issue, serial), i);
        if (!std::is_sorted(byKey.begin(), byKey.end())) std::sort(byKey.begin(), byKey.end());
        for (int32_t r = 0; r < draws.Count(); ++r) {
            const int64_t key = IssueKey(result[static_cast<size_t>(r)].Issue, serial);
            const auto found =
                std::lower_bound(byKey.begin(), byKey.end(), std::make_pair(key, size_t{0}));
            if (key >= 0 && found != byKey.end() && found->first == key &&
                DrawNumberOf(draws.Rows()[r]) == incoming.Numbers[found->second])
                fill(r, found->second);
        }
    }
    if (replaceDiffering && !byIssue)
        for (const TDrawDifference& difference : plan.Differences)
            fill(difference.Row, static_cast<size_t>(difference.Incoming));
    for (int32_t index : plan.NewDraws) {
        TDrawIdentity id = IdentityOf(incoming, static_cast<size_t>(index));
        if (plan.NumberingDiffers) id.Issue.clear();  // another numbering: not the document's
        result.push_back(std::move(id));
    }
    dropped = false;
    try {
        CheckIssueOrder(result);
    } catch (const TRegisterError&) {
        const size_t size = result.size();
        result.assign(reg.Rows.begin(), reg.Rows.end());
        result.resize(size);
        dropped = true;
    }
    return result;
}

}  // namespace

TIncomingDraws IncomingFromReading(const TDrawFileReading& reading) {
    TIncomingDraws incoming;
    incoming.Numbers.reserve(reading.Rows.size());
    incoming.Identities.reserve(reading.Rows.size());
    incoming.Lines.reserve(reading.Rows.size());
    for (const TDrawFileRow& row : reading.Rows) {
        incoming.Numbers.push_back(row.Number);
        incoming.Lines.push_back(row.Line);
        TDrawIdentity id;
        if (IsIssueText(row.Issue)) id.Issue = row.Issue;
        id.Date = NormalDate(row.Date);
        incoming.Identities.push_back(std::move(id));
    }
    return incoming;
}

TIncomingDraws IncomingFromItems(const std::vector<std::string>& items) {
    TIncomingDraws incoming;
    incoming.Numbers = DecodeReceivedItems(items, DrawKey());
    incoming.Identities.reserve(items.size());
    for (const std::string& item : items) {
        std::string issue = item.substr(0, item.find('#'));
        const auto blank = [](char c) { return c == ' ' || c == '\t'; };
        while (!issue.empty() && blank(issue.back())) issue.pop_back();
        while (!issue.empty() && blank(issue.front())) issue.erase(0, 1);
        TDrawIdentity id;
        if (IsIssueText(issue)) id.Issue = std::move(issue);
        incoming.Identities.push_back(std::move(id));
    }
    return incoming;
}

TDrawMergePlan PlanDrawMerge(const TCodes& draws, const TDrawRegister& reg,
                             const TIncomingDraws& incoming) {
    TDrawMergePlan plan;
    const bool serial = SerialIssues(reg, incoming);
    FindDuplicates(incoming, serial, plan);
    int64_t last = -1;
    for (size_t i = 0; i < incoming.Identities.size() && plan.Backward < 0; ++i) {
        const int64_t key = IssueKey(incoming.Identities[i].Issue, serial);
        if (key >= 0 && key < last) plan.Backward = static_cast<int32_t>(i);
        last = std::max(last, key);
    }
    // The document's last 期号, which new draws continue.
    const std::string* lastIssue = nullptr;
    for (int32_t r = draws.Count() - 1; r >= 0 && lastIssue == nullptr; --r)
        if (!reg.At(r).Issue.empty()) lastIssue = &reg.At(r).Issue;
    bool incomingIssues = !incoming.Numbers.empty();
    for (size_t i = 0; i < incoming.Numbers.size() && incomingIssues; ++i)
        incomingIssues = !IdentityOf(incoming, i).Issue.empty();
    if (draws.Count() == 0) {
        for (size_t i = 0; i < incoming.Numbers.size(); ++i)
            plan.NewDraws.push_back(static_cast<int32_t>(i));
    } else if (lastIssue != nullptr && incomingIssues) {
        plan.Match = TMergeMatch::Issue;
        const int32_t shared = PlanByIssue(draws, reg, incoming, serial, plan);
        // Not one 期号 in common: when the document's newest draws are found in the source, or
        // the source reaches back before the document's last draw, the two are numbered
        // differently and the digits decide, as without 期号.
        if (shared == 0) {
            TDrawMergePlan byDigits;
            byDigits.Backward = plan.Backward;
            byDigits.NumberingDiffers = true;
            PlanByOverlap(draws, reg, incoming, serial, byDigits);
            if (byDigits.Match == TMergeMatch::Overlap || !plan.Older.empty())
                plan = std::move(byDigits);
            else if (!plan.NewDraws.empty())
                // Only later draws: they continue the document's numbering when their first 期号
                // can follow its last one; else the source counts another way (a five-digit
                // serial 32001 after 2015150 is no 2032001) and the plan says so.
                plan.NumberingDiffers = !CanContinue(
                    *lastIssue,
                    IdentityOf(incoming, static_cast<size_t>(plan.NewDraws.front())).Issue, serial);
        }
    } else {
        plan.Duplicates.clear();  // without issues on both sides the source is taken as it is
        PlanByOverlap(draws, reg, incoming, serial, plan);
    }
    // Gaps of the result: the document's issues (or those it gains), then the new draws'.
    std::vector<const std::string*> issues;
    issues.reserve(static_cast<size_t>(draws.Count()) + plan.NewDraws.size());
    const std::string* lastKnown = nullptr;  // the last of the document's rows, as merged
    for (int32_t r = 0; r < draws.Count(); ++r) {
        const std::string* issue = &reg.At(r).Issue;
        if (issue->empty() && plan.Match == TMergeMatch::Overlap && !plan.NumberingDiffers) {
            const int64_t index = r - plan.Offset;
            if (index >= 0 && index < static_cast<int64_t>(incoming.Numbers.size()))
                issue = &IdentityOf(incoming, static_cast<size_t>(index)).Issue;
        }
        issues.push_back(issue);
        if (!issue->empty()) lastKnown = issue;
    }
    // New draws numbered another way keep no 期号 (see ApplyDrawMerge), so they add no gaps.
    static const std::string unknown;
    std::vector<const std::string*> opened{lastKnown};
    for (int32_t index : plan.NewDraws) {
        const std::string* issue = plan.NumberingDiffers
                                       ? &unknown
                                       : &IdentityOf(incoming, static_cast<size_t>(index)).Issue;
        issues.push_back(issue);
        opened.push_back(issue);
    }
    FindGaps(issues, serial, plan);
    // What applying the plan gives the document's rows, counted from the same rows it writes.
    const std::vector<TDrawIdentity> merged =
        MergedIdentities(plan, incoming, false, draws, reg, plan.IdentitiesDropped);
    plan.FilledIdentities = 0;
    for (int32_t r = 0; r < draws.Count(); ++r)
        if (!(merged[static_cast<size_t>(r)] == reg.At(r))) ++plan.FilledIdentities;
    // The gaps that the new draws open after the document's last 期号 (not the document's own).
    TDrawMergePlan tail;
    FindGaps(opened, serial, tail);
    plan.OpensGap = tail.GapCount > 0 || !tail.UncountedGap.second.empty();
    return plan;
}

void ApplyDrawMerge(const TDrawMergePlan& plan, const TIncomingDraws& incoming,
                    bool replaceDiffering, TCodes& draws, TDrawRegister& reg) {
    for (int32_t index : plan.NewDraws) RecordOf(incoming.Numbers[static_cast<size_t>(index)]);
    bool dropped = false;
    TDrawRegister result;
    result.Rows = MergedIdentities(plan, incoming, replaceDiffering, draws, reg, dropped);
    std::vector<DrawRecord> rows(draws.Rows(), draws.Rows() + draws.Count());
    if (replaceDiffering)
        for (const TDrawDifference& difference : plan.Differences)
            rows[static_cast<size_t>(difference.Row)] = RecordOf(difference.IncomingNumber);
    for (int32_t index : plan.NewDraws)
        rows.push_back(RecordOf(incoming.Numbers[static_cast<size_t>(index)]));
    draws.SetCount(static_cast<int32_t>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) draws.SetCode(static_cast<int32_t>(r), rows[r]);
    reg = std::move(result);
}

void ReplaceAllDraws(const TIncomingDraws& incoming, TCodes& draws, TDrawRegister& reg) {
    std::vector<DrawRecord> rows;
    rows.reserve(incoming.Numbers.size());
    for (int32_t number : incoming.Numbers) rows.push_back(RecordOf(number));
    TDrawRegister result;
    for (size_t i = 0; i < rows.size(); ++i) result.Rows.push_back(IdentityOf(incoming, i));
    try {
        CheckIssueOrder(result.Rows);
    } catch (const TRegisterError&) {
        for (TDrawIdentity& id : result.Rows) id.Issue.clear();
    }
    draws.SetCount(static_cast<int32_t>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) draws.SetCode(static_cast<int32_t>(r), rows[r]);
    reg = std::move(result);
}

std::string DescribeMergePlan(const TDrawMergePlan& plan, const TIncomingDraws& incoming,
                              const TDrawRegister& reg) {
    const auto issueOf = [&](size_t index) { return IdentityOf(incoming, index).Issue; };
    const auto drawText = [](int32_t number) {
        std::string text = std::to_string(number);
        return std::string(7 - std::min<size_t>(7, text.size()), '0') + text;
    };
    std::string text = "新增" + std::to_string(plan.NewDraws.size()) + "期";
    if (!plan.NewDraws.empty() && !plan.NumberingDiffers && !plan.IdentitiesDropped) {
        const std::string first = issueOf(static_cast<size_t>(plan.NewDraws.front()));
        const std::string last = issueOf(static_cast<size_t>(plan.NewDraws.back()));
        if (!first.empty()) text += "（第" + first + "期至第" + last + "期）";
    }
    text += "。\n";
    if (plan.NumberingDiffers)
        text += plan.Match == TMergeMatch::Issue
                    ? "来源的期号（第" + issueOf(static_cast<size_t>(plan.NewDraws.front())) +
                          "期起）接不上文档的最后一期，新增的开奖号码不带期号。\n"
                    : "来源的期号与文档的期号对不上，已按开奖号码比较。\n";
    if (plan.Match == TMergeMatch::None && reg.Count() > 0)
        text += "没有找到与文档相同的最近开奖号码，无法确定哪些是新的开奖号码。\n";
    if (!plan.Differences.empty()) {
        text += "有" + std::to_string(plan.Differences.size()) + "期与文档不同：\n";
        size_t listed = 0;
        for (const TDrawDifference& d : plan.Differences) {
            if (++listed > 20) {
                text += "  ……\n";
                break;
            }
            const std::string issue = reg.At(d.Row).Issue;
            text += "  第" + std::to_string(d.Row + 1) + "行" +
                    (issue.empty() ? std::string() : "（第" + issue + "期）") + "：文档 " +
                    drawText(d.DocumentNumber) + "，来源 " + drawText(d.IncomingNumber) + "\n";
        }
    }
    if (plan.GapCount > 0) {
        text += "缺少" + std::to_string(plan.GapCount) + "期：";
        for (size_t i = 0; i < plan.Gaps.size() && i < 20; ++i)
            text += (i == 0 ? "" : "、") + plan.Gaps[i];
        text += plan.GapCount > 20 ? "……\n" : "\n";
    }
    if (plan.IdentitiesDropped)
        text += "来源的期号与文档的期号顺序不合，不采用来源的期号和日期。\n";
    if (!plan.UncountedGap.second.empty())
        text += "第" + plan.UncountedGap.first + "期与第" + plan.UncountedGap.second +
                "期之间缺少的期数不明。\n";
    if (!plan.Duplicates.empty()) {
        text += "来源中重复的期号：";
        for (size_t i = 0; i < plan.Duplicates.size() && i < 20; ++i)
            text += (i == 0 ? "" : "、") + issueOf(static_cast<size_t>(plan.Duplicates[i]));
        text += plan.Duplicates.size() > 20 ? "……\n" : "\n";
    }
    if (plan.Backward >= 0) {
        const auto index = static_cast<size_t>(plan.Backward);
        text += "来源" +
                (index < incoming.Lines.size() ? "第" + std::to_string(incoming.Lines[index]) + "行"
                                               : "第" + std::to_string(index + 1) + "条") +
                "的期号比上一期小：" + issueOf(index) + "\n";
    }
    if (!plan.Older.empty())
        text += "来源中有" + std::to_string(plan.Older.size()) +
                "期早于文档的最后一期而文档没有，不插入。\n";
    if (plan.FilledIdentities > 0)
        text += "补上" + std::to_string(plan.FilledIdentities) + "期的期号或日期。\n";
    return text;
}
