// tolvane-search shape: the shape metrics of the last N draws with their statistics, as the
// 形态 tab shows them.
#include <string>
#include <vector>

#include "data/JsonWriter.h"
#include "stats/ShapeStats.h"
#include "tools/Command.h"

namespace {

// One JSON line per shape metric, in the charts' order, with its categories, the omission
// statistics and the counts chance expects over the last `window` draws (every draw when
// window <= 0), and the chi-square fit (p is null when too few draws leave nothing to test);
// then {"shape": {"draws", "window"}} with the window's real length.
std::string ShapeReportJson(const TCodes& draws, int32_t window) {
    const TShapeStats stats = ComputeShapeStats(draws, LastDraws(draws.Count(), window));
    TJsonWriter json(TJsonWriter::TStyle::Spaced);
    for (const TShapeMetricStats& metric : stats.Metrics) {
        json.BeginObject().Key("metric").String(metric.Metric.Name());
        json.Key("categories").BeginArray();
        for (int32_t c = 0; c < metric.Metric.CategoryCount(); ++c)
            json.String(metric.Metric.CategoryLabel(c));
        json.EndArray();
        json.Key("count").Numbers(metric.Trend.Count);
        json.Key("expected").Numbers(metric.Expected);
        json.Key("current").Numbers(metric.Trend.Current);
        json.Key("max").Numbers(metric.Trend.MaxOmission);
        json.Key("average").Numbers(metric.Trend.Average);
        json.Key("streak").Numbers(metric.Trend.Streak);
        json.Key("chi2").Number(metric.Fit.Chi2);
        json.Key("df").Number(metric.Fit.Df);
        json.Key("p");
        if (metric.Fit.Testable())
            json.Number(metric.Fit.P);
        else
            json.Null();
        json.EndObject().EndLine();
    }
    json.BeginObject().Key("shape").BeginObject();
    json.Key("draws").Number(draws.Count());
    json.Key("window").Number(stats.Window.Length);
    json.EndObject().EndObject().EndLine();
    return json.Text();
}

class TShapeCommand : public TDrawWindowCommand {
  public:
    const char* Name() const override { return "shape"; }
    const char* Description() const override {
        return "No search: prints the shape metrics of the last N draws (sum, span, ratios, "
               "roads,\n"
               "AC, repeats...) with their omission statistics, the counts chance expects and "
               "the\n"
               "chi-square fit, one JSON line per metric, then a shape line. The earlier form is\n"
               "--shape N.\n";
    }

  protected:
    std::string Report(const TCodes& draws, int32_t window) const override {
        return ShapeReportJson(draws, window);
    }
};

}  // namespace

std::unique_ptr<TCommand> MakeShapeCommand() {
    return std::make_unique<TShapeCommand>();
}
