#include "ui/PastCheckPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int32_t FewestRows = 10;
constexpr int32_t DefaultRows = 100;

QString TimeText(qint64 seconds) {
    if (seconds >= 60) return QStringLiteral("%1 分 %2 秒").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 秒").arg(seconds);
}

}  // namespace

TPastCheckPanel::TPastCheckPanel(QWidget* parent, const TTexts& texts, QWidget* chart)
    : QWidget(parent), Chart(chart), texts_(texts), job_(new TBackgroundJob(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    VerdictLbl = new QLabel(this);
    VerdictLbl->setObjectName(QStringLiteral("VerdictLbl"));
    VerdictLbl->setWordWrap(true);
    QFont bold = VerdictLbl->font();
    bold.setBold(true);
    VerdictLbl->setFont(bold);
    layout->addWidget(VerdictLbl);

    auto* controls = new QHBoxLayout;
    RowsSe = new QSpinBox(this);
    RowsSe->setObjectName(QStringLiteral("RowsSe"));
    RowsSe->setRange(FewestRows, FewestRows);
    AllRowsBt = new QPushButton(QStringLiteral("全部"), this);
    AllRowsBt->setObjectName(QStringLiteral("AllRowsBt"));
    StartBt = new QPushButton(texts.Start, this);
    StartBt->setObjectName(QStringLiteral("StartBt"));
    StopBt = new QPushButton(QStringLiteral("停止"), this);
    StopBt->setObjectName(QStringLiteral("StopBt"));
    StopBt->setEnabled(false);
    OptionsBt = new QPushButton(texts.Options, this);
    OptionsBt->setObjectName(QStringLiteral("OptionsBt"));
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 1);
    ProgressBar->setValue(0);
    controls->addWidget(new QLabel(texts.Before, this));
    controls->addWidget(RowsSe);
    controls->addWidget(new QLabel(texts.After, this));
    controls->addWidget(AllRowsBt);
    controls->addWidget(StartBt);
    controls->addWidget(StopBt);
    controls->addWidget(OptionsBt);
    controls->addWidget(ProgressBar, 1);
    layout->addLayout(controls);
    ProgressLbl = new QLabel(this);
    ProgressLbl->setObjectName(QStringLiteral("ProgressLbl"));
    layout->addWidget(ProgressLbl);
    chart->setParent(this);
    layout->addWidget(chart, 1);

    connect(job_, &TBackgroundJob::ProgressChanged, this, [this] {
        if (drain_) drain_();
    });
    connect(AllRowsBt, &QPushButton::clicked, this,
            [this] { RowsSe->setValue(RowsSe->maximum()); });
    connect(StartBt, &QPushButton::clicked, this, &TPastCheckPanel::StartClicked);
    connect(StopBt, &QPushButton::clicked, this, &TPastCheckPanel::Stop);
    connect(OptionsBt, &QPushButton::clicked, this, [this] {
        if (!Running()) emit OptionsClicked();
    });
}

TPastCheckPanel::~TPastCheckPanel() {
    job_->Abandon();  // stops the run and waits for it
}

void TPastCheckPanel::SetAvailable(int32_t rows) {
    const bool fresh = RowsSe->maximum() == FewestRows && RowsSe->value() == FewestRows;
    RowsSe->setRange(FewestRows, std::max(FewestRows, rows));
    if (fresh) RowsSe->setValue(std::min(DefaultRows, std::max(FewestRows, rows)));
}

int32_t TPastCheckPanel::RowsToScore() const {
    return RowsSe->value();
}

bool TPastCheckPanel::Running() const {
    return job_->Running();
}

void TPastCheckPanel::Stop() {
    job_->Cancel();
}

void TPastCheckPanel::Abandon() {
    drain_ = {};
    job_->Abandon();
}

void TPastCheckPanel::SetSpan(int32_t firstRow, int32_t lastRow, int32_t drawCount,
                              const TDrawRegister& reg) {
    firstRow_ = firstRow;
    lastRow_ = std::max(firstRow, lastRow);
    drawCount_ = drawCount;
    register_ = reg;
}

QString TPastCheckPanel::RowLabel(int32_t row) const {
    // Rows count from 1; a row whose 期号 is unknown keeps its number.
    return QString::fromStdString(IssueLabel(register_, row - 1, drawCount_, 1));
}

void TPastCheckPanel::Begin() {
    done_ = 0;
    StartBt->setEnabled(false);
    OptionsBt->setEnabled(false);
    StopBt->setEnabled(true);
    ProgressBar->setRange(0, lastRow_ - firstRow_ + 1);
    ProgressBar->setValue(0);
    ProgressLbl->setText(texts_.Working + QStringLiteral("……"));
    clock_.start();
}

void TPastCheckPanel::ShowProgress(int32_t currentRow) {
    const int32_t total = lastRow_ - firstRow_ + 1;
    ProgressBar->setValue(done_);
    const qint64 elapsed = clock_.elapsed();
    const qint64 left = done_ > 0 ? (elapsed * (total - done_) / done_ + 999) / 1000 : -1;
    ProgressLbl->setText(
        QStringLiteral("%1第 %2 期（%3/%4）%5")
            .arg(texts_.Working, currentRow > 0 ? RowLabel(currentRow) : QString())
            .arg(done_)
            .arg(total)
            .arg(left >= 0 ? QStringLiteral("，剩余约 ") + TimeText(left) : QString()));
}

void TPastCheckPanel::ShowEnd(int32_t scored, const QString& stopped) {
    ProgressBar->setValue(scored);
    StartBt->setEnabled(true);
    OptionsBt->setEnabled(true);
    StopBt->setEnabled(false);
    ProgressLbl->setText(
        !stopped.isEmpty()
            ? stopped
            : QStringLiteral("%1，用时 %2。").arg(texts_.Done, TimeText(clock_.elapsed() / 1000)));
}
