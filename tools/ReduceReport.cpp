#include "tools/ReduceReport.h"

#include <memory>

#include "data/FileIo.h"
#include "reduce/ReduceCheck.h"
#include "reduce/ReduceConditions.h"
#include "reduce/ReduceCount.h"
#include "search/SearchEngine.h"
#include "tools/JsonNumbers.h"

namespace {

constexpr int ExitOk = 0;
constexpr int ExitBadInput = 1;
constexpr int ExitInterrupted = 130;

// Keeps the forms of the patterns found after the draws.
class TFormCollector : public ISearchSink {
  public:
    explicit TFormCollector(const TCodes& draws) : draws_(draws) {}
    void Progress(int64_t) override {}
    void Found(std::unique_ptr<TGui2Reg> pattern, int64_t) override {
        if (auto form = PatternFormOf(*pattern, draws_)) Forms.push_back(*form);
    }
    std::vector<TPatternForm> Forms;

  private:
    const TCodes& draws_;
};

void AppendJsonString(std::string& text, const std::string& value) {
    text += '"';
    for (char c : value) {
        if (c == '"' || c == '\\') text += '\\';
        text += c;
    }
    text += '"';
}

template <typename T>
void AppendOptional(std::string& text, const std::optional<T>& value) {
    if (value)
        AppendNumber(text, *value);
    else
        text += "null";
}

}  // namespace

int RunReduceTool(const TCodes& draws, const TReduceToolRequest& request,
                  const std::atomic<bool>& stop, std::FILE* out, std::FILE* err) {
    const std::string& path = request.ConditionsPath;
    TReduceSet set;
    TReduceContext context;
    try {
        const std::vector<uint8_t> bytes = ReadWholeFile(path, 1 << 20);
        set = ReadReduceSet(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        if (draws.Count() > 0)
            if (auto last = ShapeDrawOf(draws.GetCode(draws.Count() - 1))) context.Previous = *last;
        if (set.HasPatterns()) {
            TSearchRequest search;
            search.Options = request.Options;
            search.Draws = &draws;
            search.Threads = request.Threads;
            search.Seed = request.Seed;
            TFormCollector collector(draws);
            RunSearch(search, collector, stop);
            if (stop.load()) return ExitInterrupted;
            context.Patterns = std::move(collector.Forms);
        }
    } catch (const TError& e) {
        std::fprintf(err, "tolvane-search: %s: %s\n", path.c_str(), e.what());
        return ExitBadInput;
    }
    std::string line;
    TReduceCount count;
    try {
        const TReducePlan plan(set, context);
        count = CountReduced(plan, request.BetsPath.has_value(), request.Threads, stop);
    } catch (const TError& e) {
        std::fprintf(err, "tolvane-search: %s: %s\n", path.c_str(), e.what());
        return ExitBadInput;
    }
    if (count.Stopped) return ExitInterrupted;
    line = "{\"kept\": ";
    AppendNumber(line, count.Kept);
    line += ", \"share\": ";
    AppendNumber(line, count.Share());
    line += ", \"cost\": ";
    AppendNumber(line, count.Cost());
    if (set.HasPatterns()) {
        line += ", \"patterns\": ";
        AppendNumber(line, context.Patterns.size());
    }
    line += "}\n";
    std::fputs(line.c_str(), out);
    if (request.BetsPath) {
        if (count.Kept == 0) {
            std::fprintf(err, "tolvane-search: %s: 条件没有留下任何号码，没有写投注文件\n",
                         path.c_str());
            return ExitBadInput;
        }
        try {
            WriteBetsFile(*request.BetsPath, count.Bets);
        } catch (const TError& e) {
            std::fprintf(err, "tolvane-search: %s\n", e.what());
            return ExitBadInput;
        }
    }
    if (!request.CheckRows) return ExitOk;

    auto copy = std::make_shared<TCodes>();
    copy->Assign(draws);
    TReduceCheckJob job;
    job.Draws = copy;
    job.Conditions = set;
    job.Window = *request.CheckRows;
    job.Options = request.Options;
    job.SearchThreads = request.Threads;
    job.CountThreads = request.Threads;
    job.Seed = request.Seed;
    const TReduceCheckResult result =
        RunReduceCheck(job, stop, [&](const TReduceCheckProgress& progress) {
            if (progress.Scored == nullptr || request.Quiet) return;
            std::string row = "{\"row\": ";
            AppendNumber(row, progress.Scored->Row);
            row += ", \"share\": ";
            AppendNumber(row, progress.Scored->Share);
            row += ", \"kept\": ";
            AppendNumber(row, progress.Scored->DrawKept ? 1 : 0);
            row += "}\n";
            std::fputs(row.c_str(), out);
        });
    const TReduceCheckSummary& s = result.Summary;
    line = "{\"reduce_check\": {\"rows\": ";
    AppendNumber(line, s.Rows);
    line += ", \"kept_draws\": ";
    AppendNumber(line, s.KeptDraws);
    line += ", \"r\": ";
    AppendNumber(line, s.KeptRate);
    line += ", \"mean_share\": ";
    AppendNumber(line, s.MeanShare);
    line += ", \"lift\": ";
    AppendOptional(line, s.Lift);
    line += ", \"lift_low\": ";
    AppendOptional(line, s.LiftLow);
    line += ", \"lift_high\": ";
    AppendOptional(line, s.LiftHigh);
    line += ", \"expected_kept\": ";
    AppendNumber(line, s.ExpectedKept);
    line += ", \"z\": ";
    AppendOptional(line, s.Z);
    line += ", \"p\": ";
    AppendOptional(line, s.P);
    line += ", \"verdict\": ";
    AppendJsonString(line, BacktestVerdictText(s.Verdict));
    line += "}}\n";
    std::fputs(line.c_str(), out);
    if (!result.Error.empty()) {
        std::fprintf(err, "tolvane-search: %s\n", result.EndText().c_str());
        return ExitBadInput;
    }
    return result.Stopped ? ExitInterrupted : ExitOk;
}
