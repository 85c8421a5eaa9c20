#include "app/draws/ImportPreview.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/BackgroundJob.h"
#include "ui/Failure.h"
#include "ui/TextTableModel.h"

namespace {

constexpr int DrawDigits = 7;
constexpr int EdgeRows = 3;  // rows shown at each end of the reading

QString SeparatorName(TFieldSeparator separator) {
    switch (separator) {
        case TFieldSeparator::Tab:
            return QStringLiteral("制表符");
        case TFieldSeparator::Comma:
            return QStringLiteral("逗号");
        case TFieldSeparator::Semicolon:
            return QStringLiteral("分号");
        case TFieldSeparator::Bar:
            return QStringLiteral("竖线");
        case TFieldSeparator::Blanks:
            return QStringLiteral("空格");
    }
    return {};
}

constexpr TFieldSeparator Separators[] = {TFieldSeparator::Comma, TFieldSeparator::Semicolon,
                                          TFieldSeparator::Tab, TFieldSeparator::Bar,
                                          TFieldSeparator::Blanks};

// The reason shown while no draw column is chosen: the reader's sentence, asking for a choice.
QString ReasonText(const std::vector<TDrawColumns>& candidates) {
    QString text = QString::fromStdString(UndecidedDrawsMessage(candidates));
    if (text.endsWith(QStringLiteral("。"))) text.chop(1);
    return text + QStringLiteral("，请选择开奖号码所在的列。");
}

QString ColumnName(int column) {
    return QStringLiteral("第%1列").arg(column + 1);
}

QString DrawText(int32_t number) {
    return QStringLiteral("%1").arg(number, DrawDigits, 10, QLatin1Char('0'));
}

// A draw choice packs the first column and whether the draw is seven fields; -1: none chosen.
int DrawChoice(int column, bool split) {
    return column < 0 ? -1 : column * 2 + (split ? 1 : 0);
}

void SelectData(QComboBox& box, int value) {
    const int index = box.findData(value);
    box.setCurrentIndex(index >= 0 ? index : 0);
}

}  // namespace

