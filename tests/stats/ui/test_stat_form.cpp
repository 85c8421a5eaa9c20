#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <cmath>

#include "app/window/Application.h"
#include "app/window/Main.h"
#include "search/Gui2RegMgr.h"
#include "stats/paint/GraphPillarPaint.h"
#include "stats/ui/GraphPillar.h"
#include "stats/ui/StatMgr.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PatternFactory.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/StandaloneDocument.h"
#include "tests/support/TestPlatform.h"

namespace {

const QColor BarColor(255, 98, 84);

QStringList Titles(const TStatForm& form) {
    QStringList titles;
    for (const TGraphPilarNet* chart : form.Charts())
        titles << QString::fromStdString(chart->Chart.Title);
    return titles;
}

QStringList Row(const TGraphPilarNet& chart, int row) {
    QStringList cells;
    for (int c = 1; c <= 10; ++c) cells << QString::fromStdString(chart.GetValue(c, row));
    return cells;
}

// A pattern whose low line marks one column (and the high line another, when given).
std::unique_ptr<TGui2Reg> Forecast(int lowColumn, int lowDigit, int highColumn = -1,
                                   int highDigit = 0) {
    auto p = MakePattern(2, 2, 3);
    p->LineResults = {};
    p->SetPosition(0, lowColumn, true);
    p->SetResult(0, lowDigit);
    if (highColumn >= 0) p->SetPosition(1, highColumn, true);
    p->SetResult(1, highDigit);
    return p;
}

// Draws 0-19 as the search read them and draw 20, out since, with A=1, B=4: the document of
// those draws with patterns found on the first 20.
std::unique_ptr<TStandaloneDocument> SearchedThenDrawn(
    std::vector<std::unique_ptr<TGui2Reg>> patterns) {
    auto searched = std::make_shared<TCodes>();
    searched->SetCount(20);
    auto document = std::make_unique<TStandaloneDocument>();
    document->Draws.Assign(*searched);
    const int32_t coming = document->Draws.Add();
    document->Draws.SetNum(1, coming, 1);
    document->Draws.SetNum(2, coming, 4);
    TPatternSet set;
    set.SearchDraws = searched;
    set.Patterns = std::move(patterns);
    document->Patterns.SwapContents(set);
    return document;
}

// Rows of the bar colour in column x of the chart's picture.
int BarPixels(const QImage& image, int x) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) n += image.pixelColor(x, y) == BarColor;
    return n;
}

}  // namespace

class TestStatForm : public QObject {
    Q_OBJECT

  private:
    TMainWindowFixture fixture_;
    TScriptedPrompts::TLog& log_ = fixture_.Log;

  private slots:
    void init() { fixture_.Reset(); }

    void toolBarOffersAllThreeStatistics() {
        TStandaloneDocument document;
        TStatForm form(nullptr, fixture_.Prompts(), document.Feed);
        QStringList texts;
        for (QAction* a : form.StatTbr->actions())
            texts << (a->isSeparator() ? "|" : a->isVisible() ? a->text() : "hidden");
        QCOMPARE(texts, (QStringList{"定位定数", "两位合分", "两数差分", "|", "命中统计", "|",
                                     "关闭退出"}));
        QVERIFY(form.Charts().empty());
        // Raised buttons, not flat text; the statistic shown stays pressed.
        for (QToolButton* button : form.StatTbr->findChildren<QToolButton*>())
            if (button->defaultAction() && !button->defaultAction()->isSeparator())
                QVERIFY2(!button->autoRaise(), qPrintable(button->text()));
        form.StatTbrStat3->trigger();
        QVERIFY(form.StatTbrStat3->isChecked() && !form.StatTbrStat1->isChecked());
        QCOMPARE(form.ChosenStat(), skPairDiff);
    }

