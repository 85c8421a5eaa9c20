#include "app/analysis/TrendForm.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/analysis/ShapeTab.h"
#include "data/Error.h"
#include "stats/ui/ShapeBarsView.h"
#include "stats/ui/TrendChartView.h"
#include "ui/DocumentFeed.h"
#include "ui/Failure.h"
#include "ui/Prompts.h"
#include "ui/WidgetBuild.h"
#include "ui/WindowPlacement.h"
#include "view/paint/PaintBasics.h"

namespace {

constexpr int32_t WindowChoices[] = {30, 50, 100, 200, 500, 0};
constexpr int DefaultChoice = 2;  // 100 draws

}  // namespace

TTrendForm::TTrendForm(QWidget* parent, TPrompts& prompts, TDocumentFeed& document)
    : QWidget(parent, Qt::Window), document_(document), prompts_(prompts) {
    setObjectName(QStringLiteral("TrendForm"));
    setWindowTitle(QStringLiteral("走势分析"));
    setFont(SongFont());

    TrendTabs = Named<QTabBar>("TrendTabs", this);
    for (int32_t p = 1; p <= TrendPositionCount; ++p)
        TrendTabs->addTab(QStringLiteral("%1位").arg(QLatin1Char(PositionLetters[p])));
    TrendTabs->addTab(QStringLiteral("前四和"));  // digits 1-4, as 形态 names it
    TrendTabs->addTab(QStringLiteral("形态"));
    ShapeTab = new TShapeTab(this);
    TrendTabs->setDrawBase(false);

    auto* windowLabel = new QLabel(QStringLiteral("最近期数"), this);
    TrendWindowCbb = Named<QComboBox>("TrendWindowCbb", this);
    for (int32_t choice : WindowChoices)
        TrendWindowCbb->addItem(choice > 0 ? QString::number(choice) : QStringLiteral("全部"),
                                choice);
    TrendWindowCbb->setCurrentIndex(DefaultChoice);
    windowLabel->setBuddy(TrendWindowCbb);

    TrendSaveBtn = NamedButton("TrendSaveBtn", QStringLiteral("保存图片"), this,
                               QStringLiteral("把走势图保存为PNG或GIF图片"));
    TrendCopyBtn = NamedButton("TrendCopyBtn", QStringLiteral("复制图片"), this,
                               QStringLiteral("把走势图复制到剪贴板"));
    TrendSaveBtn->setShortcut(QKeySequence::Save);
    TrendCopyBtn->setShortcut(QKeySequence::Copy);
    TrendInfoLbl = NamedLabel("TrendInfoLbl", this);
    StatusBar = Named<QStatusBar>("StatusBar", this);

    TrendChart = new TTrendChartView(this);
    TrendViews = new QStackedWidget(this);
    TrendViews->addWidget(TrendChart);
    TrendViews->addWidget(ShapeTab->ShapeBars);

    // The 形态 tab's choosers on a line of their own, shown with the tab.
    ShapeTab->Controls->setContentsMargins(6, 0, 6, 4);
    Column({Row({TrendTabs, TGap{12}, windowLabel, TrendWindowCbb, TGap{12}, TrendSaveBtn,
                 TrendCopyBtn, TStretch{}},
                {{6, 4, 6, 4}}),
            ShapeTab->Controls, TGrow{TrendViews}, Row({TrendInfoLbl}, {{6, 2, 6, 2}}), StatusBar},
           {{0, 0, 0, 0}, 0}, this);
    resize(TrendChart->sizeHint().width(), 720);

    connect(TrendTabs, &QTabBar::currentChanged, this, [this] { ShowPosition(); });
    connect(TrendWindowCbb, &QComboBox::currentIndexChanged, this, [this] { Recompute(); });
    connect(ShapeTab, &TShapeTab::Changed, this, [this] { ShowPosition(); });
    connect(TrendSaveBtn, &QPushButton::clicked, this, &TTrendForm::TrendSaveBtnClick);
    connect(TrendCopyBtn, &QPushButton::clicked, this, &TTrendForm::TrendCopyBtnClick);
    connect(&document_, &TDocumentFeed::DrawsChanged, this, &TTrendForm::DrawsChanged);
    Recompute();
}

