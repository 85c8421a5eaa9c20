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