TImportPreview::TImportPreview(const TDrawFileText& file, TDrawFileReading detected,
                               QWidget* parent)
    : QDialog(parent),
      file_(file),
      detected_(detected.Layout),
      reading_(std::move(detected)),
      reread_(new TBackgroundJob(this)) {
    setObjectName(QStringLiteral("ImportPreview"));
    setWindowTitle(QStringLiteral("导入开奖号码"));
    auto* layout = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    SeparatorCbb = new QComboBox(this);
    SeparatorCbb->setObjectName(QStringLiteral("SeparatorCbb"));
    for (const TFieldSeparator separator : Separators)
        SeparatorCbb->addItem(SeparatorName(separator), static_cast<int>(separator));
    form->addRow(QStringLiteral("分隔符："), SeparatorCbb);
    DrawColumnCbb = new QComboBox(this);
    DrawColumnCbb->setObjectName(QStringLiteral("DrawColumnCbb"));
    form->addRow(QStringLiteral("开奖号码："), DrawColumnCbb);
    IssueColumnCbb = new QComboBox(this);
    IssueColumnCbb->setObjectName(QStringLiteral("IssueColumnCbb"));
    form->addRow(QStringLiteral("期号："), IssueColumnCbb);
    DateColumnCbb = new QComboBox(this);
    DateColumnCbb->setObjectName(QStringLiteral("DateColumnCbb"));
    form->addRow(QStringLiteral("开奖日期："), DateColumnCbb);
    FirstLineSe = new QSpinBox(this);
    FirstLineSe->setObjectName(QStringLiteral("FirstLineSe"));
    FirstLineSe->setRange(1, std::max(file.LineCount(), 1));
    form->addRow(QStringLiteral("第一行数据：第"), FirstLineSe);
    FirstLineSe->setSuffix(QStringLiteral("行"));
    layout->addLayout(form);

    ReasonLbl = new QLabel(this);
    ReasonLbl->setObjectName(QStringLiteral("ReasonLbl"));
    ReasonLbl->setWordWrap(true);
    layout->addWidget(ReasonLbl);
    CountLbl = new QLabel(this);
    CountLbl->setObjectName(QStringLiteral("CountLbl"));
    layout->addWidget(CountLbl);
    OrderLbl = new QLabel(this);
    OrderLbl->setObjectName(QStringLiteral("OrderLbl"));
    layout->addWidget(OrderLbl);
    RowsModel = new TTextTableModel({QStringLiteral("行"), QStringLiteral("期号"),
                                     QStringLiteral("开奖日期"), QStringLiteral("开奖号码")},
                                    this);
    RowsGrid = new QTableView(this);
    RowsGrid->setObjectName(QStringLiteral("RowsGrid"));
    RowsGrid->setModel(RowsModel);
    RowsGrid->verticalHeader()->hide();
    RowsGrid->horizontalHeader()->setStretchLastSection(true);
    // Tall enough for every row it can show (the ends of the reading and the "…" between).
    RowsGrid->setMinimumHeight(RowsGrid->horizontalHeader()->sizeHint().height() +
                               (2 * EdgeRows + 1) *
                                   RowsGrid->verticalHeader()->defaultSectionSize() +
                               2 * RowsGrid->frameWidth() + 2);
    layout->addWidget(RowsGrid, 1);
    ErrorLbl = new QLabel(this);
    ErrorLbl->setObjectName(QStringLiteral("ErrorLbl"));
    ErrorLbl->setTextFormat(Qt::PlainText);  // quotes a line of the file
    ErrorLbl->setWordWrap(true);
    layout->addWidget(ErrorLbl);

    auto* buttons = new QDialogButtonBox(this);
    ImportBt = buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole);
    ImportBt->setObjectName(QStringLiteral("ImportBt"));
    ImportBt->setDefault(true);
    CancelBt = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    CancelBt->setObjectName(QStringLiteral("CancelBt"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    FillChoices();
    if (!detected_.Decided()) readable_ = false;
    ShowReading();
    for (QComboBox* box : {DrawColumnCbb, IssueColumnCbb, DateColumnCbb})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!filling_) Reread();
        });
    connect(FirstLineSe, &QSpinBox::valueChanged, this, [this] {
        if (!filling_) Reread();
    });
    connect(SeparatorCbb, &QComboBox::currentIndexChanged, this, &TImportPreview::SeparatorChosen);
    resize(std::max(520, sizeHint().width()), sizeHint().height());
}

void TImportPreview::FillChoices() {
    filling_ = true;
    SelectData(*SeparatorCbb, static_cast<int>(detected_.Separator));
    // Columns past MaxKnownColumns are never offered: a line of very many fields must not make
    // one item per field.
    const int columns = std::clamp(detected_.ColumnCount, 1, MaxKnownColumns);
    for (QComboBox* box : {DrawColumnCbb, IssueColumnCbb, DateColumnCbb}) box->clear();
    if (!detected_.Decided()) DrawColumnCbb->addItem(QStringLiteral("（请选择）"), -1);
    for (int c = 0; c < columns; ++c)
        DrawColumnCbb->addItem(ColumnName(c) + QStringLiteral("（七位数字）"),
                               DrawChoice(c, false));
    for (int c = 0; c + DrawDigits <= columns; ++c)
        DrawColumnCbb->addItem(
            QStringLiteral("第%1至第%2列（每列一位）").arg(c + 1).arg(c + DrawDigits),
            DrawChoice(c, true));
    for (QComboBox* box : {IssueColumnCbb, DateColumnCbb}) {
        box->addItem(QStringLiteral("无"), -1);
        for (int c = 0; c < columns; ++c) box->addItem(ColumnName(c), c);
    }
    SelectData(*DrawColumnCbb, DrawChoice(detected_.DrawColumn, detected_.DrawSplit));
    SelectData(*IssueColumnCbb, detected_.IssueColumn);
    SelectData(*DateColumnCbb, detected_.DateColumn);
    FirstLineSe->setValue(detected_.HeaderLines + 1);
    filling_ = false;
}

