#include "search/Backtest.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

#include "data/Error.h"
#include "search/PatternCheck.h"
#include "search/SearchEngine.h"

namespace {

constexpr double VerdictThreshold = 2.0;

// Scores each pattern of one row's search as it arrives and drops it.
class TScoringSink : public ISearchSink {
  public:
    TScoringSink(const TCodes& draws, int32_t row, int32_t minimumSteps)
        : draws_(draws), minimumSteps_(minimumSteps) {
        Row.Row = row;
    }
    void Progress(int64_t) override {}
    void Found(std::unique_ptr<TGui2Reg> pattern, int64_t) override {
        Row.Score(*pattern, draws_, minimumSteps_);
    }
    TBacktestRow Row;

  private:
    const TCodes& draws_;
    int32_t minimumSteps_;
};

// The draws before a row, kept between rows so that only new rows are copied.
class TPrefixDraws {
  public:
    explicit TPrefixDraws(const TCodes& draws) : draws_(draws) {}
    const TCodes& Before(int32_t row) {
        const int32_t count = row - 1;
        prefix_.SetCount(count);
        for (int32_t i = std::min(valid_, count); i < count; ++i)
            prefix_.SetCode(i, draws_.GetCode(i));
        valid_ = count;
        return prefix_;
    }

  private:
    const TCodes& draws_;
    TCodes prefix_;
    int32_t valid_ = 0;
};

double Rate(int64_t part, double whole) {
    return whole > 0 ? static_cast<double>(part) / whole : 0.0;
}

}  // namespace

std::array<int32_t, 3> BacktestGroupsOf(const TGui2Reg& pattern, int32_t minimumSteps) {
    const int32_t classGroup = static_cast<int32_t>(ClassifyPattern(pattern));
    const int32_t contrastGroup =
        FirstContrastGroup + std::clamp<int32_t>(pattern.ContrastKind, 1, 3) - 1;
    const int32_t band = std::clamp(pattern.StepTotal - minimumSteps, 0, StepBands - 1);
    return {classGroup, contrastGroup, FirstStepsGroup + band};
}

TBacktestDimension BacktestGroupDimension(int32_t group) {
    if (group < FirstContrastGroup) return TBacktestDimension::Class;
    if (group < FirstStepsGroup) return TBacktestDimension::Contrast;
    return TBacktestDimension::Steps;
}

const char* BacktestDimensionName(TBacktestDimension dimension) {
    switch (dimension) {
        case TBacktestDimension::Class:
            return "类别";
        case TBacktestDimension::Contrast:
            return "对比";
        case TBacktestDimension::Steps:
            break;
    }
    return "步数";
}

std::string BacktestGroupName(int32_t group, int32_t minimumSteps) {
    switch (BacktestGroupDimension(group)) {
        case TBacktestDimension::Class:
            return PatternClassName(static_cast<TPatternClass>(group));
        case TBacktestDimension::Contrast:
            return ContrastNames[static_cast<size_t>(group - FirstContrastGroup + 1)];
        case TBacktestDimension::Steps:
            break;
    }
    const int32_t band = group - FirstStepsGroup;
    return std::to_string(minimumSteps + band) + (band == StepBands - 1 ? "步及以上" : "步");
}

void TBacktestRow::Score(const TGui2Reg& pattern, const TCodes& draws, int32_t minimumSteps) {
    // A pattern that does not lie on the draws with its coming draw known cannot be scored.
    if (!PatternFitsDraws(pattern, draws) || pattern.BaseRow >= draws.Count()) return;
    const bool hit = PatternHits(pattern, draws);
    const double chance = PatternChance(pattern, draws);
    Total.Add(hit, chance);
    for (int32_t group : BacktestGroupsOf(pattern, minimumSteps))
        Groups[static_cast<size_t>(group)].Add(hit, chance);
}

