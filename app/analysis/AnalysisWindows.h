#pragma once

#include <QObject>
#include <functional>

class QWidget;
class TBacktestForm;
class TCodes;
class TDrawRegister;
class TGui2RegMgr;
class TPrompts;
class TStatForm;
class TTrendForm;
struct SearchOptions;

// The windows that analyse the document: statistics (F8) and the trend chart (F7) live for the
// whole run, hidden until asked for; the backtest (Ctrl+B) is made on first use. Each reads
// the window's draws, patterns and options; none of them changes the document.
class TAnalysisWindows : public QObject {
    Q_OBJECT

  public:
    TAnalysisWindows(QWidget& window, TPrompts& prompts, const TCodes& draws, int issueBase,
                     TGui2RegMgr& manager, SearchOptions& options,
                     std::function<void()> editOptions);
    ~TAnalysisWindows() override;

    // The 期号 of the draws (not owned): the trend chart and the backtest chart show them.
    void SetRegister(const TDrawRegister* reg);

    void ShowStatistics();
    void ShowTrend();
    void ShowBacktest();
    // Before the patterns go: the statistics forget them and a running backtest stops.
    void Detach();

    TStatForm* Statistics() const { return stat_; }
    TTrendForm* Trend() const { return trend_; }
    TBacktestForm* Backtest() const { return backtest_; }

  public slots:
    // Any change of the draws (the grid's DrawsChanged): the windows that show draws follow.
    void DrawsChanged();

  private:
    QWidget& window_;
    TPrompts& prompts_;
    const TCodes& draws_;
    TGui2RegMgr& manager_;
    SearchOptions& options_;
    std::function<void()> editOptions_;
    TStatForm* stat_ = nullptr;
    TTrendForm* trend_ = nullptr;
    TBacktestForm* backtest_ = nullptr;
    const TDrawRegister* register_ = nullptr;
};
