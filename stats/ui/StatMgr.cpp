#include "stats/ui/StatMgr.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "search/Gui2RegMgr.h"
#include "stats/paint/GraphPillarPaint.h"
#include "stats/ui/GraphPillar.h"
#include "ui/DocumentFeed.h"
#include "ui/Hints.h"
#include "ui/WindowPlacement.h"
#include "view/paint/PaintBasics.h"

namespace {

constexpr int ChartLeft = 10;
constexpr int ChartTop = 10;
constexpr int ChartWidth = 610;
constexpr int ChartHeight = 200;
constexpr int ClientWidth = 652;
constexpr int ClientHeight = 374;
constexpr int ToolBarHeight = 27;
constexpr int ButtonWidth = 63;

const std::vector<TArgb> ChartRowColors = {ColorToArgb(0, 0, 255), ColorToArgb(255, 98, 84)};
// Hit counts: the patterns with a known coming draw, then those that hit.
const std::vector<TArgb> HitRowColors = {ColorToArgb(0, 0, 255), ColorToArgb(150, 170, 255),
                                         ColorToArgb(255, 98, 84)};
const QString HitLegend = QStringLiteral(
    "只统计预测的那一期已经开出的规律。浅蓝柱：预测了这个数字的规律数；红柱：开出这个数字而命中的"
    "规律数；绿线：随机开奖时平均会在这个数字上命中的规律数。");
// What the bars of the pattern counts are, and what they are not.
const QString CountLegend = QStringLiteral(
    "柱高是预测了这个数字的规律个数：明对规律预测一对数字（如A=3或8），两个数字都计入。"
    "个数多不等于更可能开出：随机开奖时每个规律命中的机会都是20%（明对）或10%（全明、全对），"
    "要看规律是否胜过随机，请用“规律回测”（Ctrl+B）。");

constexpr int PlotSteps = 10;  // the plot is ten fifteenths of the chart's height
constexpr int MaxColumns = 2;
constexpr int ValueTextRoom = 18;  // a bar's value text and its gap above the bar

// A tool button drawn as a raised button, not as flat text.
QAction* MakeButton(QToolBar* bar, const char* name, const QString& text, const QString& hint) {
    auto* action = bar->addAction(text);
    action->setObjectName(QString::fromUtf8(name));
    ApplyHint(*action, hint);
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
        button->setObjectName(QString::fromUtf8(name) + QStringLiteral("Button"));
        button->setMinimumWidth(ButtonWidth);
        button->setAutoRaise(false);
        button->setCursor(Qt::PointingHandCursor);
    }
    return action;
}

// Counts of four digits and more make value-axis labels wider than the room left of the plot;
// the plot then moves right (and the chart grows) so that no label is cut off.
void MakeRoomForAxisLabels(TGraphPilarNet& chart) {
    TGraphPilarData& data = chart.Chart;
    const int32_t width = AxisLabelWidth(data, chart.font());
    // A label box spans PlotOrigin.X - 25 to - 10: a label centred in it fits while it is at
    // most 2 * PlotOrigin.X - 35 wide. A wider one ends 5 pixels left of the plot (see the
    // painting), so it needs its width plus 7 pixels.
    if (width <= 2 * data.PlotOrigin.X - 35) return;
    const int32_t needed = std::max(data.PlotOrigin.X, width + 7);
    const int32_t shift = needed - data.PlotOrigin.X;
    data.PlotOrigin.X = needed;
    chart.resize(chart.width() + shift, chart.height());
}

// Bars at least as wide as their widest value text, so that the texts over neighbouring bars
// never run together ("231" beside "231"); the gaps give up what the bars take, and the chart
// grows when that is not enough.
void WidenBarsForValues(TGraphPilarNet& chart) {
    TGraphPilarData& data = chart.Chart;
    const int32_t before =
        data.PlotOrigin.X +
        (data.FDynRowCount * data.BarWidth + 2 * data.GroupGap) * data.FDynColCount +
        2 * data.GroupGap;
    const int32_t widest = ValueTextWidth(data, chart.font()) + 2;
    if (widest <= data.BarWidth) return;
    const int32_t group = data.FDynRowCount * data.BarWidth + 2 * data.GroupGap;
    data.BarWidth = widest;
    data.GroupGap = std::max(3, (group - data.FDynRowCount * widest) / 2);
    const int32_t after =
        data.PlotOrigin.X +
        (data.FDynRowCount * data.BarWidth + 2 * data.GroupGap) * data.FDynColCount +
        2 * data.GroupGap;
    if (after > before) chart.resize(chart.width() + after - before, chart.height());
}

}  // namespace

