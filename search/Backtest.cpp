#include "search/Backtest.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>

#include "data/Error.h"
#include "data/OrderedPool.h"
#include "search/OptionRules.h"
#include "search/PatternCheck.h"
#include "search/SearchEngine.h"

namespace {

// Scores each pattern of one row's search as it arrives and drops it. With a pattern limit the
// row's search watches a control of its own, which this sink cancels past the limit and
// whenever the backtest is to end or an earlier row has passed the limit (passed on at each
// report of the search).
class TScoringSink : public ISearchSink {
  public:
    TScoringSink(const TCodes& draws, int32_t row, int32_t index, int32_t minimumSteps,
                 int64_t limit, const TJobControl& control, const TOrderedPool& pool)
        : draws_(draws),
          index_(index),
          minimumSteps_(minimumSteps),
          limit_(limit),
          control_(control),
          pool_(pool) {
        Row.Row = row;
    }
    void Progress(int64_t) override { PassOnStop(); }
    void Found(std::unique_ptr<TGui2Reg> pattern, int64_t) override {
        if (limit_ > 0 && ++found_ > limit_) {
            LimitReached = true;
            if (!RowControl.Cancelled()) RowControl.Cancel();
            return;
        }
        Row.Score(*pattern, draws_, minimumSteps_);
    }
    void BatchEnd() override { PassOnStop(); }
    // What the row's search watches.
    const TJobControl& SearchControl() const { return limit_ > 0 ? RowControl : control_; }

    TBacktestRow Row;
    bool LimitReached = false;
    TJobControl RowControl;