TBacktestZ BacktestZ(const std::vector<double>& differences) {
    TBacktestZ result;
    result.Rows = static_cast<int32_t>(differences.size());
    if (differences.empty()) return result;
    double sum = 0;
    for (double d : differences) sum += d;
    const double m = static_cast<double>(differences.size());
    result.MeanDifference = sum / m;
    if (differences.size() < 2) return result;
    double squares = 0;
    for (double d : differences)
        squares += (d - result.MeanDifference) * (d - result.MeanDifference);
    const double sd = std::sqrt(squares / (m - 1));
    // Equal differences on every row (a spread lost in rounding counts as none) give no z.
    if (sd <= 1e-12) return result;
    result.Z = result.MeanDifference / (sd / std::sqrt(m));
    return result;
}

const char* BacktestVerdict(const std::optional<double>& z) {
    if (z && *z >= VerdictThreshold) return "高于随机水平";
    if (z && *z <= -VerdictThreshold) return "低于随机水平";
    return "与随机水平无显著差异";
}

double TBacktestLine::HitRate() const {
    return Rate(Counts.Hits, static_cast<double>(Counts.Patterns));
}

double TBacktestLine::ChanceRate() const {
    return Counts.Patterns > 0 ? Counts.Chance / static_cast<double>(Counts.Patterns) : 0.0;
}

namespace {

TBacktestLine SummarizeLine(const std::vector<TBacktestRow>& rows, int32_t group) {
    TBacktestLine line;
    std::vector<double> differences;
    for (const TBacktestRow& row : rows) {
        const TBacktestCounts& c = group < 0 ? row.Total : row.Groups[static_cast<size_t>(group)];
        if (c.Patterns == 0) continue;
        line.Counts.Patterns += c.Patterns;
        line.Counts.Hits += c.Hits;
        line.Counts.Chance += c.Chance;
        const double p = static_cast<double>(c.Patterns);
        differences.push_back(static_cast<double>(c.Hits) / p - c.Chance / p);
    }
    line.Z = BacktestZ(differences);
    return line;
}

}  // namespace

TBacktestSummary SummarizeBacktest(const std::vector<TBacktestRow>& rows, int32_t minimumSteps) {
    TBacktestSummary summary;
    summary.Rows = static_cast<int32_t>(rows.size());
    summary.Total = SummarizeLine(rows, -1);
    summary.Total.Name = "全部";
    for (int32_t g = 0; g < BacktestGroupCount; ++g) {
        summary.Groups[static_cast<size_t>(g)] = SummarizeLine(rows, g);
        summary.Groups[static_cast<size_t>(g)].Name = BacktestGroupName(g, minimumSteps);
    }
    return summary;
}

std::string BacktestSentence(const TBacktestSummary& summary) {
    const TBacktestLine& total = summary.Total;
    if (total.Counts.Patterns == 0)
        return "回测最近 " + std::to_string(summary.Rows) + " 期：没有找到规律，无从比较。";
    char text[512];
    char zText[64];
    if (total.Z.Z)
        std::snprintf(zText, sizeof zText, "z = %.2f", *total.Z.Z);
    else
        std::snprintf(zText, sizeof zText, "期数不足，无 z 值");
    std::snprintf(text, sizeof text,
                  "回测最近 %d 期：规律共预测 %lld 次，命中 %lld 次，命中率 %.1f%%，随机水平 "
                  "%.1f%%，%s（%s）。",
                  summary.Rows, static_cast<long long>(total.Counts.Patterns),
                  static_cast<long long>(total.Counts.Hits), total.HitRate() * 100,
                  total.ChanceRate() * 100, total.Verdict(), zText);
    return text;
}

std::vector<TBacktestPoint> BacktestSeries(const std::vector<TBacktestRow>& rows) {
    std::vector<TBacktestPoint> points;
    double hitSum = 0;
    double chanceSum = 0;
    for (const TBacktestRow& row : rows) {
        if (row.Total.Patterns == 0) continue;
        const double p = static_cast<double>(row.Total.Patterns);
        TBacktestPoint point;
        point.Row = row.Row;
        point.Hit = static_cast<double>(row.Total.Hits) / p;
        point.Chance = row.Total.Chance / p;
        hitSum += point.Hit;
        chanceSum += point.Chance;
        const double n = static_cast<double>(points.size() + 1);
        point.MeanHit = hitSum / n;
        point.MeanChance = chanceSum / n;
        points.push_back(point);
    }
    return points;
}

