#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "data/DrawRegister.h"
#include "data/RowNews.h"
#include "ui/BackgroundJob.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

// A check of something against the past draws, as the backtest window and the 缩水 strategy
// check show it: how many of the last draws (with 全部), start, stop and the options, the
// progress with the draw worked on (its 期号) and the time left, the chart and the verdict. The
// caller says what a run is; the panel runs it on its background job, hands the rows over as
// they are scored (TRowNews) and names the rows by their 期号.
class TPastCheckPanel : public QWidget {
    Q_OBJECT

  public:
    struct TTexts {
        QString Before;   // before the spin box: "回测最近"
        QString After;    // after it: "期"
        QString Start;    // the start button: "开始"
        QString Options;  // the options button: "设置..."
        QString Working;  // the progress line's verb: "正在回测"
        QString Done;     // the end: "回测完成" (", 用时 …" follows)
    };
    // chart: the chart control, shown under the progress (the panel takes it).
    TPastCheckPanel(QWidget* parent, const TTexts& texts, QWidget* chart);
    ~TPastCheckPanel() override;

    // The most rows a run may score (at least the fewest); a fresh panel takes the default.
    void SetAvailable(int32_t rows);
    // The rows a start scores: the spin box, capped by SetAvailable.
    int32_t RowsToScore() const;
    bool Running() const;

    // The run's rows firstRow..lastRow (from 1) of drawCount draws named by reg (copied).
    void SetSpan(int32_t firstRow, int32_t lastRow, int32_t drawCount, const TDrawRegister& reg);
    int32_t FirstRow() const { return firstRow_; }
    int32_t LastRow() const { return lastRow_; }
    // A row's 期号, or its number when the register does not know it.
    QString RowLabel(int32_t row) const;

    // Runs work(control, news) on the job, where news takes each progress of the run (with
    // CurrentRow and Scored, as TRowNews reads it) and the run follows it with control's Report,
    // which makes the panel look; rows(fresh) gets the rows scored since the
    // last look, on the window's thread, and ended(result) the result; then the caller shows
    // the end with ShowEnd. Call after SetSpan.
    template <class Row, class Work, class Ended>
    void Start(Work work, std::function<void(std::vector<Row>)> rows, Ended ended);
    // The run ended with scored rows; stopped names how it stopped (else "完成，用时 …").
    void ShowEnd(int32_t scored, const QString& stopped);
    // Stops the run (its result still arrives) / stops it and waits, handing nothing over.
    void Stop();
    void Abandon();

    QSpinBox* RowsSe = nullptr;
    QPushButton* AllRowsBt = nullptr;
    QPushButton* StartBt = nullptr;
    QPushButton* StopBt = nullptr;
    QPushButton* OptionsBt = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* ProgressLbl = nullptr;
    QWidget* Chart = nullptr;
    QLabel* VerdictLbl = nullptr;

  signals:
    void StartClicked();
    void OptionsClicked();

  private:
    void Begin();
    // The progress line: the row worked on, the rows done and the time left.
    void ShowProgress(int32_t currentRow);

    TTexts texts_;
    TBackgroundJob* job_ = nullptr;
    std::function<void()> drain_;  // takes the rows of the running job
    QElapsedTimer clock_;
    int32_t firstRow_ = 1;
    int32_t lastRow_ = 1;
    int32_t drawCount_ = 0;
    int32_t done_ = 0;
    TDrawRegister register_;
};

template <class Row, class Work, class Ended>
void TPastCheckPanel::Start(Work work, std::function<void(std::vector<Row>)> rows, Ended ended) {
    Begin();
    auto news = std::make_shared<TRowNews<Row>>();
    drain_ = [this, news, rows = std::move(rows)] {
        std::vector<Row> fresh;
        const int32_t current = news->TakeInto(fresh);
        done_ += static_cast<int32_t>(fresh.size());
        ShowProgress(current);
        if (!fresh.empty()) rows(std::move(fresh));
    };
    job_->Start(
        [work = std::move(work), news](TJobControl& control) {
            return work(control, [news](const auto& progress) { news->Report(progress); });
        },
        [this, ended = std::move(ended)](auto result) {
            drain_ = {};
            ended(std::move(result));
        });
}
