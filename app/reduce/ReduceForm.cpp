#include "app/reduce/ReduceForm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <random>

#include "data/Error.h"
#include "data/FileIo.h"
#include "reduce/ui/ConditionEditor.h"
#include "reduce/ui/ReduceChartView.h"
#include "search/Gui2RegMgr.h"
#include "tickets/TicketLedger.h"
#include "ui/BackgroundJob.h"
#include "ui/DocumentFeed.h"
#include "ui/PastCheckPanel.h"
#include "ui/Prompts.h"

namespace {

constexpr int32_t FewestCheckRows = 10;
constexpr int64_t ConditionFileBytes = 1 << 20;
// Sending more bets than this to the ticket book asks first.
constexpr size_t ManyBets = 10'000;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Number(int64_t n) {
    return QLocale(QLocale::Chinese, QLocale::China).toString(static_cast<qlonglong>(n));
}

struct TCountOutcome {
    int64_t Kept = 0;
    bool Stopped = false;
    int32_t Patterns = -1;  // the patterns 规律 reads, or -1 without one
};

}  // namespace

TReduceForm::TReduceForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& document,
                         TPatternSource patterns)
    : QWidget(parent, Qt::Window),
      prompts_(prompts),
      document_(document),
      patterns_(std::move(patterns)),
      count_(new TBackgroundJob(this)),
      bets_(new TBackgroundJob(this)) {
    setObjectName(QStringLiteral("ReduceForm"));
    setWindowTitle(QStringLiteral("缩水选号"));
    if (!patterns_)
        patterns_ = [this] {
            const TDocumentView& view = document_.View();
            return PendingPatternForms(view.ChosenPatterns(), view.Draws(),
                                       view.Patterns().SearchDraws());
        };
    BuildLayout();
    connect(&document_, &TDocumentFeed::DrawsChanged, this, &TReduceForm::SourceChanged);
    connect(&document_, &TDocumentFeed::PatternsChanged, this, &TReduceForm::PatternsChanged);
    SourceChanged();
}

TReduceForm::~TReduceForm() {
    // The jobs read copies only, but they must end before the members go.
    Check->Abandon();
    bets_->Abandon();
    count_->Abandon();
}

bool TReduceForm::Counting() const {
    return count_->Running();
}

bool TReduceForm::Checking() const {
    return Check->Running();
}

void TReduceForm::BuildLayout() {
    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(BuildBets());
    splitter->addWidget(BuildCheck());
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    resize(1180, 720);
}

QWidget* TReduceForm::BuildBets() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    Editor = new TConditionEditor(prompts_, panel);
    Editor->setObjectName(QStringLiteral("ConditionEditor"));
    Editor->SetChosenPatterns([this] { return patterns_(); });
    layout->addWidget(Editor, 1);
    ResultLbl = new QLabel(panel);
    ResultLbl->setObjectName(QStringLiteral("ResultLbl"));
    ResultLbl->setWordWrap(true);
    QFont bold = ResultLbl->font();
    bold.setBold(true);
    ResultLbl->setFont(bold);
    layout->addWidget(ResultLbl);

    auto* files = new QHBoxLayout;
    LoadBt = new QPushButton(QStringLiteral("打开条件..."), panel);
    LoadBt->setObjectName(QStringLiteral("LoadBt"));
    SaveBt = new QPushButton(QStringLiteral("保存条件..."), panel);
    SaveBt->setObjectName(QStringLiteral("SaveBt"));
    ExportBt = new QPushButton(QStringLiteral("导出号码..."), panel);
    ExportBt->setObjectName(QStringLiteral("ExportBt"));
    files->addWidget(LoadBt);
    files->addWidget(SaveBt);
    files->addWidget(ExportBt);
    layout->addLayout(files);
    auto* send = new QHBoxLayout;
    SampleChk = new QCheckBox(QStringLiteral("随机抽取"), panel);
    SampleChk->setObjectName(QStringLiteral("SampleChk"));
    SampleSe = new QSpinBox(panel);
    SampleSe->setObjectName(QStringLiteral("SampleSe"));
    SampleSe->setRange(1, 1'000'000);
    SampleSe->setValue(10);
    SendBt = new QPushButton(QStringLiteral("发送到投注"), panel);
    SendBt->setObjectName(QStringLiteral("SendBt"));
    send->addWidget(SampleChk);
    send->addWidget(SampleSe);
    send->addWidget(new QLabel(QStringLiteral("注"), panel));
    send->addStretch(1);
    send->addWidget(SendBt);
    layout->addLayout(send);
    connect(Editor, &TConditionEditor::Changed, this, &TReduceForm::ConditionsChanged);
    connect(LoadBt, &QPushButton::clicked, this, &TReduceForm::LoadBtClick);
    connect(SaveBt, &QPushButton::clicked, this, &TReduceForm::SaveBtClick);
    connect(ExportBt, &QPushButton::clicked, this, &TReduceForm::ExportBtClick);
    connect(SendBt, &QPushButton::clicked, this, &TReduceForm::SendBtClick);
    return panel;
}

