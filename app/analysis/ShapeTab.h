#pragma once

#include <QImage>
#include <QObject>
#include <optional>

#include "stats/ShapeStats.h"
#include "stats/paint/ShapeBarsPaint.h"

class QCheckBox;
class QComboBox;
class QWidget;
class TShapeBarsView;

// The 形态 tab of the trend window: the chooser of the shape metric, of the view (the chart of
// the draws or the bars of observed against expected counts) and of the prime convention, and
// the chosen metric's statistics over the window.
class TShapeTab : public QObject {
    Q_OBJECT

  public:
    explicit TShapeTab(QWidget* parent);

    QWidget* Controls = nullptr;  // the choosers, shown while the tab is
    QComboBox* ShapeMetricCbb = nullptr;
    QComboBox* ShapeViewCbb = nullptr;
    QCheckBox* ShapeOneIsPrimeChk = nullptr;
    TShapeBarsView* ShapeBars = nullptr;  // the second view

    TShapeMetric Metric() const;
    bool ShowsBars() const;

    // The chosen metric over the window of the draws; the bars view follows.
    void Compute(const TCodes& draws, TTrendWindow window);
    const TShapeMetricStats& Stats() const { return *stats_; }
    const TOmissionTable& Omissions() const { return omissions_; }
    QImage BarsPicture() const;

  signals:
    // The metric, the view or the convention was chosen.
    void Changed();

  private:
    std::optional<TShapeMetricStats> stats_;
    TOmissionTable omissions_;
    std::optional<TShapeBarsInput> bars_;
};
