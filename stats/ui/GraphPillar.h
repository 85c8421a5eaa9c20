#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "stats/GraphPillarCore.h"

class TPrompts;

// A grouped bar chart control: title, value axis with grid, column labels, bars with their
// values. Its data and geometry live in Chart; the owner sets the fields there and calls
// Relayout. Out-of-range cell access is reported in a message box.
class TGraphPilarNet : public QWidget {
    Q_OBJECT

  public:
    // prompts shows the out-of-range messages; it must outlive the control.
    TGraphPilarNet(QWidget* parent, TPrompts& prompts);
    ~TGraphPilarNet() override;

    TGraphPilarData Chart;
    // Called at the end of every Relayout.
    std::function<void(TGraphPilarNet*)> OnChanged;

    void ClearChart();
    void SetDimensions(int32_t columns, int32_t rows, const std::vector<TArgb>& colors);
    std::string GetValue(int32_t x, int32_t y) const;
    void SetValue(int32_t x, int32_t y, const std::string& text);
    // Lays the plot out from the geometry fields and repaints.
    void Relayout();

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowRangeError(const std::string& message);

    TPrompts& prompts_;
};
