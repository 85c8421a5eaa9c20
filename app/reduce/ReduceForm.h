#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "data/Hao.h"
#include "data/RowNews.h"
#include "reduce/ReduceCheck.h"
#include "reduce/ReduceConditions.h"
#include "reduce/ReduceCount.h"
#include "search/SearchOptions.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QToolButton;
class TBackgroundJob;
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

    TReduceForm(QWidget* parent, TPrompts& prompts);
    ~TReduceForm() override;

    // The draws (the last one is the previous draw of 重号 and 邻号), the options of the
    // check's searches, the chosen patterns and the options dialog; read when used.
    void SetSource(const TCodes* draws, const SearchOptions* options, TPatternSource patterns,
                   std::function<void()> openOptions);
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

    // The list and the editor of its selected condition.
    QListWidget* ConditionList = nullptr;
    QComboBox* KindCbb = nullptr;
    QStackedWidget* KindPages = nullptr;
    QComboBox* PositionCbb = nullptr;
    std::array<QToolButton*, 10> DigitBts{};
    QSpinBox* MustDigitSe = nullptr;
    QSpinBox* MustTimesSe = nullptr;
    QSpinBox* LoSe = nullptr;
    QSpinBox* HiSe = nullptr;
    std::vector<QCheckBox*> CategoryChks;
    QCheckBox* PatternsAllChk = nullptr;
    QSpinBox* PatternsSe = nullptr;
    QLabel* PatternsLbl = nullptr;
    QLabel* EditorLbl = nullptr;  // why the editor's condition is not taken
    QPushButton* AddBt = nullptr;
    QPushButton* RemoveBt = nullptr;
    QPushButton* ClearBt = nullptr;
    QSpinBox* ToleranceSe = nullptr;
    QLabel* ResultLbl = nullptr;
    QPushButton* LoadBt = nullptr;
    QPushButton* SaveBt = nullptr;
    QPushButton* ExportBt = nullptr;
    QPushButton* SendBt = nullptr;
    QCheckBox* SampleChk = nullptr;
    QSpinBox* SampleSe = nullptr;
    // The strategy check.
    QSpinBox* WindowSe = nullptr;
    QPushButton* CheckBt = nullptr;
    QPushButton* CheckStopBt = nullptr;
    QPushButton* OptionsBt = nullptr;
    QProgressBar* CheckProgress = nullptr;
    QLabel* CheckLbl = nullptr;
    TReduceChartView* Chart = nullptr;
    QLabel* VerdictLbl = nullptr;
    QLabel* ChanceLbl = nullptr;

  public slots:
    // The draws or the chosen patterns changed: count again.
    void SourceChanged();
    // The chosen patterns changed (the list's selection): count again when 规律 reads them.
    void PatternsChanged();
    void AddBtClick();
    void RemoveBtClick();
    void ClearBtClick();
    void LoadBtClick();
    void SaveBtClick();
    void ExportBtClick();
    void SendBtClick();
    void CheckBtClick();
    void CheckStopBtClick();

  signals:
    // A count ended and is shown (kept, or the reason it could not be made).
    void Counted();
    // The strategy check ended (finished, stopped or failed) and is shown.
    void CheckFinished();
    // An export or a send ended.
    void BetsHandled();

  private:
    void BuildLayout();
    QWidget* BuildEditor();
    QWidget* BuildCheck();
    void KindChanged();
    bool PatternsInUse() const;
    void RefreshPatternsLabel();
    void ShowInEditor(const TReduceCondition& condition);
    // The editor's condition, or the reason it is not one.
    std::optional<TReduceCondition> EditorCondition(QString& problem) const;
    void EditorChanged();
    void RowChanged();
    void RefreshList();
    void Recount();
    TReduceContext Context(const TReduceSet& set) const;
    // Counts with the bets on a job, then hands them to done (nothing when they cannot be made).
    void WithBets(std::function<void(std::vector<int32_t>)> done);
    void DrainCheck();
    void CheckEnded(TReduceCheckResult result);

    TPrompts& prompts_;
    const TCodes* draws_ = nullptr;
    const SearchOptions* options_ = nullptr;
    TPatternSource patterns_;
    std::function<void()> openOptions_;
    TBetsTaker betsTaker_;

    std::vector<TReduceCondition> items_;
    bool showing_ = false;  // the editor is being filled from the list
    std::optional<int64_t> kept_;

    TBackgroundJob* count_ = nullptr;
    TBackgroundJob* bets_ = nullptr;
    TBackgroundJob* check_ = nullptr;
    std::shared_ptr<TRowNews<TReduceCheckRow>> news_;  // filled by the check, drained by the window
    int32_t checkFirst_ = 0;
    int32_t checkLast_ = 0;
    std::vector<TReduceCheckRow> checkRows_;
    TReduceCheckSummary checkSummary_;
};
