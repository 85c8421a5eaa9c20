#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "reduce/ReduceConditions.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QToolButton;

// The conditions of 缩水选号 as a list (定位, 杀号, 胆码, the shape metrics, 规律) with the
// editor of the selected one and the tolerance: changing the editor changes the selected
// condition at once; another kind in the editor makes a new condition for 添加条件.
class TConditionEditor : public QWidget {
    Q_OBJECT

  public:
    explicit TConditionEditor(QWidget* parent = nullptr);

    TReduceSet Conditions() const;
    void SetConditions(const TReduceSet& set);
    // How many patterns 规律 would read now (the label under its editor says it).
    void SetChosenPatterns(std::function<int32_t()> count) { chosen_ = std::move(count); }
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
    QSpinBox* ToleranceSe = nullptr;

  public slots:
    void AddBtClick();
    void RemoveBtClick();
    void ClearBtClick();

  signals:
    // The conditions or the tolerance changed.
    void Changed();

  private:
    void KindChanged();
    void ShowInEditor(const TReduceCondition& condition);
    // The editor's condition, or the reason it is not one.
    std::optional<TReduceCondition> EditorCondition(QString& problem) const;
    void EditorChanged();
    void RowChanged();
    void RefreshList();

    std::vector<TReduceCondition> items_;
    bool showing_ = false;  // the editor is being filled from the list
    std::function<int32_t()> chosen_;
};
