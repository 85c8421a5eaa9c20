#include "app/BacktestForm.h"

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

#include "data/Error.h"
#include "search/PatternClass.h"
#include "stats/ui/BacktestChartView.h"
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

// Takes the worker's reports under a lock and posts one drain to the window at a time, so
// the window's queue never fills with calls.
class TBacktestForm::TQueueSink : public IBacktestSink {
  public:
    explicit TQueueSink(TBacktestForm& form) : form_(form) {}
    void RowStarted(int32_t row) override {
        std::lock_guard lock(mutex_);
        current_ = row;
        Post();
    }
    void RowScored(const TBacktestRow& row, int32_t, int32_t) override {
        std::lock_guard lock(mutex_);
        rows_.push_back(row);
        Post();
    }
    void Finish(QString error) {
        std::lock_guard lock(mutex_);
        done_ = true;
        error_ = std::move(error);
        Post();
    }
    // What arrived since the last call.
    void Take(std::vector<TBacktestRow>& rows, int32_t& current, bool& done, QString& error) {
        std::lock_guard lock(mutex_);
        rows.swap(rows_);
        rows_.clear();
        current = current_;
        done = done_;
        error = error_;
        posted_ = false;
    }

  private:
    void Post() {
        if (posted_) return;
        posted_ = true;
        QMetaObject::invokeMethod(
            &form_, [form = &form_] { form->DrainEvents(); }, Qt::QueuedConnection);
    }
    TBacktestForm& form_;
    std::mutex mutex_;
    std::vector<TBacktestRow> rows_;
    int32_t current_ = 0;
    bool done_ = false;
    bool posted_ = false;
    QString error_;
};

TBacktestForm::TBacktestForm(QWidget* parent, TPrompts& prompts)
    : QWidget(parent, Qt::Window), prompts_(prompts) {
    setObjectName(QStringLiteral("BacktestForm"));
    setWindowTitle(QStringLiteral("规律回测"));
    BuildLayout();
    ShowResults();
}

TBacktestForm::~TBacktestForm() {
    StopAndJoin();
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

    GroupTable = new QTableWidget(0, 9, this);
    GroupTable->setObjectName(QStringLiteral("GroupTable"));
    GroupTable->setHorizontalHeaderLabels(
        {"分组", "名称", "预测", "命中", "命中率", "随机水平", "差值", "z", "结论"});
    GroupTable->verticalHeader()->hide();
    GroupTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GroupTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GroupTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(GroupTable, 1);

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
    resize(820, 680);
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
    runDraws_.Assign(*draws_);
    runOptions_ = *options_;
    total_ = RowsToScore();
    firstRow_ = runDraws_.Count() - total_ + 1;
    rows_.clear();
    summary_ = SummarizeBacktest(rows_, runOptions_.SecCountSe);
    stop_ = false;
    sink_ = std::make_unique<TQueueSink>(*this);
    StartBt->setEnabled(false);
    OptionsBt->setEnabled(false);
    StopBt->setEnabled(true);
    ProgressBar->setRange(0, total_);
    ProgressBar->setValue(0);
    ProgressLbl->setText(QStringLiteral("正在回测……"));
    ShowResults();
    clock_.start();
    worker_ = std::thread([this] {
        QString error;
        try {
            TBacktestRequest request;
            request.Options = runOptions_;
            request.Draws = &runDraws_;
            request.Rows = total_;
            RunBacktest(request, *sink_, stop_);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
        sink_->Finish(error);
    });
}

void TBacktestForm::StopBtClick() {
    stop_ = true;
}

void TBacktestForm::OptionsBtClick() {
    if (Running() || !openOptions_) return;
    openOptions_();
    RefreshSource();
}

void TBacktestForm::AllRowsBtClick() {
    RowsSe->setValue(RowsSe->maximum());
}

void TBacktestForm::StopAndJoin() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void TBacktestForm::DrainEvents() {
    if (!sink_) return;
    std::vector<TBacktestRow> arrived;
    int32_t current = 0;
    bool done = false;
    QString error;
    sink_->Take(arrived, current, done, error);
    for (auto& row : arrived) rows_.push_back(std::move(row));
    const int32_t scored = static_cast<int32_t>(rows_.size());
    ProgressBar->setValue(scored);
    if (!done) {
        const qint64 elapsed = clock_.elapsed();
        const qint64 left = scored > 0 ? (elapsed * (total_ - scored) / scored + 999) / 1000 : -1;
        ProgressLbl->setText(
            QStringLiteral("正在回测第 %1 期（%2/%3）%4")
                .arg(current)
                .arg(scored)
                .arg(total_)
                .arg(left >= 0 ? QStringLiteral("，剩余约 ") + TimeText(left) : QString()));
    }
    if (!arrived.empty() || done) {
        summary_ = SummarizeBacktest(rows_, runOptions_.SecCountSe);
        ShowResults();
    }
    if (!done) return;
    worker_.join();
    sink_.reset();
    StartBt->setEnabled(true);
    OptionsBt->setEnabled(true);
    StopBt->setEnabled(false);
    ProgressLbl->setText(
        scored == total_
            ? QStringLiteral("回测完成，用时 %1。").arg(TimeText(clock_.elapsed() / 1000))
            : QStringLiteral("回测已停止，已回测 %1/%2 期。").arg(scored).arg(total_));
    if (!error.isEmpty()) ShowMessage(error);
    emit Finished();
}

void TBacktestForm::ShowResults() {
    if (summary_.Rows > 0) VerdictLbl->setText(Text(BacktestSentence(summary_)));
    Chart->SetPoints(BacktestSeries(rows_), firstRow_, firstRow_ + std::max(total_, 1) - 1);
    GroupTable->setRowCount(1 + BacktestGroupCount);
    const auto fill = [&](int row, const QString& dimension, const TBacktestLine& line) {
        char difference[32];
        std::snprintf(difference, sizeof difference, "%+.1f%%", line.Difference() * 100);
        const QStringList cells = {
            dimension,
            Text(line.Name),
            QString::number(line.Counts.Patterns),
            QString::number(line.Counts.Hits),
            Text(BacktestPercent(line.HitRate())),
            Text(BacktestPercent(line.ChanceRate())),
            QString::fromLatin1(difference),
            Text(BacktestZText(line.Z.Z)),
            line.Counts.Patterns > 0 ? QString::fromUtf8(line.Verdict()) : QStringLiteral("-")};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = GroupTable->item(row, c);
            if (item == nullptr) GroupTable->setItem(row, c, item = new QTableWidgetItem);
            item->setText(cells[c]);
        }
    };
    fill(0, QStringLiteral("全部"), summary_.Total);
    for (int32_t g = 0; g < BacktestGroupCount; ++g)
        fill(g + 1, QString::fromUtf8(BacktestDimensionName(BacktestGroupDimension(g))),
             summary_.Groups[static_cast<size_t>(g)]);
}

void TBacktestForm::ExportCsvBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("导出表格"), QStringLiteral("规律回测.csv"),
                              QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty()) return;
    QFile file(path);
    // A byte-order mark lets spreadsheet programs read the UTF-8 text.
    const QByteArray bytes =
        QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString(BacktestTableCsv(summary_));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush())
        ShowMessage(QStringLiteral("无法写入文件：\r\n") + path);
}

void TBacktestForm::ExportChartBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("导出图片"), QStringLiteral("规律回测.png"),
                              QStringLiteral("PNG 图片 (*.png)"));
    if (path.isEmpty()) return;
    if (!Chart->Picture(QSize(900, 400)).save(path, "PNG"))
        ShowMessage(QStringLiteral("无法写入文件：\r\n") + path);
}
