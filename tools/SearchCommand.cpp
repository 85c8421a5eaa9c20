// tolvane-search search: one pattern search over a draw file, printing every pattern found as
// one JSON line, then a summary line.
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Error.h"
#include "data/JsonWriter.h"
#include "search/Gui2Reg.h"
#include "search/PatternBudget.h"
#include "search/PatternColumns.h"
#include "search/SearchEngine.h"
#include "search/WorkDocument.h"
#include "tools/Command.h"
#include "tools/SearchArgs.h"
#include "tools/ToolPictures.h"

namespace {

void WritePoints(TJsonWriter& json, const TPointList& line) {
    json.BeginArray();
    for (int32_t i = 0; i < line.Count(); ++i)
        json.BeginArray().Number(line.Items()[i].X).Number(line.Items()[i].Y).EndArray();
    json.EndArray();
}

void WritePattern(TJsonWriter& json, const TGui2Reg& reg) {
    json.BeginObject();
    json.Key("layout").Number(reg.Layout);
    json.Key("contrast").Number(reg.ContrastKind);
    json.Key("steps").Number(reg.StepTotal);
    json.Key("base").Number(reg.BaseRow);
    WritePoints(json.Key("low"), reg.Line(0));
    WritePoints(json.Key("high"), reg.Line(1));
    json.Key("sums").BeginArray();
    for (const auto sum : reg.StepSums) json.Number(sum);
    json.EndArray();
    json.Key("results").BeginArray().Number(reg.GetResult(0)).Number(reg.GetResult(1)).EndArray();
    json.Key("positions").BeginArray();
    for (int32_t l = 0; l < TGui2Reg::LineCount; ++l) {
        json.BeginArray();
        for (int32_t c = 0; c < 8; ++c) json.Number(reg.GetPosition(l, c) ? 1 : 0);
        json.EndArray();
    }
    json.EndArray();
    json.Key("columns").BeginArray();
    for (int column = 0; column < PatternColumnCount; ++column)
        json.String(PatternColumnText(reg, column));
    json.EndArray().EndObject().EndLine();
}

// Prints the patterns of each piece of the walk when the piece ends and frees them, unless the
// document needs them later; the time spent writing is counted apart from the search's.
class PrintingSink : public ISearchSink {
  public:
    PrintingSink(bool quiet, bool keep, std::vector<int64_t> pictured, int64_t limit)
        : quiet_(quiet), keep_(keep), pictured_(std::move(pictured)), limit_(limit) {}

    void Progress(int64_t) override {}
    void Found(std::unique_ptr<TGui2Reg> pattern, int64_t) override {
        if (found_ >= limit_) {
            // Past the limit the search stops; the patterns found so far stand.
            LimitReached = true;
            if (!StopRequested.Cancelled()) StopRequested.Cancel();
            return;
        }
        ++found_;
        // Copies of the patterns to picture; positions are ascending.
        if (nextPictured_ < pictured_.size() && pictured_[nextPictured_] == found_) {
            ++nextPictured_;
            auto copy = std::make_unique<TGui2Reg>();
            copy->Assign(*pattern);
            Pictured.push_back(std::move(copy));
        }
        if (!quiet_ || keep_) pending_.push_back(std::move(pattern));
    }
    void BatchEnd() override { Flush(); }

    // Writes and hands on the patterns of the piece; also called once the search has ended.
    void Flush() {
        if (!quiet_ && !pending_.empty()) {
            const auto started = std::chrono::steady_clock::now();
            for (const auto& pattern : pending_) {
                json_.Clear();
                WritePattern(json_, *pattern);
                std::fwrite(json_.Text().data(), 1, json_.Text().size(), stdout);
            }
            OutputSeconds +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        }
        if (keep_)
            for (auto& pattern : pending_) Kept.push_back(std::move(pattern));
        pending_.clear();
    }

    std::vector<std::unique_ptr<TGui2Reg>> Kept;
    std::vector<std::unique_ptr<TGui2Reg>> Pictured;
    bool LimitReached = false;
    double OutputSeconds = 0;