TStatForm::TStatForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& document)
    : QWidget(parent, Qt::Window), document_(document), prompts_(prompts) {
    setObjectName(QStringLiteral("StatForm"));
    setWindowTitle(QStringLiteral("规律统计分析"));
    setFont(SongFont());
    resize(ClientWidth, ClientHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    StatTbr = new QToolBar(this);
    StatTbr->setObjectName(QStringLiteral("StatTbr"));
    StatTbr->setMinimumHeight(ToolBarHeight);
    StatTbr->setMovable(false);
    StatTbr->setFloatable(false);
    StatTbr->setToolButtonStyle(Qt::ToolButtonTextOnly);
    StatTbrStat1 = MakeButton(StatTbr, "StatTbrStat1", QStringLiteral("定位定数"),
                              QStringLiteral("单位规律|统计"));
    StatTbrStat2 = MakeButton(StatTbr, "StatTbrStat2", QStringLiteral("两位合分"),
                              QStringLiteral("两位规律|统计"));
    StatTbrStat3 = MakeButton(StatTbr, "StatTbrStat3", QStringLiteral("两数差分"),
                              QStringLiteral("三位规律|统计"));
    StatTbr->addSeparator();
    StatTbrHits = MakeButton(StatTbr, "StatTbrHits", QStringLiteral("命中统计"),
                             QStringLiteral("命中统计|统计预测的那一期已经开出的规律有多少命中，"
                                            "并与随机水平比较"));
    StatTbrHits->setCheckable(true);
    StatTbr->addSeparator();
    StatTbrClose = MakeButton(StatTbr, "StatTbrClose", QStringLiteral("关闭退出"), QString());
    // The button of the statistic shown stays pressed.
    statGroup_ = new QActionGroup(this);
    for (QAction* stat : {StatTbrStat1, StatTbrStat2, StatTbrStat3}) {
        stat->setCheckable(true);
        statGroup_->addAction(stat);
    }
    StatTbrStat1->setChecked(true);
    layout->addWidget(StatTbr);

    StatHintLbl = new QLabel(this);
    StatHintLbl->setObjectName(QStringLiteral("StatHintLbl"));
    StatHintLbl->setWordWrap(true);
    StatHintLbl->setContentsMargins(ChartLeft, ChartTop, ChartLeft, ChartTop);
    StatHintLbl->setAutoFillBackground(true);
    StatHintLbl->setBackgroundRole(QPalette::Base);
    StatHintLbl->hide();
    layout->addWidget(StatHintLbl);

    StatGrphScrollBox = new QScrollArea(this);
    StatGrphScrollBox->setObjectName(QStringLiteral("StatGrphScrollBox"));
    StatGrphScrollBox->setBackgroundRole(QPalette::Base);
    StatGrphScrollBox->setWidgetResizable(false);
    chartBox_ = new QWidget;
    chartBox_->setObjectName(QStringLiteral("StatGrphBox"));
    chartBox_->setAutoFillBackground(true);
    chartBox_->setBackgroundRole(QPalette::Base);
    chartBox_->resize(ChartLeft + ChartWidth, ChartTop);
    StatGrphScrollBox->setWidget(chartBox_);
    StatGrphScrollBox->viewport()->installEventFilter(this);
    layout->addWidget(StatGrphScrollBox, 1);

    connect(StatTbrStat1, &QAction::triggered, this, &TStatForm::StatTbrStat1Click);
    connect(StatTbrStat2, &QAction::triggered, this, &TStatForm::StatTbrStat2Click);
    connect(StatTbrStat3, &QAction::triggered, this, &TStatForm::StatTbrStat3Click);
    connect(StatTbrClose, &QAction::triggered, this, &TStatForm::StatTbrCloseClick);
    connect(StatTbrHits, &QAction::toggled, this, [this] { RunStat(chosen_); });
    connect(&document_, &TDocumentFeed::DrawsChanged, this, &TStatForm::DrawsChanged);
}

TStatForm::~TStatForm() {
    FreeCharts();
}

const TGui2RegMgr* TStatForm::RegMgr() const {
    return &document_.View().Patterns();
}

void TStatForm::OpenWindow() {
    const bool wasVisible = isVisible();
    if (!placed_) {
        placed_ = true;
        RefreshIfOutOfDate();  // the size follows the charts
        CentreOnScreen(*this);
    }
    show();
    if (isMinimized()) showNormal();
    if (wasVisible) RefreshIfOutOfDate();  // no show event
    raise();
    activateWindow();
}

bool TStatForm::RefreshIfOutOfDate() {
    if (ran_ && !drawsStale_ && ranRevision_ == RegMgr()->Revision()) return false;
    RunStat(chosen_);
    return true;
}

void TStatForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RefreshIfOutOfDate();
}

void TStatForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Patterns found or deleted while the window stood open behind the main window.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) RefreshIfOutOfDate();
}

bool TStatForm::eventFilter(QObject* watched, QEvent* event) {
    // The charts flow into the columns the view's width holds.
    if (watched == StatGrphScrollBox->viewport() && event->type() == QEvent::Resize) {
        const int columns = ColumnsThatFit(StatGrphScrollBox->viewport()->width());
        if (columns != columns_) ArrangeCharts(columns);
    }
    return QWidget::eventFilter(watched, event);
}

void TStatForm::StatTbrStat1Click() {
    RunStat(skFixedDigit);
}

void TStatForm::StatTbrStat2Click() {
    RunStat(skPairSum);
}

void TStatForm::StatTbrStat3Click() {
    RunStat(skPairDiff);
}

void TStatForm::StatTbrCloseClick() {
    hide();
}

void TStatForm::DrawsChanged() {
    if (!StatTbrHits->isChecked()) return;  // the pattern counts do not read the draws
    drawsStale_ = true;
    if (isVisible()) RefreshIfOutOfDate();
}

void TStatForm::FreeCharts() {
    for (TGraphPilarNet* chart : charts_) delete chart;
    charts_.clear();
}

void TStatForm::RunStat(TStatKind kind) {
    FreeCharts();
    chosen_ = kind;
    ran_ = true;
    const TGui2RegMgr& patterns = document_.View().Patterns();
    ranRevision_ = patterns.Revision();
    drawsStale_ = false;
    const QList<QAction*> stats = statGroup_->actions();
    stats[static_cast<int>(kind)]->setChecked(true);

    int32_t count = StatChartCount(kind);
    const bool countHits = StatTbrHits->isChecked();
    std::vector<TStatTally> tallies = RunStatistic(kind, patterns.Patterns());
    std::string why = StatEmptyReason(kind, patterns.Patterns().size(), tallies);
    std::vector<THitTally> hits(static_cast<size_t>(count));
    if (countHits && why.empty()) {
        hits = RunHitStatistic(kind, patterns.Patterns(), document_.View().Draws(),
                               patterns.SearchDraws());
        why = HitEmptyReason(kind, hits);
        // The bars' heights: the patterns the hits are counted of.
        for (size_t k = 0; k < hits.size(); ++k) tallies[k].Slots = hits[k].Patterns;
    }
    StatHintLbl->setText(!why.empty() ? QString::fromStdString(why)
                         : countHits  ? HitLegend
                                      : CountLegend);
    StatHintLbl->setVisible(!StatHintLbl->text().isEmpty());
    if (!why.empty()) count = 0;  // no charts of zeros

    const int32_t labelSpacing = AxisLabelSpacing(font());
    for (int32_t k = 0; k < count; ++k) {
        auto* chart = new TGraphPilarNet(chartBox_, prompts_);
        chart->setObjectName(QStringLiteral("StatChart%1").arg(k + 1));
        chart->hide();
        chart->resize(ChartWidth, ChartHeight);
        charts_.push_back(chart);

        const TStatTally& tally = tallies[static_cast<size_t>(k)];
        chart->SetDimensions(11, countHits ? 3 : 2, countHits ? HitRowColors : ChartRowColors);
        for (int32_t c = 1; c <= 10; ++c)
            chart->SetValue(c, 1, std::to_string(tally.Slots[static_cast<size_t>(c)]));
        for (int32_t c = 1; c <= 10; ++c) chart->SetValue(c, 0, StatColumnLabel(kind, k, c - 1));
        if (countHits) {
            const THitTally& hit = hits[static_cast<size_t>(k)];
            for (int32_t c = 1; c <= 10; ++c)
                chart->SetValue(c, 2, std::to_string(hit.Hits[static_cast<size_t>(c)]));
            chart->Chart.Marks.assign(hit.Chance.begin(), hit.Chance.end());
            for (size_t c = 1; c < hit.Patterns.size(); ++c)
                if (hit.Patterns[c] == 0) chart->Chart.Marks[c] = -1;  // nothing to compare
            chart->Chart.MarkRow = 2;
        }

        // Labels on a 1-2-5 step, far enough apart never to touch, up to the rounded maximum.
        TGraphPilarData& data = chart->Chart;
        // The top leaves room above the tallest bar for its value.
        const int32_t plotHeight = chart->height() / 15 * PlotSteps;
        const int64_t tallest = *std::max_element(tally.Slots.begin() + 1, tally.Slots.end());
        const int64_t room = std::max(plotHeight - ValueTextRoom, 1);
        const int64_t covered = (tallest * plotHeight + room - 1) / room;
        const TValueAxis axis = NiceValueAxis(std::max<int64_t>(tally.AxisMaximum(), covered),
                                              plotHeight, labelSpacing);
        const std::string chance = StatChanceText(tally);
        data.Title =
            StatTitle(kind, k) + (countHits ? " 命中" : "") + (chance.empty() ? "" : "  " + chance);
        data.BarWidth = countHits ? 14 : 16;  // two bars a digit in the same width
        data.GroupGap = countHits ? 8 : 18;
        WidenBarsForValues(*chart);
        data.StepHeight = axis.StepHeight;
        data.StepCount = axis.StepCount;
        data.ValueScale = axis.ValueScale;
        data.LabelStep = axis.Step;
        data.ShowGrid = true;
        MakeRoomForAxisLabels(*chart);
        chart->show();
        chart->Relayout();
    }
    FitToCharts();
    // A new run starts at its first chart.
    StatGrphScrollBox->verticalScrollBar()->setValue(0);
    StatGrphScrollBox->horizontalScrollBar()->setValue(0);
}

