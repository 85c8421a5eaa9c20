#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/analysis/TrendForm.h"
#include "app/window/Application.h"
#include "app/window/Main.h"
#include "stats/ui/TrendChartView.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/StandaloneDocument.h"
#include "tests/support/TestPlatform.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

// Draw i holds A = i mod 10, B = 7, C-G from a fixed pseudo-random sequence.
void FillDraws(TCodes& draws, int32_t count) {
    draws.Clear();
    uint32_t x = 99;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t row = draws.Add();
        draws.SetNum(1, row, i % 10);
        draws.SetNum(2, row, 7);
        for (int32_t p = 3; p <= 7; ++p) {
            x = x * 1103515245u + 12345u;
            draws.SetNum(p, row, static_cast<int32_t>((x >> 16) % 10));
        }
    }
}

void ChooseWindow(TTrendForm& form, const QString& text) {
    const int index = form.TrendWindowCbb->findText(text);
    QVERIFY(index >= 0);
    form.TrendWindowCbb->setCurrentIndex(index);
}

}  // namespace

class TestTrendForm : public QObject {
    Q_OBJECT

  private:
    TMainWindowFixture fixture_;
    TScriptedPrompts::TLog& log_ = fixture_.Log;

  private slots:
    void init() { fixture_.Reset(); }

    void tabsAndWindowChoicesShowTheirNumbers() {
        TStandaloneDocument document;
        TCodes& draws = document.Draws;
        FillDraws(draws, 45);
        TTrendForm form(nullptr, fixture_.Prompts(), document.Feed);
        form.resize(760, 700);
        form.OpenWindow();
        QCOMPARE(form.windowTitle(), QStringLiteral("走势分析"));
        QStringList tabs;
        for (int i = 0; i < form.TrendTabs->count(); ++i) tabs << form.TrendTabs->tabText(i);
        QCOMPARE(tabs,
                 (QStringList{"A位", "B位", "C位", "D位", "E位", "F位", "G位", "前四和", "形态"}));
        QStringList choices;
        for (int i = 0; i < form.TrendWindowCbb->count(); ++i)
            choices << form.TrendWindowCbb->itemText(i);
        QCOMPARE(choices, (QStringList{"30", "50", "100", "200", "500", "全部"}));

        ChooseWindow(form, "30");
        QCOMPARE(form.Stats().Window, (TTrendWindow{15, 30}));
        QCOMPARE(form.TrendInfoLbl->text(), QStringLiteral("共 45 期，统计最近 30 期"));
        // The last 30 draws of A run 5 6 7 8 9 0 1 ... 4: every digit three times.
        const TPositionTrend& a = form.Stats().Position(1);
        QCOMPARE(a.Count, (std::array<int32_t, 10>{3, 3, 3, 3, 3, 3, 3, 3, 3, 3}));
        QCOMPARE(a.Current[4], 0);
        QCOMPARE(a.Current[5], 9);
        QCOMPARE(form.Stats().Position(2).Streak[7], 30);
        QCOMPARE(form.TrendChart->VisibleRows() >= 10, true);
        QVERIFY(SaveScreenshot(form, QStringLiteral("trend-position-a.png")));

        form.TrendTabs->setCurrentIndex(1);
        QCOMPARE(form.Position(), 2);
        ChooseWindow(form, "全部");
        QCOMPARE(form.Stats().Window.Length, 45);
        QCOMPARE(form.Stats().Position(1).Count[0], 5);
        QCOMPARE(form.Stats().Position(1).Count[9], 4);
        form.TrendTabs->setCurrentIndex(7);
        QCOMPARE(form.Position(), 0);
        QVERIFY(SaveScreenshot(form, QStringLiteral("trend-sums.png")));
    }

    void followsTheDrawListWhenItChanges() {
        TStandaloneDocument document;
        TCodes& draws = document.Draws;
        FillDraws(draws, 20);
        TTrendForm form(nullptr, fixture_.Prompts(), document.Feed);
        form.OpenWindow();
        QCOMPARE(form.Stats().Window.Length, 20);
        const int32_t row = draws.Add();
        draws.SetNum(1, row, 3);
        emit document.Feed.DrawsChanged();
        QCOMPARE(form.Stats().Window.Length, 21);
        QCOMPARE(form.Stats().Position(1).Current[3], 0);

        // A hidden window catches up when it is shown again.
        form.hide();
        FillDraws(draws, 5);
        emit document.Feed.DrawsChanged();
        form.OpenWindow();
        QCOMPARE(form.Stats().Window.Length, 5);
        QCOMPARE(form.TrendInfoLbl->text(), QStringLiteral("共 5 期，统计最近 5 期"));
    }

