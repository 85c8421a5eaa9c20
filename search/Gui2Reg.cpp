#include "search/Gui2Reg.h"

#include <algorithm>
#include <cmath>

namespace {

// Every visiting order of 3 or 4 points, up to reversal, by point index; earlier orders win ties.
constexpr std::array<std::array<uint8_t, 3>, 3> PathOrders3 = {{{0, 1, 2}, {0, 2, 1}, {1, 0, 2}}};
constexpr std::array<std::array<uint8_t, 4>, 12> PathOrders4 = {{{0, 1, 2, 3},
                                                                 {0, 1, 3, 2},
                                                                 {0, 2, 1, 3},
                                                                 {0, 2, 3, 1},
                                                                 {0, 3, 1, 2},
                                                                 {0, 3, 2, 1},
                                                                 {1, 0, 2, 3},
                                                                 {1, 0, 3, 2},
                                                                 {1, 2, 0, 3},
                                                                 {1, 3, 0, 2},
                                                                 {2, 0, 1, 3},
                                                                 {2, 1, 0, 3}}};

// A path's length is the float sum of its steps in visiting order; each step's length is
// rounded to float, so a tie between two orders is decided the same way on every machine.
float StepLength(TPoint a, TPoint b) {
    const double dx = b.X - a.X;
    const double dy = b.Y - a.Y;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

template <size_t N, size_t M>
void OrderPoints(TPoint* points, const std::array<std::array<uint8_t, N>, M>& orders) {
    // Each of the N(N-1)/2 step lengths once, instead of once per order.
    float step[N][N];
    for (size_t i = 0; i < N; ++i)
        for (size_t j = i + 1; j < N; ++j)
            step[i][j] = step[j][i] = StepLength(points[i], points[j]);
    float best = 10000.0f;
    const std::array<uint8_t, N>* bestOrder = nullptr;
    for (const auto& order : orders) {
        float length = step[order[0]][order[1]];
        for (size_t i = 2; i < N; ++i) length += step[order[i - 1]][order[i]];
        if (length < best) {
            best = length;
            bestOrder = &order;
        }
    }
    if (bestOrder == nullptr) return;
    TPoint ordered[N];
    for (size_t i = 0; i < N; ++i) ordered[i] = points[(*bestOrder)[i]];
    std::copy(ordered, ordered + N, points);
}

}  // namespace

void TGui2Reg::Clear() {
    for (auto& line : lines_) line.Clear();
    Layout = 0;
    StepTotal = 0;
    BaseRow = 0;
}

TPointList& TGui2Reg::Line(int32_t index) {
    if (index < 0 || index >= LineCount)
        throw TError("List index out of bounds (" + std::to_string(index) + ")");
    return lines_[index];
}

const TPointList& TGui2Reg::Line(int32_t index) const {
    return const_cast<TGui2Reg*>(this)->Line(index);
}

void TGui2Reg::AddStep(const std::array<int32_t, LineCount>& sums) {
    StepTotal = static_cast<int32_t>(StepSums.size()) / LineCount + 1;
    for (int32_t sum : sums) StepSums.push_back(sum);
}

int32_t TGui2Reg::LineSum(int32_t baseRow, int32_t line, const TCodes& draws) const {
    const TPointList& points = Line(line);
    int32_t sum = 0;
    for (int32_t i = 0; i < points.Count(); ++i) {
        const TPoint p = points.Get(i);
        if (baseRow + p.Y < draws.Count()) sum += draws.GetNum(p.X, baseRow + p.Y);
    }
    return sum;
}

int32_t TGui2Reg::StepSum(int32_t step, int32_t line, bool force) const {
    if (step == 0 && !force && PositionCount(line) > 0) return -1;
    return StepSums.at(static_cast<size_t>(step) * LineCount + line);
}

bool TGui2Reg::GetPosition(int32_t line, int32_t column) const {
    return LineResults.at(line).Positions.at(column) != 0;
}

void TGui2Reg::SetPosition(int32_t line, int32_t column, bool flag) {
    LineResults.at(line).Positions.at(column) = flag ? 1 : 0;
}

int32_t TGui2Reg::PositionCount(int32_t line) const {
    int32_t n = 0;
    for (uint8_t mark : LineResults.at(line).Positions) n += mark != 0;
    return n;
}

int32_t TGui2Reg::MarkedLineCount() const {
    int32_t n = 0;
    for (int32_t l = 0; l < LineCount; ++l) n += PositionCount(l) > 0;
    return n;
}

bool TGui2Reg::PositionUsed(int32_t column) const {
    for (int32_t l = 0; l < LineCount; ++l)
        if (GetPosition(l, column)) return true;
    return false;
}

int32_t TGui2Reg::TopOffset() const {
    int32_t top = 0;
    for (const auto& line : lines_)
        for (int32_t i = 0; i < line.Count(); ++i) top = std::min(top, line.Items()[i].Y);
    return top;
}

std::string TGui2Reg::PositionsText() const {
    std::string text;
    for (int32_t column = 0; column < 8; ++column) {
        if (PositionUsed(column)) {
            text += PositionLetters[column];
            text += ',';
        }
    }
    if (!text.empty()) text.pop_back();
    return text;
}

std::string TGui2Reg::SumsText() const {
    std::string text;
    for (int32_t s = StepTotal - 1; s >= 0; --s) {
        for (int32_t l = LineCount - 1; l >= 0; --l) {
            if (s == 0 && PositionCount(l) > 0)
                text += 'x';
            else
                text += std::to_string(StepSum(s, l, true));
        }
        text += ',';
    }
    if (!text.empty()) text.pop_back();
    return text;
}

std::string TGui2Reg::ResultsText() const {
    std::string text;
    for (int32_t l = LineCount - 1; l >= 0; --l) {
        if (PositionCount(l) == 0) continue;
        std::string lineText;
        for (int32_t column = 0; column < 8; ++column) {
            if (GetPosition(l, column)) {
                lineText += PositionLetters[column];
                lineText += '+';
            }
        }
        lineText.pop_back();
        lineText += '=' + ResultText(GetResult(l));
        if (!text.empty()) text += ',';
        text += lineText;
    }
    return text;
}

std::string TGui2Reg::PredictionText() const {
    std::string text;
    for (int32_t l = LineCount - 1; l >= 0; --l) {
        if (PositionCount(l) == 0) continue;
        if (!text.empty()) text += "，";
        std::string letters;
        for (int32_t column = 0; column < 8; ++column)
            if (GetPosition(l, column))
                letters += std::string(letters.empty() ? "" : "+") + PositionLetters[column];
        const int32_t value = GetResult(l);
        text += letters + "=" + std::to_string(value);
        if (ContrastKind != 1 && ContrastKind != 2) text += "或" + std::to_string(PairDigit(value));
    }
    if (text.empty()) return text;
    // Two differences of ten keep the relation under 明对, one under 全明 and 全对.
    return text + (ContrastKind == 1 || ContrastKind == 2 ? "，命中机会10%" : "，命中机会20%");
}

std::string TGui2Reg::ResultText(int32_t value) const {
    switch (ContrastKind) {
        case 1:
        case 2:  // the stored digit is the one that keeps the sums 5 apart: the one that hits
            return std::to_string(value);
        default:
            return std::to_string(value) + std::to_string(PairDigit(value));
    }
}

std::string TGui2Reg::PointsText() const {
    return std::to_string(lines_[1].Count()) + std::to_string(lines_[0].Count());
}

void OrderForDrawing(TPoint* points, int32_t count) {
    if (count == 3)
        OrderPoints(points, PathOrders3);
    else if (count == 4)
        OrderPoints(points, PathOrders4);
}

void TGui2Reg::OrderByShortestPath() {
    for (auto& line : lines_) {
        const int32_t count = line.Count();
        if (count > MaxOrderedPoints) continue;
        TPoint points[MaxOrderedPoints];
        std::copy(line.Items(), line.Items() + count, points);
        OrderForDrawing(points, count);
        line.SetPoints(count, [&](int32_t i) { return points[i]; });
    }
}

void TGui2Reg::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TGui2Reg*>(&source);
    if (other == nullptr) throw TError("TGui2Reg.Assign Source isnot valid!");
    if (other == this) return;
    Clear();
    for (int32_t l = 0; l < LineCount; ++l) lines_[l].Assign(other->lines_[l]);
    Layout = other->Layout;
    StepTotal = other->StepTotal;
    BaseRow = other->BaseRow;
    StepSums = other->StepSums;
    LineResults = other->LineResults;
    ContrastKind = other->ContrastKind;
}

