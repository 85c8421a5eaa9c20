#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/DrawRegister.h"
#include "data/Hao.h"
#include "reduce/ReduceBets.h"
#include "reduce/ReduceCheck.h"
#include "reduce/ReduceConditions.h"
#include "reduce/ReduceCount.h"
#include "search/SearchOptions.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TBackgroundJob;
class TConditionEditor;
class TDocumentFeed;
class TPastCheckPanel;
class TPrompts;
class TReduceChartView;

// The window "缩水选号": builds a list of conditions (定位, 杀号, 胆码, the shape metrics, the
// chosen patterns) with a tolerance, shows how many bets they keep and what they cost as the
// list changes (counted on a background job, the latest change winning), checks the
// conditions against past draws with a chart and a verdict, saves and loads the list as text,
// exports the kept bets and hands them (all, or a random sample) to whoever takes bets.
class TReduceForm : public QWidget {
    Q_OBJECT

  public:
    // The chosen patterns, as forms of the coming draw (the list's selected patterns, or all).
    using TPatternSource = std::function<std::vector<TPatternForm>()>;

    // document gives the draws (the last one is the previous draw of 重号 and 邻号), their
    // 期号, the options of the check's searches and the chosen patterns, read when used;
    // patterns, when given, stands for the chosen patterns' forms (a test's own).
    TReduceForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& document,
                TPatternSource patterns = {});
    ~TReduceForm() override;

    void OpenWindow();
    // Who takes the bets of 发送到投注 (the ticket book), ascending, with a note of where they
    // came from; false when it took none (and told the user why).
    using TBetsTaker = std::function<bool(const std::vector<int32_t>& bets, const QString& source)>;
    void SetBetsTaker(TBetsTaker taker) { betsTaker_ = std::move(taker); }

    TReduceSet Conditions() const;
    void SetConditions(const TReduceSet& set);
    bool Counting() const;
    bool Checking() const;
    // The count last shown, or none (counting, or conditions that cannot apply).
    std::optional<int64_t> KeptCount() const { return kept_; }
    const std::vector<TReduceCheckRow>& CheckRows() const { return checkRows_; }
    const TReduceCheckSummary& CheckSummary() const { return checkSummary_; }

    // The list of conditions and the editor of the selected one.
    TConditionEditor* Editor = nullptr;
    QLabel* ResultLbl = nullptr;
    QPushButton* LoadBt = nullptr;
    QPushButton* SaveBt = nullptr;
    QPushButton* ExportBt = nullptr;
    QPushButton* SendBt = nullptr;
    QCheckBox* SampleChk = nullptr;
    QSpinBox* SampleSe = nullptr;
    // The strategy check: the rows to check, start, stop, options, progress, chart, verdict.
    TPastCheckPanel* Check = nullptr;
    TReduceChartView* Chart = nullptr;
    QLabel* CheckLbl = nullptr;
    QLabel* ChanceLbl = nullptr;

  public slots:
    // The draws or the chosen patterns changed: count again.
    void SourceChanged();
    // The chosen patterns changed (the list's selection): count again when 规律 reads them.
    void PatternsChanged();
    void LoadBtClick();
    void SaveBtClick();
    void ExportBtClick();
    void SendBtClick();
    void CheckBtClick();

  signals:
    // A count ended and is shown (kept, or the reason it could not be made).
    void Counted();
    // The strategy check ended (finished, stopped or failed) and is shown.
    void CheckFinished();
    // An export or a send ended.
    void BetsHandled();

  private:
    void BuildLayout();
    QWidget* BuildBets();
    QWidget* BuildCheck();
    void Recount();
    TReduceContext Context(const TReduceSet& set) const;
    // Makes the bets of the request on a job (a progress dialog with 取消 follows it), then
    // hands them to done (nothing when stopped or when the conditions keep none).
    void WithBets(TBetsRequest request, std::function<void(TBetsOutcome)> done);
    void ShowChart();
    // The conditions changed: the count follows, and the check shown is marked out of date
    // (or goes, when no condition is left).
    void ConditionsChanged();
    // The verdict of the check shown, or "条件已改变，请重新检验" when the conditions are no
    // longer its own; no conditions: the check goes.
    void ShowCheckVerdict();
    void CheckEnded(TReduceCheckResult result);

    TPrompts& prompts_;
    TDocumentFeed& document_;
    TPatternSource patterns_;
    TBetsTaker betsTaker_;

    std::optional<int64_t> kept_;

    TBackgroundJob* count_ = nullptr;
    TBackgroundJob* bets_ = nullptr;
    std::vector<TReduceCheckRow> checkRows_;
    TReduceCheckSummary checkSummary_;
    std::string checkedConditions_;  // the conditions of the check shown, as their file text
    QString checkVerdict_;           // its verdict
};
