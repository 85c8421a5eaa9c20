#include "app/reduce/ReduceForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <bit>
#include <iterator>
#include <random>

#include "data/Error.h"
#include "data/FileIo.h"
#include "reduce/ui/ReduceChartView.h"
#include "ui/BackgroundJob.h"
#include "ui/Prompts.h"

namespace {

// The kinds of the editor, in the order of its chooser: 定位, 杀号, 胆码, the eleven shape
// metrics, 规律.
constexpr int KindPosition = 0;
constexpr int KindKill = 1;
constexpr int KindMust = 2;
constexpr int KindFirstMetric = 3;
constexpr int KindPatterns = KindFirstMetric + ShapeMetricCount;
// The pages of the editor.
constexpr int PageDigits = 0;
constexpr int PageMust = 1;
constexpr int PageRange = 2;
constexpr int PageCategories = 3;
constexpr int PagePatterns = 4;

constexpr int32_t FewestCheckRows = 10;
constexpr int32_t DefaultCheckRows = 100;
constexpr int64_t ConditionFileBytes = 1 << 20;
// Sending more bets than this to the ticket book asks first.
constexpr size_t ManyBets = 10'000;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Number(int64_t n) {
    return QLocale(QLocale::Chinese, QLocale::China).toString(static_cast<qlonglong>(n));
}

// 和值 and 前四和 take a range; the other metrics a set of categories.
bool RangeMetric(TShapeMetricId id) {
    return id == TShapeMetricId::Sum || id == TShapeMetricId::FrontSum;
}

int KindOf(const TReduceCondition& c) {
    switch (c.Kind) {
        case TConditionKind::Position:
            return KindPosition;
        case TConditionKind::Kill:
            return KindKill;
        case TConditionKind::Must:
            return KindMust;
        case TConditionKind::Patterns:
            return KindPatterns;
        case TConditionKind::Metric:
            break;
    }
    return KindFirstMetric + static_cast<int>(c.Metric);
}

TShapeMetricId MetricOfKind(int kind) {
    return AllShapeMetrics()[static_cast<size_t>(kind - KindFirstMetric)].Id();
}

struct TCountOutcome {
    int64_t Kept = 0;
    bool Stopped = false;
    int32_t Patterns = -1;  // the patterns 规律 reads, or -1 without one
};

}  // namespace

TReduceForm::TReduceForm(QWidget* parent, TPrompts& prompts)
    : QWidget(parent, Qt::Window),
      prompts_(prompts),
      count_(new TBackgroundJob(this)),
      bets_(new TBackgroundJob(this)),
      check_(new TBackgroundJob(this)) {
    setObjectName(QStringLiteral("ReduceForm"));
    setWindowTitle(QStringLiteral("缩水选号"));
    connect(check_, &TBackgroundJob::ProgressChanged, this, &TReduceForm::DrainCheck);
    BuildLayout();
    KindChanged();
    RefreshList();
}

TReduceForm::~TReduceForm() {
    // The jobs read copies only, but they must end before the members go.
    check_->Abandon();
    bets_->Abandon();
    count_->Abandon();
}

bool TReduceForm::Counting() const {
    return count_->Running();
}

bool TReduceForm::Checking() const {
    return check_->Running();
}

void TReduceForm::BuildLayout() {
    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(BuildEditor());
    splitter->addWidget(BuildCheck());
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    resize(1180, 720);
}

