#pragma once

#include <QObject>

class QWidget;
class TBacktestForm;
class TDocumentFeed;
class TPrompts;
class TStatForm;
class TTrendForm;

// The windows that analyse the document: statistics (F8) and the trend chart (F7) live for the
// whole run, hidden until asked for; the backtest (Ctrl+B) is made on first use. Each reads
// the document through the feed; none of them changes it.
class TAnalysisWindows : public QObject {
    Q_OBJECT

  public:
    TAnalysisWindows(QWidget& window, TPrompts& prompts, TDocumentFeed& document);
    ~TAnalysisWindows() override;

    void ShowStatistics();
    void ShowTrend();
    void ShowBacktest();
    // Before the document goes: the windows close for good and a running backtest stops.
    void Detach();

    TStatForm* Statistics() const { return stat_; }
    TTrendForm* Trend() const { return trend_; }
    TBacktestForm* Backtest() const { return backtest_; }

  private:
    QWidget& window_;
    TPrompts& prompts_;
    TDocumentFeed& document_;
    TStatForm* stat_ = nullptr;
    TTrendForm* trend_ = nullptr;
    TBacktestForm* backtest_ = nullptr;
};
