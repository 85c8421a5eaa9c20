#include "reduce/ReduceCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <new>
#include <thread>

#include "data/OrderedPool.h"
#include "search/CountDistribution.h"
#include "search/OptionRules.h"
#include "search/SearchEngine.h"

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

}  // namespace

void TPatternFormSink::Found(std::unique_ptr<TGui2Reg> pattern, int64_t) {
    if (auto form = PatternFormOf(*pattern, draws_)) Forms.push_back(*form);
}

TReduceCheckJob MakeReduceCheckJob(const TCodes& draws, const TReduceSet& conditions,
                                   int32_t window, const SearchOptions& options) {
    auto copy = std::make_shared<TCodes>();
    copy->Assign(draws);
    TReduceCheckJob job;
    job.Draws = std::move(copy);
    job.Conditions = conditions;
    job.Window = window;
    job.Options = options;
    return job;
}

namespace {

// The chances of the draws when the conditions keep k times as much of each (at most all).
std::vector<double> ScaledShares(const std::vector<double>& shares, double factor) {
    std::vector<double> scaled(shares.size());
    for (size_t i = 0; i < shares.size(); ++i) scaled[i] = std::min(1.0, shares[i] * factor);
    return scaled;
}

// The factor at which a tail of the observed kept count (AtLeast for the interval's low end,
// AtMost for its high end) is the given level, by bisection: AtLeast rises with the factor
// and AtMost falls.
double LiftBound(const std::vector<double>& shares, int64_t kept, bool atLeast, double highest,
                 double level) {
    double low = 0;
    double high = highest;
    for (int i = 0; i < 45; ++i) {
        const double mid = (low + high) / 2;
        const TCountTails tails = TailsOf(PoissonBinomial(ScaledShares(shares, mid)), kept);
        const bool beyond = atLeast ? tails.AtLeast > level : tails.AtMost <= level;
        (beyond ? high : low) = mid;
    }
    return (low + high) / 2;
}

}  // namespace

TReduceCheckSummary SummarizeReduceCheck(const std::vector<TReduceCheckRow>& rows) {
    TReduceCheckSummary summary;
    summary.Rows = static_cast<int32_t>(rows.size());
    if (rows.empty()) return summary;
    double shares = 0;
    double variance = 0;
    double smallest = 1;  // the smallest positive q
    std::vector<double> chances;
    int64_t possible = 0;  // draws with q > 0
    for (const TReduceCheckRow& row : rows) {
        summary.KeptDraws += row.DrawKept ? 1 : 0;
        shares += row.Share;
        variance += row.Share * (1 - row.Share);
        chances.push_back(row.Share);
        if (row.Share > 0) {
            smallest = std::min(smallest, row.Share);
            ++possible;
        }
    }
    const double n = static_cast<double>(rows.size());
    summary.KeptRate = summary.KeptDraws / n;
    summary.MeanShare = shares / n;
    summary.ExpectedKept = shares;
    if (summary.MeanShare > 0) summary.Lift = summary.KeptRate / summary.MeanShare;
    if (variance > 0) summary.Z = (summary.KeptDraws - shares) / std::sqrt(variance);
    const TCountTails tails = TailsOf(PoissonBinomial(chances), summary.KeptDraws);
    summary.P = tails.TwoSided();
    if (summary.Lift) {
        const double level = VerdictLevel / 2;
        const double highest = 1 / smallest;
        summary.LiftLow = summary.KeptDraws == 0
                              ? 0.0
                              : LiftBound(chances, summary.KeptDraws, true, highest, level);
        if (summary.KeptDraws < possible)
            summary.LiftHigh = LiftBound(chances, summary.KeptDraws, false, highest, level);
        summary.LiftJudged = summary.KeptDraws >= FewestJudgedKept || shares >= FewestJudgedKept;
    }
    if (summary.Rows < FewestVerdictRows)
        summary.Verdict = TBacktestVerdict::TooFewDraws;
    else if (*summary.P <= VerdictLevel)
        summary.Verdict = tails.Upper() ? TBacktestVerdict::Above : TBacktestVerdict::Below;
    else
        summary.Verdict = TBacktestVerdict::NoDifference;
    return summary;
}