QWidget* TReduceForm::BuildEditor() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    layout->addWidget(new QLabel(QStringLiteral("条件（每行一个，号码须满足全部条件）："), panel));
    ConditionList = new QListWidget(panel);
    ConditionList->setObjectName(QStringLiteral("ConditionList"));
    layout->addWidget(ConditionList, 1);
    auto* listButtons = new QHBoxLayout;
    AddBt = new QPushButton(QStringLiteral("添加条件"), panel);
    AddBt->setObjectName(QStringLiteral("AddBt"));
    RemoveBt = new QPushButton(QStringLiteral("删除条件"), panel);
    RemoveBt->setObjectName(QStringLiteral("RemoveBt"));
    ClearBt = new QPushButton(QStringLiteral("清空"), panel);
    ClearBt->setObjectName(QStringLiteral("ClearBt"));
    listButtons->addWidget(AddBt);
    listButtons->addWidget(RemoveBt);
    listButtons->addWidget(ClearBt);
    layout->addLayout(listButtons);

    auto* editor = new QGroupBox(QStringLiteral("编辑所选条件（改动立即生效）"), panel);
    auto* editorLayout = new QVBoxLayout(editor);
    KindCbb = new QComboBox(editor);
    KindCbb->setObjectName(QStringLiteral("KindCbb"));
    KindCbb->addItem(QStringLiteral("定位"));
    KindCbb->addItem(QStringLiteral("杀号"));
    KindCbb->addItem(QStringLiteral("胆码"));
    for (const TShapeMetric& metric : AllShapeMetrics())
        KindCbb->addItem(QString::fromUtf8(metric.Name()));
    KindCbb->addItem(QStringLiteral("规律"));
    editorLayout->addWidget(KindCbb);
    KindPages = new QStackedWidget(editor);
    editorLayout->addWidget(KindPages);

    // 定位 and 杀号: a position and a pad of digits.
    auto* digits = new QWidget(KindPages);
    auto* digitsLayout = new QGridLayout(digits);
    PositionCbb = new QComboBox(digits);
    PositionCbb->setObjectName(QStringLiteral("PositionCbb"));
    for (char c = 'A'; c <= 'G'; ++c) PositionCbb->addItem(QStringLiteral("第%1位").arg(QChar(c)));
    PositionCbb->addItem(QStringLiteral("每一位"));
    digitsLayout->addWidget(new QLabel(QStringLiteral("位置"), digits), 0, 0);
    digitsLayout->addWidget(PositionCbb, 0, 1, 1, 4);
    for (int d = 0; d < 10; ++d) {
        auto* button = new QToolButton(digits);
        button->setObjectName(QStringLiteral("DigitBt%1").arg(d));
        button->setText(QString::number(d));
        button->setCheckable(true);
        button->setMinimumWidth(30);
        DigitBts[static_cast<size_t>(d)] = button;
        digitsLayout->addWidget(button, 1 + d / 5, d % 5);
        connect(button, &QToolButton::toggled, this, &TReduceForm::EditorChanged);
    }
    KindPages->addWidget(digits);

    // 胆码: a digit and how often.
    auto* must = new QWidget(KindPages);
    auto* mustLayout = new QHBoxLayout(must);
    MustDigitSe = new QSpinBox(must);
    MustDigitSe->setObjectName(QStringLiteral("MustDigitSe"));
    MustDigitSe->setRange(0, 9);
    MustTimesSe = new QSpinBox(must);
    MustTimesSe->setObjectName(QStringLiteral("MustTimesSe"));
    MustTimesSe->setRange(1, ReduceDigitCount);
    mustLayout->addWidget(new QLabel(QStringLiteral("数字"), must));
    mustLayout->addWidget(MustDigitSe);
    mustLayout->addWidget(new QLabel(QStringLiteral("至少出现"), must));
    mustLayout->addWidget(MustTimesSe);
    mustLayout->addWidget(new QLabel(QStringLiteral("次"), must));
    mustLayout->addStretch(1);
    KindPages->addWidget(must);

    // 和值, 前四和: a range.
    auto* range = new QWidget(KindPages);
    auto* rangeLayout = new QHBoxLayout(range);
    LoSe = new QSpinBox(range);
    LoSe->setObjectName(QStringLiteral("LoSe"));
    HiSe = new QSpinBox(range);
    HiSe->setObjectName(QStringLiteral("HiSe"));
    rangeLayout->addWidget(new QLabel(QStringLiteral("从"), range));
    rangeLayout->addWidget(LoSe);
    rangeLayout->addWidget(new QLabel(QStringLiteral("到"), range));
    rangeLayout->addWidget(HiSe);
    rangeLayout->addStretch(1);
    KindPages->addWidget(range);

    // The other metrics: their categories, rebuilt for each metric.
    KindPages->addWidget(new QWidget(KindPages));

    // 规律: at least m of the chosen patterns.
    auto* patterns = new QWidget(KindPages);
    auto* patternsLayout = new QGridLayout(patterns);
    PatternsAllChk = new QCheckBox(QStringLiteral("全部命中"), patterns);
    PatternsAllChk->setObjectName(QStringLiteral("PatternsAllChk"));
    PatternsSe = new QSpinBox(patterns);
    PatternsSe->setObjectName(QStringLiteral("PatternsSe"));
    PatternsSe->setRange(1, 9'999'999);
    PatternsLbl = new QLabel(patterns);
    PatternsLbl->setObjectName(QStringLiteral("PatternsLbl"));
    PatternsLbl->setWordWrap(true);
    patternsLayout->addWidget(new QLabel(QStringLiteral("所选规律中至少命中"), patterns), 0, 0);
    patternsLayout->addWidget(PatternsSe, 0, 1);
    patternsLayout->addWidget(new QLabel(QStringLiteral("个"), patterns), 0, 2);
    patternsLayout->addWidget(PatternsAllChk, 1, 0, 1, 3);
    patternsLayout->addWidget(PatternsLbl, 2, 0, 1, 3);
    KindPages->addWidget(patterns);

    EditorLbl = new QLabel(editor);
    EditorLbl->setObjectName(QStringLiteral("EditorLbl"));
    EditorLbl->setWordWrap(true);
    editorLayout->addWidget(EditorLbl);
    layout->addWidget(editor);

    auto* tolerance = new QHBoxLayout;
    ToleranceSe = new QSpinBox(panel);
    ToleranceSe->setObjectName(QStringLiteral("ToleranceSe"));
    ToleranceSe->setRange(0, 0);
    tolerance->addWidget(new QLabel(QStringLiteral("容错：允许不满足"), panel));
    tolerance->addWidget(ToleranceSe);
    tolerance->addWidget(new QLabel(QStringLiteral("个条件"), panel));
    tolerance->addStretch(1);
    layout->addLayout(tolerance);

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

    connect(KindCbb, &QComboBox::currentIndexChanged, this, [this] {
        KindChanged();
        EditorChanged();
    });
    connect(PositionCbb, &QComboBox::currentIndexChanged, this, &TReduceForm::EditorChanged);
    for (QSpinBox* box : {MustDigitSe, MustTimesSe, LoSe, HiSe, PatternsSe})
        connect(box, &QSpinBox::valueChanged, this, &TReduceForm::EditorChanged);
    connect(PatternsAllChk, &QCheckBox::toggled, this, [this](bool all) {
        PatternsSe->setEnabled(!all);
        EditorChanged();
    });
    connect(ConditionList, &QListWidget::currentRowChanged, this, &TReduceForm::RowChanged);
    connect(ToleranceSe, &QSpinBox::valueChanged, this, &TReduceForm::Recount);
    connect(AddBt, &QPushButton::clicked, this, &TReduceForm::AddBtClick);
    connect(RemoveBt, &QPushButton::clicked, this, &TReduceForm::RemoveBtClick);
    connect(ClearBt, &QPushButton::clicked, this, &TReduceForm::ClearBtClick);
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

    auto* controls = new QHBoxLayout;
    WindowSe = new QSpinBox(panel);
    WindowSe->setObjectName(QStringLiteral("WindowSe"));
    WindowSe->setRange(FewestCheckRows, FewestCheckRows);
    CheckBt = new QPushButton(QStringLiteral("检验"), panel);
    CheckBt->setObjectName(QStringLiteral("CheckBt"));
    CheckStopBt = new QPushButton(QStringLiteral("停止"), panel);
    CheckStopBt->setObjectName(QStringLiteral("CheckStopBt"));
    CheckStopBt->setEnabled(false);
    OptionsBt = new QPushButton(QStringLiteral("搜索设置..."), panel);
    OptionsBt->setObjectName(QStringLiteral("OptionsBt"));
    CheckProgress = new QProgressBar(panel);
    CheckProgress->setObjectName(QStringLiteral("CheckProgress"));
    CheckProgress->setRange(0, 1);
    CheckProgress->setValue(0);
    controls->addWidget(new QLabel(QStringLiteral("用最近"), panel));
    controls->addWidget(WindowSe);
    controls->addWidget(new QLabel(QStringLiteral("期检验这些条件"), panel));
    controls->addWidget(CheckBt);
    controls->addWidget(CheckStopBt);
    controls->addWidget(OptionsBt);
    controls->addWidget(CheckProgress, 1);
    layout->addLayout(controls);
    CheckLbl = new QLabel(
        QStringLiteral("每期只用此前的开奖号码重建条件（重号、邻号对上一期；规律取此前号码按当前"
                       "搜索设置找到的全部规律），数出条件保留的比例，看实际开奖号码是否被保留。"),
        panel);
    CheckLbl->setObjectName(QStringLiteral("CheckLbl"));
    CheckLbl->setWordWrap(true);
    layout->addWidget(CheckLbl);
    Chart = new TReduceChartView(panel);
    layout->addWidget(Chart, 1);
    VerdictLbl = new QLabel(panel);
    VerdictLbl->setObjectName(QStringLiteral("VerdictLbl"));
    VerdictLbl->setWordWrap(true);
    QFont bold = VerdictLbl->font();
    bold.setBold(true);
    VerdictLbl->setFont(bold);
    layout->addWidget(VerdictLbl);

    connect(CheckBt, &QPushButton::clicked, this, &TReduceForm::CheckBtClick);
    connect(CheckStopBt, &QPushButton::clicked, this, &TReduceForm::CheckStopBtClick);
    connect(OptionsBt, &QPushButton::clicked, this, [this] {
        if (openOptions_ && !Checking()) openOptions_();
    });
    return panel;
}

