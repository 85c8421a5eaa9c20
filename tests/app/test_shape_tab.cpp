#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHelpEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

#include "app/analysis/ShapeTab.h"
#include "app/analysis/TrendForm.h"
#include "app/window/Application.h"
#include "stats/ui/ShapeBarsView.h"
#include "stats/ui/TrendChartView.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/StandaloneDocument.h"
#include "tests/support/TestPlatform.h"

namespace {

// Draw i reads A = 0, B-G = i mod 10 except G = 1 on every third draw: its 跨度 is i mod 10
// (at least 1 where G is 1).
void FillDraws(TCodes& draws, int32_t count) {
    draws.Clear();
    for (int32_t i = 0; i < count; ++i) {
        const int32_t row = draws.Add();
        draws.SetNum(1, row, 0);
        for (int32_t p = 2; p <= 7; ++p) draws.SetNum(p, row, i % 10);
        if (i % 3 == 0) draws.SetNum(7, row, 1);
    }
}

void Choose(QComboBox& box, const QString& text) {
    const int index = box.findText(text);
    QVERIFY(index >= 0);
    box.setCurrentIndex(index);
}

}  // namespace

class TestShapeTab : public QObject {
    Q_OBJECT

  private:
    TScriptedPrompts::TLog log_;
    TScriptedPrompts prompts_{log_};

  private slots:
    void init() { log_ = {}; }
    void shapeTabChartsTheChosenMetricAgainstChance() {
        TStandaloneDocument document;
        TCodes& draws = document.Draws;
        FillDraws(draws, 130);
        TTrendForm form(nullptr, prompts_, document.Feed);
        form.resize(900, 760);
        form.OpenWindow();
        Choose(*form.TrendWindowCbb, "30");
        QVERIFY(!form.ShapeTab->Controls->isVisibleTo(&form));
        form.TrendTabs->setCurrentIndex(form.TrendTabs->count() - 1);
        QCOMPARE(form.TrendTabs->tabText(form.TrendTabs->currentIndex()), QStringLiteral("形态"));
        QVERIFY(form.ShowsShape());
        QVERIFY(form.ShapeTab->Controls->isVisibleTo(&form));
        QStringList metrics;
        for (int i = 0; i < form.ShapeTab->ShapeMetricCbb->count(); ++i)
            metrics << form.ShapeTab->ShapeMetricCbb->itemText(i);
        QCOMPARE(metrics, (QStringList{"和值", "前四和", "跨度", "奇偶比", "大小比", "质合比",
                                       "012路", "AC值", "重号", "邻号", "连号"}));
        // 跨度 of draws 100-129 is i mod 10, but 1 for draw 120 (its G is 1).
        QCOMPARE(form.ShapeTab->ShapeMetricCbb->currentText(), QStringLiteral("跨度"));
        const TShapeMetricStats& span = form.ShapeTab->Stats();
        QCOMPARE(span.Trend.Count, (std::vector<int32_t>{2, 4, 3, 3, 3, 3, 3, 3, 3, 3}));
        double expected = 0;
        for (double e : span.Expected) expected += e;
        QCOMPARE(qRound(expected), 30);
        QVERIFY(span.Fit.Deviates());  // so regular a history is no chance
        QCOMPARE(form.ChartPicture().size(),
                 QSize(TTrendLayout::Shape(span.Metric).Width(),
                       TTrendLayout::Shape(span.Metric).TotalHeight(30)));
        QVERIFY(SaveScreenshot(form, QStringLiteral("trend-shape-span.png")));

        Choose(*form.ShapeTab->ShapeMetricCbb, "和值");
        QVERIFY(SaveScreenshot(form, QStringLiteral("trend-shape-sum.png")));

        // 重号 of the window's first draw reads the draw before the window.
        Choose(*form.ShapeTab->ShapeMetricCbb, "重号");
        const TShapeMetricStats& repeat = form.ShapeTab->Stats();
        int32_t counted = 0;
        for (int32_t n : repeat.Trend.Count) counted += n;
        QCOMPARE(counted, 30);

        // 质合比 of digits with 1s: the convention moves them.
        Choose(*form.ShapeTab->ShapeMetricCbb, "质合比");
        const std::vector<int32_t> withOne = form.ShapeTab->Stats().Trend.Count;
        form.ShapeTab->ShapeOneIsPrimeChk->setChecked(false);
        QVERIFY(form.ShapeTab->Stats().Trend.Count != withOne);

        // The second view: the bars, pictured and saved under the metric's name.
        Choose(*form.ShapeTab->ShapeViewCbb, "理论对比图");
        QCOMPARE(form.TrendViews->currentWidget(), form.ShapeTab->ShapeBars);
        QCOMPARE(form.ChartPicture().size(), form.ShapeTab->BarsPicture().size());
        QVERIFY(SaveScreenshot(form, QStringLiteral("trend-shape-bars.png")));
        QTemporaryDir folder;
        log_.FileNames = {folder.filePath(QStringLiteral("bars.png"))};
        form.TrendSaveBtn->click();
        QCOMPARE(log_.SavePaths.size(), 1);
        QCOMPARE(QFileInfo(log_.SavePaths[0]).fileName(),
                 QStringLiteral("走势图_形态_质合比_30.png"));
        QCOMPARE(QImage(folder.filePath(QStringLiteral("bars.png"))).size(),
                 form.ChartPicture().size());

        // Back to a digit tab: the chart again, without the shape's choosers.
        form.TrendTabs->setCurrentIndex(0);
        QCOMPARE(form.TrendViews->currentWidget(), form.TrendChart);
        QVERIFY(!form.ShapeTab->Controls->isVisibleTo(&form));
    }

    void roadsRowTellsItsRoadsInAToolTip() {
        TStandaloneDocument document;
        TCodes& draws = document.Draws;
        FillDraws(draws, 12);
        TTrendForm form(nullptr, prompts_, document.Feed);
        form.resize(900, 700);
        form.OpenWindow();
        form.TrendTabs->setCurrentIndex(form.TrendTabs->count() - 1);
        Choose(*form.ShapeTab->ShapeMetricCbb, "012路");
        QWidget* viewport = form.TrendChart->viewport();
        // The first row in view is draw 0: 0 0 0 0 0 0 1.
        form.TrendChart->ScrollToRow(0);
        const QPoint at(80, TTrendLayout::HeaderHeight + TTrendLayout::RowHeight / 2);
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        QVERIFY(QToolTip::text().contains(QStringLiteral("0000001")));
        QVERIFY(QToolTip::text().contains(QStringLiteral("各位012路 0000001")));
    }
};

int main(int argc, char** argv) {
    UseTestPlatform();
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    TestShapeTab test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_shape_tab.moc"
