#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "data/DrawRegister.h"
#include "data/Hao.h"
#include "search/BacktestRun.h"
#include "search/SearchOptions.h"

class QLabel;
class QPushButton;
class QTableView;
class TBacktestChartView;
class TTextTableModel;
class TPastCheckPanel;
class TPrompts;

// The window "规律回测": a view of a backtest run (RunBacktestToEnd, which scores the search with
// the current options against the draws that followed, on a background job). It shows the
// verdict, the chart of hit rates against chance and the table by class, contrast and steps,
// and exports the table and the chart.
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
    // The 期号 of the draws (not owned; copied when a run starts), so that the chart's axis
    // names the rows scored by their 期号; null: row numbers.
    void SetRegister(const TDrawRegister* reg) { register_ = reg; }
    // Shows the window and brings it to the front.
    void OpenWindow();
    bool Running() const;
    const std::vector<TBacktestRow>& Rows() const { return rows_; }
    const TBacktestSummary& Summary() const { return summary_; }

    QLabel* OptionsLbl = nullptr;
    // The rows to score, start, stop, options, progress, chart and verdict.
    TPastCheckPanel* Check = nullptr;
    TBacktestChartView* Chart = nullptr;
    QTableView* GroupTable = nullptr;
    TTextTableModel* GroupModel = nullptr;
    QLabel* TableNoteLbl = nullptr;
    QPushButton* ExportCsvBt = nullptr;
    QPushButton* ExportChartBt = nullptr;

  public slots:
    void StartBtClick();
    void OptionsBtClick();
    void ExportCsvBtClick();
    void ExportChartBtClick();

  signals:
    // The run ended (finished, stopped or failed) and its results are shown.
    void Finished();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildLayout();
    void RefreshSource();
    // Takes the rows scored since the last look.
    void RowsScored(std::vector<TBacktestRow> fresh);
    void RunEnded(TBacktestResult result);
    void ShowResults();
    void ShowMessage(const QString& text);
    // Writes bytes over path through the atomic writer; says so when it cannot.
    void WriteExport(const QString& path, const QByteArray& bytes);

    TPrompts& prompts_;
    const TCodes* draws_ = nullptr;
    const SearchOptions* options_ = nullptr;
    std::function<void()> openOptions_;

    // What the run has handed over.
    int32_t minimumSteps_ = 0;
    int32_t drawCount_ = 0;
    const TDrawRegister* register_ = nullptr;

    std::vector<TBacktestRow> rows_;
    TBacktestSummary summary_;
};
