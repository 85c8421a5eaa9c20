#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "reduce/ReduceConditions.h"
#include "reduce/ReduceCount.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QToolButton;
class TPrompts;

// The conditions of 缩水选号 as a list (定位, 杀号, 胆码, the shape metrics, 规律) with the
// editor of the selected one and the tolerance: changing the editor changes the selected
// condition at once, its kind too (the condition becomes one of the new kind that keeps
// everything it can); 添加条件 adds the editor's condition. 撤销 takes back the list's last
// change (an edit, an addition, a removal, 清空, a loaded set).
class TConditionEditor : public QWidget {
    Q_OBJECT

  public:
    // prompts asks before 清空.
    explicit TConditionEditor(TPrompts& prompts, QWidget* parent = nullptr);

    TReduceSet Conditions() const;
    void SetConditions(const TReduceSet& set);
    // The patterns 规律 would read now: the label under its editor says how many and how many
    // of them chance alone would hit.
    using TPatternSource = std::function<std::vector<TPatternForm>()>;
    void SetChosenPatterns(TPatternSource patterns) { chosen_ = std::move(patterns); }
    // 规律 is in the list or in the editor.
    bool PatternsInUse() const;
    void RefreshPatternsLabel();

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
    QPushButton* UndoBt = nullptr;
    QSpinBox* ToleranceSe = nullptr;

  public slots:
    void AddBtClick();
    void RemoveBtClick();
    void ClearBtClick();
    void UndoBtClick();

  signals:
    // The conditions or the tolerance changed.
    void Changed();

  private:
    void KindChanged();
    // The player chose another kind: its controls start where they keep the most.
    void KindPicked();
    void ShowInEditor(const TReduceCondition& condition);
    // The editor's condition, or the reason it is not one.
    std::optional<TReduceCondition> EditorCondition(QString& problem) const;
    void EditorChanged();
    void RowChanged();
    void RefreshList();
    // Keeps the list as it is for 撤销.
    void Remember();
    // Replaces the list (the old one kept for 撤销) and selects row.
    void Commit(std::vector<TReduceCondition> items, int row);

    TPrompts& prompts_;
    std::vector<TReduceCondition> items_;
    std::vector<TReduceSet> undo_;  // the lists before each change, the latest last
    bool showing_ = false;          // the editor is being filled from the list
    TPatternSource chosen_;
};