    void scrollsOverAHundredThousandDrawsAndPicturesTheView() {
        TStandaloneDocument document;
        TCodes& draws = document.Draws;
        FillDraws(draws, 100'000);
        TTrendForm form(nullptr, fixture_.Prompts(), document.Feed);
        form.resize(760, 700);
        form.OpenWindow();
        ChooseWindow(form, "全部");
        TTrendChartView& chart = *form.TrendChart;
        const int32_t visible = chart.VisibleRows();
        // The view starts at the newest draws.
        QCOMPARE(chart.TopRow(), 100'000 - visible);
        QCOMPARE(chart.verticalScrollBar()->maximum(), 100'000 - visible);
        QTest::keyClick(&chart, Qt::Key_Home);
        QCOMPARE(chart.TopRow(), 0);
        QTest::keyClick(&chart, Qt::Key_End);
        QCOMPARE(chart.TopRow(), 100'000 - visible);
        chart.ScrollToRow(50'000);
        QCOMPARE(chart.TopRow(), 50'000);
        QVERIFY(SaveScreenshot(form, QStringLiteral("trend-middle-of-100000.png")));

        // A picture of a long window holds TrendPictureMaxRows rows from the top of the view.
        const QImage picture = form.ChartPicture();
        QCOMPARE(picture.height(), TTrendLayout::Digits().TotalHeight(TrendPictureMaxRows));
        chart.ScrollToRow(99'900);
        QCOMPARE(form.ChartPicture().height(), picture.height());
        ChooseWindow(form, "50");
        QCOMPARE(form.ChartPicture().height(), TTrendLayout::Digits().TotalHeight(50));
    }

    void savesAndCopiesThePicture() {
        TStandaloneDocument document;
        TCodes& draws = document.Draws;
        FillDraws(draws, 60);
        TTrendForm form(nullptr, fixture_.Prompts(), document.Feed);
        form.OpenWindow();
        QTemporaryDir folder;
        QString answer = folder.filePath(QStringLiteral("走势"));
        log_.FileNames = {answer};
        form.TrendSaveBtn->click();
        QCOMPARE(log_.SavePaths.size(), 1);
        QCOMPARE(QFileInfo(log_.SavePaths[0]).fileName(), QStringLiteral("走势图_A_60.png"));
        // A name without a suffix is saved as PNG.
        const QImage png(answer + ".png");
        QCOMPARE(png.size(), form.ChartPicture().size());
        QCOMPARE(form.StatusBar->currentMessage(),
                 QStringLiteral("图表已保存到 ") + QDir::toNativeSeparators(answer + ".png"));
        QVERIFY(SaveScreenshot(form, QStringLiteral("trend-saved.png")));

        answer = folder.filePath(QStringLiteral("trend.gif"));
        log_.FileNames = {answer};
        form.TrendSaveBtn->click();
        QFile gif(answer);
        QVERIFY(gif.open(QIODevice::ReadOnly));
        QCOMPARE(gif.read(6), QByteArray("GIF89a"));

        log_.FileNames = {QString()};  // cancelled
        form.TrendSaveBtn->click();
        QVERIFY(log_.Messages.isEmpty());
        form.StatusBar->clearMessage();
        log_.FileNames = {folder.filePath(QStringLiteral("missing/trend.png"))};
        form.TrendSaveBtn->click();
        QCOMPARE(log_.Messages.size(), 1);
        QVERIFY(form.StatusBar->currentMessage().isEmpty());  // a failed save says nothing there

        form.TrendCopyBtn->click();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), form.ChartPicture().size());
    }

    void mainWindowOpensTheWindowAndItFollowsTheDraws() {
        const auto mainWindow = fixture_.NewUnshownWindow();
        TMainForm& main = *mainWindow;
        QCOMPARE(main.RegMenuTrend->shortcut(), QKeySequence("F7"));
        QVERIFY(main.RegMenu->actions().contains(main.RegMenuTrend));
        QVERIFY(main.RegMenuTrendBt->isVisible());
        const QString file = fixture_.FilePath("draws.txt");
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            for (int i = 0; i < 40; ++i) out.write(QByteArray::number(1000000 + i * 7) + "\n");
        }
        main.ImportDrawFile(file);
        main.RegMenuTrendBt->trigger();
        TTrendForm* form = main.TrendForm();
        QVERIFY(form->isVisible());
        QCOMPARE(form->Stats().Window.Length, 40);
        QCOMPARE(form->Stats().Position(1).Count[1], 40);

        // A digit typed into the grid reaches the window.
        main.Gui2RegNet->Geometry().CursorRow = 39;
        main.Gui2RegNet->Geometry().CursorCol = 2;
        QTest::keyClick(main.Gui2RegNet, Qt::Key_5);
        QCOMPARE(form->Stats().Position(1).Current[5], 0);
        // A new import replaces the draws (全部替换).
        fixture_.MergeAnswers.push_back(TMergeChoice::ReplaceAll);
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            for (int i = 0; i < 60; ++i) out.write(QByteArray::number(2000000 + i) + "\n");
        }
        main.ImportDrawFile(file);
        QCOMPARE(form->Stats().Window.Length, 60);
        QCOMPARE(form->Stats().Position(1).Count[2], 60);
        // Undo and redo of the draws reach it too, the import and the typed digit alike.
        main.EditMenuUndoClick();
        QCOMPARE(form->Stats().Window.Length, 40);
        QCOMPARE(form->Stats().Position(1).Current[5], 0);
        main.EditMenuUndoClick();
        QCOMPARE(form->Stats().Position(1).Count[1], 40);
        main.EditMenuRedoClick();
        main.EditMenuRedoClick();
        QCOMPARE(form->Stats().Window.Length, 60);
        QCOMPARE(form->Stats().Position(1).Count[2], 60);
        QVERIFY(SaveScreenshot(*form, QStringLiteral("trend-from-main-window.png")));
        // Escape closes it, as it closes a dialog.
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClick(form, Qt::Key_Escape);
        QVERIFY(!form->isVisible());
    }
};

int main(int argc, char** argv) {
    UseTestPlatform();
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    TestTrendForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_trend_form.moc"