  private:
    void PassOnStop() {
        if (RowControl.Cancelled()) return;
        if (control_.Cancelled() || pool_.Drops(index_)) RowControl.Cancel();
    }
    const TCodes& draws_;
    int32_t index_;
    int32_t minimumSteps_;
    int64_t limit_;
    int64_t found_ = 0;
    const TJobControl& control_;
    const TOrderedPool& pool_;
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
    const THitForm form = HitFormOf(pattern, draws);
    TFormHits& hits = forms_[form.Weights];
    std::array<int32_t, 4> lines{0};
    size_t used = 1;
    Total.Add(hit, chance);
    for (int32_t group : BacktestGroupsOf(pattern, minimumSteps)) {
        Groups[static_cast<size_t>(group)].Add(hit, chance);
        lines[used++] = 1 + group;
    }
    for (int32_t v = 0; v < 10; ++v)
        if (form.HitsAt(v))
            for (size_t i = 0; i < used; ++i)
                ++hits[static_cast<size_t>(lines[i])][static_cast<size_t>(v)];
}

namespace {

// Keeps the masses from the first to the last that is not 0.
TCountDistribution Trimmed(const std::vector<double>& mass) {
    TCountDistribution d;
    size_t first = 0;
    size_t last = mass.size();
    while (first < mass.size() && mass[first] == 0) ++first;
    while (last > first && mass[last - 1] == 0) --last;
    d.Low = static_cast<int64_t>(first);
    d.Mass.assign(mass.begin() + static_cast<std::ptrdiff_t>(first),
                  mass.begin() + static_cast<std::ptrdiff_t>(last));
    if (d.Mass.empty()) d = TCountDistribution{};
    return d;
}

// The values (a, b) that two linear forms of uniform digits take together: the subgroup of
// Z10 x Z10 their columns generate, each element equally likely (the image of a uniform
// variable under a homomorphism is uniform on the image).
std::vector<int32_t> JointValues(const std::array<uint8_t, 7>& f, const std::array<uint8_t, 7>& g) {
    std::array<bool, 100> in{};
    in[0] = true;
    std::vector<int32_t> values{0};
    for (size_t c = 0; c < 7; ++c) {
        if (f[c] == 0 && g[c] == 0) continue;
        for (size_t i = 0; i < values.size(); ++i) {
            int32_t a = values[i] / 10;
            int32_t b = values[i] % 10;
            for (int step = 0; step < 10; ++step) {
                a = (a + f[c]) % 10;
                b = (b + g[c]) % 10;
                if (!in[static_cast<size_t>(a * 10 + b)]) {
                    in[static_cast<size_t>(a * 10 + b)] = true;
                    values.push_back(a * 10 + b);
                }
            }
        }
    }
    return values;
}

}  // namespace

void TBacktestRow::Close(double walkBudget) {
    std::array<int64_t, BacktestLineCount> patterns{};
    patterns[0] = Total.Patterns;
    for (int32_t g = 0; g < BacktestGroupCount; ++g)
        patterns[static_cast<size_t>(1 + g)] = Groups[static_cast<size_t>(g)].Patterns;
    Null.fill(TCountDistribution{});
    Approximate = false;
    std::vector<size_t> columns;  // the coming draw's columns any form uses
    for (size_t c = 0; c < 7; ++c) {
        bool used = false;
        for (const auto& [weights, hits] : forms_) used = used || weights[c] != 0;
        if (used) columns.push_back(c);
    }
    struct TTerm {
        size_t Line;
        const std::array<int32_t, 10>* Hits;
    };
    std::vector<std::array<uint8_t, 7>> weights;
    std::vector<std::vector<TTerm>> terms;
    double work = 0;
    for (const auto& [w, hits] : forms_) {
        weights.push_back(w);
        terms.emplace_back();
        for (size_t l = 0; l < BacktestLineCount; ++l)
            if (patterns[l] > 0 && hits[l] != std::array<int32_t, 10>{})
                terms.back().push_back({l, &hits[l]});
        work += 1 + static_cast<double>(terms.back().size());
    }
    const double combinations = std::pow(10.0, static_cast<double>(columns.size()));
    if (combinations * work <= walkBudget) {
        // Every combination of the used columns' digits, odometer fashion: a step of digit j
        // (9 to 0 included) adds its weight to each form's value mod 10.
        std::array<std::vector<double>, BacktestLineCount> counts;
        for (size_t l = 0; l < BacktestLineCount; ++l)
            counts[l].assign(static_cast<size_t>(patterns[l]) + 1, 0.0);
        std::vector<int32_t> value(forms_.size(), 0);
        std::vector<int32_t> digit(columns.size(), 0);
        std::array<int64_t, BacktestLineCount> sum{};
        while (true) {
            sum.fill(0);
            for (size_t f = 0; f < terms.size(); ++f)
                for (const TTerm& term : terms[f])
                    sum[term.Line] += (*term.Hits)[static_cast<size_t>(value[f])];
            for (size_t l = 0; l < BacktestLineCount; ++l)
                if (patterns[l] > 0) counts[l][static_cast<size_t>(sum[l])] += 1;
            size_t j = 0;
            for (; j < columns.size(); ++j) {
                for (size_t f = 0; f < weights.size(); ++f)
                    value[f] = (value[f] + weights[f][columns[j]]) % 10;
                if (++digit[j] < 10) break;
                digit[j] = 0;
            }
            if (j == columns.size()) break;
        }
        for (size_t l = 0; l < BacktestLineCount; ++l) {
            if (patterns[l] == 0) continue;
            for (double& c : counts[l]) c /= combinations;
            Null[l] = Trimmed(counts[l]);
        }
    } else {
        // Mean and variance from the pairs of forms: each pair's values are uniform on the
        // subgroup their columns generate.
        Approximate = true;
        std::array<double, BacktestLineCount> mean{};
        std::array<double, BacktestLineCount> variance{};
        std::vector<std::array<double, BacktestLineCount>> means(weights.size());
        for (size_t f = 0; f < weights.size(); ++f) {
            const std::vector<int32_t> own = JointValues(weights[f], weights[f]);
            for (const TTerm& term : terms[f]) {
                double m = 0;
                for (int32_t ab : own) m += (*term.Hits)[static_cast<size_t>(ab / 10)];
                means[f][term.Line] = m / static_cast<double>(own.size());
                mean[term.Line] += means[f][term.Line];
            }
        }
        for (size_t f = 0; f < weights.size(); ++f)
            for (size_t g = f; g < weights.size(); ++g) {
                const std::vector<int32_t> joint = JointValues(weights[f], weights[g]);
                for (const TTerm& a : terms[f])
                    for (const TTerm& b : terms[g]) {
                        if (a.Line != b.Line) continue;
                        double product = 0;
                        for (int32_t ab : joint)
                            product +=
                                static_cast<double>((*a.Hits)[static_cast<size_t>(ab / 10)]) *
                                (*b.Hits)[static_cast<size_t>(ab % 10)];
                        const double covariance = product / static_cast<double>(joint.size()) -
                                                  means[f][a.Line] * means[g][a.Line];
                        variance[a.Line] += (f == g ? 1 : 2) * covariance;
                    }
            }
        for (size_t l = 0; l < BacktestLineCount; ++l) {
            if (patterns[l] == 0) continue;
            const double sd = std::sqrt(std::max(variance[l], 0.0));
            std::vector<double> mass(static_cast<size_t>(patterns[l]) + 1, 0.0);
            if (sd < 1e-9) {
                mass[static_cast<size_t>(std::llround(mean[l]))] = 1;
            } else {
                for (size_t k = 0; k < mass.size(); ++k) {
                    const double x = static_cast<double>(k);
                    if (std::abs(x - mean[l]) > 12 * sd + 1) continue;
                    mass[k] = 0.5 * (std::erfc(-(x + 0.5 - mean[l]) / sd / std::sqrt(2.0)) -
                                     std::erfc(-(x - 0.5 - mean[l]) / sd / std::sqrt(2.0)));
                }
            }
            double total = 0;
            for (double m : mass) total += m;
            for (double& m : mass) m /= total;
            Null[l] = Trimmed(mass);
        }
    }
    forms_.clear();
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

TBacktestOutcome RunBacktest(const TBacktestRequest& request, IBacktestSink& sink,
                             const TJobControl& control) {
    if (request.Draws == nullptr) throw TError("RunBacktest Draws isnot valid!");
    if (const std::string problems = SearchOptionMessage(request.Options); !problems.empty())
        throw TError(problems);
    const TCodes& draws = *request.Draws;
    const int32_t total = std::clamp(request.Rows, 0, draws.Count());
    const int32_t firstRow = draws.Count() - total + 1;
    const int workers = request.Workers > 0
                            ? request.Workers
                            : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));

