#pragma once

#include <QWidget>
#include <vector>

#include "reduce/ReduceCheck.h"

// The chart of the strategy check: shows the points it was last given.
class TReduceChartView : public QWidget {
    Q_OBJECT

  public:
    explicit TReduceChartView(QWidget* parent = nullptr);
    void SetPoints(std::vector<TReduceCheckPoint> points, int32_t firstRow, int32_t lastRow);
    const std::vector<TReduceCheckPoint>& Points() const { return points_; }
    // The chart alone as a picture of the given size.
    QImage Picture(const QSize& size) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<TReduceCheckPoint> points_;
    int32_t firstRow_ = 1;
    int32_t lastRow_ = 1;
};
