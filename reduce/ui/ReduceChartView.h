#pragma once

#include <vector>

#include "reduce/ReduceCheck.h"
#include "ui/ChartView.h"

// The chart of the strategy check: shows the points it was last given.
class TReduceChartView : public TChartView {
    Q_OBJECT

  public:
    explicit TReduceChartView(QWidget* parent = nullptr);
    // The axis names its ends by the labels (their 期号), or by the rows when they are empty.
    void SetPoints(std::vector<TReduceCheckPoint> points, int32_t firstRow, int32_t lastRow,
                   QString firstLabel = {}, QString lastLabel = {});
    QString FirstLabel() const { return firstLabel_; }
    QString LastLabel() const { return lastLabel_; }
    const std::vector<TReduceCheckPoint>& Points() const { return points_; }
    void PaintOn(QPainter& painter, const QRect& area) const override;

  private:
    std::vector<TReduceCheckPoint> points_;
    int32_t firstRow_ = 1;
    int32_t lastRow_ = 1;
    QString firstLabel_;
    QString lastLabel_;
};