QWidget* TReduceForm::BuildCheck() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    ChanceLbl = new QLabel(QString::fromUtf8(ReduceChanceSentence()), panel);
    ChanceLbl->setObjectName(QStringLiteral("ChanceLbl"));
    ChanceLbl->setWordWrap(true);
    layout->addWidget(ChanceLbl);
    CheckLbl = new QLabel(
        QStringLiteral("每期只用此前的开奖号码重建条件（重号、邻号对上一期；规律取此前号码按当前"
                       "搜索设置找到的全部规律），数出条件保留的比例，看实际开奖号码是否被保留。"),
        panel);
    CheckLbl->setObjectName(QStringLiteral("CheckLbl"));
    CheckLbl->setWordWrap(true);
    layout->addWidget(CheckLbl);
    Chart = new TReduceChartView;
    Check = new TPastCheckPanel(
        panel,
        {QStringLiteral("用最近"), QStringLiteral("期检验这些条件"), QStringLiteral("检验"),
         QStringLiteral("搜索设置..."), QStringLiteral("正在检验"), QStringLiteral("检验完成")},
        Chart);
    layout->addWidget(Check, 1);
    connect(Check, &TPastCheckPanel::StartClicked, this, &TReduceForm::CheckBtClick);
    connect(Check, &TPastCheckPanel::OptionsClicked, this, [this] { document_.EditOptions(); });
    return panel;
}

void TReduceForm::OpenWindow() {
    SourceChanged();
    show();
    raise();
    activateWindow();
}

void TReduceForm::SourceChanged() {
    Check->SetAvailable(document_.View().Draws().Count() - 1);
    if (Editor->PatternsInUse()) Editor->RefreshPatternsLabel();
    Recount();
}

void TReduceForm::PatternsChanged() {
    if (!Editor->PatternsInUse()) return;
    Editor->RefreshPatternsLabel();
    if (Conditions().HasPatterns()) Recount();
}

TReduceSet TReduceForm::Conditions() const {
    return Editor->Conditions();
}

void TReduceForm::SetConditions(const TReduceSet& set) {
    Editor->SetConditions(set);
}

TReduceContext TReduceForm::Context(const TReduceSet& set) const {
    TReduceContext context;
    const TCodes& draws = document_.View().Draws();
    if (draws.Count() > 0)
        if (auto last = ShapeDrawOf(draws.GetCode(draws.Count() - 1))) context.Previous = *last;
    if (set.HasPatterns()) context.Patterns = patterns_();
    return context;
}

void TReduceForm::Recount() {
    const TReduceSet set = Conditions();
    kept_.reset();
    if (set.Items.empty()) {
        count_->Abandon();
        kept_ = ReduceCandidateCount;
        ResultLbl->setText(
            QStringLiteral("没有条件：全部 %1 注，金额 %2 元。")
                .arg(Number(ReduceCandidateCount), Number(ReduceCandidateCount * ReduceBetPrice)));
        emit Counted();
        return;
    }
    ResultLbl->setText(QStringLiteral("正在计算……"));
    const TReduceContext context = Context(set);
    count_->Start(
        [set, context](TJobControl& control) {
            const TReducePlan plan(set, context, true, &control);
            const TReduceCount count = CountReduced(plan, false, 0, control);
            return TCountOutcome{
                count.Kept, count.Stopped,
                set.HasPatterns() ? static_cast<int32_t>(context.Patterns.size()) : -1};
        },
        [this](TCountOutcome outcome) {
            if (outcome.Stopped) return;
            kept_ = outcome.Kept;
            if (outcome.Kept == 0) {
                ResultLbl->setText(QStringLiteral("条件没有留下任何号码。"));
            } else {
                const double share = static_cast<double>(outcome.Kept) / ReduceCandidateCount;
                ResultLbl->setText(QStringLiteral("保留 %1 注，金额 %2 元，占全部号码的 %3。")
                                       .arg(Number(outcome.Kept),
                                            Number(outcome.Kept * ReduceBetPrice),
                                            QString::fromStdString(ProbabilityText(share))));
            }
            emit Counted();
        },
        [this](std::exception_ptr failure) {
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception& e) {
                ResultLbl->setText(QString::fromUtf8(e.what()));
            }
            emit Counted();
        });
}

