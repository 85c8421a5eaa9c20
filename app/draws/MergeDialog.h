#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// What the user chose for draws that come from a file or the download.
enum class TMergeChoice {
    Cancel,         // nothing changes
    Add,            // new draws appended, the document's draws kept as they are
    AddAndReplace,  // the same, and draws that differ take the source's digits
    ReplaceAll,     // "全部替换": the draws become the source's
};

// Shows, before anything changes, what adding draws would do: "新增N期", the gaps, duplicates
// and draws that differ. "添加" adds (replacing differing draws when ReplaceDifferingChk is
// ticked), "全部替换" replaces everything, "取消" changes nothing.
class TMergeDialog : public QDialog {
    Q_OBJECT

  public:
    // Without a match (nothing in common with the document) 取消 is the default button, so
    // that Enter never appends unrelated draws.
    TMergeDialog(const QString& title, const QString& planText, bool differences,
                 bool matched = true, QWidget* parent = nullptr);

    TMergeChoice Choice() const { return choice_; }
    QString PlanText() const;

    QLabel* SummaryLbl = nullptr;
    QPlainTextEdit* PlanEdit = nullptr;
    QCheckBox* ReplaceDifferingChk = nullptr;
    QPushButton* AddBt = nullptr;
    QPushButton* ReplaceAllBt = nullptr;
    QPushButton* CancelBt = nullptr;

  private:
    TMergeChoice choice_ = TMergeChoice::Cancel;
};
