// tolvane-search backtest: the search scored against the last W draws, one JSON line per draw,
// then the verdict.
#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "data/Error.h"
#include "data/JsonWriter.h"
#include "search/Backtest.h"
#include "search/BacktestVerdict.h"
#include "search/PatternBudget.h"
#include "tools/Command.h"
#include "tools/SearchArgs.h"

namespace {

// Rates and chances with six digits after the point, as earlier versions printed them.
constexpr int RateDigits = 6;

void WriteCounts(TJsonWriter& json, const TBacktestCounts& counts) {
    json.Key("patterns").Number(counts.Patterns);
    json.Key("hits").Number(counts.Hits);
    json.Key("chance").Fixed(counts.Chance, RateDigits);
}

void OptionalNumber(TJsonWriter& json, const std::optional<double>& value) {
    if (value)
        json.Fixed(*value, RateDigits);
    else
        json.Null();
}

// "z" is the total hits standardised by their exact distribution under chance (the key of
// earlier versions is kept), shown only; "t_plain" Student's t of the per-draw differences,
// shown only; "p" the exact two-sided probability the verdict reads; "critical" is null.
void WriteVerdict(TJsonWriter& json, const TBacktestLine& line) {
    OptionalNumber(json.Key("z"), line.T.T);
    OptionalNumber(json.Key("t_plain"), line.T.PlainT);
    json.Key("m").Number(line.T.Rows);
    json.Key("mean_hit").Fixed(line.T.MeanHit, RateDigits);
    json.Key("mean_chance").Fixed(line.T.MeanChance, RateDigits);
    json.Key("no_t");
    switch (line.T.NoT) {
        case TNoTReason::None:
            json.Null();
            break;
        case TNoTReason::TooFewDraws:
            json.String("too_few_draws");
            break;
        case TNoTReason::NoSpread:
            json.String("no_spread");
            break;
    }
    OptionalNumber(json.Key("p"), line.T.P);
    OptionalNumber(json.Key("critical"), line.T.Critical);
    json.Key("verdict");
    if (line.Verdict == TBacktestVerdict::Empty)
        json.Null();
    else
        json.String(line.VerdictText());
}

// The table's rows: the overall line, then the groups.
std::string BacktestSummaryLine(const TBacktestSummary& summary) {
    const std::vector<TBacktestTableRow> table = BacktestTable(summary);
    TJsonWriter json;
    json.BeginObject().Key("backtest").BeginObject();
    json.Key("rows").Number(summary.Rows);
    WriteCounts(json, table.front().Line->Counts);
    WriteVerdict(json, *table.front().Line);
    json.Key("tested_groups").Number(summary.TestedGroups);
    json.Key("groups").BeginArray();
    for (size_t i = 1; i < table.size(); ++i) {
        const TBacktestLine& line = *table[i].Line;
        json.BeginObject();
        json.Key("dimension").String(table[i].Dimension);
        json.Key("name").String(line.Name);
        WriteCounts(json, line.Counts);
        json.Key("hit_rate").Fixed(line.HitRate(), RateDigits);
        json.Key("chance_rate").Fixed(line.ChanceRate(), RateDigits);
        json.Key("difference").Fixed(line.Difference(), RateDigits);
        WriteVerdict(json, line);
        json.EndObject();
    }
    json.EndArray().EndObject().EndObject().EndLine();
    return json.Text();
}

// Prints one line per scored row, in row order.
class PrintingBacktestSink : public IBacktestSink {
  public:
    explicit PrintingBacktestSink(bool quiet) : quiet_(quiet) {}
    void RowStarted(int32_t) override {}
    void RowScored(const TBacktestRow& row, int32_t, int32_t) override {
        if (quiet_) return;
        json_.Clear();
        json_.BeginObject().Key("row").Number(row.Row);
        WriteCounts(json_, row.Total);
        json_.EndObject().EndLine();
        std::fwrite(json_.Text().data(), 1, json_.Text().size(), stdout);
    }

  private:
    bool quiet_;
    TJsonWriter json_;
};

class TBacktestCommand : public TSearchingCommand {
  public:
    const char* Name() const override { return "backtest"; }
    const char* Synopsis() const override { return "W [options] DRAWS.txt"; }
    const char* Description() const override {
        return "Scores the search against the last W draws (W a number or 'all'): for each of "
               "them,\n"
               "searches the draws before it and counts how many patterns hit; one JSON line per "
               "draw,\n"
               "then the verdict. The earlier form is --backtest W.\n";
    }
    std::vector<TOption> Options() override {
        std::vector<TOption> options;
        search_.AddOptions(options, "the limit of each draw's search (status 1 past it)",
                           "print only the verdict line");
        return options;
    }
    void TakeArguments(const std::vector<std::string>& arguments) override {
        if (arguments.size() != 2)
            throw TUsageError{"give the number of draws W and one draw file"};
        rows_ = ParseWindow(arguments[0], "W", INT32_MAX);
        drawsPath_ = arguments[1];
    }

  private:
    int Search(const TCodes& draws, const SearchOptions& options) override;

    int32_t rows_ = 0;  // with "all", the largest number
};

int TBacktestCommand::Search(const TCodes& draws, const SearchOptions& options) {
    TBacktestRequest backtest;
    backtest.Options = options;
    backtest.Draws = &draws;
    backtest.Rows = rows_;
    if (search_.Threads > 0) backtest.Workers = search_.Threads;
    backtest.Seed = search_.Seed;
    if (search_.MaxPatterns) backtest.MaxPatterns = *search_.MaxPatterns;
    PrintingBacktestSink printing(search_.Quiet);
    TBacktestOutcome outcome;
    try {
        outcome = RunBacktest(backtest, printing, StopRequested);
    } catch (const TError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "tolvane-search: the options cannot be searched: %s\n",
                     OneLine(e.what()).c_str());
        return ExitUsage;
    } catch (const std::exception& e) {  // out of memory or threads: never an abort
        std::fflush(stdout);
        std::fprintf(stderr, "tolvane-search: the backtest failed: %s\n", FailureText(e).c_str());
        return ExitBadInput;
    }
    std::fputs(BacktestSummaryLine(SummarizeBacktest(outcome.Rows, options.SecCountSe)).c_str(),
               stdout);
    if (FlushOutput() != ExitOk) return ExitBadInput;
    if (outcome.LimitRow > 0) {
        std::fprintf(stderr, "tolvane-search: the search of draw %d: %s\n", outcome.LimitRow,
                     PatternBudgetText(*search_.MaxPatterns).c_str());
        return ExitBadInput;
    }
    return StopRequested.Cancelled() ? ExitInterrupted : ExitOk;
}

}  // namespace

std::unique_ptr<TCommand> MakeBacktestCommand() {
    return std::make_unique<TBacktestCommand>();
}