void TReduceForm::WithBets(TBetsRequest request, std::function<void(TBetsOutcome)> done) {
    request.Conditions = Conditions();
    if (request.Conditions.Items.empty()) {
        prompts_.ShowMessage(this,
                             QStringLiteral("还没有条件：全部一千万注都会留下。请先添加条件。"));
        emit BetsHandled();
        return;
    }
    if (kept_ && *kept_ == 0) {
        prompts_.ShowMessage(this, QStringLiteral("条件没有留下任何号码。"));
        emit BetsHandled();
        return;
    }
    request.Context = Context(request.Conditions);
    ExportBt->setEnabled(false);
    SendBt->setEnabled(false);
    // Window-modal: while the bets are made, no other export or send starts.
    QPointer<QProgressDialog> progress =
        new QProgressDialog(QStringLiteral("正在生成号码……"), QStringLiteral("取消"), 0, 100, this);
    progress->setObjectName(QStringLiteral("BetsProgress"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(300);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);
    bets_->FollowIn(*progress);
    const auto ended = [this, progress] {
        delete progress.data();
        ExportBt->setEnabled(true);
        SendBt->setEnabled(true);
    };
    bets_->Start(
        [request = std::move(request)](TJobControl& control) { return MakeBets(request, control); },
        [this, ended, done = std::move(done)](TBetsOutcome outcome) {
            ended();
            if (!outcome.Stopped && outcome.Chosen == 0)
                prompts_.ShowMessage(this, QStringLiteral("条件没有留下任何号码。"));
            else if (!outcome.Stopped)
                done(std::move(outcome));
            emit BetsHandled();
        },
        [this, ended](std::exception_ptr failure) {
            ended();
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception& e) {
                prompts_.ShowError(this, QString::fromUtf8(e.what()));
            }
            emit BetsHandled();
        });
}

void TReduceForm::ExportBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("导出号码"), QStringLiteral("缩水号码.txt"),
                              QStringLiteral("文本文件 (*.txt)"));
    if (path.isEmpty()) return;
    TBetsRequest request;
    request.Path = path.toStdString();
    WithBets(std::move(request), [this, path](const TBetsOutcome& outcome) {
        prompts_.ShowMessage(
            this, QStringLiteral("已导出 %1 注到 %2。").arg(Number(outcome.Chosen), path));
    });
}

