#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>

#include "stats/TrendStats.h"
#include "stats/paint/TrendPaint.h"

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QStatusBar;
class QTabBar;
class TDocumentFeed;
class TShapeTab;
class TPrompts;
class TTrendChartView;

// The trend window (走势分析): a tab per position A-G, one for the sums of digits 1-4 and one
// for the shapes of the draws (形态, its choosers in TShapeTab), the
// number of latest draws to read, and the chart with its omission statistics. It reads the
// document's draws and their 期号 and never changes them; it follows the feed's DrawsChanged.
class TTrendForm : public QWidget {
    Q_OBJECT

  public:
    // prompts shows the messages and the save dialog; both it and the document must outlive
    // the window.
    TTrendForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& document);
    ~TTrendForm() override;

    // Shows the window (centred on the screen the first time) and brings it to the front.
    void OpenWindow();

    QTabBar* TrendTabs = nullptr;
    QComboBox* TrendWindowCbb = nullptr;
    QPushButton* TrendSaveBtn = nullptr;
    QPushButton* TrendCopyBtn = nullptr;
    QLabel* TrendInfoLbl = nullptr;
    QStatusBar* StatusBar = nullptr;  // what a save did
    TTrendChartView* TrendChart = nullptr;
    TShapeTab* ShapeTab = nullptr;
    QStackedWidget* TrendViews = nullptr;  // the chart, or the shape tab's bars

    // Draw position of the chart shown: 1-7 for A-G, 0 for the sums (and the shapes).
    int32_t Position() const;
    // The 形态 tab is chosen.
    bool ShowsShape() const;
    // The chosen number of latest draws; 0 for every draw.
    int32_t WindowChoice() const;
    const TTrendStats& Stats() const { return stats_; }
    // The chart as a picture: the whole window up to TrendPictureMaxRows rows, else that many
    // rows from the top of the view.
    QImage ChartPicture() const;
    // Writes the picture (GIF for a name ending in ".gif", else PNG); a failure is shown.
    bool SavePictureTo(const QString& path);

  public slots:
    // The draw list changed: the statistics and the chart are computed again (at once when the
    // window is shown, else when it is next shown).
    void DrawsChanged();
    void TrendSaveBtnClick();
    void TrendCopyBtnClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Recompute();
    void ShowPosition();

    TDocumentFeed& document_;
    TTrendStats stats_;
    TOmissionTable omissions_;
    std::optional<TTrendPaintInput> input_;
    TPrompts& prompts_;
    bool stale_ = true;
    bool placed_ = false;
};
