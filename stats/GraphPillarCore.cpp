#include "stats/GraphPillarCore.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// Geometry is computed wide and clamped so that extreme field values cannot overflow.
int32_t Clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int64_t Div(int64_t a, int64_t b) {
    return a / b;  // C++ division truncates toward zero
}

}  // namespace

void TGraphPilarData::ClearChart() {
    Values.clear();
    RowColors.clear();
    Marks.clear();
    FDynColCount = 0;
    FDynRowCount = 0;
}

void TGraphPilarData::SetDimensions(int32_t columns, int32_t rows,
                                    const std::vector<TArgb>& colors) {
    // A negative count would make a negative matrix; it means an empty one.
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    FDynColCount = columns - 1;
    FDynRowCount = rows - 1;
    Values.assign(static_cast<size_t>(columns) * static_cast<size_t>(rows), "0");
    RowColors.resize(static_cast<size_t>(rows));
    for (int32_t i = 0; i < rows; ++i) {
        const auto index = static_cast<size_t>(i);
        if (index < colors.size())
            RowColors[index] = colors[index];
        else
            RowColors[index] = DefaultRowColors[std::min(index, DefaultRowColors.size() - 1)];
    }
}

bool TGraphPilarData::InRange(int32_t x, int32_t y) const {
    // After ClearChart both counts are 0 while the matrix holds no cell at all, so cell (0, 0)
    // passes the index tests; the size check keeps every access inside the matrix.
    return x >= 0 && y >= 0 && x <= FDynColCount && y <= FDynRowCount &&
           static_cast<size_t>(x) +
                   static_cast<size_t>(y) * (static_cast<size_t>(FDynColCount) + 1) <
               Values.size();
}

void TGraphPilarData::Report(const char* message) const {
    if (OnRangeError) OnRangeError(message);
}

std::string TGraphPilarData::GetValue(int32_t x, int32_t y) const {
    if (x < 0 || x > FDynColCount) Report("GetValue x>=FDynColCount ");
    if (y < 0 || y > FDynRowCount) Report("GetValue x>=FDynRowCount ");
    if (!InRange(x, y)) return {};
    return Values[static_cast<size_t>(x) + static_cast<size_t>(y) * (FDynColCount + 1)];
}

void TGraphPilarData::SetValue(int32_t x, int32_t y, const std::string& text) {
    if (x < 0 || x > FDynColCount) Report("SetValue x>=FDynColCount ");
    if (y < 0 || y > FDynRowCount) Report("SetValue x>=FDynRowCount ");
    if (!InRange(x, y)) return;
    Values[static_cast<size_t>(x) + static_cast<size_t>(y) * (FDynColCount + 1)] = text;
}

void TGraphPilarData::Relayout() {
    const int64_t group = int64_t{FDynRowCount} * BarWidth + 2 * int64_t{GroupGap};
    const int64_t width = group * FDynColCount + 2 * int64_t{GroupGap};
    const int64_t height = StepHeight == 0 ? 0 : int64_t{StepCount} * StepHeight;
    PlotRect = {PlotOrigin.X, PlotOrigin.Y, Clamp32(width + PlotOrigin.X),
                Clamp32(height + PlotOrigin.Y)};
}

bool TGraphPilarData::ParseDecimal(const std::string& text, int32_t& value) {
    // Optional sign, then digits only: no blanks, no fraction, within 32 bits.
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    if (first == last) return false;
    int32_t parsed = 0;
    const auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last) return false;
    value = parsed;
    return true;
}

int32_t TGraphPilarData::CellNumber(int32_t column, int32_t row) const {
    if (!InRange(column, row)) return 0;
    int32_t value = 0;
    const auto& text =
        Values[static_cast<size_t>(column) + static_cast<size_t>(row) * (FDynColCount + 1)];
    return ParseDecimal(text, value) ? value : 0;
}

TChartRect TGraphPilarData::BarRect(int32_t column, int32_t row) const {
    const int64_t group = int64_t{FDynRowCount} * BarWidth + 2 * int64_t{GroupGap};
    const int64_t left = group * (column - 1) + int64_t{row} * BarWidth + GroupGap + PlotOrigin.X;
    const int64_t bottom = int64_t{PlotRect.Bottom} + 1;
    return {Clamp32(left), Clamp32(bottom - CellNumber(column, row)), Clamp32(left + BarWidth),
            Clamp32(bottom)};
}