void TReduceForm::SendBtClick() {
    if (!betsTaker_) {
        prompts_.ShowMessage(this, QStringLiteral("投注功能还没有接入，可以先导出号码。"));
        emit BetsHandled();
        return;
    }
    TBetsRequest request;
    if (SampleChk->isChecked()) {
        request.Sample = static_cast<size_t>(SampleSe->value());
        request.Seed = std::random_device{}();
    }
    WithBets(std::move(request), [this](const TBetsOutcome& outcome) {
        const int64_t all = outcome.Kept;
        QString said = QStringLiteral("已把全部 %1 注发送到投注。").arg(Number(all));
        QString source = QStringLiteral("缩水选号");
        if (outcome.Chosen < all) {
            const QString k = Number(outcome.Chosen);
            said = QStringLiteral("已从 %1 注中随机抽取 %2 注发送到投注。").arg(Number(all), k);
            source = QStringLiteral("缩水选号（从 %1 注中随机抽取 %2 注）").arg(Number(all), k);
        }
        if (outcome.Chosen > static_cast<int64_t>(ManyBets) &&
            prompts_.Ask(
                this,
                QStringLiteral("要把 %1 注逐注加入投注吗？注数很多，也可以勾选“随机抽取”。")
                    .arg(Number(outcome.Chosen)),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        if (betsTaker_(outcome.Bets, source)) prompts_.ShowMessage(this, said);
    });
}

void TReduceForm::LoadBtClick() {
    const QString path = prompts_.OpenFileName(this, QStringLiteral("打开条件"), QString(),
                                               QStringLiteral("条件文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty()) return;
    try {
        SetConditions(ReadReduceFile(ReadTextFile(path.toStdString(), ConditionFileBytes)));
    } catch (const TError& e) {
        prompts_.ShowError(
            this,
            QStringLiteral("无法打开条件文件 %1：\n%2").arg(path, QString::fromUtf8(e.what())));
    }
}

void TReduceForm::SaveBtClick() {
    const QString path =
        prompts_.SaveFileName(this, QStringLiteral("保存条件"), QStringLiteral("缩水条件.txt"),
                              QStringLiteral("条件文件 (*.txt)"));
    if (path.isEmpty()) return;
    try {
        WriteFileAtomically(path.toStdString(), WriteReduceSet(Conditions()));
    } catch (const TError& e) {
        prompts_.ShowError(this, QString::fromUtf8(e.what()));
    }
}

void TReduceForm::CheckBtClick() {
    if (Checking()) return;
    SourceChanged();
    const TReduceSet set = Conditions();
    if (set.Items.empty()) {
        prompts_.ShowMessage(this, QStringLiteral("还没有条件，无从检验。"));
        return;
    }
    const TDocumentView& document = document_.View();
    if (document.Draws().Count() <= FewestCheckRows) {
        prompts_.ShowMessage(this, QStringLiteral("开奖数据太少，无法检验。"));
        return;
    }
    TReduceCheckJob job =
        MakeReduceCheckJob(document.Draws(), set, Check->RowsToScore(), document.Options());
    const int32_t count = job.Draws->Count();
    Check->SetSpan(count - std::min(job.Window, count - 1) + 1, count, count, document.Register());
    checkRows_.clear();
    checkSummary_ = {};
    checkedConditions_ = WriteReduceSet(set);
    ShowChart();
    Check->VerdictLbl->setText(QStringLiteral("正在检验……"));
    Check->Start<TReduceCheckRow>(
        [job = std::move(job)](TJobControl& control, const auto& news) {
            return RunReduceCheck(job, control, news);
        },
        [this](const std::vector<TReduceCheckRow>& fresh) {
            for (const TReduceCheckRow& row : fresh) checkRows_.push_back(row);
            ShowChart();
        },
        [this](TReduceCheckResult result) { CheckEnded(std::move(result)); });
}

void TReduceForm::ConditionsChanged() {
    Recount();
    if (!Checking()) ShowCheckVerdict();  // else its end looks
}

void TReduceForm::ShowCheckVerdict() {
    const TReduceSet set = Conditions();
    if (set.Items.empty()) {  // 清空: no check to show
        checkRows_.clear();
        checkSummary_ = {};
        checkedConditions_ = {}, checkVerdict_ = {};
        ShowChart();
        Check->VerdictLbl->clear();
    } else if (!checkedConditions_.empty()) {
        const bool same = WriteReduceSet(set) == checkedConditions_;
        Check->VerdictLbl->setText(same ? checkVerdict_ : QStringLiteral("条件已改变，请重新检验"));
    }
}

void TReduceForm::ShowChart() {
    const int32_t first = Check->FirstRow(), last = Check->LastRow();
    Chart->SetPoints(ReduceCheckSeries(checkRows_), first, last, Check->RowLabel(first),
                     Check->RowLabel(last));
}

void TReduceForm::CheckEnded(TReduceCheckResult result) {
    checkRows_ = std::move(result.Rows);
    checkSummary_ = result.Summary;
    ShowChart();
    const bool broken = result.Stopped || !result.Error.empty();
    QString text = Text(ReduceCheckSentence(checkSummary_));
    if (broken) text = Text(result.EndText()) + QLatin1Char(' ') + text;
    checkVerdict_ = text;
    ShowCheckVerdict();  // the conditions may have changed while it ran
    Check->ShowEnd(static_cast<int32_t>(checkRows_.size()),
                   broken ? Text(result.EndText()) : QString());
    emit CheckFinished();
}