void TReduceForm::SetSource(const TCodes* draws, const SearchOptions* options,
                            TPatternSource patterns, std::function<void()> openOptions) {
    draws_ = draws;
    options_ = options;
    patterns_ = std::move(patterns);
    openOptions_ = std::move(openOptions);
    SourceChanged();
}

void TReduceForm::OpenWindow() {
    SourceChanged();
    show();
    raise();
    activateWindow();
}

void TReduceForm::SourceChanged() {
    const int32_t count = draws_ ? draws_->Count() : 0;
    const bool fresh =
        WindowSe->maximum() == FewestCheckRows && WindowSe->value() == FewestCheckRows;
    WindowSe->setRange(FewestCheckRows, std::max(FewestCheckRows, count - 1));
    if (fresh) WindowSe->setValue(std::min(DefaultCheckRows, std::max(FewestCheckRows, count - 1)));
    if (PatternsInUse()) RefreshPatternsLabel();
    Recount();
}

bool TReduceForm::PatternsInUse() const {
    return KindCbb->currentIndex() == KindPatterns ||
           std::any_of(items_.begin(), items_.end(), [](const TReduceCondition& c) {
               return c.Kind == TConditionKind::Patterns;
           });
}

void TReduceForm::RefreshPatternsLabel() {
    const int32_t chosen = patterns_ ? static_cast<int32_t>(patterns_().size()) : 0;
    PatternsLbl->setText(
        QStringLiteral("所选规律中以下一期为预测期的有 %1 个（在规律列表中选择；不选则用全部）。")
            .arg(chosen));
}

