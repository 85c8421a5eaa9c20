// tolvane-search reduce: the 缩水选号 conditions of a file applied to every candidate for the
// draw after the last one, the kept bets written, and the conditions checked against the draws.
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Error.h"
#include "data/FileIo.h"
#include "data/JsonWriter.h"
#include "reduce/ReduceCheck.h"
#include "reduce/ReduceConditions.h"
#include "reduce/ReduceCount.h"
#include "search/SearchEngine.h"
#include "tools/Command.h"
#include "tools/SearchArgs.h"

namespace {

template <typename T>
void OptionalNumber(TJsonWriter& json, const std::optional<T>& value) {
    if (value)
        json.Number(*value);
    else
        json.Null();
}

class TReduceCommand : public TSearchingCommand {
  public:
    const char* Name() const override { return "reduce"; }
    const char* Synopsis() const override {
        return "CONDITIONS [--bets FILE] [--backtest W] [options] DRAWS.txt";
    }
    const char* Description() const override {
        return "No pattern list: applies the conditions of CONDITIONS (one a line, such as\n"
               "'定位 A 123', '杀号 * 09', '胆码 7 2', '和值 20-35', '奇偶比 3,4', '规律 2',\n"
               "'容错 1') to the coming draw and prints the bets kept, their share and cost; 规律\n"
               "takes the patterns the search of DRAWS.txt with the options finds. The earlier "
               "form\n"
               "is --reduce CONDITIONS.\n";
    }
    std::vector<TOption> Options() override {
        std::vector<TOption> options;
        options.push_back({"--bets", "FILE", "write the kept bets, one per line, ascending",
                           [this](std::string_view v) { betsPath_ = std::string(v); }});
        options.push_back(
            {"--backtest", "W",
             "check the conditions against the last W draws (W or 'all'), one "
             "line\nper draw, then the verdict",
             [this](std::string_view v) { checkRows_ = ParseWindow(v, "--backtest", INT32_MAX); }});
        search_.AddOptions(options, nullptr, "print only the summary lines");
        return options;
    }
    void TakeArguments(const std::vector<std::string>& arguments) override {
        if (arguments.size() != 2) throw TUsageError{"give one conditions file and one draw file"};
        conditionsPath_ = arguments[0];
        drawsPath_ = arguments[1];
    }

  private:
    int Search(const TCodes& draws, const SearchOptions& options) override;
    // Prints {"kept", "share", "cost", "patterns"} (patterns with 规律 only); with the check one
    // line per draw {"row": t, "share": q_t, "kept": s_t} and then {"reduce_check": {"rows",
    // "kept_draws", "r", "mean_share", "lift", "lift_low", "lift_high", "expected_kept", "z", "p",
    // "verdict"}}.
    int Reduce(const TCodes& draws, const SearchOptions& options);

    std::string conditionsPath_;
    std::optional<std::string> betsPath_;
    std::optional<int32_t> checkRows_;
};

int TReduceCommand::Search(const TCodes& draws, const SearchOptions& options) {
    const int status = Reduce(draws, options);
    if (FlushOutput() != ExitOk) return ExitBadInput;
    return status;
}

int TReduceCommand::Reduce(const TCodes& draws, const SearchOptions& options) {
    const std::string& path = conditionsPath_;
    TReduceSet set;
    TReduceContext context;
    try {
        set = ReadReduceFile(ReadTextFile(path, 1 << 20));
        if (draws.Count() > 0)
            if (auto last = ShapeDrawOf(draws.GetCode(draws.Count() - 1))) context.Previous = *last;
        if (set.HasPatterns()) {
            TSearchRequest search;
            search.Options = options;
            search.Draws = &draws;
            search.Threads = search_.Threads;
            search.Seed = search_.Seed;
            search.DrawingOrder = false;  // only the hits count
            TPatternFormSink collector(draws);
            RunSearch(search, collector, StopRequested);
            if (StopRequested.Cancelled()) return ExitInterrupted;
            context.Patterns = std::move(collector.Forms);
        }
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s: %s\n", path.c_str(), e.what());
        return ExitBadInput;
    }
    TReduceCount count;
    try {
        const TReducePlan plan(set, context, true, &StopRequested);
        count = CountReduced(plan, betsPath_.has_value(), search_.Threads, StopRequested);
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s: %s\n", path.c_str(), e.what());
        return ExitBadInput;
    }
    if (count.Stopped) return ExitInterrupted;
    TJsonWriter json(TJsonWriter::TStyle::Spaced);
    json.BeginObject();
    json.Key("kept").Number(count.Kept);
    json.Key("share").Number(count.Share());
    json.Key("cost").Number(count.Cost());
    if (set.HasPatterns()) json.Key("patterns").Number(context.Patterns.size());
    json.EndObject().EndLine();
    std::fputs(json.Text().c_str(), stdout);
    if (betsPath_) {
        if (count.Kept == 0) {
            std::fprintf(stderr, "tolvane-search: %s: 条件没有留下任何号码，没有写投注文件\n",
                         path.c_str());
            return ExitBadInput;
        }
        try {
            WriteBetsFile(*betsPath_, count.Bets);
        } catch (const TError& e) {
            std::fprintf(stderr, "tolvane-search: %s\n", e.what());
            return ExitBadInput;
        }
    }
    if (!checkRows_) return ExitOk;

    auto copy = std::make_shared<TCodes>();
    copy->Assign(draws);
    TReduceCheckJob job;
    job.Draws = copy;
    job.Conditions = set;
    job.Window = *checkRows_;
    job.Options = options;
    job.SearchThreads = search_.Threads;
    job.CountThreads = search_.Threads;
    job.Seed = search_.Seed;
    const TReduceCheckResult result =
        RunReduceCheck(job, StopRequested, [&](const TReduceCheckProgress& progress) {
            if (progress.Scored == nullptr || search_.Quiet) return;
            TJsonWriter row(TJsonWriter::TStyle::Spaced);
            row.BeginObject();
            row.Key("row").Number(progress.Scored->Row);
            row.Key("share").Number(progress.Scored->Share);
            row.Key("kept").Number(progress.Scored->DrawKept ? 1 : 0);
            row.EndObject().EndLine();
            std::fputs(row.Text().c_str(), stdout);
        });
    const TReduceCheckSummary& s = result.Summary;
    json.Clear();
    json.BeginObject().Key("reduce_check").BeginObject();
    json.Key("rows").Number(s.Rows);
    json.Key("kept_draws").Number(s.KeptDraws);
    json.Key("r").Number(s.KeptRate);
    json.Key("mean_share").Number(s.MeanShare);
    OptionalNumber(json.Key("lift"), s.Lift);
    OptionalNumber(json.Key("lift_low"), s.LiftLow);
    OptionalNumber(json.Key("lift_high"), s.LiftHigh);
    json.Key("expected_kept").Number(s.ExpectedKept);
    OptionalNumber(json.Key("z"), s.Z);
    OptionalNumber(json.Key("p"), s.P);
    json.Key("verdict").String(BacktestVerdictText(s.Verdict));
    json.EndObject().EndObject().EndLine();
    std::fputs(json.Text().c_str(), stdout);
    if (!result.Error.empty()) {
        std::fprintf(stderr, "tolvane-search: %s\n", result.EndText().c_str());
        return ExitBadInput;
    }
    return result.Stopped ? ExitInterrupted : ExitOk;
}

}  // namespace

std::unique_ptr<TCommand> MakeReduceCommand() {
    return std::make_unique<TReduceCommand>();
}
