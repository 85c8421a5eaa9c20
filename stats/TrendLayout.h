#pragma once

#include <cstdint>
#include <string>

#include "stats/GraphPillarCore.h"

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
    static constexpr int32_t DigitFooterRows = 6;  // five statistics and the hot/cold marks
    static constexpr int32_t SumBarBandHeight = 90;
    static constexpr int32_t BallMargin = 2;  // between a ball and its cell's edges

    // The chart of one position (values 0-9) or of the sums of digits 1-4 (values 0-36).
    static TTrendLayout Digits();
    static TTrendLayout Sums();

    int32_t ValueCount() const { return valueCount_; }
    int32_t CellWidth() const { return cellWidth_; }
    bool IsSums() const { return valueCount_ != 10; }

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
    // The square the ball of a drawn value fills, centred in its cell.
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
    TTrendLayout(int32_t valueCount, int32_t cellWidth)
        : valueCount_(valueCount), cellWidth_(cellWidth) {}

    int32_t valueCount_;
    int32_t cellWidth_;
};

// The average omission as the chart shows it: two decimals.
std::string FormatAverage(double value);