void TReduceForm::PatternsChanged() {
    if (!PatternsInUse()) return;
    RefreshPatternsLabel();
    if (Conditions().HasPatterns()) Recount();
}

void TReduceForm::KindChanged() {
    const int kind = KindCbb->currentIndex();
    if (kind == KindPosition || kind == KindKill) {
        KindPages->setCurrentIndex(PageDigits);
        return;
    }
    if (kind == KindMust) {
        KindPages->setCurrentIndex(PageMust);
        return;
    }
    if (kind == KindPatterns) {
        RefreshPatternsLabel();
        KindPages->setCurrentIndex(PagePatterns);
        return;
    }
    const TShapeMetric metric(MetricOfKind(kind));
    if (RangeMetric(metric.Id())) {
        const QSignalBlocker lo(LoSe);
        const QSignalBlocker hi(HiSe);
        LoSe->setRange(0, metric.CategoryCount() - 1);
        HiSe->setRange(0, metric.CategoryCount() - 1);
        KindPages->setCurrentIndex(PageRange);
        return;
    }
    // The category boxes of this metric.
    QWidget* old = KindPages->widget(PageCategories);
    auto* page = new QWidget(KindPages);
    auto* grid = new QGridLayout(page);
    CategoryChks.clear();
    const int columns = metric.CategoryCount() > 10 ? 6 : 4;
    for (int32_t c = 0; c < metric.CategoryCount(); ++c) {
        auto* box = new QCheckBox(Text(CategoryValueText(metric.Id(), c)), page);
        box->setObjectName(QStringLiteral("CategoryChk%1").arg(c));
        box->setToolTip(Text(metric.CategoryLabel(c)));
        grid->addWidget(box, c / columns, c % columns);
        connect(box, &QCheckBox::toggled, this, &TReduceForm::EditorChanged);
        CategoryChks.push_back(box);
    }
    KindPages->insertWidget(PageCategories, page);
    KindPages->removeWidget(old);
    old->deleteLater();
    KindPages->setCurrentIndex(PageCategories);
}

