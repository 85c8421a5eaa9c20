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
class QStatusBar;
class QTableView;
class TBacktestChartView;
class TTextTableModel;
class TPastCheckPanel;
class TDocumentFeed;
class TPrompts;

// The window "规律回测": a view of a backtest run (RunBacktestToEnd, which scores the search with
// the current options against the draws that followed, on a background job). It shows the
// verdict, the chart of hit rates against chance and the table by class, contrast and steps,
// and exports the table and the chart.
class TBacktestForm : public QWidget {
    Q_OBJECT

  public:
    // prompts answers messages and file dialogs; document gives the draws, their 期号 and the
    // options a run scores (copied when it starts). Both must outlive the window.
    TBacktestForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& document);
    ~TBacktestForm() override;

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
    QStatusBar* StatusBar = nullptr;  // what an export did

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
    // Writes bytes over path through the atomic writer; says so when it cannot, and in the
    // status bar as done (what: "表格已导出") when it could.
    void WriteExport(const QString& path, const QByteArray& bytes, const QString& done);

    TPrompts& prompts_;
    TDocumentFeed& document_;

    // What the run has handed over.
    int32_t minimumSteps_ = 0;
    int32_t drawCount_ = 0;

    std::vector<TBacktestRow> rows_;
    TBacktestSummary summary_;
};
