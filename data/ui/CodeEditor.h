#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TPrompts;

// The draw editor "开奖号码编辑": the whole draw history as text, one draw per line. It works
// on text only; the main window fills it and takes the lines back after "保存关闭".
class TCodeEdtorForm : public QDialog {
    Q_OBJECT

  public:
    // prompts answers the message boxes; it must outlive the dialog.
    TCodeEdtorForm(QWidget* parent, TPrompts& prompts);
    ~TCodeEdtorForm() override;

    // Replaces the text with these lines and shows the last one.
    void SetLines(const std::vector<std::string>& lines);
    // The text's lines as UTF-8; a line break at the very end opens no further line.
    std::vector<std::string> Lines() const;

    QPlainTextEdit* Memo = nullptr;
    QPushButton* CheckBt = nullptr;
    QPushButton* BuLingBt = nullptr;
    QPushButton* SaveBt = nullptr;
    QPushButton* CancelBt = nullptr;
    QLabel* HintLb = nullptr;

  public slots:
    void CheckBtClick();
    void BuLingBtClick();
    void SaveBtClick();
    void CancelBtClick();

  private:
    // Replaces the whole text in one undoable step.
    void ReplaceText(const std::vector<std::string>& lines);
    void ShowMessage(const std::string& text);
    // Selects a line (1-based) of the text and scrolls it into view.
    void PutCursorOnLine(int64_t line);

    TPrompts& prompts_;
};