void TReduceForm::ShowInEditor(const TReduceCondition& c) {
    showing_ = true;
    KindCbb->setCurrentIndex(KindOf(c));
    KindChanged();
    switch (c.Kind) {
        case TConditionKind::Position:
        case TConditionKind::Kill:
            PositionCbb->setCurrentIndex(c.Position < 0 ? ReduceDigitCount : c.Position);
            for (int d = 0; d < 10; ++d)
                DigitBts[static_cast<size_t>(d)]->setChecked((c.Digits >> d) & 1u);
            break;
        case TConditionKind::Must:
            MustDigitSe->setValue(c.Digit);
            MustTimesSe->setValue(c.AtLeast);
            break;
        case TConditionKind::Patterns:
            PatternsAllChk->setChecked(c.Patterns == 0);
            if (c.Patterns > 0) PatternsSe->setValue(c.Patterns);
            break;
        case TConditionKind::Metric:
            if (RangeMetric(c.Metric)) {
                const int lo = c.Categories == 0 ? 0 : std::countr_zero(c.Categories);
                const int hi = c.Categories == 0 ? 0 : 63 - std::countl_zero(c.Categories);
                LoSe->setValue(lo);
                HiSe->setValue(hi);
            } else {
                for (size_t i = 0; i < CategoryChks.size(); ++i)
                    CategoryChks[i]->setChecked((c.Categories >> i) & 1u);
            }
            break;
    }
    showing_ = false;
    QString problem;
    EditorCondition(problem);
    EditorLbl->setText(problem);
}

