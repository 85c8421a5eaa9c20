#pragma once

#include <QWidget>
#include <vector>

#include "stats/StatTally.h"

class QAction;
class QActionGroup;
class QLabel;
class QScrollArea;
class QToolBar;
class TDocumentFeed;
class TGraphPilarNet;
class TGui2RegMgr;
class TPrompts;

// The statistics window: counts the document's patterns by the digit each one forecasts and
// shows the counts as bar charts, two side by side when the screen has room. It reads the
// patterns and never changes them. Whenever it is shown or activated after the patterns
// changed, it runs the chosen statistic again; a statistic that counts nothing says why.
// With 命中统计 pressed it counts only the patterns whose coming draw is known: each digit's
// bars show how many there are and how many of them hit, and a line the hits chance alone
// would give.
class TStatForm : public QWidget {
    Q_OBJECT

  public:
    // prompts answers the charts' messages; it and the document (whose patterns the
    // statistics count, verified against its draws) must outlive the window.
    TStatForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& document);
    ~TStatForm() override;

    // The patterns the statistics read.
    const TGui2RegMgr* RegMgr() const;
    // Shows the window (centred on the screen the first time) and brings it to the front.
    void OpenWindow();
    // Runs the chosen statistic again when the patterns changed since it last ran (or it never
    // ran); true when it ran.
    bool RefreshIfOutOfDate();

    QToolBar* StatTbr = nullptr;
    QAction* StatTbrStat1 = nullptr;
    QAction* StatTbrStat2 = nullptr;
    QAction* StatTbrStat3 = nullptr;
    QAction* StatTbrHits = nullptr;  // checkable: count hits instead of patterns
    QAction* StatTbrClose = nullptr;
    QLabel* StatHintLbl = nullptr;  // why the chosen statistic counted nothing
    QScrollArea* StatGrphScrollBox = nullptr;

    // The charts of the last statistic run, in reading order.
    const std::vector<TGraphPilarNet*>& Charts() const { return charts_; }
    TStatKind ChosenStat() const { return chosen_; }

  public slots:
    void StatTbrStat1Click();
    void StatTbrStat2Click();
    void StatTbrStat3Click();
    void StatTbrCloseClick();
    // The draws changed: hit counts shown are counted again.
    void DrawsChanged();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RunStat(TStatKind kind);
    void FreeCharts();
    // Places the charts in as many columns as the view's width holds (at most two).
    void ArrangeCharts(int columns);
    int ColumnsThatFit(int width) const;
    // Grows or shrinks the window to show every chart, within the screen.
    void FitToCharts();

    QWidget* chartBox_ = nullptr;  // the scroll box's contents, parent of the charts
    std::vector<TGraphPilarNet*> charts_;
    TDocumentFeed& document_;
    bool drawsStale_ = false;  // hit counts shown before the draws changed
    TPrompts& prompts_;
    QActionGroup* statGroup_ = nullptr;
    bool placed_ = false;
    TStatKind chosen_ = skFixedDigit;
    bool ran_ = false;
    uint64_t ranRevision_ = 0;
    int columns_ = 1;
};