std::vector<TReduceCheckPoint> ReduceCheckSeries(const std::vector<TReduceCheckRow>& rows) {
    std::vector<TReduceCheckPoint> points;
    double kept = 0;
    double shares = 0;
    for (const TReduceCheckRow& row : rows) {
        kept += row.DrawKept ? 1 : 0;
        shares += row.Share;
        TReduceCheckPoint point;
        point.Row = row.Row;
        point.Share = row.Share;
        point.DrawKept = row.DrawKept;
        if (shares > 0) point.RunningLift = kept / shares;
        points.push_back(point);
    }
    return points;
}

std::string TReduceCheckResult::EndText() const {
    std::string rows = "没有检验完任何一期";
    if (!Rows.empty())
        rows = "已检验第" + std::to_string(Rows.front().Row) + "–" +
               std::to_string(Rows.back().Row) + "期";
    if (!Error.empty()) return "检验未能完成，" + rows + "：" + Error;
    if (Stopped) return "检验已停止，" + rows + "。";
    return "检验完成。";
}

namespace {

// One draw t of the check: its conditions rebuilt from the draws before it, counted. None when
// a stop cut it short. prefix keeps the draws before the last t asked (rows copied so far).
std::optional<TReduceCheckRow> CheckRow(const TReduceCheckJob& job, int32_t t, TCodes& prefix,
                                        int32_t& copied, std::map<TShapeDraw, int64_t>* counts,
                                        int searchThreads, int countThreads, TJobControl& control) {
    const TReduceSet& set = job.Conditions;
    const bool patterns = set.HasPatterns();
    TReduceContext context;
    context.Conventions = job.Conventions;
    context.PatternsMayFallShort = true;
    const auto drawT = ShapeDrawOf(job.Draws->GetCode(t - 1));
    const auto before = ShapeDrawOf(job.Draws->GetCode(t - 2));
    if (!drawT || !before) throw TError("第" + std::to_string(t) + "期的号码不是7个数字");
    context.Previous = *before;
    TReduceCheckRow row;
    row.Row = t;
    if (patterns) {
        prefix.SetCount(t - 1);  // keeps the rows copied before
        for (int32_t i = copied; i < t - 1; ++i) prefix.SetCode(i, job.Draws->GetCode(i));
        copied = t - 1;
        TSearchRequest search;
        search.Options = job.Options;
        search.Draws = &prefix;
        search.Threads = searchThreads;
        search.Seed = job.Seed;
        search.DrawingOrder = false;  // only the hits count
        TPatternFormSink sink(prefix);
        RunSearch(search, sink, control);
        if (control.Cancelled()) return std::nullopt;
        context.Patterns = std::move(sink.Forms);
        row.Patterns = static_cast<int32_t>(context.Patterns.size());
    }
    const TReducePlan judge(set, context, false);
    row.DrawKept = judge.Keeps(*drawT);
    const TShapeDraw key = set.NeedsPrevious() ? *before : TShapeDraw{};
    const auto known = counts ? counts->find(key) : std::map<TShapeDraw, int64_t>::iterator{};
    if (counts && known != counts->end()) {
        row.Kept = known->second;
    } else if (judge.PatternsFallShort()) {
        row.Kept = 0;
    } else {
        const TReducePlan plan(set, context, true, &control);
        // The count reports its blocks to a control of its own, so that the check's progress
        // stays its draws; the check's cancel reaches it at its next block.
        TJobControl part;
        part.SetWake([&] {
            part.Looked();
            if (control.Cancelled()) part.Cancel();
        });
        const TReduceCount counted = CountReduced(plan, false, countThreads, part);
        if (counted.Stopped) return std::nullopt;
        row.Kept = counted.Kept;
        if (counts) counts->emplace(key, row.Kept);
    }
    row.Share = static_cast<double>(row.Kept) / static_cast<double>(ReduceCandidateCount);
    return row;
}

}  // namespace