std::optional<TReduceCondition> TReduceForm::EditorCondition(QString& problem) const {
    TReduceCondition c;
    const int kind = KindCbb->currentIndex();
    if (kind == KindPosition || kind == KindKill) {
        c.Kind = kind == KindPosition ? TConditionKind::Position : TConditionKind::Kill;
        c.Position =
            PositionCbb->currentIndex() == ReduceDigitCount ? -1 : PositionCbb->currentIndex();
        for (int d = 0; d < 10; ++d)
            if (DigitBts[static_cast<size_t>(d)]->isChecked())
                c.Digits = static_cast<uint16_t>(c.Digits | (1u << d));
        if (kind == KindPosition && c.Position < 0)
            problem = QStringLiteral("定位需要选一个位置。");
        else if (c.Digits == 0)
            problem = kind == KindPosition ? QStringLiteral("定位：请选择允许的数字。")
                                           : QStringLiteral("杀号：请选择要杀的数字。");
        else if (kind == KindKill && c.Digits == 0x3FF)
            problem = QStringLiteral("杀号杀掉了全部数字，没有号码可留。");
        return problem.isEmpty() ? std::optional(c) : std::nullopt;
    }
    if (kind == KindMust) {
        c.Kind = TConditionKind::Must;
        c.Digit = MustDigitSe->value();
        c.AtLeast = MustTimesSe->value();
        return c;
    }
    if (kind == KindPatterns) {
        c.Kind = TConditionKind::Patterns;
        c.Patterns = PatternsAllChk->isChecked() ? 0 : PatternsSe->value();
        return c;
    }
    c.Kind = TConditionKind::Metric;
    c.Metric = MetricOfKind(kind);
    const QString name = QString::fromUtf8(TShapeMetric(c.Metric).Name());
    if (RangeMetric(c.Metric)) {
        if (LoSe->value() > HiSe->value()) {
            problem = name + QStringLiteral("的范围上下颠倒。");
            return std::nullopt;
        }
        c.IsRange = true;
        c.Categories = CategoryRange(LoSe->value(), HiSe->value());
        return c;
    }
    for (size_t i = 0; i < CategoryChks.size(); ++i)
        if (CategoryChks[i]->isChecked()) c.Categories |= uint64_t{1} << i;
    if (c.Categories == 0) {
        problem = name + QStringLiteral("：请选择允许的取值。");
        return std::nullopt;
    }
    return c;
}

void TReduceForm::EditorChanged() {
    if (showing_) return;
    QString problem;
    const auto condition = EditorCondition(problem);
    EditorLbl->setText(problem);
    const int row = ConditionList->currentRow();
    if (!condition || row < 0 || row >= static_cast<int>(items_.size())) return;
    // Another kind in the editor makes a new condition for 添加条件, never a changed one.
    if (KindOf(items_[static_cast<size_t>(row)]) != KindCbb->currentIndex()) return;
    if (items_[static_cast<size_t>(row)] == *condition) return;
    items_[static_cast<size_t>(row)] = *condition;
    RefreshList();
}

void TReduceForm::RowChanged() {
    const int row = ConditionList->currentRow();
    RemoveBt->setEnabled(row >= 0);
    if (row >= 0 && row < static_cast<int>(items_.size()))
        ShowInEditor(items_[static_cast<size_t>(row)]);
}

void TReduceForm::AddBtClick() {
    QString problem;
    auto condition = EditorCondition(problem);
    if (!condition) {
        // A new condition of the chosen kind that keeps everything, for the editor to narrow.
        TReduceCondition fresh;
        const int kind = KindCbb->currentIndex();
        if (kind == KindKill) {
            EditorLbl->setText(problem);
            return;
        }
        if (kind == KindPosition) {
            fresh.Kind = TConditionKind::Position;
            fresh.Position = std::min(PositionCbb->currentIndex(), ReduceDigitCount - 1);
            fresh.Digits = 0x3FF;
        } else {
            fresh.Kind = TConditionKind::Metric;
            fresh.Metric = MetricOfKind(kind);
            fresh.Categories = CategoryRange(0, TShapeMetric(fresh.Metric).CategoryCount() - 1);
            fresh.IsRange = RangeMetric(fresh.Metric);
        }
        condition = fresh;
    }
    items_.push_back(*condition);
    RefreshList();
    ConditionList->setCurrentRow(static_cast<int>(items_.size()) - 1);
}

void TReduceForm::RemoveBtClick() {
    const int row = ConditionList->currentRow();
    if (row < 0 || row >= static_cast<int>(items_.size())) return;
    items_.erase(items_.begin() + row);
    RefreshList();
    ConditionList->setCurrentRow(std::min(row, static_cast<int>(items_.size()) - 1));
}

