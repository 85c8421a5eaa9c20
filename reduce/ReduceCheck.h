#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Hao.h"
#include "reduce/ReduceConditions.h"
#include "reduce/ReduceCount.h"
#include "search/BacktestVerdict.h"
#include "search/SearchOptions.h"
#include "search/SearchTypes.h"

// The strategy check of a set of conditions: for each of the last draws t, the conditions are
// rebuilt from the draws before t alone (重号 and 邻号 against draw t-1; 规律 from a search of
// the draws before t with the given options, every pattern it finds), the share q_t they keep
// is counted exactly over all candidates, and s_t says whether they kept the real draw t.

// A search's taker that keeps the forms of the patterns predicting the draw after the draws
// (PatternFormOf) and drops the patterns.
class TPatternFormSink : public ISearchSink {
  public:
    explicit TPatternFormSink(const TCodes& draws) : draws_(draws) {}
    void Progress(int64_t) override {}
    void Found(std::unique_ptr<TGui2Reg> pattern, int64_t) override;
    std::vector<TPatternForm> Forms;

  private:
    const TCodes& draws_;
};

struct TReduceCheckJob {
    std::shared_ptr<const TCodes> Draws;
    TReduceSet Conditions;
    int32_t Window = 100;  // the last Window draws (at most all but the first)
    SearchOptions Options;
    int SearchThreads = 0;  // threads of each search; 0 = every core
    int CountThreads = 0;   // threads of each count; 0 = every core
    uint64_t Seed = 1;
    TShapeConventions Conventions;
};
TReduceCheckJob MakeReduceCheckJob(const TCodes& draws, const TReduceSet& conditions,
                                   int32_t window, const SearchOptions& options);

struct TReduceCheckRow {
    int32_t Row = 0;        // t, 1-based
    int64_t Kept = 0;       // candidates kept with the conditions of t
    double Share = 0;       // q_t = Kept / 10^7
    bool DrawKept = false;  // s_t: draw t was among them
    int32_t Patterns = 0;   // patterns the search before t gave (规律)
};

struct TReduceCheckSummary {
    int32_t Rows = 0;
    int32_t KeptDraws = 0;       // the sum of s_t
    double KeptRate = 0;         // r: the mean of s_t
    double MeanShare = 0;        // the mean of q_t
    double ExpectedKept = 0;     // sum q: the draws chance keeps on average
    std::optional<double> Lift;  // r / mean q (none when nothing was kept in any draw)
    // The 95% interval of the lift: the factors k for which keeping each draw with chance
    // min(1, k q_t) makes the kept count no rarer than 2.5% on either side; High is none when
    // no factor is too high (every draw that could be kept was).
    std::optional<double> LiftLow;
    std::optional<double> LiftHigh;
    // Whether the lift says anything: at least FewestJudgedKept draws kept or expected.
    bool LiftJudged = false;
    // (sum s - sum q) / sqrt(sum q (1 - q)); none when that is 0. Shown only; the verdict is
    // read from P.
    std::optional<double> Z;
    // The exact two-sided probability of a kept count this far from chance: the kept count
    // is a sum of Bernoulli(q_t) under chance, so its distribution is Poisson-binomial; twice
    // the smaller tail, at most 1. None with no rows.
    std::optional<double> P;
    TBacktestVerdict Verdict = TBacktestVerdict::Empty;
};
// Fewer kept draws than this, with fewer expected, make the lift too rough to state.
inline constexpr int32_t FewestJudgedKept = 5;
TReduceCheckSummary SummarizeReduceCheck(const std::vector<TReduceCheckRow>& rows);

// One point of the chart per row: q_t, s_t and the lift up to it.
struct TReduceCheckPoint {
    int32_t Row = 0;
    double Share = 0;
    bool DrawKept = false;
    std::optional<double> RunningLift;
};
std::vector<TReduceCheckPoint> ReduceCheckSeries(const std::vector<TReduceCheckRow>& rows);

struct TReduceCheckProgress {
    int32_t CurrentRow = 0;
    int32_t Done = 0;
    int32_t Total = 0;
    const TReduceCheckRow* Scored = nullptr;  // the row just counted, or none
};
// News of the check for its window: a draw started (Scored null) or a draw was counted, in
// order (TRowNews takes them).
using TReduceCheckNewsFn = std::function<void(const TReduceCheckProgress&)>;

struct TReduceCheckResult {
    int32_t FirstRow = 0;
    int32_t Total = 0;
    int32_t DrawCount = 0;
    std::vector<TReduceCheckRow> Rows;
    TReduceCheckSummary Summary;
    bool Stopped = false;
    std::string Error;  // why it could not finish, or empty
    std::string EndText() const;
};

// Runs the check on the calling thread (its counts and searches on the cores) until done or
// control is cancelled; news is called one call at a time, each call followed by control's
// Report (draws counted out of the draws to count). Never raises: refused options and
// conditions that cannot apply end it with Error.
TReduceCheckResult RunReduceCheck(const TReduceCheckJob& job, TJobControl& control,
                                  const TReduceCheckNewsFn& news = {});

// The one sentence of the verdict, and the sentence on what conditions can and cannot do.
std::string ReduceCheckSentence(const TReduceCheckSummary& summary);
const char* ReduceChanceSentence();