TReduceCheckResult RunReduceCheck(const TReduceCheckJob& job, TJobControl& control,
                                  const TReduceCheckNewsFn& news) {
    TReduceCheckResult result;
    const int32_t count = job.Draws ? job.Draws->Count() : 0;
    result.DrawCount = count;
    result.Total = std::clamp(job.Window, 0, std::max(0, count - 1));
    result.FirstRow = count - result.Total + 1;
    const TReduceSet& set = job.Conditions;
    const bool patterns = set.HasPatterns();
    try {
        if (patterns) {
            if (const std::string problems = SearchOptionMessage(job.Options); !problems.empty())
                throw TError(problems);
        }
    } catch (const std::exception& error) {
        result.Error = error.what();
        result.Stopped = result.Total > 0;
        return result;
    }
    // Conditions that do not change with t are counted once, on every core. Those that do
    // (重号, 邻号, 规律) are counted a draw per core at once, each on one thread, as the
    // backtest searches its rows.
    const bool changing = patterns || set.NeedsPrevious();
    int workers = 1;
    if (changing)
        workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1,
                             std::max(1, result.Total));
    std::map<TShapeDraw, int64_t> counts;
    TOrderedPool pool;
    try {
        pool.Run(
            result.Total, workers, control,
            [&] {
                return [&, prefix = TCodes(), copied = int32_t{0}](
                           int32_t index) mutable -> std::optional<TReduceCheckRow> {
                    return CheckRow(job, result.FirstRow + index, prefix, copied,
                                    changing ? nullptr : &counts, changing ? 1 : job.SearchThreads,
                                    changing ? 1 : job.CountThreads, control);
                };
            },
            [&](int32_t index) {
                const auto done = static_cast<int32_t>(result.Rows.size());
                if (news) news({result.FirstRow + index, done, result.Total, nullptr});
                control.Report(done, result.Total);
            },
            [&](TReduceCheckRow&& row) {
                result.Rows.push_back(std::move(row));
                const TReduceCheckRow& scored = result.Rows.back();
                const auto done = static_cast<int32_t>(result.Rows.size());
                if (news) news({scored.Row, done, result.Total, &scored});
                control.Report(done, result.Total);
            });
    } catch (const std::bad_alloc&) {
        result.Error = "内存不足";
    } catch (const std::exception& error) {
        result.Error = error.what();
    }
    result.Stopped = static_cast<int32_t>(result.Rows.size()) < result.Total;
    result.Summary = SummarizeReduceCheck(result.Rows);
    return result;
}

std::string ReduceCheckSentence(const TReduceCheckSummary& s) {
    if (s.Rows == 0) return "没有可检验的开奖号码。";
    std::string text =
        Format("检验最近 %d 期：条件平均保留全部号码的 %.2f%%，实际开奖号码被保留 %d 期（%.1f%%）",
               s.Rows, s.MeanShare * 100, s.KeptDraws, s.KeptRate * 100);
    text += Format("，随机情况下平均保留 %.2f 期", s.ExpectedKept);
    if (s.Lift && s.LiftJudged) {
        text += Format("，是随机水平的 %.2f 倍（95%% 区间 %.2f–", *s.Lift, s.LiftLow.value_or(0));
        text += s.LiftHigh ? Format("%.2f 倍）", *s.LiftHigh) : std::string("无上限）");
    } else if (s.Lift) {
        text += "，被保留的期数太少，无法判断是随机水平的几倍";
    }
    text += s.Z ? Format("，z = %.2f", *s.Z) : std::string("，无 z 值");
    if (s.P) text += *s.P < 0.001 ? std::string("，p < 0.001") : Format("，p = %.3f", *s.P);
    if (s.Verdict == TBacktestVerdict::TooFewDraws)
        text += Format("；期数少于 %d 期", FewestVerdictRows);
    return text + "，" + BacktestVerdictText(s.Verdict) + "。";
}

const char* ReduceChanceSentence() {
    return "条件不能改变单注的中奖机会，只能改变买多少注。";
}
