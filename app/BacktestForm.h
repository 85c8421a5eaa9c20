#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "data/Hao.h"
#include "search/Backtest.h"
#include "search/SearchOptions.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TBacktestChartView;
class TPrompts;

// The window "规律回测": scores the search with the current options against the draws that
// followed, row by row, on a thread of its own, and shows the verdict, the chart of hit rates
// against chance and the table by class, contrast and steps.
class TBacktestForm : public QWidget {
    Q_OBJECT

  public:
    // prompts answers messages and file dialogs; it must outlive the window.
    TBacktestForm(QWidget* parent, TPrompts& prompts);
    ~TBacktestForm() override;

    // What a run scores: the draws and options are read (and copied) when it starts. The
    // options button calls openOptions and then shows the options again.
    void SetSource(const TCodes* draws, const SearchOptions* options,
                   std::function<void()> openOptions);
    // Shows the window and brings it to the front.
    void OpenWindow();
    bool Running() const { return worker_.joinable(); }
    const std::vector<TBacktestRow>& Rows() const { return rows_; }
    const TBacktestSummary& Summary() const { return summary_; }
    // The number of rows a start scores: the spin box, capped by the draws.
    int32_t RowsToScore() const;

    QLabel* VerdictLbl = nullptr;
    QSpinBox* RowsSe = nullptr;
    QPushButton* AllRowsBt = nullptr;
    QLabel* OptionsLbl = nullptr;
    QPushButton* OptionsBt = nullptr;
    QPushButton* StartBt = nullptr;
    QPushButton* StopBt = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* ProgressLbl = nullptr;
    TBacktestChartView* Chart = nullptr;
    QTableWidget* GroupTable = nullptr;
    QPushButton* ExportCsvBt = nullptr;
    QPushButton* ExportChartBt = nullptr;

  public slots:
    void StartBtClick();
    void StopBtClick();
    void OptionsBtClick();
    void AllRowsBtClick();
    void ExportCsvBtClick();
    void ExportChartBtClick();

  signals:
    // The run ended (finished, stopped or failed) and its results are shown.
    void Finished();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    class TQueueSink;
    void BuildLayout();
    void RefreshSource();
    void DrainEvents();
    void ShowResults();
    void StopAndJoin();
    void ShowMessage(const QString& text);

    TPrompts& prompts_;
    const TCodes* draws_ = nullptr;
    const SearchOptions* options_ = nullptr;
    std::function<void()> openOptions_;

    // The run: its own copies, the thread and what it hands over.
    TCodes runDraws_;
    SearchOptions runOptions_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::unique_ptr<TQueueSink> sink_;
    QElapsedTimer clock_;
    int32_t total_ = 0;
    int32_t firstRow_ = 0;

    std::vector<TBacktestRow> rows_;
    TBacktestSummary summary_;
};