    void onePositionStatisticMakesFourCharts() {
        TStandaloneDocument document;
        TGui2RegMgr& manager = document.Patterns;
        for (int i = 0; i < 15; ++i) manager.Add(Forecast(2, 4));
        manager.Add(Forecast(1, 0));
        manager.Add(Forecast(5, 0));        // E: no chart
        manager.Add(Forecast(1, 9, 3, 2));  // both lines mark: no chart
        TStatForm form(nullptr, fixture_.Prompts(), document.Feed);
        form.StatTbrStat1->trigger();

        QCOMPARE(Titles(form), (QStringList{"定位定数 规律统计:A位  每个规律随机命中机会20%",
                                            "定位定数 规律统计:B位  每个规律随机命中机会20%",
                                            "定位定数 规律统计:C位", "定位定数 规律统计:D位"}));
        const auto& charts = form.Charts();
        const QRect box = form.StatGrphScrollBox->widget()->rect();
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(charts[k]->size(), QSize(610, 200));
            QVERIFY(charts[k]->isVisibleTo(&form));
            QVERIFY(box.contains(charts[k]->geometry()));
            for (int j = 0; j < k; ++j)
                QVERIFY(!charts[j]->geometry().intersects(charts[k]->geometry()));
        }
        QCOMPARE(Row(*charts[0], 1),
                 (QStringList{"1", "0", "0", "0", "0", "1", "0", "0", "0", "0"}));
        QCOMPARE(Row(*charts[1], 1),
                 (QStringList{"0", "0", "0", "0", "15", "0", "0", "0", "0", "15"}));
        QCOMPARE(Row(*charts[1], 0), (QStringList{"B=0", "B=1", "B=2", "B=3", "B=4", "B=5", "B=6",
                                                  "B=7", "B=8", "B=9"}));
        // Fifteen in the tallest column: the axis runs to 20 on a 1-2-5 step; otherwise to 10.
        const TGraphPilarData& b = charts[1]->Chart;
        QCOMPARE(b.AxisLabel(b.StepCount), std::string("20"));
        QVERIFY(b.LabelStep == 2 || b.LabelStep == 5);
        QCOMPARE(charts[0]->Chart.AxisLabel(charts[0]->Chart.StepCount), std::string("10"));
        QVERIFY(b.StepHeight >= AxisLabelSpacing(charts[1]->font()));

