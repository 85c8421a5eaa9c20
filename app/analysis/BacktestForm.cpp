#include "app/analysis/BacktestForm.h"

#include <QBuffer>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

#include "data/DrawExport.h"
#include "data/Error.h"
#include "data/FileIo.h"
#include "search/PatternClass.h"
#include "stats/ui/BacktestChartView.h"
#include "ui/BackgroundJob.h"
#include "ui/Prompts.h"

namespace {

constexpr int32_t FewestRows = 10;
constexpr int32_t DefaultRows = 100;

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

QString TimeText(qint64 seconds) {
    if (seconds >= 60) return QStringLiteral("%1 分 %2 秒").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 秒").arg(seconds);
}

}  // namespace

TBacktestForm::TBacktestForm(QWidget* parent, TPrompts& prompts)
    : QWidget(parent, Qt::Window), prompts_(prompts), run_(new TBackgroundJob(this)) {
    connect(run_, &TBackgroundJob::ProgressChanged, this, &TBacktestForm::DrainNews);
    setObjectName(QStringLiteral("BacktestForm"));
    setWindowTitle(QStringLiteral("规律回测"));
    BuildLayout();
    ShowResults();
}

TBacktestForm::~TBacktestForm() {
    run_->Abandon();  // stops the run and waits for it
}

bool TBacktestForm::Running() const {
    return run_->Running();
}

void TBacktestForm::BuildLayout() {
    auto* layout = new QVBoxLayout(this);
    VerdictLbl = new QLabel(QStringLiteral("选择回测的期数，然后点击“开始”。"), this);
    VerdictLbl->setObjectName(QStringLiteral("VerdictLbl"));
    VerdictLbl->setWordWrap(true);
    QFont bold = VerdictLbl->font();
    bold.setBold(true);
    VerdictLbl->setFont(bold);
    layout->addWidget(VerdictLbl);

    auto* options = new QHBoxLayout;
    OptionsLbl = new QLabel(this);
    OptionsLbl->setObjectName(QStringLiteral("OptionsLbl"));
    OptionsBt = new QPushButton(QStringLiteral("设置..."), this);
    OptionsBt->setObjectName(QStringLiteral("OptionsBt"));
    options->addWidget(new QLabel(QStringLiteral("搜索条件："), this));
    options->addWidget(OptionsLbl, 1);
    options->addWidget(OptionsBt);
    layout->addLayout(options);

    auto* controls = new QHBoxLayout;
    RowsSe = new QSpinBox(this);
    RowsSe->setObjectName(QStringLiteral("RowsSe"));
    RowsSe->setRange(FewestRows, FewestRows);
    AllRowsBt = new QPushButton(QStringLiteral("全部"), this);
    AllRowsBt->setObjectName(QStringLiteral("AllRowsBt"));
    StartBt = new QPushButton(QStringLiteral("开始"), this);
    StartBt->setObjectName(QStringLiteral("StartBt"));
    StopBt = new QPushButton(QStringLiteral("停止"), this);
    StopBt->setObjectName(QStringLiteral("StopBt"));
    StopBt->setEnabled(false);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 1);
    ProgressBar->setValue(0);
    controls->addWidget(new QLabel(QStringLiteral("回测最近"), this));
    controls->addWidget(RowsSe);
    controls->addWidget(new QLabel(QStringLiteral("期"), this));
    controls->addWidget(AllRowsBt);
    controls->addWidget(StartBt);
    controls->addWidget(StopBt);
    controls->addWidget(ProgressBar, 1);
    layout->addLayout(controls);
    ProgressLbl = new QLabel(this);
    ProgressLbl->setObjectName(QStringLiteral("ProgressLbl"));
    layout->addWidget(ProgressLbl);

    Chart = new TBacktestChartView(this);
    layout->addWidget(Chart, 1);

    const std::vector<std::string>& headers = BacktestTableHeaders();
    GroupTable = new QTableWidget(0, static_cast<int>(headers.size()), this);
    GroupTable->setObjectName(QStringLiteral("GroupTable"));
    QStringList headerTexts;
    for (const std::string& header : headers) headerTexts << Text(header);
    GroupTable->setHorizontalHeaderLabels(headerTexts);
    GroupTable->verticalHeader()->hide();
    GroupTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
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

    connect(StartBt, &QPushButton::clicked, this, &TBacktestForm::StartBtClick);
    connect(StopBt, &QPushButton::clicked, this, &TBacktestForm::StopBtClick);
    connect(OptionsBt, &QPushButton::clicked, this, &TBacktestForm::OptionsBtClick);
    connect(AllRowsBt, &QPushButton::clicked, this, &TBacktestForm::AllRowsBtClick);
    connect(ExportCsvBt, &QPushButton::clicked, this, &TBacktestForm::ExportCsvBtClick);
    connect(ExportChartBt, &QPushButton::clicked, this, &TBacktestForm::ExportChartBtClick);
    resize(1000, 720);
}

void TBacktestForm::SetSource(const TCodes* draws, const SearchOptions* options,
                              std::function<void()> openOptions) {
    draws_ = draws;
    options_ = options;
    openOptions_ = std::move(openOptions);
    RefreshSource();
}

void TBacktestForm::RefreshSource() {
    OptionsLbl->setText(options_ ? OptionsLine(*options_) : QString());
    const int32_t count = draws_ ? draws_->Count() : 0;
    const bool fresh = RowsSe->maximum() == FewestRows && RowsSe->value() == FewestRows;
    RowsSe->setRange(FewestRows, std::max(FewestRows, count));
    if (fresh) RowsSe->setValue(std::min(DefaultRows, std::max(FewestRows, count)));
}

