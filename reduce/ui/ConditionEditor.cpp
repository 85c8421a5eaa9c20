#include "reduce/ui/ConditionEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <bit>

#include "stats/ShapeMetrics.h"
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
// The list remembers this many changes for 撤销.
constexpr size_t UndoSteps = 100;
constexpr uint16_t AllDigits = 0x3FF;

// A chosen digit is filled and coloured, one not chosen white; focus is a thin outline of
// either, never a fill, so that it cannot pass for a chosen digit.
const char* const DigitButtonStyle =
    "QToolButton { background: #ffffff; color: #202020; border: 1px solid #a0a0a0;"
    " border-radius: 3px; min-height: 22px; }"
    "QToolButton:hover { border-color: #2f6fd0; }"
    "QToolButton:checked { background: #2f6fd0; color: #ffffff; font-weight: bold;"
    " border-color: #1c4a94; }"
    "QToolButton:focus { border: 1px dashed #1c4a94; }";

QString Text(const std::string& text) {
    return QString::fromStdString(text);
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

}  // namespace

TConditionEditor::TConditionEditor(TPrompts& prompts, QWidget* parent)
    : QWidget(parent), prompts_(prompts) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    layout->addWidget(new QLabel(QStringLiteral("条件（每行一个，号码须满足全部条件）："), this));
    ConditionList = new QListWidget(this);
    ConditionList->setObjectName(QStringLiteral("ConditionList"));
    layout->addWidget(ConditionList, 1);
    auto* listButtons = new QHBoxLayout;
    AddBt = new QPushButton(QStringLiteral("添加条件"), this);
    AddBt->setObjectName(QStringLiteral("AddBt"));
    RemoveBt = new QPushButton(QStringLiteral("删除条件"), this);
    RemoveBt->setObjectName(QStringLiteral("RemoveBt"));
    ClearBt = new QPushButton(QStringLiteral("清空"), this);
    ClearBt->setObjectName(QStringLiteral("ClearBt"));
    UndoBt = new QPushButton(QStringLiteral("撤销"), this);
    UndoBt->setObjectName(QStringLiteral("UndoBt"));
    UndoBt->setShortcut(QKeySequence::Undo);
    UndoBt->setToolTip(QStringLiteral("撤销条件列表的上一次改动 (Ctrl+Z)"));
    listButtons->addWidget(AddBt);
    listButtons->addWidget(RemoveBt);
    listButtons->addWidget(ClearBt);
    listButtons->addWidget(UndoBt);
    layout->addLayout(listButtons);

    auto* editor = new QGroupBox(QStringLiteral("编辑所选条件（改动立即生效）"), this);
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
    digits->setStyleSheet(QString::fromLatin1(DigitButtonStyle));
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
        connect(button, &QToolButton::toggled, this, &TConditionEditor::EditorChanged);
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
    ToleranceSe = new QSpinBox(this);
    ToleranceSe->setObjectName(QStringLiteral("ToleranceSe"));
    ToleranceSe->setRange(0, 0);
    tolerance->addWidget(new QLabel(QStringLiteral("容错：允许不满足"), this));
    tolerance->addWidget(ToleranceSe);
    tolerance->addWidget(new QLabel(QStringLiteral("个条件"), this));
    tolerance->addStretch(1);
    layout->addLayout(tolerance);

    connect(KindCbb, &QComboBox::currentIndexChanged, this, [this] {
        KindChanged();
        if (showing_) return;
        KindPicked();
        EditorChanged();
    });
    connect(PositionCbb, &QComboBox::currentIndexChanged, this, &TConditionEditor::EditorChanged);
    for (QSpinBox* box : {MustDigitSe, MustTimesSe, LoSe, HiSe, PatternsSe})
        connect(box, &QSpinBox::valueChanged, this, &TConditionEditor::EditorChanged);
    connect(PatternsAllChk, &QCheckBox::toggled, this, [this](bool all) {
        PatternsSe->setEnabled(!all);
        EditorChanged();
    });
    connect(ConditionList, &QListWidget::currentRowChanged, this, &TConditionEditor::RowChanged);
    connect(ToleranceSe, &QSpinBox::valueChanged, this, &TConditionEditor::Changed);
    connect(AddBt, &QPushButton::clicked, this, &TConditionEditor::AddBtClick);
    connect(RemoveBt, &QPushButton::clicked, this, &TConditionEditor::RemoveBtClick);
    connect(ClearBt, &QPushButton::clicked, this, &TConditionEditor::ClearBtClick);
    connect(UndoBt, &QPushButton::clicked, this, &TConditionEditor::UndoBtClick);
    KindChanged();
    RefreshList();
}

bool TConditionEditor::PatternsInUse() const {
    return KindCbb->currentIndex() == KindPatterns ||
           std::any_of(items_.begin(), items_.end(), [](const TReduceCondition& c) {
               return c.Kind == TConditionKind::Patterns;
           });
}

void TConditionEditor::RefreshPatternsLabel() {
    const std::vector<TPatternForm> chosen = chosen_ ? chosen_() : std::vector<TPatternForm>();
    double expected = 0;
    for (const TPatternForm& form : chosen) expected += PatternFormChance(form);
    PatternsLbl->setText(
        QStringLiteral("所选规律中以下一期为预测期的有 %1 个（在规律列表中选择；不选则用全部）。"
                       "所选 %1 个规律随机期望命中 %2 个：至少命中数高于它才会明显缩水。")
            .arg(chosen.size())
            .arg(expected, 0, 'f', 1));
}

