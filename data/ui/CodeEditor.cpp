#include "data/ui/CodeEditor.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "data/DrawLines.h"
#include "data/TextLines.h"
#include "ui/Prompts.h"
#include "view/paint/PaintBasics.h"

namespace {

constexpr int ClientWidth = 383;
constexpr int ClientHeight = 502;
constexpr int MemoWidth = 273;

QString JoinLines(const std::vector<std::string>& lines) {
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += QString::fromStdString(lines[i]);
    }
    return text;
}

}  // namespace

TCodeEdtorForm::TCodeEdtorForm(QWidget* parent, TPrompts& prompts)
    : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("CodeEdtorForm"));
    setWindowTitle(QStringLiteral("开奖号码编辑"));
    setFont(SongFont());

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves to the buttons instead of putting a tab into a draw line.
    Memo->setTabChangesFocus(true);
    Memo->setGeometry(0, 0, MemoWidth, ClientHeight);

    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromUtf8(name));
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoDefault(false);
        return b;
    };
    CheckBt = button("CheckBt", QStringLiteral("检测号码"));
    BuLingBt = button("BuLingBt", QStringLiteral("自动补零"));
    SaveBt = button("SaveBt", QStringLiteral("保存关闭"));
    CancelBt = button("CancelBt", QStringLiteral("取消"));
    SaveBt->setDefault(true);

    const int left = MemoWidth + 12;
    const int width = ClientWidth - left - 12;
    const int height = 30;
    int top = 16;
    for (QPushButton* b : {CheckBt, BuLingBt, SaveBt, CancelBt}) {
        b->setGeometry(left, top, width, height);
        top += height + 14;
    }
    HintLb = new QLabel(QStringLiteral("在下面增加号码\n先检测后保存。"), this);
    HintLb->setObjectName(QStringLiteral("HintLb"));
    HintLb->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    HintLb->setGeometry(MemoWidth, top + 8, ClientWidth - MemoWidth, 44);

    connect(CheckBt, &QPushButton::clicked, this, &TCodeEdtorForm::CheckBtClick);
    connect(BuLingBt, &QPushButton::clicked, this, &TCodeEdtorForm::BuLingBtClick);
    connect(SaveBt, &QPushButton::clicked, this, &TCodeEdtorForm::SaveBtClick);
    connect(CancelBt, &QPushButton::clicked, this, &TCodeEdtorForm::CancelBtClick);
    setFixedSize(ClientWidth, ClientHeight);
}

TCodeEdtorForm::~TCodeEdtorForm() = default;

void TCodeEdtorForm::SetLines(const std::vector<std::string>& lines) {
    Memo->setPlainText(JoinLines(lines));
    // A refill starts a new editing session: nothing of the last one can be undone into it.
    Memo->document()->clearUndoRedoStacks();
    Memo->moveCursor(QTextCursor::End);
    Memo->ensureCursorVisible();
}

std::vector<std::string> TCodeEdtorForm::Lines() const {
    // Split at line breaks only: any other character, a zero included, belongs to its line.
    const std::string text = Memo->toPlainText().toStdString();
    std::vector<std::string> lines;
    ForEachLine(text, [&](int32_t, std::string_view line) { lines.emplace_back(line); });
    return lines;
}

void TCodeEdtorForm::ReplaceText(const std::vector<std::string>& lines) {
    QTextCursor cursor(Memo->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(JoinLines(lines));
    cursor.endEditBlock();
}

void TCodeEdtorForm::ShowMessage(const std::string& text) {
    prompts_.ShowMessage(this, QString::fromStdString(text));
}

void TCodeEdtorForm::CheckBtClick() {
    const TDrawLineCheck check = CheckDrawLines(Lines());
    if (!check.FirstErrorLines.empty()) PutCursorOnLine(check.FirstErrorLines.front());
    ShowMessage(CheckMessage(check));
}

void TCodeEdtorForm::PutCursorOnLine(int64_t line) {
    const QTextBlock block = Memo->document()->findBlockByNumber(static_cast<int>(line - 1));
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    Memo->setTextCursor(cursor);
    Memo->ensureCursorVisible();
}

void TCodeEdtorForm::BuLingBtClick() {
    const TDrawLinePadding padding = PadDrawLines(Lines());
    ReplaceText(padding.Lines);
    ShowMessage(PaddingMessage(padding.Padded));
}

void TCodeEdtorForm::SaveBtClick() {
    const std::vector<std::string> lines = Lines();
    const TDrawLineSave save = SaveDrawLines(lines);
    if (save.Lines.size() != lines.size()) {
        // Keep the view where it was: only blank lines go.
        const int scroll = Memo->verticalScrollBar()->value();
        ReplaceText(save.Lines);
        Memo->verticalScrollBar()->setValue(scroll);
    }
    if (save.Errors == 0) {
        accept();
        return;
    }
    PutCursorOnLine(save.FirstErrorLines.front());
    prompts_.ShowError(
        this, QString::fromStdString(ErrorLinesMessage(save.Errors, save.FirstErrorLines)));
}

void TCodeEdtorForm::CancelBtClick() {
    reject();
}