TChartRect TGraphPilarData::MarkRect(int32_t column) const {
    if (column < 1 || static_cast<size_t>(column) >= Marks.size()) return {};
    const double value = Marks[static_cast<size_t>(column)];
    if (!(value >= 0) || !std::isfinite(value)) return {};
    const TChartRect bar = BarRect(column, MarkRow);
    double height = value;
    if (ValueScale > 0.0f && std::isfinite(ValueScale)) height = value / double{ValueScale};
    const int32_t y =
        Clamp32(int64_t{bar.Bottom} - static_cast<int64_t>(std::llround(std::min(height, 1e9))));
    return {Clamp32(int64_t{bar.Left} - 3), y, Clamp32(int64_t{bar.Right} + 3), y};
}

TChartRect TGraphPilarData::ScaleBar(TChartRect rect) const {
    const double raw = static_cast<double>(int64_t{rect.Bottom} - rect.Top);
    double height = raw;
    // A scale of 0 or less (or not a number) cannot divide; the bar is then drawn unscaled.
    if (ValueScale > 0.0f && std::isfinite(ValueScale))
        height = std::ceil(raw / double{ValueScale});
    height = std::clamp(height, -1e9, 1e9);
    rect.Top = Clamp32(int64_t{rect.Bottom} - static_cast<int64_t>(height));
    return rect;
}

int32_t TGraphPilarData::AxisY(int32_t step) const {
    return Clamp32(int64_t{PlotRect.Bottom} - int64_t{StepHeight} * step);
}

int64_t TGraphPilarData::RoundHalfEven(double value) {
    if (!std::isfinite(value)) return 0;
    value = std::clamp(value, -1e15, 1e15);
    const double floor = std::floor(value);
    const double rest = value - floor;
    auto result = static_cast<int64_t>(floor);
    if (rest > 0.5 || (rest == 0.5 && result % 2 != 0)) ++result;
    return result;
}

std::string TGraphPilarData::AxisLabel(int32_t step) const {
    if (LabelStep > 0) return std::to_string(LabelStep * step);
    return std::to_string(
        RoundHalfEven(static_cast<double>(int64_t{StepHeight} * step) * double{ValueScale}));
}

TChartRect TGraphPilarData::AxisLabelRect(int32_t step) const {
    const int32_t y = AxisY(step);
    return {PlotRect.Left - 25, y - 7, PlotRect.Left - 10, y + 8};
}

TChartRect TGraphPilarData::TitleRect() const {
    return {PlotRect.Left, PlotRect.Top - 30, PlotRect.Right, PlotRect.Top - 10};
}

TChartRect TGraphPilarData::ColumnLabelRect(int32_t column) const {
    const TChartRect bar = ScaleBar(BarRect(column, 1));
    const int32_t top = bar.Bottom + 3;
    return {bar.Left, top, Clamp32(int64_t{bar.Left} + int64_t{FDynRowCount} * BarWidth), top + 15};
}

TChartRect TGraphPilarData::ValueTextRect(const TChartRect& bar) const {
    if (bar.Top - 16 >= PlotRect.Top) return {bar.Left, bar.Top - 16, bar.Right, bar.Top - 2};
    return {bar.Left, bar.Top + 2, bar.Right, bar.Top + 16};
}

TValueAxis NiceValueAxis(int64_t maximum, int32_t plotHeight, int32_t minStepHeight) {
    maximum = std::clamp<int64_t>(maximum, 1, int64_t{1} << 53);
    plotHeight = std::max(plotHeight, 1);
    minStepHeight = std::clamp(minStepHeight, 1, plotHeight);
    const int64_t maxSteps = plotHeight / minStepHeight;
    TValueAxis axis;
    for (int64_t power = 1;; power *= 10) {
        for (const int64_t factor : {1, 2, 5}) {
            const int64_t step = factor * power;
            const int64_t count = (maximum + step - 1) / step;
            if (count > maxSteps) continue;
            axis.Step = step;
            axis.StepCount = static_cast<int32_t>(count);
            axis.StepHeight = static_cast<int32_t>(plotHeight / count);
            axis.ValueScale = static_cast<float>(static_cast<double>(step * count) /
                                                 (static_cast<double>(axis.StepHeight) * count));
            return axis;
        }
    }
}

TChartPoint CenteredTextOrigin(const TChartRect& rect, int32_t width, int32_t height) {
    return {Clamp32(Div(int64_t{rect.Left} + rect.Right - width, 2)),
            Clamp32(Div(int64_t{rect.Top} + rect.Bottom - height, 2))};
}