TTrendForm::~TTrendForm() {
    TrendChart->SetChart(nullptr);
    ShapeTab->ShapeBars->SetChart(nullptr);
}

void TTrendForm::OpenWindow() {
    if (!placed_) {
        placed_ = true;
        CentreOnScreen(*this);
    }
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

int32_t TTrendForm::Position() const {
    const int tab = TrendTabs->currentIndex();
    return tab >= 0 && tab < TrendPositionCount ? tab + 1 : 0;
}

bool TTrendForm::ShowsShape() const {
    return TrendTabs->currentIndex() == TrendPositionCount + 1;
}

int32_t TTrendForm::WindowChoice() const {
    return TrendWindowCbb->currentData().toInt();
}

void TTrendForm::DrawsChanged() {
    stale_ = true;
    // A hidden window catches up when it is shown; typing into the grid then costs nothing.
    if (isVisible()) Recompute();
}

void TTrendForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) Recompute();
}

void TTrendForm::Recompute() {
    stale_ = false;
    const TCodes& draws = document_.View().Draws();
    stats_ = ComputeTrendStats(draws, LastDraws(draws.Count(), WindowChoice()));
    TrendInfoLbl->setText(
        QStringLiteral("共 %1 期，统计最近 %2 期").arg(draws.Count()).arg(stats_.Window.Length));
    ShowPosition();
}

void TTrendForm::ShowPosition() {
    const TDocumentView& document = document_.View();
    const TCodes& draws = document.Draws();
    const int32_t position = Position();
    omissions_ = position > 0 ? TOmissionTable(draws, stats_.Window, position) : TOmissionTable();
    TrendChart->SetChart(nullptr);
    const bool shape = ShowsShape();
    ShapeTab->Controls->setVisible(shape);
    if (shape) ShapeTab->Compute(draws, stats_.Window);
    input_.emplace(TTrendPaintInput{draws, stats_, shape ? ShapeTab->Omissions() : omissions_,
                                    position, document.IssueBase(), font(), palette(),
                                    shape ? &ShapeTab->Stats() : nullptr, &document.Register()});
    TrendChart->SetChart(&*input_);
    TrendViews->setCurrentIndex(shape && ShapeTab->ShowsBars() ? 1 : 0);
}

QImage TTrendForm::ChartPicture() const {
    if (!input_) return {};
    if (ShowsShape() && ShapeTab->ShowsBars()) return ShapeTab->BarsPicture();
    const int32_t length = stats_.Window.Length;
    int32_t first = 0;
    if (length > TrendPictureMaxRows)
        first = std::min(TrendChart->TopRow(), length - TrendPictureMaxRows);
    return PaintTrendPicture(*input_, first, std::min(length, TrendPictureMaxRows));
}

bool TTrendForm::SavePictureTo(const QString& path) {
    try {
        SaveTrendPicture(ChartPicture(), path);
        return true;
    } catch (const TError&) {
        ShowFailure(prompts_, this, std::current_exception());
        return false;
    }
}

void TTrendForm::TrendSaveBtnClick() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString chart =
        ShowsShape()     ? QStringLiteral("形态_") + QString::fromUtf8(ShapeTab->Metric().Name())
        : Position() > 0 ? QString(QLatin1Char(PositionLetters[Position()]))
                         : QStringLiteral("前四和");
    const QString name = QStringLiteral("走势图_%1_%2.png").arg(chart).arg(stats_.Window.Length);
    QString path =
        prompts_.SaveFileName(this, QStringLiteral("保存走势图"), QDir(folder).filePath(name),
                              QStringLiteral("PNG 图片 (*.png);;GIF 图片 (*.gif)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
    if (SavePictureTo(path))
        StatusBar->showMessage(
            QStringLiteral("图表已保存到 %1").arg(QDir::toNativeSeparators(path)));
}

void TTrendForm::TrendCopyBtnClick() {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setImage(ChartPicture());
}
