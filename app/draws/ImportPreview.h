#pragma once

#include <QDialog>

#include "data/DrawTable.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class TTextTableModel;
class TBackgroundJob;

// Shows what the import understood of a table before anything changes: the separator and which
// column is what (with drop-downs to correct them), the first data line, how many draws, the
// first and last rows as they will be imported and whether the file was newest first. When the
// draw's column could not be told, it opens with none chosen and says why in one sentence.
// "导入" accepts once the chosen layout reads every line, "取消" rejects.
class TImportPreview : public QDialog {
    Q_OBJECT

  public:
    // file outlives the dialog; detected is the reading of its detected layout, or a reading
    // without rows whose layout is undecided.
    TImportPreview(const TDrawFileText& file, TDrawFileReading detected, QWidget* parent = nullptr);

    // The reading of the layout now chosen; its rows are what "导入" imports.
    const TDrawFileReading& Reading() const { return reading_; }
    // False when the chosen layout does not fit some line (ErrorLbl says which).
    bool Readable() const { return readable_; }
    // A file of this many lines or more is read again on a background job after a correction,
    // so that the dialog keeps answering; "导入" waits for the reading.
    int BackgroundLines = 20000;
    bool Rereading() const;
    // Waits for such a reading and shows it now (tests).
    void FinishRereading();

    QComboBox* SeparatorCbb = nullptr;
    QComboBox* DrawColumnCbb = nullptr;
    QComboBox* IssueColumnCbb = nullptr;
    QComboBox* DateColumnCbb = nullptr;
    QSpinBox* FirstLineSe = nullptr;  // the first data line, counted from 1
    QLabel* ReasonLbl = nullptr;      // why no draw column is chosen; empty once one is
    QLabel* CountLbl = nullptr;
    QLabel* OrderLbl = nullptr;
    QLabel* ErrorLbl = nullptr;
    QTableView* RowsGrid = nullptr;
    TTextTableModel* RowsModel = nullptr;
    QPushButton* ImportBt = nullptr;
    QPushButton* CancelBt = nullptr;

  private:
    void FillChoices();
    void SeparatorChosen();
    TDrawTableLayout ChosenLayout() const;
    void Reread();
    void ShowReading();
    void ShowFailure(const TDrawLineError& error);

    const TDrawFileText& file_;
    TDrawTableLayout detected_;
    TDrawFileReading reading_;
    bool readable_ = true;
    bool filling_ = false;              // the choices are being refilled: no reading per change
    TBackgroundJob* reread_ = nullptr;  // a child: goes, and stops, with the dialog
};