  private:
    bool quiet_;
    bool keep_;
    std::vector<int64_t> pictured_;
    int64_t limit_;
    size_t nextPictured_ = 0;
    int64_t found_ = 0;
    std::vector<std::unique_ptr<TGui2Reg>> pending_;
    TJsonWriter json_;
};

class TSearchCommand : public TSearchingCommand {
  public:
    const char* Name() const override { return "search"; }
    const char* Synopsis() const override { return "[options] DRAWS.txt"; }
    const char* Description() const override {
        return "Searches the draws of DRAWS.txt for patterns and prints one JSON object per "
               "pattern,\n"
               "then a summary line. DRAWS.txt is a draw text file (one draw of seven digits per "
               "line,\n"
               "oldest first) or a table as results sites give it (comma, semicolon, tab, \"|\" "
               "or\n"
               "blanks between the fields; the draw as one field or seven, issue numbers, dates, "
               "header\n"
               "lines, newest first). A line that cannot be read stops the tool with exit status "
               "1.\n";
    }
    std::vector<TOption> Options() override {
        std::vector<TOption> options;
        search_.AddOptions(options,
                           "stop the search after N patterns (status 1, after the summary);\n"
                           "with --document a share of the memory is the default limit",
                           "print only the summary line");
        options.push_back({"--document", "FILE",
                           "also write a work document with the draws and the patterns",
                           [this](std::string_view v) { documentPath_ = std::string(v); }});
        options.push_back({"--gif-dir", "DIR",
                           "write GIF pictures of chosen patterns into DIR (with --gif)",
                           [this](std::string_view v) { gifDir_ = std::string(v); }});
        options.push_back(
            {"--gif", "N[,N...]",
             "the patterns to picture, by 1-based position in found order;\n"
             "painted with the display options of --ini, or the defaults",
             [this](std::string_view v) { gifPositions_ = ParsePicturePositions(v); }});
        return options;
    }
    void TakeArguments(const std::vector<std::string>& arguments) override {
        if (arguments.size() != 1) throw TUsageError{"give exactly one draw file"};
        if (gifDir_.has_value() != !gifPositions_.empty())
            throw TUsageError{"--gif-dir and --gif go together"};
        if (gifDir_ && !ToolCanPaintPictures())
            throw TUsageError{"this build cannot paint pictures (built without Qt)"};
        drawsPath_ = arguments.front();
    }

  private:
    int Search(const TCodes& draws, const SearchOptions& options) override;

    std::optional<std::string> documentPath_;
    std::optional<std::string> gifDir_;
    std::vector<int64_t> gifPositions_;  // ascending
};

int TSearchCommand::Search(const TCodes& draws, const SearchOptions& options) {
    TSearchRequest request;
    request.Options = options;
    request.Draws = &draws;
    request.Threads = search_.Threads;
    request.Seed = search_.Seed;
    // Printed, saved and pictured patterns show their lines in drawing order; a quiet run
    // that keeps none of them skips it.
    request.DrawingOrder = !search_.Quiet || documentPath_ || !gifPositions_.empty();
    const int64_t limit = search_.MaxPatterns ? *search_.MaxPatterns
                          : documentPath_     ? PatternBudget(options.MaxPatterns)
                                              : INT64_MAX;
    PrintingSink sink(search_.Quiet, documentPath_.has_value(), gifPositions_, limit);
    const auto started = std::chrono::steady_clock::now();
    TSearchTotals totals;
    try {
        totals = RunSearch(request, sink, StopRequested);
        sink.Flush();
    } catch (const TError& e) {
        sink.Flush();
        std::fflush(stdout);
        std::fprintf(stderr, "tolvane-search: the options cannot be searched: %s\n", e.what());
        return ExitUsage;
    } catch (const std::exception& e) {  // out of memory or threads: never an abort
        sink.Flush();
        std::fflush(stdout);
        std::fprintf(stderr, "tolvane-search: the search failed: %s\n", FailureText(e).c_str());
        return ExitBadInput;
    }
    // "seconds" is the search's own time; writing the lines is "output_seconds".
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() -
        sink.OutputSeconds;

    TJsonWriter json;
    json.BeginObject().Key("summary").BeginObject();
    json.Key("candidates").Number(totals.Candidates);
    json.Key("builds").Number(totals.Builds);
    json.Key("found").Number(totals.Found);
    json.Key("draws").Number(draws.Count());
    json.Key("seconds").Fixed(seconds, 3);
    json.Key("output_seconds").Fixed(sink.OutputSeconds, 3);
    json.EndObject().EndObject().EndLine();
    std::fputs(json.Text().c_str(), stdout);
    if (FlushOutput() != ExitOk) return ExitBadInput;
    // Past the budget the search keeps what it found: the document and pictures are written,
    // then the tool fails with the reason.
    if (documentPath_) {
        try {
            SaveWorkDocument(*documentPath_, draws, sink.Kept, draws);
        } catch (const TError& e) {
            std::fprintf(stderr, "tolvane-search: %s\n", OneLine(e.what()).c_str());
            return ExitBadInput;
        }
    }
    if (gifDir_) {
        std::vector<const TGui2Reg*> pictured;
        for (const auto& pattern : sink.Pictured) pictured.push_back(pattern.get());
        try {
            WriteToolPictures(*gifDir_, pictured, draws, options);
        } catch (const TError& e) {
            std::fprintf(stderr, "tolvane-search: %s\n", e.what());
            return ExitBadInput;
        }
        if (pictured.size() < gifPositions_.size()) {
            std::fprintf(stderr, "tolvane-search: --gif %lld: only %lld patterns were found\n",
                         static_cast<long long>(gifPositions_[pictured.size()]),
                         static_cast<long long>(totals.Found));
            return ExitBadInput;
        }
    }
    if (sink.LimitReached) {
        std::fprintf(stderr, "tolvane-search: %s\n", PatternBudgetText(limit).c_str());
        return ExitBadInput;
    }
    return StopRequested.Cancelled() ? ExitInterrupted : ExitOk;
}

}  // namespace

std::unique_ptr<TCommand> MakeSearchCommand() {
    return std::make_unique<TSearchCommand>();
}
