#pragma once

#include <QWidget>

#include "stats/paint/ShapeBarsPaint.h"

// The bar chart of one shape metric's observed and expected counts, filling the widget.
class TShapeBarsView : public QWidget {
    Q_OBJECT

  public:
    explicit TShapeBarsView(QWidget* parent = nullptr);
    // What to paint; not owned, null paints an empty area.
    void SetChart(const TShapeBarsInput* input);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const TShapeBarsInput* input_ = nullptr;
};
