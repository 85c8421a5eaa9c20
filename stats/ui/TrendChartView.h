#pragma once

#include <QAbstractScrollArea>
#include <cstdint>

#include "stats/paint/TrendPaint.h"

// The scrolling trend chart: the header stays on top and the summary rows right under the rows
// in view; only the rows in view are painted, so that a window of every draw scrolls as fast as
// one of thirty. The vertical scroll position is the first row in view.
class TTrendChartView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    explicit TTrendChartView(QWidget* parent = nullptr);

    // What to paint; not owned, null paints an empty area. Call ChartChanged after the data
    // behind it changed.
    void SetChart(const TTrendPaintInput* input);
    // New data: the scroll ranges follow it and the view moves to the newest draws.
    void ChartChanged();

    int32_t TopRow() const;
    int32_t VisibleRows() const;
    void ScrollToRow(int32_t row);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

  private:
    void UpdateScrollRanges();
    int32_t RowCount() const;

    const TTrendPaintInput* input_ = nullptr;
};
