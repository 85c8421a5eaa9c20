// tolvane-search trend: the omission statistics of the last N draws per position, as the
// 走势分析 window shows them.
#include <string>
#include <vector>

#include "data/JsonWriter.h"
#include "stats/TrendStats.h"
#include "tools/Command.h"

namespace {

// One JSON line per position A-G with the five omission statistics of the last `window` draws
// (every draw when window <= 0), indexed by digit, then {"trend": {"draws", "window"}} with the
// window's real length.
std::string TrendReportJson(const TCodes& draws, int32_t window) {
    const TTrendStats stats = ComputeTrendStats(draws, LastDraws(draws.Count(), window));
    TJsonWriter json(TJsonWriter::TStyle::Spaced);
    for (int32_t p = 1; p <= TrendPositionCount; ++p) {
        const TPositionTrend& trend = stats.Position(p);
        json.BeginObject().Key("position").String(std::string(1, PositionLetters[p]));
        json.Key("count").Numbers(trend.Count);
        json.Key("current").Numbers(trend.Current);
        json.Key("max").Numbers(trend.MaxOmission);
        json.Key("average").Numbers(trend.Average);
        json.Key("streak").Numbers(trend.Streak);
        json.EndObject().EndLine();
    }
    json.BeginObject().Key("trend").BeginObject();
    json.Key("draws").Number(draws.Count());
    json.Key("window").Number(stats.Window.Length);
    json.EndObject().EndObject().EndLine();
    return json.Text();
}

class TTrendCommand : public TDrawWindowCommand {
  public:
    const char* Name() const override { return "trend"; }
    const char* Description() const override {
        return "No search: prints the omission statistics of the last N draws (N a positive "
               "number\n"
               "or 'all') per position, one JSON line each, then a trend line. The earlier form "
               "is\n"
               "--trend N.\n";
    }

  protected:
    std::string Report(const TCodes& draws, int32_t window) const override {
        return TrendReportJson(draws, window);
    }
};

}  // namespace

std::unique_ptr<TCommand> MakeTrendCommand() {
    return std::make_unique<TTrendCommand>();
}