void TReduceForm::ClearBtClick() {
    items_.clear();
    RefreshList();
}

TReduceSet TReduceForm::Conditions() const {
    TReduceSet set;
    set.Items = items_;
    set.Tolerance = ToleranceSe->value();
    return set;
}

void TReduceForm::SetConditions(const TReduceSet& set) {
    items_ = set.Items;
    RefreshList();
    ToleranceSe->setValue(set.Tolerance);
    ConditionList->setCurrentRow(items_.empty() ? -1 : 0);
}

void TReduceForm::RefreshList() {
    const int row = ConditionList->currentRow();
    {
        const QSignalBlocker block(ConditionList);
        ConditionList->clear();
        for (size_t i = 0; i < items_.size(); ++i) {
            items_[i].Line = static_cast<int32_t>(i + 1);
            ConditionList->addItem(Text(ReduceConditionText(items_[i])));
        }
        if (row >= 0 && row < ConditionList->count()) ConditionList->setCurrentRow(row);
    }
    RemoveBt->setEnabled(ConditionList->currentRow() >= 0);
    ClearBt->setEnabled(!items_.empty());
    {
        const QSignalBlocker block(ToleranceSe);
        ToleranceSe->setRange(0, std::max(0, static_cast<int>(items_.size()) - 1));
    }
    Recount();
}

