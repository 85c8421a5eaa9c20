#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

// The control of a chart painted by the rendering layer: the chart fills the control, and the
// same painting makes a picture of any size (导出图片, printing). A chart control says only how
// its chart is painted on an area.
class TChartView : public QWidget {
    Q_OBJECT

  public:
    explicit TChartView(QWidget* parent = nullptr) : QWidget(parent) {}
    // Paints the chart onto the area.
    virtual void PaintOn(QPainter& painter, const QRect& area) const = 0;
    // The chart alone as a picture of the given size, in the control's font.
    QImage Picture(const QSize& size) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};
