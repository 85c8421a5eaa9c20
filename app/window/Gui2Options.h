#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

#include "search/SearchOptions.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TPrompts;

// The options dialog "搜索设置": edits its own copy of the search and display options; the
// main window takes the copy back only after "确定".
class TGui2OptionsForm : public QDialog {
    Q_OBJECT

  public:
    // prompts answers the message boxes; it must outlive the dialog.
    TGui2OptionsForm(QWidget* parent, TPrompts& prompts);
    ~TGui2OptionsForm() override;

    // Fills the copy and the controls from the record (without showing the dialog).
    void LoadOptions(const SearchOptions& options);
    // Fills, then shows the dialog modally; returns how it closed.
    int ShowOptions(const SearchOptions& options);
    const SearchOptions& Options() const { return copy_; }

    QGroupBox* userGbx = nullptr;
    QLineEdit* userNameEd = nullptr;
    QLineEdit* userPWEd = nullptr;
    QGroupBox* UpdateGbx = nullptr;
    QCheckBox* AutoUpdateChk = nullptr;
    QSpinBox* AutoUpdateHoursSe = nullptr;
    QCheckBox* DrawDayChk[7] = {};  // Monday … Sunday
    QGroupBox* BaseGbx = nullptr;
    QSpinBox* LinegDistMinSe = nullptr;
    QSpinBox* LinegDistMaxSe = nullptr;
    QSpinBox* LinegPtMinSe = nullptr;
    QSpinBox* LinegPtMaxSe = nullptr;
    QSpinBox* LinedDistMinSe = nullptr;
    QSpinBox* LinedDistMaxSe = nullptr;
    QSpinBox* LinedPtMinSe = nullptr;
    QSpinBox* LinedPtMaxSe = nullptr;
    QCheckBox* ClearDupChk = nullptr;
    QCheckBox* RefSumChk = nullptr;
    QCheckBox* RefTailChk = nullptr;
    QSpinBox* SecCountSe = nullptr;
    QButtonGroup* SecInterGbx = nullptr;
    QButtonGroup* SumConstrastGbx = nullptr;
    QButtonGroup* FallStyleGbx = nullptr;
    QButtonGroup* FallTargetGbx = nullptr;
    QComboBox* DrawBoxStyleCbb = nullptr;
    QSpinBox* CellHeightSe = nullptr;
    QButtonGroup* LinkLineStyleGbx = nullptr;
    QComboBox* BoxColorModeCbb = nullptr;
    QPushButton* OkBt = nullptr;
    QPushButton* CancelBt = nullptr;

  public slots:
    void accept() override;

  private:
    QSpinBox* Spin(const char* name, int low, int high, int32_t SearchOptions::*field);
    QGroupBox* RadioGroup(const char* name, const QString& title, const QStringList& items,
                          int columns, int32_t SearchOptions::*field, QButtonGroup*& group);
    void SetSpin(QSpinBox* spin, int32_t value, int low, int high);
    static void SetRadio(QButtonGroup* group, int32_t index);
    void FallStyleChanged();

    SearchOptions copy_;
    TPrompts& prompts_;
};