TReduceContext TReduceForm::Context(const TReduceSet& set) const {
    TReduceContext context;
    if (draws_ && draws_->Count() > 0)
        if (auto last = ShapeDrawOf(draws_->GetCode(draws_->Count() - 1))) context.Previous = *last;
    if (set.HasPatterns() && patterns_) context.Patterns = patterns_();
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
            const TReducePlan plan(set, context);
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
                ResultLbl->setText(
                    QStringLiteral("保留 %1 注，金额 %2 元，占全部号码的 %3%。")
                        .arg(Number(outcome.Kept), Number(outcome.Kept * ReduceBetPrice))
                        .arg(share * 100, 0, 'g', 4));
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

void TReduceForm::WithBets(std::function<void(std::vector<int32_t>)> done) {
    const TReduceSet set = Conditions();
    if (set.Items.empty()) {
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
    const TReduceContext context = Context(set);
    ExportBt->setEnabled(false);
    SendBt->setEnabled(false);
    bets_->Start(
        [set, context](TJobControl& control) {
            return CountReduced(TReducePlan(set, context), true, 0, control).Bets;
        },
        [this, done = std::move(done)](std::vector<int32_t> bets) {
            ExportBt->setEnabled(true);
            SendBt->setEnabled(true);
            if (bets.empty())
                prompts_.ShowMessage(this, QStringLiteral("条件没有留下任何号码。"));
            else
                done(std::move(bets));
            emit BetsHandled();
        },
        [this](std::exception_ptr failure) {
            ExportBt->setEnabled(true);
            SendBt->setEnabled(true);
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
    WithBets([this, path](std::vector<int32_t> bets) {
        try {
            WriteBetsFile(QFile::encodeName(path).toStdString(), bets);
            prompts_.ShowMessage(this, QStringLiteral("已导出 %1 注到 %2。")
                                           .arg(Number(static_cast<int64_t>(bets.size())), path));
        } catch (const TError& e) {
            prompts_.ShowError(this, QString::fromUtf8(e.what()));
        }
    });
}

void TReduceForm::SendBtClick() {
    if (!betsTaker_) {
        prompts_.ShowMessage(this, QStringLiteral("投注功能还没有接入，可以先导出号码。"));
        emit BetsHandled();
        return;
    }
    const bool sample = SampleChk->isChecked();
    const int k = SampleSe->value();
    WithBets([this, sample, k](std::vector<int32_t> bets) {
        const int64_t all = static_cast<int64_t>(bets.size());
        QString said = QStringLiteral("已把全部 %1 注发送到投注。").arg(Number(all));
        QString source = QStringLiteral("缩水选号");
        if (sample && k < all) {
            std::vector<int32_t> chosen;
            chosen.reserve(static_cast<size_t>(k));
            std::sample(bets.begin(), bets.end(), std::back_inserter(chosen), k,
                        std::mt19937_64(std::random_device{}()));
            bets = std::move(chosen);
            said = QStringLiteral("已从 %1 注中随机抽取 %2 注发送到投注。")
                       .arg(Number(all), Number(k));
            source =
                QStringLiteral("缩水选号（从 %1 注中随机抽取 %2 注）").arg(Number(all), Number(k));
        }
        if (bets.size() > ManyBets &&
            prompts_.Ask(
                this,
                QStringLiteral("要把 %1 注逐注加入投注吗？注数很多，也可以勾选“随机抽取”。")
                    .arg(Number(static_cast<int64_t>(bets.size()))),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
        if (betsTaker_(bets, source)) prompts_.ShowMessage(this, said);
    });
}

void TReduceForm::LoadBtClick() {
    const QString path = prompts_.OpenFileName(this, QStringLiteral("打开条件"), QString(),
                                               QStringLiteral("条件文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty()) return;
    try {
        const std::vector<uint8_t> bytes =
            ReadWholeFile(QFile::encodeName(path).toStdString(), ConditionFileBytes);
        SetConditions(ReadReduceSet(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
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
        WriteFileAtomically(QFile::encodeName(path).toStdString(), WriteReduceSet(Conditions()));
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
    if (!draws_ || draws_->Count() <= FewestCheckRows) {
        prompts_.ShowMessage(this, QStringLiteral("开奖数据太少，无法检验。"));
        return;
    }
    TReduceCheckJob job =
        MakeReduceCheckJob(*draws_, set, WindowSe->value(), options_ ? *options_ : SearchOptions{});
    const int32_t count = job.Draws->Count();
    checkLast_ = count;
    checkFirst_ = count - std::min(job.Window, count - 1) + 1;
    checkRows_.clear();
    checkSummary_ = {};
    Chart->SetPoints({}, checkFirst_, checkLast_);
    VerdictLbl->setText(QStringLiteral("正在检验……"));
    CheckBt->setEnabled(false);
    OptionsBt->setEnabled(false);
    CheckStopBt->setEnabled(true);
    CheckProgress->setRange(0, checkLast_ - checkFirst_ + 1);
    CheckProgress->setValue(0);
    news_ = std::make_shared<TRowNews<TReduceCheckRow>>();
    check_->Start(
        [job = std::move(job), news = news_](TJobControl& control) {
            return RunReduceCheck(job, control, [&](const TReduceCheckProgress& progress) {
                news->Report(progress);
            });
        },
        [this](TReduceCheckResult result) { CheckEnded(std::move(result)); });
}

void TReduceForm::CheckStopBtClick() {
    check_->Cancel();
}

void TReduceForm::DrainCheck() {
    if (!news_) return;
    const int32_t current = news_->TakeInto(checkRows_);
    CheckProgress->setValue(static_cast<int>(checkRows_.size()));
    VerdictLbl->setText(QStringLiteral("正在检验第 %1 期……").arg(current));
    Chart->SetPoints(ReduceCheckSeries(checkRows_), checkFirst_, checkLast_);
}

void TReduceForm::CheckEnded(TReduceCheckResult result) {
    news_.reset();
    checkRows_ = std::move(result.Rows);
    checkSummary_ = result.Summary;
    Chart->SetPoints(ReduceCheckSeries(checkRows_), checkFirst_, checkLast_);
    CheckProgress->setValue(static_cast<int>(checkRows_.size()));
    QString text = Text(ReduceCheckSentence(checkSummary_));
    if (result.Stopped || !result.Error.empty())
        text = Text(result.EndText()) + QLatin1Char(' ') + text;
    VerdictLbl->setText(text);
    CheckBt->setEnabled(true);
    OptionsBt->setEnabled(true);
    CheckStopBt->setEnabled(false);
    emit CheckFinished();
}
