#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "view/Color.h"

// Rectangle in control coordinates (left, top, right, bottom), as the chart computes it.
struct TChartRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    bool operator==(const TChartRect&) const = default;
};

struct TChartPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TChartPoint&) const = default;
};

// Fill colours of rows that were given none, by row index.
inline constexpr std::array<TArgb, 10> DefaultRowColors = {
    ColorToArgb(17, 0, 255), ColorToArgb(4, 255, 17), ColorToArgb(255, 18, 69),
    ColorToArgb(68, 32, 31), ColorToArgb(132, 0, 95), ColorToArgb(68, 0, 255),
    ColorToArgb(68, 0, 255), ColorToArgb(68, 0, 255), ColorToArgb(68, 0, 255),
    ColorToArgb(68, 0, 255)};

// The data and geometry of a grouped bar chart, free of any toolkit. Row 0 of the matrix holds
// the column labels, rows 1.. the bar values as decimal integers; column 0 is never drawn.
class TGraphPilarData {
  public:
    TGraphPilarData() = default;

    std::vector<std::string> Values;  // cell (x, y) at x + y * (FDynColCount + 1)
    int32_t FDynColCount = 0;         // highest valid column index
    int32_t FDynRowCount = 0;         // highest valid row index
    std::vector<TArgb> RowColors;
    TChartPoint PlotOrigin{30, 30};
    int32_t BarWidth = 10;
    int32_t GroupGap = 10;  // on each side of a column's group of bars
    int32_t StepHeight = 10;
    int32_t StepCount = 6;
    float ValueScale = 0.2f;  // value units per pixel of bar height
    // When above 0, label i of the value axis reads i * LabelStep: exact for any count, where
    // the single-precision scale would round large labels off.
    int64_t LabelStep = 0;
    bool ShowGrid = true;
    bool ShowValues = true;
    std::string Title;
    TChartRect PlotRect;
    // A value per column (index c; none below 0) drawn as a level line across the bar of
    // MarkRow: what chance alone would give, beside what was counted.
    std::vector<double> Marks;
    int32_t MarkRow = 1;

    // Hears the out-of-range messages of GetValue and SetValue; the data shows nothing itself.
    std::function<void(const std::string&)> OnRangeError;

    void ClearChart();
    // Counts include the label column and the label row. Every cell becomes "0".
    void SetDimensions(int32_t columns, int32_t rows, const std::vector<TArgb>& colors);
    // Out of range: reports and returns the empty text.
    std::string GetValue(int32_t x, int32_t y) const;
    // Out of range: reports and stores nothing.
    void SetValue(int32_t x, int32_t y, const std::string& text);
    bool InRange(int32_t x, int32_t y) const;

    // Computes PlotRect from the geometry fields.
    void Relayout();

    // The unscaled bar of data cell (c, r): its height is the cell's number.
    TChartRect BarRect(int32_t column, int32_t row) const;
    // The bar ceil(height / ValueScale) pixels high, standing on the same bottom.
    TChartRect ScaleBar(TChartRect rect) const;

    // Value-axis step i: the y of its tick and grid line, its label text and label box.
    int32_t AxisY(int32_t step) const;
    std::string AxisLabel(int32_t step) const;
    TChartRect AxisLabelRect(int32_t step) const;
    TChartRect TitleRect() const;
    // Box of column c's label under the plot.
    TChartRect ColumnLabelRect(int32_t column) const;
    // Box of a bar's value text: above the bar, or just inside its top when the text would
    // otherwise leave the plot (a bar at the axis' top).
    TChartRect ValueTextRect(const TChartRect& bar) const;

    // The level line of column c's mark: a rectangle of no height a little wider than the bar
    // of MarkRow, at the mark's value on the scale of the bars. Empty (all 0) without a mark.
    TChartRect MarkRect(int32_t column) const;

    // The cell read as a decimal integer; any other text counts as 0.
    int32_t CellNumber(int32_t column, int32_t row) const;
    static bool ParseDecimal(const std::string& text, int32_t& value);
    // Rounds to the nearest integer, ties to the even one.
    static int64_t RoundHalfEven(double value);

  private:
    void Report(const char* message) const;
};

// A value axis whose labels are 1, 2 or 5 times a power of ten apart.
struct TValueAxis {
    int64_t Step = 1;         // value units between two labels
    int32_t StepCount = 1;    // labels above 0
    int32_t StepHeight = 1;   // pixels between two labels
    float ValueScale = 1.0f;  // value units per pixel
    bool operator==(const TValueAxis&) const = default;
};

// The axis with the smallest 1-2-5 step that covers maximum (at least 1) in a plot at most
// plotHeight pixels high with labels at least minStepHeight pixels apart, so that no two labels
// touch. Its plot height StepCount * StepHeight never exceeds plotHeight.
TValueAxis NiceValueAxis(int64_t maximum, int32_t plotHeight, int32_t minStepHeight);

// Top-left corner that centres a w x h text in rect (integer halves truncate toward zero).
TChartPoint CenteredTextOrigin(const TChartRect& rect, int32_t width, int32_t height);
