#pragma once

#include <vector>

#include "search/Backtest.h"
#include "ui/ChartView.h"

// The chart of the backtest window: shows the points it was last given.
class TBacktestChartView : public TChartView {
    Q_OBJECT

  public:
    explicit TBacktestChartView(QWidget* parent = nullptr);
    // The axis names its ends by the labels (their 期号), or by the rows when they are empty.
    void SetPoints(std::vector<TBacktestPoint> points, int32_t firstRow, int32_t lastRow,
                   QString firstLabel = {}, QString lastLabel = {});
    QString FirstLabel() const { return firstLabel_; }
    QString LastLabel() const { return lastLabel_; }
    const std::vector<TBacktestPoint>& Points() const { return points_; }
    void PaintOn(QPainter& painter, const QRect& area) const override;

  private:
    std::vector<TBacktestPoint> points_;
    int32_t firstRow_ = 1;
    int32_t lastRow_ = 1;
    QString firstLabel_;
    QString lastLabel_;
};