int TStatForm::ColumnsThatFit(int width) const {
    int chartWidth = ChartWidth;
    for (const TGraphPilarNet* chart : charts_) chartWidth = std::max(chartWidth, chart->width());
    return std::clamp((width - ChartLeft) / (chartWidth + ChartLeft), 1, MaxColumns);
}

void TStatForm::ArrangeCharts(int columns) {
    columns_ = std::max(columns, 1);
    int cellWidth = ChartWidth;
    for (const TGraphPilarNet* chart : charts_) cellWidth = std::max(cellWidth, chart->width());
    int right = ChartLeft + ChartWidth;
    int bottom = ChartTop;
    for (size_t k = 0; k < charts_.size(); ++k) {
        const int column = static_cast<int>(k) % columns_;
        const int row = static_cast<int>(k) / columns_;
        TGraphPilarNet* chart = charts_[k];
        chart->move(ChartLeft + column * (cellWidth + ChartLeft), ChartTop + row * ChartHeight);
        right = std::max(right, chart->geometry().right() + 1);
        bottom = std::max(bottom, chart->geometry().bottom() + 1);
    }
    chartBox_->resize(right + ChartLeft, bottom + ChartTop);
}

void TStatForm::FitToCharts() {
    // The window is fitted to the charts when it opens; after that it keeps its size (the
    // user's), and each run arranges its charts in it and scrolls.
    if (isVisible()) {
        ArrangeCharts(ColumnsThatFit(StatGrphScrollBox->viewport()->width()));
        return;
    }
    const QScreen* screen =
        QWidget::screen() ? QWidget::screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // The window frame and the scroll box's own frame and bars.
    const int frameWidth = frameGeometry().width() - width() + 2 * StatGrphScrollBox->frameWidth();
    const int frameHeight =
        frameGeometry().height() - height() + 2 * StatGrphScrollBox->frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    ArrangeCharts(ColumnsThatFit(available.width() - frameWidth - bar));
    const int toolBar = StatTbr->sizeHint().height();
    const int hint = StatHintLbl->isHidden() ? 0 : StatHintLbl->heightForWidth(ClientWidth);
    QSize wanted(std::max(ClientWidth, chartBox_->width() + 2 * StatGrphScrollBox->frameWidth()),
                 toolBar + hint + chartBox_->height() + 2 * StatGrphScrollBox->frameWidth());
    wanted = wanted.expandedTo(QSize(ClientWidth, ClientHeight));
    const QSize room(available.width() - frameWidth, available.height() - frameHeight);
    // Too tall for the screen: the charts scroll, and the vertical bar takes its width.
    if (wanted.height() > room.height()) wanted.rwidth() += bar;
    resize(wanted.boundedTo(room));
}