void TConditionEditor::KindPicked() {
    const int kind = KindCbb->currentIndex();
    const int row = ConditionList->currentRow();
    const bool fromPad = row < 0 || row >= static_cast<int>(items_.size()) ||
                         items_[static_cast<size_t>(row)].Kind == TConditionKind::Position ||
                         items_[static_cast<size_t>(row)].Kind == TConditionKind::Kill;
    showing_ = true;
    if (kind == KindPosition || kind == KindKill) {
        // The pad stays as it is when it makes a condition of the new kind: 定位 C 47 becomes
        // 杀号 C 47. Otherwise 定位 allows every digit of a position, 杀号 kills the 0.
        uint16_t digits = 0;
        for (int d = 0; fromPad && d < 10; ++d)
            if (DigitBts[static_cast<size_t>(d)]->isChecked())
                digits = static_cast<uint16_t>(digits | (1u << d));
        if (kind == KindPosition) {
            if (PositionCbb->currentIndex() == ReduceDigitCount) PositionCbb->setCurrentIndex(0);
            if (digits == 0) digits = AllDigits;
        } else if (digits == 0 || digits == AllDigits) {
            digits = 1;
        }
        for (int d = 0; d < 10; ++d)
            DigitBts[static_cast<size_t>(d)]->setChecked((digits >> d) & 1u);
    } else if (kind >= KindFirstMetric && kind < KindPatterns) {
        // A metric starts with every value allowed (the whole range of a sum).
        if (RangeMetric(MetricOfKind(kind))) {
            LoSe->setValue(LoSe->minimum());
            HiSe->setValue(HiSe->maximum());
        } else {
            for (QCheckBox* box : CategoryChks) box->setChecked(true);
        }
    }
    showing_ = false;
}

void TConditionEditor::KindChanged() {
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
        connect(box, &QCheckBox::toggled, this, &TConditionEditor::EditorChanged);
        CategoryChks.push_back(box);
    }
    KindPages->insertWidget(PageCategories, page);
    KindPages->removeWidget(old);
    old->deleteLater();
    KindPages->setCurrentIndex(PageCategories);
}

void TConditionEditor::ShowInEditor(const TReduceCondition& c) {
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

std::optional<TReduceCondition> TConditionEditor::EditorCondition(QString& problem) const {
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

void TConditionEditor::EditorChanged() {
    if (showing_) return;
    QString problem;
    auto condition = EditorCondition(problem);
    EditorLbl->setText(problem);
    const int row = ConditionList->currentRow();
    if (!condition || row < 0 || row >= static_cast<int>(items_.size())) return;
    condition->Line = items_[static_cast<size_t>(row)].Line;
    if (items_[static_cast<size_t>(row)] == *condition) return;
    std::vector<TReduceCondition> items = items_;
    items[static_cast<size_t>(row)] = *condition;
    Commit(std::move(items), row);
}

void TConditionEditor::Remember() {
    undo_.push_back(Conditions());
    if (undo_.size() > UndoSteps) undo_.erase(undo_.begin());
}

void TConditionEditor::Commit(std::vector<TReduceCondition> items, int row) {
    Remember();
    items_ = std::move(items);
    RefreshList();
    const QSignalBlocker block(ConditionList);  // the editor shows the new row already
    ConditionList->setCurrentRow(std::min(row, static_cast<int>(items_.size()) - 1));
    RemoveBt->setEnabled(ConditionList->currentRow() >= 0);
}

void TConditionEditor::UndoBtClick() {
    if (undo_.empty()) return;
    const TReduceSet before = undo_.back();
    undo_.pop_back();
    const int row = std::max(0, ConditionList->currentRow());
    items_ = before.Items;
    {
        const QSignalBlocker block(ToleranceSe);
        ToleranceSe->setRange(0, std::max(0, static_cast<int>(items_.size()) - 1));
        ToleranceSe->setValue(before.Tolerance);
    }
    RefreshList();
    {
        const QSignalBlocker block(ConditionList);
        ConditionList->setCurrentRow(std::min(row, static_cast<int>(items_.size()) - 1));
    }
    RowChanged();
}

void TConditionEditor::RowChanged() {
    const int row = ConditionList->currentRow();
    RemoveBt->setEnabled(row >= 0);
    if (row >= 0 && row < static_cast<int>(items_.size()))
        ShowInEditor(items_[static_cast<size_t>(row)]);
}

void TConditionEditor::AddBtClick() {
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
    std::vector<TReduceCondition> items = items_;
    items.push_back(*condition);
    const int row = static_cast<int>(items.size()) - 1;
    Commit(std::move(items), row);
    ShowInEditor(items_.back());
}

void TConditionEditor::RemoveBtClick() {
    const int row = ConditionList->currentRow();
    if (row < 0 || row >= static_cast<int>(items_.size())) return;
    std::vector<TReduceCondition> items = items_;
    items.erase(items.begin() + row);
    Commit(std::move(items), row);
    RowChanged();
}

void TConditionEditor::ClearBtClick() {
    if (items_.empty() ||
        prompts_.Ask(this, QStringLiteral("清空全部条件？"), QMessageBox::Yes | QMessageBox::No,
                     QMessageBox::No) != QMessageBox::Yes)
        return;
    Commit({}, -1);
}

TReduceSet TConditionEditor::Conditions() const {
    TReduceSet set;
    set.Items = items_;
    set.Tolerance = ToleranceSe->value();
    return set;
}

void TConditionEditor::SetConditions(const TReduceSet& set) {
    Remember();
    items_ = set.Items;
    RefreshList();
    ToleranceSe->setValue(set.Tolerance);
    ConditionList->setCurrentRow(items_.empty() ? -1 : 0);
}

void TConditionEditor::RefreshList() {
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
    UndoBt->setEnabled(!undo_.empty());
    {
        const QSignalBlocker block(ToleranceSe);
        ToleranceSe->setRange(0, std::max(0, static_cast<int>(items_.size()) - 1));
    }
    emit Changed();
}
