#include "stats/ui/StatMgr.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "search/Gui2RegMgr.h"
#include "stats/paint/GraphPillarPaint.h"
#include "stats/ui/GraphPillar.h"
#include "ui/Hints.h"
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

QAction* MakeButton(QToolBar* bar, const char* name, const QString& text, const QString& hint) {
    auto* action = bar->addAction(text);
    action->setObjectName(QString::fromUtf8(name));
    ApplyHint(*action, hint);
    if (QWidget* button = bar->widgetForAction(action)) {
        button->setObjectName(QString::fromUtf8(name) + QStringLiteral("Button"));
        button->setFixedWidth(ButtonWidth);
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

}  // namespace

TStatForm::TStatForm(QWidget* parent, TPrompts* prompts)
    : QWidget(parent, Qt::Window), prompts_(prompts) {
    setObjectName(QStringLiteral("StatForm"));
    setWindowTitle(QStringLiteral("规律统计分析"));
    setFont(SongFont());
    resize(ClientWidth, ClientHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    StatTbr = new QToolBar(this);
    StatTbr->setObjectName(QStringLiteral("StatTbr"));
    StatTbr->setFixedHeight(ToolBarHeight);
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
    StatTbrClose = MakeButton(StatTbr, "StatTbrClose", QStringLiteral("关闭退出"), QString());
    layout->addWidget(StatTbr);

    StatGrphScrollBox = new QScrollArea(this);
    StatGrphScrollBox->setObjectName(QStringLiteral("StatGrphScrollBox"));
    StatGrphScrollBox->setBackgroundRole(QPalette::Window);
    StatGrphScrollBox->setWidgetResizable(false);
    chartBox_ = new QWidget;
    chartBox_->setObjectName(QStringLiteral("StatGrphBox"));
    chartBox_->setAutoFillBackground(true);
    chartBox_->setBackgroundRole(QPalette::Window);
    chartBox_->resize(ChartLeft + ChartWidth, ChartTop);
    StatGrphScrollBox->setWidget(chartBox_);
    layout->addWidget(StatGrphScrollBox, 1);

    connect(StatTbrStat1, &QAction::triggered, this, &TStatForm::StatTbrStat1Click);
    connect(StatTbrStat2, &QAction::triggered, this, &TStatForm::StatTbrStat2Click);
    connect(StatTbrStat3, &QAction::triggered, this, &TStatForm::StatTbrStat3Click);
    connect(StatTbrClose, &QAction::triggered, this, &TStatForm::StatTbrCloseClick);
}

TStatForm::~TStatForm() {
    FreeCharts();
}

void TStatForm::OpenWindow() {
    if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
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

void TStatForm::FreeCharts() {
    for (TGraphPilarNet* chart : charts_) delete chart;
    charts_.clear();
}

void TStatForm::RunStat(TStatKind kind) {
    FreeCharts();
    const int32_t count = StatChartCount(kind);
    std::vector<TStatTally> tallies = regMgr_ ? RunStatistic(kind, regMgr_->Patterns())
                                              : std::vector<TStatTally>(static_cast<size_t>(count));

    int boxWidth = ChartLeft + ChartWidth;
    for (int32_t k = 0; k < count; ++k) {
        auto* chart = new TGraphPilarNet(chartBox_, prompts_);
        chart->setObjectName(QStringLiteral("StatChart%1").arg(k + 1));
        chart->hide();
        chart->setGeometry(ChartLeft, ChartTop + k * ChartHeight, ChartWidth, ChartHeight);
        charts_.push_back(chart);

        const TStatTally& tally = tallies[static_cast<size_t>(k)];
        chart->SetDimensions(11, 2, ChartRowColors);
        for (int32_t c = 1; c <= 10; ++c)
            chart->SetValue(c, 1, std::to_string(tally.Slots[static_cast<size_t>(c)]));
        const int32_t maximum = tally.AxisMaximum();
        for (int32_t c = 1; c <= 10; ++c) chart->SetValue(c, 0, StatColumnLabel(kind, k, c - 1));

        TGraphPilarData& data = chart->Chart;
        data.Title = StatTitle(kind, k);
        data.BarWidth = 16;
        data.GroupGap = 18;
        data.StepHeight = chart->height() / 15;
        data.StepCount = 10;
        data.ValueScale =
            static_cast<float>(maximum) / static_cast<float>(data.StepHeight * data.StepCount);
        data.ShowGrid = true;
        MakeRoomForAxisLabels(*chart);
        boxWidth = std::max(boxWidth, chart->geometry().right() + 1);
        chart->show();
        chart->Relayout();
    }
    chartBox_->resize(boxWidth, ChartTop + count * ChartHeight);
    // A new run starts at its first chart.
    StatGrphScrollBox->verticalScrollBar()->setValue(0);
    StatGrphScrollBox->horizontalScrollBar()->setValue(0);
}
