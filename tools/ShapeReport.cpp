#include "tools/ShapeReport.h"

#include <span>
#include <vector>

#include "stats/ShapeStats.h"
#include "tools/JsonNumbers.h"

std::string ShapeReportJson(const TCodes& draws, int32_t window) {
    const TShapeStats stats = ComputeShapeStats(draws, LastDraws(draws.Count(), window));
    std::string text;
    for (const TShapeMetricStats& metric : stats.Metrics) {
        // Names and labels hold no character JSON escapes.
        text += "{\"metric\": \"";
        text += metric.Metric.Name();
        text += "\", \"categories\": [";
        for (int32_t c = 0; c < metric.Metric.CategoryCount(); ++c) {
            if (c > 0) text += ", ";
            text += '"' + metric.Metric.CategoryLabel(c) + '"';
        }
        text += ']';
        AppendArray(text, "count", metric.Trend.Count);
        AppendArray(text, "expected", metric.Expected);
        AppendArray(text, "current", metric.Trend.Current);
        AppendArray(text, "max", metric.Trend.MaxOmission);
        AppendArray(text, "average", metric.Trend.Average);
        AppendArray(text, "streak", metric.Trend.Streak);
        text += ", \"chi2\": ";
        AppendNumber(text, metric.Fit.Chi2);
        text += ", \"df\": ";
        AppendNumber(text, metric.Fit.Df);
        text += ", \"p\": ";
        if (metric.Fit.Testable())
            AppendNumber(text, metric.Fit.P);
        else
            text += "null";
        text += "}\n";
    }
    text += "{\"shape\": {\"draws\": ";
    AppendNumber(text, draws.Count());
    text += ", \"window\": ";
    AppendNumber(text, stats.Window.Length);
    text += "}}\n";
    return text;
}
