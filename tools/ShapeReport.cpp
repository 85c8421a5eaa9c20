#include "tools/ShapeReport.h"

#include <charconv>
#include <span>
#include <vector>

#include "stats/ShapeStats.h"

namespace {

template <typename T>
void AppendNumber(std::string& text, T value) {
    char buffer[32];
    // Doubles come out in their shortest form that reads back to the same value.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, static_cast<size_t>(result.ptr - buffer));
}

template <typename T>
void AppendArray(std::string& text, const char* key, const std::vector<T>& values) {
    text += ", \"";
    text += key;
    text += "\": [";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += ", ";
        AppendNumber(text, values[i]);
    }
    text += ']';
}

}  // namespace

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