        // The picture: bar B=4 is as high as its scaled rectangle, an empty column has none.
        const QImage picture = charts[1]->grab().toImage();
        const TChartRect bar = b.ScaleBar(b.BarRect(5, 1));
        QVERIFY(bar.Bottom - bar.Top > 60);
        QCOMPARE(BarPixels(picture, 52 * 4 + 72), bar.Bottom - bar.Top - 2);  // inside the outline
        QCOMPARE(BarPixels(picture, 52 * 3 + 72), 0);
        QCOMPARE(picture.pixelColor(52 * 4 + 72, bar.Top + 20), BarColor);
        QVERIFY(picture.pixelColor(52 * 4 + 72, bar.Top - 20) != BarColor);
    }

    void eachRunReplacesTheChartsOfTheLastOne() {
        TStandaloneDocument document;
        TGui2RegMgr& manager = document.Patterns;
        manager.Add(Forecast(1, 3, 2, 8));
        manager.Add(Forecast(2, 3, 1, 8));                     // B low, A high: counted nowhere
        manager.Add(Forecast(1, 5));                           // 定位定数 A
        manager.Add(Forecast(3, 5))->SetPosition(0, 4, true);  // 两位合分 C+D
        TStatForm form(nullptr, fixture_.Prompts(), document.Feed);
        form.StatTbrStat3->trigger();
        QCOMPARE(form.Charts().size(), size_t{6});
        QCOMPARE(Titles(form).first(),
                 QStringLiteral("两位差分 规律统计:AB位差  每个规律随机命中机会20%"));
        // 明对 A-B = 3-8: -5, 0 or 5, that is 0 or 5 apart.
        QCOMPARE(Row(*form.Charts()[0], 1),
                 (QStringList{"1", "0", "0", "0", "0", "1", "0", "0", "0", "0"}));
        QCOMPARE(form.Charts()[5]->GetValue(10, 0), std::string("CD差9"));
        QPointer<TGraphPilarNet> old = form.Charts()[5];

        form.StatTbrStat1->trigger();
        QVERIFY(old.isNull());
        QCOMPARE(form.Charts().size(), size_t{4});
        QCOMPARE(form.findChildren<TGraphPilarNet*>().size(), 4);

        form.StatTbrStat2->trigger();
        QCOMPARE(form.findChildren<TGraphPilarNet*>().size(), 6);
        QCOMPARE(Titles(form).last(),
                 QStringLiteral("两位合分 规律统计:C+D位  每个规律随机命中机会20%"));
        QCOMPARE(form.Charts()[0]->GetValue(1, 0), std::string("A+B=0"));
    }

    void mainWindowOpensTheWindowWithChartsOfTheCurrentPatterns() {
        const auto mainWindow = fixture_.NewUnshownWindow();
        TMainForm& main = *mainWindow;
        main.RegMgr().Add(Forecast(4, 6));
        TStatForm* form = main.StatForm();
        QVERIFY(form && form->isHidden());
        main.RegMenuStatClick();
        QVERIFY(form->isVisible());
        QCOMPARE(form->RegMgr(), &main.RegMgr());
        // Opening runs the chosen statistic: 定位定数 at first.
        QCOMPARE(form->Charts().size(), size_t{4});
        QCOMPARE(form->Charts()[3]->GetValue(7, 1), std::string("1"));
        const QSize opened = form->size();  // one size for every statistic once it is open
        form->StatTbrStat2Click();
        form->StatTbrStat3Click();
        form->StatTbrStat2Click();
        QCOMPARE(form->size(), opened);
        form->StatTbrClose->trigger();
        QVERIFY(form->isHidden());
        const std::vector<TGraphPilarNet*> charts = form->Charts();
        main.RegMenuStatClick();  // nothing changed: the same charts
        QCOMPARE(form->Charts(), charts);
        form->StatTbrClose->trigger();

        main.RegMgr().Add(Forecast(4, 6));
        main.RegMgr().Add(Forecast(1, 2, -1, 0));
        main.RegMgr().Get(2).SetPosition(0, 2, true);  // A and B: counted by 两位合分
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_F8);
        QVERIFY(form->isVisible());
        QCOMPARE(main.StatForm(), form);
        QCOMPARE(form->ChosenStat(), skPairSum);  // the chosen statistic, run again
        QCOMPARE(form->Charts().size(), size_t{6});
        QCOMPARE(form->Charts()[0]->GetValue(3, 1), std::string("1"));

        // Patterns cleared while the window stands open: the next look says why it is empty.
        main.RegMgr().Clear();
        QVERIFY(form->RefreshIfOutOfDate());
        QVERIFY(form->Charts().empty());
        QVERIFY(form->StatHintLbl->isVisibleTo(form));
        QVERIFY(form->StatHintLbl->text().startsWith(QStringLiteral("还没有规律")));
        QVERIFY(!form->RefreshIfOutOfDate());
    }

    void hitCountsShowThePatternsWithAKnownDrawTheirHitsAndChance() {
        // Low line A+B of draw 20 against high line A+B of draw 19: 5 against 0.
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        for (int i = 0; i < 3; ++i) patterns.push_back(Forecast(2, 4));  // 明对: hit
        patterns.push_back(Forecast(2, 4));
        patterns.back()->ContrastKind = 1;  // 全明: miss
        patterns.push_back(Forecast(1, 0));
        patterns.back()->BaseRow = 21;  // its draw is not out yet: not counted
        const auto owned = SearchedThenDrawn(std::move(patterns));
        TStandaloneDocument& document = *owned;
        TStatForm form(nullptr, fixture_.Prompts(), document.Feed);
        form.StatTbrStat1Click();
        // Counting patterns: the 明对 A=0 is there under both digits of its pair, and every
        // chart says what chance gives a pattern.
        QCOMPARE(Row(*form.Charts()[0], 1),
                 (QStringList{"1", "0", "0", "0", "0", "1", "0", "0", "0", "0"}));
        QCOMPARE(Row(*form.Charts()[1], 1),
                 (QStringList{"0", "0", "0", "0", "4", "0", "0", "0", "0", "3"}));
        QVERIFY(Titles(form)[0].endsWith(QStringLiteral("每个规律随机命中机会20%")));
        QVERIFY(Titles(form)[1].endsWith(QStringLiteral("明对规律20%，全明、全对规律10%")));
        QVERIFY(form.StatHintLbl->text().contains(QStringLiteral("两个数字都计入")));

        form.StatTbrHits->trigger();
        QCOMPARE(form.Charts().size(), size_t{4});
        const TGraphPilarNet& b = *form.Charts()[1];
        QCOMPARE(Row(b, 1), (QStringList{"0", "0", "0", "0", "4", "0", "0", "0", "0", "3"}));
        // The hits stand on the digit drawn (B=4), never on the pair's other digit.
        QCOMPARE(Row(b, 2), (QStringList{"0", "0", "0", "0", "3", "0", "0", "0", "0", "0"}));
        QCOMPARE(Row(*form.Charts()[0], 1)[0], "0");
        // Chance of a hit with B=4: 1 in 10 for each pattern, of the 明对's 2 in 10 half at 9.
        QVERIFY(std::abs(b.Chart.Marks[5] - 0.4) < 1e-9);
        QVERIFY(std::abs(b.Chart.Marks[10] - 0.3) < 1e-9);
        const TChartRect mark = b.Chart.MarkRect(5);
        const TChartRect hits = b.Chart.ScaleBar(b.Chart.BarRect(5, 2));
        QVERIFY(mark.Left < hits.Left && mark.Right > hits.Right);
        QVERIFY(mark.Top > hits.Top && mark.Top <= hits.Bottom);
        QVERIFY(form.StatHintLbl->text().contains(QStringLiteral("随机")));
        form.show();
        QVERIFY(SaveScreenshot(form, QStringLiteral("statistics-hits.png")));

        // An old draw edited: no verdict holds, nothing is counted, and the window says why.
        document.Draws.SetNum(3, 5, 8);
        emit document.Feed.DrawsChanged();
        QVERIFY(form.Charts().empty());
        QVERIFY(form.StatHintLbl->text().contains(QStringLiteral("没有改变")));
        form.StatTbrHits->trigger();
        QCOMPARE(Row(*form.Charts()[1], 1)[4], "4");
        QVERIFY(form.StatHintLbl->text().contains(QStringLiteral("两个数字都计入")));
    }

    // Two bars of three-digit counts side by side: their value texts keep apart.
    void hitValueTextsNeverRunTogether() {
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        for (int i = 0; i < 231; ++i) patterns.push_back(Forecast(2, 4));
        const auto document = SearchedThenDrawn(std::move(patterns));
        TStatForm form(nullptr, fixture_.Prompts(), document->Feed);
        form.StatTbrStat1Click();
        form.StatTbrHits->trigger();
        const TGraphPilarNet& b = *form.Charts()[1];
        QCOMPARE(Row(b, 1)[4], "231");
        QCOMPARE(Row(b, 2)[4], "231");
        const QFontMetrics metrics(ChartTextFont(b.font(), false));
        // Each value text centred over its bar, as painted; neighbours must not overlap.
        int previousRight = -1000;
        for (int c = 1; c <= 10; ++c) {
            for (int r = 1; r <= 2; ++r) {
                const TChartRect box =
                    b.Chart.ValueTextRect(b.Chart.ScaleBar(b.Chart.BarRect(c, r)));
                const int width =
                    metrics.horizontalAdvance(QString::fromStdString(b.GetValue(c, r)));
                const TChartPoint at = CenteredTextOrigin(box, width, metrics.height());
                QVERIFY2(at.X >= previousRight, qPrintable(QStringLiteral("column %1").arg(c)));
                previousRight = at.X + width;
            }
        }
        QVERIFY(b.Chart.PlotRect.Right + 15 <= b.width());
        form.show();
        QVERIFY(SaveScreenshot(form, QStringLiteral("statistics-hits-wide-values.png")));
    }

    void aStatisticThatCountsNothingSaysWhy() {
        TStandaloneDocument document;
        TGui2RegMgr& manager = document.Patterns;
        manager.Add(Forecast(1, 3));  // one low mark, nothing on the high line
        TStatForm form(nullptr, fixture_.Prompts(), document.Feed);
        form.StatTbrStat3Click();
        QVERIFY(form.Charts().empty());
        QVERIFY(form.StatHintLbl->isVisibleTo(&form));
        QVERIFY(form.StatHintLbl->text().contains(QStringLiteral("现有的1条规律中没有这样的规律")));
        form.StatTbrStat1Click();
        QVERIFY(form.StatHintLbl->text().contains(QStringLiteral("两个数字都计入")));
        QCOMPARE(form.Charts().size(), size_t{4});
    }

    void chartReportsOutOfRangeCellsThroughThePrompts() {
        TScriptedPrompts prompts(log_);
        QWidget parent;
        auto* chart = new TGraphPilarNet(&parent, prompts);
        chart->SetDimensions(11, 2, {});
        chart->SetValue(10, 1, "3");
        QVERIFY(log_.Messages.isEmpty());
        chart->SetValue(11, 1, "3");
        QCOMPARE(chart->GetValue(3, 2), std::string());
        QCOMPARE(log_.Messages,
                 (QStringList{"SetValue x>=FDynColCount ", "GetValue x>=FDynRowCount "}));
        parent.show();
        int changes = 0;
        chart->OnChanged = [&](TGraphPilarNet* c) { changes += c == chart; };
        chart->resize(300, 150);  // the resize handler lays out again
        QCOMPARE(changes, 1);
        chart->Relayout();
        QCOMPARE(changes, 2);
    }

    void chartWithoutAGridPaintsOnlyTheAxesAndTheBars() {
        TScriptedPrompts prompts(log_);
        QWidget parent;
        auto* chart = new TGraphPilarNet(&parent, prompts);
        chart->setGeometry(0, 0, 610, 200);
        const QColor background = chart->palette().color(QPalette::Base);
        QVERIFY(background != chart->palette().color(QPalette::Window));
        QImage empty = chart->grab().toImage();  // no rows: nothing but the background
        QCOMPARE(empty.pixelColor(40, 100), background);
        QCOMPARE(empty.pixelColor(300, 160), background);

        chart->SetDimensions(11, 2, {ColorToArgb(0, 0, 255), ColorToArgb(255, 98, 84)});
        chart->SetValue(1, 1, "abc");  // no number: no bar
        chart->SetValue(3, 1, "40");
        chart->Chart.ValueScale = 1.0f;
        chart->Chart.StepHeight = 13;
        chart->Chart.StepCount = 10;
        chart->Chart.ShowGrid = false;
        chart->Relayout();
        const QImage picture = chart->grab().toImage();
        QVERIFY(log_.Messages.isEmpty());
        // Default geometry: the bar of column c spans x 30 (c - 1) + 50 to + 60.
        QCOMPARE(BarPixels(picture, 55), 0);
        QCOMPARE(BarPixels(picture, 115), 40 - 2);
        // No frame or grid lines: the plot's right edge and a grid row stay background.
        const QColor gridColor(128, 128, 0);
        for (int y = 40; y < 150; ++y)
            QVERIFY(picture.pixelColor(chart->Chart.PlotRect.Right - 1, y) != gridColor);
        QCOMPARE(picture.pixelColor(310, chart->Chart.AxisY(5)), background);
        // The axes are still drawn.
        QCOMPARE(picture.pixelColor(30, 100), QColor(Qt::black));
    }

    void wideCountsMoveThePlotSoNoAxisLabelIsCut() {
        TStandaloneDocument document;
        TGui2RegMgr& manager = document.Patterns;
        for (int i = 0; i < 8000; ++i) manager.Add(Forecast(3, 5));
        manager.Add(Forecast(4, 0));
        TStatForm form(nullptr, fixture_.Prompts(), document.Feed);
        form.resize(900, 900);
        form.StatTbrStat1Click();
        TGraphPilarNet& chart = *form.Charts()[2];
        QVERIFY(std::stoll(chart.Chart.AxisLabel(chart.Chart.StepCount)) >= 8000);
        QVERIFY(chart.Chart.PlotOrigin.X > 30);
        QCOMPARE(chart.width(), 610 + chart.Chart.PlotOrigin.X - 30);
        QCOMPARE(form.Charts()[3]->Chart.PlotOrigin.X, 30);  // labels up to 10 fit as they are
        QVERIFY(form.StatGrphScrollBox->widget()->rect().contains(chart.geometry()));
        // Nothing is painted in the chart's first column: no label starts left of the control.
        const QImage picture = chart.grab().toImage();
        const QColor background = chart.palette().color(QPalette::Base);
        for (int y = 0; y < picture.height(); ++y) QCOMPARE(picture.pixelColor(0, y), background);
        QVERIFY(SaveScreenshot(form, QStringLiteral("statistics-wide-counts.png")));
    }

    // A real search on generated draws, then the statistics window as the user sees it.
    void screenshotsAfterARealSearch() {
        QFile draws(fixture_.FilePath("draws.txt"));
        QVERIFY(draws.open(QIODevice::WriteOnly));
        draws.write(QByteArray::fromStdString(RandomDrawFile(2026, 80)));
        draws.close();
        const auto mainWindow = fixture_.NewUnshownWindow();
        TMainForm& main = *mainWindow;
        main.ImportDrawFile(fixture_.FilePath("draws.txt"));
        main.RegMenuSearchClick();
        QTRY_VERIFY_WITH_TIMEOUT(!main.RegMgr().Running(), 120000);
        QTRY_VERIFY(main.RegMgr().Count() > 0);

        main.RegMenuStatClick();
        TStatForm* form = main.StatForm();
        form->StatTbrStat1Click();
        int counted = 0;
        for (const TGraphPilarNet* chart : form->Charts())
            for (int c = 1; c <= 10; ++c) counted += std::stoi(chart->GetValue(c, 1));
        QVERIFY(counted > 0);
        QVERIFY(SaveScreenshot(*form, QStringLiteral("statistics-fixed-digit.png")));
        QScrollBar* scroll = form->StatGrphScrollBox->verticalScrollBar();
        scroll->setValue(scroll->maximum());
        form->StatTbrStat3Click();
        QCOMPARE(scroll->value(), 0);  // a new run shows its first chart
        QVERIFY(SaveScreenshot(*form, QStringLiteral("statistics-pair-difference.png")));
        form->StatTbrStat2Click();
        QVERIFY(SaveScreenshot(*form, QStringLiteral("statistics-pair-sum.png")));
        QVERIFY(!form->StatGrphScrollBox->horizontalScrollBar()->isVisible());
    }
};

int main(int argc, char** argv) {
    UseTestPlatform();
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    TestStatForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_stat_form.moc"