void TImportPreview::SeparatorChosen() {
    if (filling_) return;
    const auto separator = static_cast<TFieldSeparator>(SeparatorCbb->currentData().toInt());
    if (separator == detected_.Separator) return;
    // The columns under the new separator, as the reader sees them; where it sees no draw the
    // user still chooses among the columns.
    TDrawTableLayout layout;
    QString failure;
    try {
        layout = file_.DetectLayout(separator);
    } catch (const TDrawLineError& e) {
        failure = QString::fromStdString(e.what());
        layout.Separator = separator;
        layout.ColumnCount = file_.ColumnCountOf(separator);
        layout.HeaderLines = detected_.HeaderLines;
    }
    detected_ = layout;
    FillChoices();
    Reread();
    if (!failure.isEmpty() && !readable_) ErrorLbl->setText(failure);
}

TDrawTableLayout TImportPreview::ChosenLayout() const {
    TDrawTableLayout layout = detected_;
    const int draw = DrawColumnCbb->currentData().toInt();
    layout.DrawColumn = draw / 2;
    layout.DrawSplit = draw % 2 == 1;
    layout.IssueColumn = IssueColumnCbb->currentData().toInt();
    layout.DateColumn = DateColumnCbb->currentData().toInt();
    layout.HeaderLines = FirstLineSe->value() - 1;
    return layout;
}

void TImportPreview::Reread() {
    const TDrawTableLayout layout = ChosenLayout();
    if (!layout.Decided()) {  // nothing to read until the user points at the draw
        reread_->Abandon();
        reading_ = {};
        readable_ = false;
        ErrorLbl->clear();
        return ShowReading();
    }
    if (file_.LineCount() < BackgroundLines) {
        try {
            reading_ = file_.ReadTable(layout);
            readable_ = true;
        } catch (const TDrawLineError& e) {
            ShowFailure(e);
        } catch (const TError& e) {  // no draw at all under this layout
            ShowFailure(TDrawLineError(e.what(), 0));
        }
        return ShowReading();
    }
    // The file outlives the dialog and is only read; a newer correction replaces this reading.
    ImportBt->setEnabled(false);
    CountLbl->setText(QStringLiteral("正在读取..."));
    reread_->Start([file = &file_, layout](TJobControl&) { return file->ReadTable(layout); },
                   [this](TDrawFileReading reading) {
                       reading_ = std::move(reading);
                       readable_ = true;
                       ShowReading();
                   },
                   [this](std::exception_ptr failure) {
                       int32_t line = 0;  // a failure of no line of the file
                       WhenFailureIs<TDrawLineError>(
                           failure, [&line](const TDrawLineError& e) { line = e.Line; });
                       ShowFailure(TDrawLineError(FailureText(failure).toStdString(), line));
                       ShowReading();
                   });
}

void TImportPreview::ShowFailure(const TDrawLineError& error) {
    reading_ = {};
    readable_ = false;
    ErrorLbl->setText(QString::fromStdString(error.what()));
}

bool TImportPreview::Rereading() const {
    return reread_->Running();
}

void TImportPreview::FinishRereading() {
    reread_->Finish();
}

void TImportPreview::ShowReading() {
    ImportBt->setEnabled(readable_);
    if (readable_) ErrorLbl->clear();
    const bool chosen = DrawColumnCbb->currentData().toInt() >= 0;
    ReasonLbl->setText(chosen ? QString() : ReasonText(detected_.Candidates));
    ReasonLbl->setVisible(!chosen);
    const auto& rows = reading_.Rows;
    CountLbl->setText(readable_ ? QStringLiteral("共%1期").arg(rows.size()) : QString());
    OrderLbl->setText(!readable_ ? QString()
                      : reading_.Reversed
                          ? QStringLiteral("文件中新的一期在前，已倒过来按从旧到新的顺序导入")
                          : QStringLiteral("按文件中的顺序导入（从旧到新）"));
    std::vector<int> shown;
    const int count = static_cast<int>(rows.size());
    for (int i = 0; i < count; ++i)
        if (i < EdgeRows || i >= count - EdgeRows) shown.push_back(i);
    std::vector<std::vector<std::string>> cells;
    for (size_t k = 0; k < shown.size(); ++k) {
        if (k > 0 && shown[k] != shown[k - 1] + 1) cells.push_back({"", "", "", "…"});
        const TDrawFileRow& row = rows[static_cast<size_t>(shown[k])];
        cells.push_back(
            {std::to_string(row.Line), row.Issue, row.Date, DrawText(row.Number).toStdString()});
    }
    RowsModel->SetRows(std::move(cells));
}