std::string BacktestPercent(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", rate * 100);
    return text;
}

std::string BacktestZText(const std::optional<double>& z) {
    if (!z) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", *z);
    return text;
}

namespace {

std::string CsvLine(const std::string& dimension, const TBacktestLine& line) {
    char difference[32];
    std::snprintf(difference, sizeof difference, "%+.1f%%", line.Difference() * 100);
    return dimension + "," + line.Name + "," + std::to_string(line.Counts.Patterns) + "," +
           std::to_string(line.Counts.Hits) + "," + BacktestPercent(line.HitRate()) + "," +
           BacktestPercent(line.ChanceRate()) + "," + difference + "," + BacktestZText(line.Z.Z) +
           "," + line.Verdict() + "\r\n";
}

}  // namespace

std::string BacktestTableCsv(const TBacktestSummary& summary) {
    std::string csv = "分组,名称,预测,命中,命中率,随机水平,差值,z,结论\r\n";
    csv += CsvLine("全部", summary.Total);
    for (int32_t g = 0; g < BacktestGroupCount; ++g)
        csv += CsvLine(BacktestDimensionName(BacktestGroupDimension(g)),
                       summary.Groups[static_cast<size_t>(g)]);
    return csv;
}

std::vector<TBacktestRow> RunBacktest(const TBacktestRequest& request, IBacktestSink& sink,
                                      const std::atomic<bool>& stop) {
    if (request.Draws == nullptr) throw TError("RunBacktest Draws isnot valid!");
    const TCodes& draws = *request.Draws;
    const int32_t total = std::clamp(request.Rows, 0, draws.Count());
    const int32_t firstRow = draws.Count() - total + 1;
    int workers = request.Workers > 0
                      ? request.Workers
                      : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    workers = std::min(workers, std::max(total, 1));

    std::atomic<int32_t> nextIndex{0};
    std::atomic<bool> failed{false};
    std::mutex mutex;  // guards what follows and every call into the sink
    std::exception_ptr error;
    std::map<int32_t, TBacktestRow> early;  // rows done before an earlier row
    std::vector<TBacktestRow> scored;

    auto work = [&] {
        TPrefixDraws prefix(draws);
        while (!stop.load() && !failed.load()) {
            const int32_t index = nextIndex.fetch_add(1);
            if (index >= total) break;
            const int32_t row = firstRow + index;
            {
                std::lock_guard lock(mutex);
                sink.RowStarted(row);
            }
            TSearchRequest search;
            search.Options = request.Options;
            search.Draws = &prefix.Before(row);
            search.Threads = request.SearchThreads;
            search.Seed = request.Seed;
            TScoringSink scoring(draws, row, request.Options.SecCountSe);
            try {
                RunSearch(search, scoring, stop);
            } catch (...) {
                std::lock_guard lock(mutex);
                if (!error) error = std::current_exception();
                failed = true;
                break;
            }
            if (stop.load()) break;  // the search may have ended early
            std::lock_guard lock(mutex);
            early.emplace(row, std::move(scoring.Row));
            for (auto it = early.find(firstRow + static_cast<int32_t>(scored.size()));
                 it != early.end();
                 it = early.find(firstRow + static_cast<int32_t>(scored.size()))) {
                scored.push_back(std::move(it->second));
                early.erase(it);
                sink.RowScored(scored.back(), static_cast<int32_t>(scored.size()), total);
            }
        }
    };
    std::vector<std::thread> threads;
    for (int i = 1; i < workers; ++i) threads.emplace_back(work);
    work();
    for (auto& t : threads) t.join();
    if (error) std::rethrow_exception(error);
    return scored;
}