    // Rows are searched side by side; the first row past the pattern limit ends the pool there
    // (later rows end, earlier ones are still scored).
    TOrderedPool pool;
    TBacktestOutcome outcome;
    pool.Run(
        total, workers, control,
        [&] {
            return [&, prefix = TPrefixDraws(draws)](
                       int32_t index) mutable -> std::optional<TBacktestRow> {
                const int32_t row = firstRow + index;
                TSearchRequest search;
                search.Options = request.Options;
                search.Draws = &prefix.Before(row);
                search.Threads = request.SearchThreads;
                search.Seed = request.Seed;
                search.DrawingOrder = false;  // only the hits count
                TScoringSink scoring(draws, row, index, request.Options.SecCountSe,
                                     request.MaxPatterns, control, pool);
                RunSearch(search, scoring, scoring.SearchControl());
                scoring.Row.Close();
                if (scoring.LimitReached) {
                    pool.EndAt(index);
                    return std::nullopt;
                }
                return std::move(scoring.Row);
            };
        },
        [&](int32_t index) { sink.RowStarted(firstRow + index); },
        [&](TBacktestRow&& row) {
            outcome.Rows.push_back(std::move(row));
            sink.RowScored(outcome.Rows.back(), static_cast<int32_t>(outcome.Rows.size()), total);
        });
    if (pool.End() < total) outcome.LimitRow = firstRow + pool.End();
    return outcome;
}
