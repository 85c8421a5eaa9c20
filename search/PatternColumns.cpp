#include "search/PatternColumns.h"

namespace {

template <typename Table>
std::string NameAt(const Table& table, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < table.size() ? std::string(table[index])
                                                                   : std::string();
}

}  // namespace

std::string PatternColumnText(const TGui2Reg& pattern, int column) {
    switch (column) {
        case 0:
            return pattern.PointsText();
        case 1:
            return std::to_string(pattern.StepTotal);
        case 2:
            return NameAt(LayoutNames, pattern.Layout);
        case 3:
            return NameAt(ContrastNames, pattern.ContrastKind);
        case 4:
            return pattern.PositionsText();
        case 5:
            return pattern.SumsText();
        case 6:
            return pattern.ResultsText();
        default:
            return {};
    }
}

std::string PatternResultHint(const TGui2Reg& pattern) {
    const std::string prediction = pattern.PredictionText();
    if (prediction.empty()) return {};
    std::string hint = "规律给出：" + prediction + "。";
    if (pattern.ContrastKind != 1 && pattern.ContrastKind != 2)
        hint += "列表里写作“" + pattern.ResultsText() +
                "”：两位数字是相差5的一对，开出其中一个就命中。";
    return hint + "这与其他同类规律的机会相同；规律是否胜过随机，请看规律回测（Ctrl+B）。";
}
