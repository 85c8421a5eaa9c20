#pragma once

#include <QWidget>
#include <vector>

#include "search/Backtest.h"

// The chart of the backtest window: shows the points it was last given.
class TBacktestChartView : public QWidget {
    Q_OBJECT

  public:
    explicit TBacktestChartView(QWidget* parent = nullptr);
    void SetPoints(std::vector<TBacktestPoint> points, int32_t firstRow, int32_t lastRow);
    const std::vector<TBacktestPoint>& Points() const { return points_; }
    // The chart alone as a picture of the given size.
    QImage Picture(const QSize& size) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<TBacktestPoint> points_;
    int32_t firstRow_ = 1;
    int32_t lastRow_ = 1;
};
