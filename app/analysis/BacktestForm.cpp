#include "app/analysis/BacktestForm.h"

#include <QBuffer>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <memory>

#include "data/DrawExport.h"
#include "data/Error.h"
#include "data/FileIo.h"
#include "search/PatternClass.h"
#include "stats/ui/BacktestChartView.h"
#include "ui/DocumentFeed.h"
#include "ui/PastCheckPanel.h"
#include "ui/Prompts.h"
#include "ui/TextTableModel.h"

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The options a run uses, in one line.
QString OptionsLine(const SearchOptions& o) {
    static const char* const styles[] = {"全部", PatternClassNames[0], PatternClassNames[1],
                                         PatternClassNames[2]};
    const auto pick = [](int32_t value, auto& names) {
        return value >= 0 && value < static_cast<int32_t>(std::size(names)) ? names[value] : "?";
    };
    return QStringLiteral("低线 %1-%2 行 %3-%4 点；高线 %5-%6 行 %7-%8 点；至少 %9 步；")
               .arg(o.LinedDistMinSe)
               .arg(o.LinedDistMaxSe)
               .arg(o.LinedPtMinSe)
               .arg(o.LinedPtMaxSe)
               .arg(o.LinegDistMinSe)
               .arg(o.LinegDistMaxSe)
               .arg(o.LinegPtMinSe)
               .arg(o.LinegPtMaxSe)
               .arg(o.SecCountSe) +
           QStringLiteral("格局 %1；对比 %2；类型 %3%4%5%6")
               .arg(QString::fromUtf8(pick(o.SecInterGbx, LayoutNames)))
               .arg(QString::fromUtf8(pick(o.SumConstrastGbx, ContrastNames)))
               .arg(QString::fromUtf8(pick(o.FallStyleGbx, styles)))
               .arg(o.RefSumChk ? QStringLiteral("；和值参与") : QString())
               .arg(o.RefTailChk ? QStringLiteral("；后3数参与") : QString())
               .arg(o.ClearDupChk ? QStringLiteral("；去除重叠") : QString());
}

}  // namespace

TBacktestForm::TBacktestForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& document)
    : QWidget(parent, Qt::Window), prompts_(prompts), document_(document) {
    setObjectName(QStringLiteral("BacktestForm"));
    setWindowTitle(QStringLiteral("规律回测"));
    BuildLayout();
    connect(&document_, &TDocumentFeed::DrawsChanged, this, &TBacktestForm::RefreshSource);
    connect(&document_, &TDocumentFeed::OptionsChanged, this, &TBacktestForm::RefreshSource);
    RefreshSource();
    ShowResults();
}

TBacktestForm::~TBacktestForm() {
    Check->Abandon();  // stops the run and waits for it
}

bool TBacktestForm::Running() const {
    return Check->Running();
}

void TBacktestForm::BuildLayout() {
    auto* layout = new QVBoxLayout(this);
    auto* options = new QHBoxLayout;
    OptionsLbl = new QLabel(this);
    OptionsLbl->setObjectName(QStringLiteral("OptionsLbl"));
    options->addWidget(new QLabel(QStringLiteral("搜索条件："), this));
    options->addWidget(OptionsLbl, 1);
    layout->addLayout(options);

    Chart = new TBacktestChartView;
    Check = new TPastCheckPanel(
        this,
        {QStringLiteral("回测最近"), QStringLiteral("期"), QStringLiteral("开始"),
         QStringLiteral("设置..."), QStringLiteral("正在回测"), QStringLiteral("回测完成")},
        Chart);
    Check->VerdictLbl->setText(QStringLiteral("选择回测的期数，然后点击“开始”。"));
    layout->addWidget(Check, 1);

    QStringList headers;
    for (const std::string& header : BacktestTableHeaders()) headers << Text(header);
    GroupModel = new TTextTableModel(headers, this);
    GroupTable = new QTableView(this);
    GroupTable->setObjectName(QStringLiteral("GroupTable"));
    GroupTable->setModel(GroupModel);
    GroupTable->verticalHeader()->hide();
    GroupTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GroupTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(GroupTable, 1);
    TableNoteLbl = new QLabel(this);
    TableNoteLbl->setObjectName(QStringLiteral("TableNoteLbl"));
    TableNoteLbl->setWordWrap(true);
    layout->addWidget(TableNoteLbl);

    auto* exports = new QHBoxLayout;
    ExportCsvBt = new QPushButton(QStringLiteral("导出表格..."), this);
    ExportCsvBt->setObjectName(QStringLiteral("ExportCsvBt"));
    ExportChartBt = new QPushButton(QStringLiteral("导出图片..."), this);
    ExportChartBt->setObjectName(QStringLiteral("ExportChartBt"));
    exports->addStretch(1);
    exports->addWidget(ExportCsvBt);
    exports->addWidget(ExportChartBt);
    layout->addLayout(exports);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    layout->addWidget(StatusBar);

    connect(Check, &TPastCheckPanel::StartClicked, this, &TBacktestForm::StartBtClick);
    connect(Check, &TPastCheckPanel::OptionsClicked, this, &TBacktestForm::OptionsBtClick);
    connect(ExportCsvBt, &QPushButton::clicked, this, &TBacktestForm::ExportCsvBtClick);
    connect(ExportChartBt, &QPushButton::clicked, this, &TBacktestForm::ExportChartBtClick);
    resize(1000, 720);
}