int32_t TBacktestForm::RowsToScore() const {
    return std::min(RowsSe->value(), draws_ ? draws_->Count() : 0);
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
    if (draws_ == nullptr || options_ == nullptr || draws_->Count() < 2) {
        ShowMessage(QStringLiteral("开奖数据太少，无法回测。"));
        return;
    }
    TBacktestJob job = MakeBacktestJob(*draws_, *options_, RowsToScore());
    minimumSteps_ = job.Options.SecCountSe;
    drawCount_ = job.Draws->Count();
    total_ = job.Rows;
    firstRow_ = drawCount_ - total_ + 1;
    runRegister_ = register_ != nullptr ? *register_ : TDrawRegister();
    rows_.clear();
    summary_ = SummarizeBacktest(rows_, minimumSteps_);
    StartBt->setEnabled(false);
    OptionsBt->setEnabled(false);
    StopBt->setEnabled(true);
    ProgressBar->setRange(0, total_);
    ProgressBar->setValue(0);
    ProgressLbl->setText(QStringLiteral("正在回测……"));
    // The verdict of the previous run is not this run's.
    VerdictLbl->setText(QStringLiteral("正在回测，结论在回测期间随已回测的期数更新。"));
    ShowResults();
    clock_.start();
    news_ = std::make_shared<TRowNews<TBacktestRow>>();
    run_->Start(
        [job = std::move(job), news = news_](TJobControl& control) {
            return RunBacktestToEnd(
                job, control, [&](const TBacktestProgress& progress) { news->Report(progress); });
        },
        [this](TBacktestResult result) { RunEnded(std::move(result)); });
}

void TBacktestForm::StopBtClick() {
    run_->Cancel();
}

void TBacktestForm::OptionsBtClick() {
    if (Running() || !openOptions_) return;
    openOptions_();
    RefreshSource();
}

void TBacktestForm::AllRowsBtClick() {
    RowsSe->setValue(RowsSe->maximum());
}

void TBacktestForm::DrainNews() {
    if (!Running() || !news_) return;
    const size_t before = rows_.size();
    const int32_t currentRow = news_->TakeInto(rows_);
    const int32_t done = static_cast<int32_t>(rows_.size());
    ProgressBar->setValue(done);
    const qint64 elapsed = clock_.elapsed();
    const qint64 left = done > 0 ? (elapsed * (total_ - done) / done + 999) / 1000 : -1;
    ProgressLbl->setText(
        QStringLiteral("正在回测第 %1 期（%2/%3）%4")
            .arg(currentRow)
            .arg(done)
            .arg(total_)
            .arg(left >= 0 ? QStringLiteral("，剩余约 ") + TimeText(left) : QString()));
    if (rows_.size() != before) {
        summary_ = SummarizeBacktest(rows_, minimumSteps_);
        ShowResults();
    }
}

void TBacktestForm::RunEnded(TBacktestResult result) {
    news_.reset();
    const QString ending = Text(result.EndText());  // before the rows are moved out
    rows_ = std::move(result.Rows);
    summary_ = result.Summary;
    ProgressBar->setValue(static_cast<int>(rows_.size()));
    ShowResults();
    StartBt->setEnabled(true);
    OptionsBt->setEnabled(true);
    StopBt->setEnabled(false);
    ProgressLbl->setText(
        result.Stopped
            ? ending
            : QStringLiteral("回测完成，用时 %1。").arg(TimeText(clock_.elapsed() / 1000)));
    if (!result.Error.empty()) ShowMessage(Text(result.Error));
    emit Finished();
}

void TBacktestForm::ShowResults() {
    if (summary_.Rows > 0) VerdictLbl->setText(Text(BacktestSentence(summary_, drawCount_)));
    const int32_t lastRow = firstRow_ + std::max(total_, 1) - 1;
    // Rows count from 1; a row whose 期号 is unknown keeps its number.
    const auto label = [this](int32_t row) {
        return QString::fromStdString(IssueLabel(runRegister_, row - 1, drawCount_, 1));
    };
    Chart->SetPoints(BacktestSeries(rows_), firstRow_, lastRow, label(firstRow_), label(lastRow));
    const std::vector<TBacktestTableRow> table = BacktestTable(summary_);
    GroupTable->setRowCount(static_cast<int>(table.size()));
    for (size_t row = 0; row < table.size(); ++row) {
        const std::vector<std::string>& cells = table[row].Cells;
        for (size_t column = 0; column < cells.size(); ++column) {
            const int r = static_cast<int>(row), c = static_cast<int>(column);
            auto* item = GroupTable->item(r, c);
            if (item == nullptr) GroupTable->setItem(r, c, item = new QTableWidgetItem);
            item->setText(Text(cells[column]));
        }
    }
    TableNoteLbl->setText(Text(BacktestTableNote(summary_)));
}

void TBacktestForm::WriteExport(const QString& path, const QByteArray& bytes) {
    try {
        WriteFileAtomically(QFile::encodeName(path).toStdString(),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
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
    WriteExport(path, QByteArray(Utf8ByteOrderMark) +
                          QByteArray::fromStdString(BacktestTableCsv(summary_)));
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
    WriteExport(path, bytes);
}
