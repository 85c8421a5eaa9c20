#include "tools/TrendReport.h"

#include <array>

#include "stats/TrendStats.h"
#include "tools/JsonNumbers.h"

std::string TrendReportJson(const TCodes& draws, int32_t window) {
    const TTrendStats stats = ComputeTrendStats(draws, LastDraws(draws.Count(), window));
    std::string text;
    for (int32_t p = 1; p <= TrendPositionCount; ++p) {
        const TPositionTrend& trend = stats.Position(p);
        text += "{\"position\": \"";
        text += PositionLetters[p];
        text += '"';
        AppendArray(text, "count", trend.Count);
        AppendArray(text, "current", trend.Current);
        AppendArray(text, "max", trend.MaxOmission);
        AppendArray(text, "average", trend.Average);
        AppendArray(text, "streak", trend.Streak);
        text += "}\n";
    }
    text += "{\"trend\": {\"draws\": ";
    AppendNumber(text, draws.Count());
    text += ", \"window\": ";
    AppendNumber(text, stats.Window.Length);
    text += "}}\n";
    return text;
}
