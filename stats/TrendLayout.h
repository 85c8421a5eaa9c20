#pragma once

#include <cstdint>
#include <string>

#include "stats/GraphPillarCore.h"
#include "stats/ShapeMetrics.h"

// Geometry of the trend chart, free of any toolkit. The chart is a table: a header row, one row
// per draw of the window (期, the draw's digits, one cell per value), and a footer of summary
// rows. Every rectangle is half-open, in pixels, with x from the chart's left edge and y from
// the top of the part (header, rows, footer) it belongs to.
class TTrendLayout {
  public:
    static constexpr int32_t RowHeight = 20;
    static constexpr int32_t HeaderHeight = 24;
    static constexpr int32_t IssueWidth = 64;
    static constexpr int32_t DrawWidth = 72;
    static constexpr int32_t DigitCellWidth = 36;
    static constexpr int32_t SumCellWidth = 20;
    static constexpr int32_t ShapeCellWidth = 36;
    static constexpr int32_t WideShapeCellWidth = 40;  // the road counts "2:3:2"
    // 出现次数, 理论次数, the four omission statistics and the hot/cold marks, then the fit
    // line and the level it is read at.
    static constexpr int32_t StatisticRows = 7;
    static constexpr int32_t FitRows = 3;  // the fit, its level, the 冷热 legend
    static constexpr int32_t DigitFooterRows = StatisticRows + FitRows;
    static constexpr int32_t SumBarBandHeight = 90;
    static constexpr int32_t BallMargin = 2;  // between a ball and its cell's edges

    // The chart of one position (values 0-9) or of the sums of digits 1-4 (values 0-36).
    static TTrendLayout Digits();
    static TTrendLayout Sums();
    // The chart of a shape metric over a window of `windowLength` draws: one column per
    // category. The sums' many columns are as narrow as the numbers under them allow: counts
    // and omissions up to the window's length, the expected counts and mean omissions with at
    // most one decimal (at least three characters of NarrowDigitWidth pixels each).
    static TTrendLayout Shape(const TShapeMetric& metric, int32_t windowLength = 0);
    static constexpr int32_t NarrowDigitWidth = 7;
    static constexpr int32_t NarrowCellPadding = 6;
    // Whether the cells are too narrow for two decimals: the footer then writes one at most.
    bool Narrow() const { return cellWidth_ < DigitCellWidth; }

    int32_t ValueCount() const { return valueCount_; }
    int32_t CellWidth() const { return cellWidth_; }
    bool IsSums() const { return kind_ == Kind::Sums; }
    bool IsShape() const { return kind_ == Kind::Shape; }

    int32_t Width() const { return ValueLeft(valueCount_) + 1; }
    int32_t ValueLeft(int32_t value) const { return IssueWidth + DrawWidth + value * cellWidth_; }
    // The x of a value that need not be whole (the mean of the sums), at the middle of cells.
    int32_t ValueX(double value) const;

    TChartRect IssueRect(int32_t top) const { return {0, top, IssueWidth, top + RowHeight}; }
    TChartRect DrawRect(int32_t top) const {
        return {IssueWidth, top, IssueWidth + DrawWidth, top + RowHeight};
    }
    // Issue and draw columns together: the labels of the footer rows.
    TChartRect LabelRect(int32_t top) const {
        return {0, top, IssueWidth + DrawWidth, top + RowHeight};
    }
    TChartRect CellRect(int32_t top, int32_t value) const {
        return {ValueLeft(value), top, ValueLeft(value + 1), top + RowHeight};
    }
    // The square the ball of a drawn value fills, centred in its cell; as wide as the cell
    // (less the margins) for a shape's wide cells, whose labels are longer.
    TChartRect BallRect(int32_t top, int32_t value) const;
    TChartPoint BallCentre(int32_t top, int32_t value) const;

    // Rows of `height` pixels: how many draw rows fit (at least one), and where the body ends.
    static int32_t RowsThatFit(int32_t height);
    static int32_t RowTop(int32_t rowInView) { return rowInView * RowHeight; }

    int32_t FooterHeight() const;
    // The bar of a sum seen `frequency` times when the most frequent was seen `highest` times;
    // standing on the bottom of the band that starts at `top`, empty for a zero frequency.
    TChartRect SumBar(int32_t top, int32_t value, int32_t frequency, int32_t highest) const;

    // Height of a chart of `rows` draw rows with its header and footer.
    int32_t TotalHeight(int32_t rows) const {
        return HeaderHeight + rows * RowHeight + FooterHeight();
    }

    // The first row of a view of `visible` rows over `total`, at scroll position `top`, kept
    // inside the rows (the last full view at the end).
    static int32_t ClampTopRow(int32_t top, int32_t visible, int32_t total);

  private:
    enum class Kind : uint8_t { Digits, Sums, Shape };
    TTrendLayout(Kind kind, int32_t valueCount, int32_t cellWidth)
        : kind_(kind), valueCount_(valueCount), cellWidth_(cellWidth) {}

    Kind kind_;
    int32_t valueCount_;
    int32_t cellWidth_;
};

// The average omission as the chart shows it: two decimals.
std::string FormatAverage(double value);