void TGui2Reg::AssignTo(TPersistent& dest) const {
    auto* other = dynamic_cast<TGui2Reg*>(&dest);
    if (other == nullptr) throw TError("TGui2Reg.AssignTo Dest isnot valid!");
    other->Assign(*this);
}

void TGui2Reg::LoadFromStream(TMemoryStream& stream) {
    // Read into a scratch pattern so a failure leaves this one as it was.
    TGui2Reg loaded;
    for (auto& line : loaded.lines_) line.LoadFromStream(stream);
    loaded.Layout = SaturatedByte(stream.ReadInt32("the layout of a pattern"));
    loaded.StepTotal = stream.ReadInt32("the step count of a pattern");
    if (loaded.StepTotal < 0)
        throw TError("The step count of a pattern is negative: " +
                     std::to_string(loaded.StepTotal));
    const size_t sumCount = static_cast<size_t>(loaded.StepTotal) * LineCount;
    if (stream.Remaining() / sizeof(int32_t) < sumCount)
        throw TTruncatedError("The data ends inside the step sums of a pattern.");
    std::vector<int32_t> sums(sumCount);
    stream.ReadExact(sums.data(), sumCount * sizeof(int32_t), "the step sums of a pattern");
    loaded.StepSums.assign(sums.data(), sumCount);
    loaded.BaseRow = stream.ReadInt32("the base row of a pattern");
    for (auto& result : loaded.LineResults) {
        result.ResultValue = SaturatedByte(stream.ReadInt32("the result of a pattern line"));
        stream.ReadExact(result.Positions.data(), result.Positions.size(),
                         "the positions of a pattern line");
    }
    loaded.ContrastKind = SaturatedByte(stream.ReadInt32("the contrast kind of a pattern"));
    Assign(loaded);
}

void TGui2Reg::SaveToStream(TMemoryStream& stream) const {
    for (const auto& line : lines_) line.SaveToStream(stream);
    stream.WriteInt32(Layout);
    stream.WriteInt32(StepTotal);
    const size_t sumCount = static_cast<size_t>(std::max(StepTotal, 0)) * LineCount;
    for (size_t i = 0; i < sumCount; ++i) stream.WriteInt32(i < StepSums.size() ? StepSums[i] : 0);
    stream.WriteInt32(BaseRow);
    for (const auto& result : LineResults) {
        stream.WriteInt32(result.ResultValue);
        stream.Write(result.Positions.data(), result.Positions.size());
    }
    stream.WriteInt32(ContrastKind);
}
