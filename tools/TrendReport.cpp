#include "tools/TrendReport.h"

#include <array>
#include <charconv>

#include "stats/TrendStats.h"

namespace {

template <typename T>
void AppendNumber(std::string& text, T value) {
    char buffer[32];
    // Doubles come out in their shortest form that reads back to the same value.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, static_cast<size_t>(result.ptr - buffer));
}

template <typename T>
void AppendArray(std::string& text, const char* key, const std::array<T, TrendDigitCount>& values) {
    text += ", \"";
    text += key;
    text += "\": [";
    for (size_t d = 0; d < values.size(); ++d) {
        if (d > 0) text += ", ";
        AppendNumber(text, values[d]);
    }
    text += ']';
}

}  // namespace

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
