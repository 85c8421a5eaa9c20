#pragma once

#include <QDialog>

#include "data/DrawTable.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TBackgroundJob;

// Shows what the import understood of a table before anything changes: which column is what
// (with drop-downs to correct it), how many draws, the first and last rows as they will be
// imported and whether the file was newest first. "导入" accepts, "取消" rejects.
class TImportPreview : public QDialog {
    Q_OBJECT

  public:
    // file outlives the dialog; detected is the reading of its detected layout.
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

    QComboBox* DrawColumnCbb = nullptr;
    QComboBox* IssueColumnCbb = nullptr;
    QComboBox* DateColumnCbb = nullptr;
    QSpinBox* HeaderLinesSe = nullptr;
    QLabel* SeparatorLbl = nullptr;
    QLabel* CountLbl = nullptr;
    QLabel* OrderLbl = nullptr;
    QLabel* ErrorLbl = nullptr;
    QTableWidget* RowsGrid = nullptr;
    QPushButton* ImportBt = nullptr;
    QPushButton* CancelBt = nullptr;

  private:
    void FillChoices();
    TDrawTableLayout ChosenLayout() const;
    void Reread();
    void ShowReading();
    void ShowFailure(const TDrawLineError& error);

    const TDrawFileText& file_;
    TDrawTableLayout detected_;
    TDrawFileReading reading_;
    bool readable_ = true;
    TBackgroundJob* reread_ = nullptr;  // a child: goes, and stops, with the dialog
};
