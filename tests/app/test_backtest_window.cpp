#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "app/analysis/BacktestForm.h"
#include "stats/ui/BacktestChartView.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/StandaloneDocument.h"
#include "ui/PastCheckPanel.h"
#include "ui/TextTableModel.h"

class TestBacktestWindow : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        log_ = {};
        prompts_ = std::make_unique<TScriptedPrompts>(log_);
        document_ = std::make_unique<TStandaloneDocument>();
        document_->Draws.Assign(*RandomDraws(77, 300));
        // Two points per line keep each row's search short.
        document_->Options.LinedPtMaxSe = document_->Options.LinegPtMaxSe = 2;
        document_->Options.SecCountSe = 3;
        optionsOpened_ = 0;
        // The options dialog of the main window, as the feed asks for it.
        connect(&document_->Feed, &TDocumentFeed::OptionsEditRequested, this, [this] {
            ++optionsOpened_;
            document_->Options.SecCountSe = 5;
            emit document_->Feed.OptionsChanged();
        });
        form_ = std::make_unique<TBacktestForm>(nullptr, *prompts_, document_->Feed);
        form_->OpenWindow();
    }
    void cleanup() {
        form_.reset();
        document_.reset();
    }

    void scoresTheRowsAndShowsVerdictChartAndTable() {
        QCOMPARE(form_->Check->RowsSe->value(), 100);
        QCOMPARE(form_->Check->RowsSe->minimum(), 10);
        QCOMPARE(form_->Check->RowsSe->maximum(), 300);
        QVERIFY(form_->OptionsLbl->text().contains("至少 3 步"));
        form_->Check->OptionsBt->click();
        QCOMPARE(optionsOpened_, 1);
        QVERIFY(form_->OptionsLbl->text().contains("至少 5 步"));
        document_->Options.SecCountSe = 3;

        form_->Check->RowsSe->setValue(12);
        QSignalSpy finished(form_.get(), &TBacktestForm::Finished);
        form_->Check->StartBt->click();
        QVERIFY(!form_->Check->StartBt->isEnabled());
        QVERIFY(form_->Check->StopBt->isEnabled());
        QVERIFY(finished.wait(120000));
        QVERIFY(!form_->Running());
        QVERIFY(form_->Check->StartBt->isEnabled());

        const auto& rows = form_->Rows();
        QCOMPARE(rows.size(), size_t{12});
        QCOMPARE(rows.front().Row, 289);
        QCOMPARE(form_->Check->ProgressBar->value(), 12);
        int64_t patterns = 0, hits = 0, withPatterns = 0;
        for (const auto& row : rows) {
            patterns += row.Total.Patterns;
            hits += row.Total.Hits;
            withPatterns += row.Total.Patterns > 0;
        }
        QVERIFY(patterns > 0);
        QCOMPARE(form_->GroupModel->rowCount(), 1 + BacktestGroupCount);
        // Counts are grouped by thousands ("18,109").
        QCOMPARE(form_->GroupModel->Text(0, 2), QLocale(QLocale::English).toString(patterns));
        QCOMPARE(form_->GroupModel->Text(0, 3), QLocale(QLocale::English).toString(hits));
        QCOMPARE(form_->GroupModel->Text(1, 1), QStringLiteral("定位定数"));
        QVERIFY(form_->OptionsLbl->text().contains("至少 3 步"));  // read again at the start
        QCOMPARE(form_->Chart->Points().size(), static_cast<size_t>(withPatterns));
        QVERIFY(form_->Check->VerdictLbl->text().startsWith("回测最近 12 期"));
        // Twelve draws with patterns at most: t and m beside the verdict, which needs ten.
        QVERIFY(form_->Check->VerdictLbl->text().contains(
            QString::fromUtf8(form_->Summary().Total.VerdictText())));
        QVERIFY(form_->Check->VerdictLbl->text().contains(
            QStringLiteral("有规律的 %1 期").arg(form_->Summary().Total.T.Rows)));
        QVERIFY(form_->TableNoteLbl->text().contains("Holm–Bonferroni"));
        QVERIFY(SaveScreenshot(*form_, "backtest.png"));

        QTemporaryDir folder;
        const QString csv = folder.filePath("table.csv");
        const QString png = folder.filePath("chart.png");
        log_.FileNames = {csv, png};
        form_->ExportCsvBt->click();
        form_->ExportChartBt->click();
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF分组,名称,预测,命中"));
        QCOMPARE(bytes.count("\r\n"), 2 + BacktestGroupCount);
        QCOMPARE(QImage(png).size(), QSize(900, 400));
        QCOMPARE(form_->StatusBar->currentMessage(),
                 QStringLiteral("图表已保存到 ") + QDir::toNativeSeparators(png));
        QVERIFY(log_.Messages.isEmpty());
        // Both went through the atomic writer: nothing but the two files in the folder.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2);
        // A file that cannot be written is named in a message.
        log_.FileNames = {folder.filePath("missing/table.csv")};
        form_->ExportCsvBt->click();
        QCOMPARE(log_.Messages.size(), 1);
        QVERIFY(log_.Messages.front().contains(QStringLiteral("无法写入文件")));
        QVERIFY(log_.Messages.front().contains(QStringLiteral("missing/table.csv")));

        // A new start clears the verdict of the last run.
        const QString before = form_->Check->VerdictLbl->text();
        form_->Check->StartBt->click();
        QVERIFY(form_->Check->VerdictLbl->text() != before);
        QVERIFY(!form_->Check->VerdictLbl->text().contains(QStringLiteral("回测最近")));
        form_->Check->StopBt->click();
        QVERIFY(finished.wait(120000));
    }

    void stopEndsTheRunAndKeepsTheRowsScored() {
        form_->Check->AllRowsBt->click();
        QCOMPARE(form_->Check->RowsSe->value(), 300);
        // Three points a line: the whole run takes seconds, so the stop lands midway even on an
        // idle machine (with two it ends within one poll of the rows).
        document_->Options.LinedPtMaxSe = document_->Options.LinegPtMaxSe = 3;
        QSignalSpy finished(form_.get(), &TBacktestForm::Finished);
        form_->Check->StartBt->click();
        QTRY_VERIFY_WITH_TIMEOUT(form_->Rows().size() >= 2, 120000);
        form_->Check->StopBt->click();
        QVERIFY(finished.wait(30000));
        const auto& rows = form_->Rows();
        QVERIFY(rows.size() >= 2 && rows.size() < 300);
        QVERIFY(form_->Check->StartBt->isEnabled());
        QVERIFY(!form_->Check->StopBt->isEnabled());
        // The rows scored are named, in the status line and in the verdict.
        const QString scored =
            QStringLiteral("第%1–%2期").arg(rows.front().Row).arg(rows.back().Row);
        QCOMPARE(form_->Check->ProgressLbl->text(),
                 QStringLiteral("回测已停止，已回测") + scored + "。");
        QVERIFY(form_->Check->VerdictLbl->text().startsWith(QStringLiteral("回测") + scored));
    }

    void optionsTheSearchRefusesAreReported() {
        document_->Options.LinedPtMinSe = 0;
        form_->Check->RowsSe->setValue(10);
        QSignalSpy finished(form_.get(), &TBacktestForm::Finished);
        form_->Check->StartBt->click();
        QVERIFY(finished.wait(30000));
        QCOMPARE(log_.Messages.size(), 1);
        QVERIFY(log_.Messages.front().contains("搜索条件无效"));
    }

    void closingWhileRunningStopsTheSearch() {
        form_->Check->AllRowsBt->click();
        form_->Check->StartBt->click();
        QVERIFY(form_->Running());
        form_.reset();  // joins the worker; must neither hang nor crash
    }

  private:
    TScriptedPrompts::TLog log_;
    std::unique_ptr<TScriptedPrompts> prompts_;
    std::unique_ptr<TStandaloneDocument> document_;
    int optionsOpened_ = 0;
    std::unique_ptr<TBacktestForm> form_;
};

QTEST_MAIN(TestBacktestWindow)
#include "test_backtest_window.moc"