void TBacktestForm::RefreshSource() {
    OptionsLbl->setText(OptionsLine(document_.View().Options()));
    Check->SetAvailable(document_.View().Draws().Count());
}

void TBacktestForm::OpenWindow() {
    show();
    raise();
    activateWindow();
}

void TBacktestForm::showEvent(QShowEvent* event) {
    RefreshSource();
    QWidget::showEvent(event);
}

void TBacktestForm::ShowMessage(const QString& text) {
    prompts_.ShowMessage(this, text);
}

void TBacktestForm::StartBtClick() {
    if (Running()) return;
    RefreshSource();  // the options may have changed in the main window since
    const TDocumentView& document = document_.View();
    if (document.Draws().Count() < 2) {
        ShowMessage(QStringLiteral("开奖数据太少，无法回测。"));
        return;
    }
    TBacktestJob job = MakeBacktestJob(document.Draws(), document.Options(), Check->RowsToScore());
    minimumSteps_ = job.Options.SecCountSe;
    drawCount_ = job.Draws->Count();
    Check->SetSpan(drawCount_ - job.Rows + 1, drawCount_, drawCount_, document.Register());
    rows_.clear();
    summary_ = SummarizeBacktest(rows_, minimumSteps_);
    // The verdict of the previous run is not this run's.
    Check->VerdictLbl->setText(QStringLiteral("正在回测，结论在回测期间随已回测的期数更新。"));
    ShowResults();
    Check->Start<TBacktestRow>(
        [job = std::move(job)](TJobControl& control, const auto& news) {
            return RunBacktestToEnd(job, control, news);
        },
        [this](std::vector<TBacktestRow> fresh) { RowsScored(std::move(fresh)); },
        [this](TBacktestResult result) { RunEnded(std::move(result)); });
}

void TBacktestForm::OptionsBtClick() {
    if (Running()) return;
    document_.EditOptions();  // OptionsChanged follows when the options were accepted
    RefreshSource();
}

void TBacktestForm::RowsScored(std::vector<TBacktestRow> fresh) {
    for (TBacktestRow& row : fresh) rows_.push_back(std::move(row));
    summary_ = SummarizeBacktest(rows_, minimumSteps_);
    ShowResults();
}

void TBacktestForm::RunEnded(TBacktestResult result) {
    const QString ending = Text(result.EndText());  // before the rows are moved out
    rows_ = std::move(result.Rows);
    summary_ = result.Summary;
    ShowResults();
    Check->ShowEnd(static_cast<int32_t>(rows_.size()), result.Stopped ? ending : QString());
    if (!result.Error.empty()) ShowMessage(Text(result.Error));
    emit Finished();
}

void TBacktestForm::ShowResults() {
    if (summary_.Rows > 0) Check->VerdictLbl->setText(Text(BacktestSentence(summary_, drawCount_)));
    const int32_t first = Check->FirstRow(), last = Check->LastRow();
    Chart->SetPoints(BacktestSeries(rows_), first, last, Check->RowLabel(first),
                     Check->RowLabel(last));
    std::vector<std::vector<std::string>> cells;
    for (TBacktestTableRow& row : BacktestTable(summary_)) cells.push_back(std::move(row.Cells));
    GroupModel->SetRows(std::move(cells));
    TableNoteLbl->setText(Text(BacktestTableNote(summary_)));
}

void TBacktestForm::WriteExport(const QString& path, const QByteArray& bytes, const QString& done) {
    try {
        WriteFileAtomically(path.toStdString(),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        StatusBar->showMessage(QStringLiteral("%1到 %2").arg(done, QDir::toNativeSeparators(path)));
    } catch (const TError&) {
        ShowMessage(QStringLiteral("无法写入文件：\r\n") + path);
    }
}

void TBacktestForm::ExportCsvBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("导出表格"), QStringLiteral("规律回测.csv"),
                              QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty()) return;
    // A byte-order mark lets spreadsheet programs read the UTF-8 text.
    WriteExport(
        path, QByteArray(Utf8ByteOrderMark) + QByteArray::fromStdString(BacktestTableCsv(summary_)),
        QStringLiteral("表格已导出"));
}

void TBacktestForm::ExportChartBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("导出图片"), QStringLiteral("规律回测.png"),
                              QStringLiteral("PNG 图片 (*.png)"));
    if (path.isEmpty()) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!Chart->Picture(QSize(900, 400)).save(&buffer, "PNG")) {
        ShowMessage(QStringLiteral("无法写入文件：\r\n") + path);
        return;
    }
    WriteExport(path, bytes, QStringLiteral("图表已保存"));
}
