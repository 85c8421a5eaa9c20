#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <fstream>

#include "app/reduce/ReduceForm.h"
#include "app/tickets/TicketBookForm.h"
#include "app/window/Main.h"
#include "reduce/paint/ReduceCheckPaint.h"
#include "reduce/ui/ConditionEditor.h"
#include "reduce/ui/ReduceChartView.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PaintedTexts.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/StandaloneDocument.h"
#include "ui/PastCheckPanel.h"

class TestReduceWindow : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        log_ = {};
        prompts_ = std::make_unique<TScriptedPrompts>(log_);
        document_ = std::make_unique<TStandaloneDocument>();
        document_->Draws.Assign(*RandomDraws(31, 60));
        form_ = std::make_unique<TReduceForm>(nullptr, *prompts_, document_->Feed,
                                              [this] { return forms_; });
        form_->OpenWindow();
    }
    void cleanup() { form_.reset(); }

    // Conditions built with the controls: the count follows each change of the list.
    void controlsBuildConditionsAndTheCountFollows() {
        QCOMPARE(form_->KeptCount(), std::optional<int64_t>(10'000'000));
        QSignalSpy counted(form_.get(), &TReduceForm::Counted);
        form_->Editor->KindCbb->setCurrentIndex(0);  // 定位
        form_->Editor->PositionCbb->setCurrentIndex(2);
        form_->Editor->DigitBts[4]->setChecked(true);
        form_->Editor->DigitBts[7]->setChecked(true);
        form_->Editor->AddBt->click();
        QCOMPARE(form_->Editor->ConditionList->count(), 1);
        QCOMPARE(form_->Editor->ConditionList->item(0)->text(), QStringLiteral("定位 C 47"));
        QTRY_COMPARE_WITH_TIMEOUT(form_->KeptCount(), std::optional<int64_t>(2'000'000), 20000);
        QVERIFY(form_->ResultLbl->text().contains(QStringLiteral("4,000,000 元")));
        QVERIFY(form_->ResultLbl->text().endsWith(QStringLiteral("占全部号码的 20%。")));

        // Editing the selected condition changes it at once.
        form_->Editor->DigitBts[7]->setChecked(false);
        QCOMPARE(form_->Editor->ConditionList->item(0)->text(), QStringLiteral("定位 C 4"));
        QTRY_COMPARE_WITH_TIMEOUT(form_->KeptCount(), std::optional<int64_t>(1'000'000), 20000);

        // 添加条件 adds a copy of the selected condition, which a new kind turns into a 和值
        // that keeps everything (the whole range, never 0-0).
        form_->Editor->AddBt->click();
        QCOMPARE(form_->Editor->ConditionList->item(1)->text(), QStringLiteral("定位 C 4"));
        form_->Editor->KindCbb->setCurrentIndex(3);  // 和值
        QCOMPARE(form_->Editor->ConditionList->count(), 2);
        QCOMPARE(form_->Editor->ConditionList->item(1)->text(), QStringLiteral("和值 0-63"));
        // 和值 0 with 定位 C 4 keeps nothing; with one condition allowed to fail, 1,000,001.
        form_->Editor->HiSe->setValue(0);
        QCOMPARE(form_->Editor->ConditionList->item(0)->text(), QStringLiteral("定位 C 4"));
        QCOMPARE(form_->Editor->ConditionList->item(1)->text(), QStringLiteral("和值 0-0"));
        QTRY_COMPARE_WITH_TIMEOUT(form_->KeptCount(), std::optional<int64_t>(0), 20000);
        QCOMPARE(form_->ResultLbl->text(), QStringLiteral("条件没有留下任何号码。"));
        form_->Editor->ToleranceSe->setValue(1);
        QTRY_COMPARE_WITH_TIMEOUT(form_->KeptCount(), std::optional<int64_t>(1'000'001), 20000);
        // Exporting conditions that keep nothing says so and writes nothing.
        form_->Editor->ToleranceSe->setValue(0);
        QTRY_COMPARE_WITH_TIMEOUT(form_->KeptCount(), std::optional<int64_t>(0), 20000);
        QTemporaryDir folder;
        const QString bets = folder.filePath(QStringLiteral("bets.txt"));
        log_.FileNames.push_back(bets);
        form_->ExportBt->click();
        QCOMPARE(log_.Messages.last(), QStringLiteral("条件没有留下任何号码。"));
        QVERIFY(!QFile::exists(bets));
        QVERIFY(counted.count() > 0);
        QVERIFY(SaveScreenshot(*form_, QStringLiteral("reduce-window.png")));
    }

    // Saved and loaded as text; a bad file is refused by its line; the kept bets are exported.
    void conditionSetsAreSavedLoadedAndTheBetsExported() {
        QTemporaryDir folder;
        const QString conditions = folder.filePath(QStringLiteral("c.txt"));
        {
            std::ofstream out(QFile::encodeName(conditions).toStdString());
            out << "定位 A 1\n定位 B 2\n定位 C 3\n奇偶比 3\n";
        }
        log_.FileNames.push_back(conditions);
        form_->LoadBt->click();
        QCOMPARE(form_->Editor->ConditionList->count(), 4);
        QTRY_VERIFY_WITH_TIMEOUT(form_->KeptCount().has_value(), 20000);
        // The first three digits 1, 2, 3 (two odd), so one odd digit among the last four.
        QCOMPARE(*form_->KeptCount(), int64_t{4 * 5 * 5 * 5 * 5});

        const QString saved = folder.filePath(QStringLiteral("saved.txt"));
        log_.FileNames.push_back(saved);
        form_->SaveBt->click();
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()),
                 QStringLiteral("定位 A 1\n定位 B 2\n定位 C 3\n奇偶比 3\n"));

        const QString bets = folder.filePath(QStringLiteral("bets.txt"));
        log_.FileNames.push_back(bets);
        QSignalSpy handled(form_.get(), &TReduceForm::BetsHandled);
        form_->ExportBt->click();
        QVERIFY(handled.wait(20000));
        QFile written(bets);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = written.readAll().split('\n');
        QCOMPARE(lines.size(), 2500 + 1);  // the last line ends with a line feed
        QCOMPARE(lines.front(), QByteArray("1230001"));
        for (int i = 1; i + 1 < lines.size(); ++i) QVERIFY(lines[i - 1] < lines[i]);

        {
            std::ofstream out(QFile::encodeName(conditions).toStdString());
            out << "定位 A 1\n\n跨度 9-2\n";
        }
        log_.FileNames.push_back(conditions);
        form_->LoadBt->click();
        QVERIFY(log_.Messages.last().contains(QStringLiteral("第3行：跨度的范围上下颠倒")));
        QCOMPARE(form_->Editor->ConditionList->count(), 4);  // the list is kept
    }

    // 发送到投注 hands the kept bets over, all or a sample of k, and says which.
    void sendingHandsTheBetsOverAllOrASample() {
        std::vector<std::vector<int32_t>> received;
        QStringList sources;
        form_->SetBetsTaker([&](const std::vector<int32_t>& bets, const QString& source) {
            received.push_back(bets);
            sources << source;
            return true;
        });
        TReduceSet set = ReadReduceSet("定位 A 9\n定位 B 9\n定位 C 9\n定位 D 9\n和值 36-38\n");
        form_->SetConditions(set);
        QSignalSpy handled(form_.get(), &TReduceForm::BetsHandled);
        form_->SendBt->click();
        QVERIFY(handled.wait(20000));
        QCOMPARE(received.size(), size_t{1});
        // The last three digits sum to 0, 1 or 2: 1 + 3 + 6 bets.
        QCOMPARE(received[0].size(), size_t{10});
        QCOMPARE(received[0].front(), 9999000);
        QCOMPARE(log_.Messages.last(), QStringLiteral("已把全部 10 注发送到投注。"));

        form_->SampleChk->setChecked(true);
        form_->SampleSe->setValue(4);
        form_->SendBt->click();
        QVERIFY(handled.wait(20000));
        QCOMPARE(received.size(), size_t{2});
        QCOMPARE(received[1].size(), size_t{4});
        QVERIFY(std::is_sorted(received[1].begin(), received[1].end()));
        for (int32_t bet : received[1])
            QVERIFY(std::binary_search(received[0].begin(), received[0].end(), bet));
        QCOMPARE(log_.Messages.last(), QStringLiteral("已从 10 注中随机抽取 4 注发送到投注。"));
        QCOMPARE(sources.last(), QStringLiteral("缩水选号（从 10 注中随机抽取 4 注）"));
        // Many bets are sent only when the player says so.
        form_->SetConditions(ReadReduceSet("定位 A 9\n定位 B 9\n"));
        form_->SampleChk->setChecked(false);
        log_.Answers.push_back(QMessageBox::No);
        form_->SendBt->click();
        QVERIFY(handled.wait(20000));
        QCOMPARE(received.size(), size_t{2});
        QVERIFY(log_.Questions.last().contains(QStringLiteral("100,000")));
    }

    // The strategy check fills the chart, the progress and the verdict, and says what
    // conditions cannot do.
    void strategyCheckShowsChartAndVerdict() {
        // Rows named by their 期号 on the axis, as the backtest names them.
        NameDraws(2024001);
        form_->SetConditions(ReadReduceSet("和值 20-43\n重号 0-1\n"));
        form_->Check->RowsSe->setValue(15);
        QSignalSpy finished(form_.get(), &TReduceForm::CheckFinished);
        form_->Check->StartBt->click();
        QVERIFY(!form_->Check->StartBt->isEnabled());
        QVERIFY(finished.wait(120000));
        QVERIFY(form_->Check->StartBt->isEnabled());
        QCOMPARE(form_->CheckRows().size(), size_t{15});
        QCOMPARE(form_->CheckRows().front().Row, 46);
        QCOMPARE(form_->Chart->Points().size(), size_t{15});
        QCOMPARE(form_->Chart->FirstLabel(), QStringLiteral("2024046"));
        QCOMPARE(form_->Chart->LastLabel(), QStringLiteral("2024060"));
        QCOMPARE(form_->Check->ProgressBar->value(), 15);
        QVERIFY(form_->Check->VerdictLbl->text().startsWith(QStringLiteral("检验最近 15 期")));
        QVERIFY(form_->Check->VerdictLbl->text().contains(
            QString::fromUtf8(BacktestVerdictText(form_->CheckSummary().Verdict))));
        QCOMPARE(form_->ChanceLbl->text(), QString::fromUtf8(ReduceChanceSentence()));
        // Each row's s_t: whether that draw meets the conditions rebuilt before it.
        for (const TReduceCheckRow& row : form_->CheckRows()) {
            const auto drawn = *ShapeDrawOf(document_->Draws.GetCode(row.Row - 1));
            const auto before = *ShapeDrawOf(document_->Draws.GetCode(row.Row - 2));
            int sum = 0, repeats = 0;
            for (size_t p = 0; p < 7; ++p) {
                sum += drawn[p];
                repeats += drawn[p] == before[p];
            }
            QCOMPARE(row.DrawKept, sum >= 20 && sum <= 43 && repeats <= 1);
        }
        QVERIFY(SaveScreenshot(*form_, QStringLiteral("reduce-check.png")));

        // Changed conditions mark the check out of date, the same ones again bring its verdict
        // back, and 清空 takes chart and verdict away.
        const QString verdict = form_->Check->VerdictLbl->text();
        form_->Editor->ToleranceSe->setValue(1);
        QCOMPARE(form_->Check->VerdictLbl->text(), QStringLiteral("条件已改变，请重新检验"));
        form_->Editor->ToleranceSe->setValue(0);
        QCOMPARE(form_->Check->VerdictLbl->text(), verdict);
        form_->Editor->RemoveBt->click();
        QCOMPARE(form_->Check->VerdictLbl->text(), QStringLiteral("条件已改变，请重新检验"));
        log_.Answers.push_back(QMessageBox::Yes);
        form_->Editor->ClearBt->click();
        QVERIFY(form_->Chart->Points().empty());
        QVERIFY(form_->Check->VerdictLbl->text().isEmpty());
    }

    // The progress line names the draw worked on by its 期号, as the backtest's does, not by
    // its row number. 规律 searches the draws before each row, so the run lasts long enough
    // to be watched; it is stopped once seen.
    void progressLineNamesTheDrawByItsIssue() {
        document_->Draws.Assign(*RandomDraws(32, 400));
        NameDraws(2014001);
        form_->SetConditions(ReadReduceSet("规律 1\n"));
        form_->Check->RowsSe->setValue(300);
        QSignalSpy finished(form_.get(), &TReduceForm::CheckFinished);
        form_->Check->StartBt->click();
        const QRegularExpression issue(QStringLiteral("^正在检验第 2014\\d{3} 期（"));
        QTRY_VERIFY2_WITH_TIMEOUT(issue.match(form_->Check->ProgressLbl->text()).hasMatch(),
                                  qPrintable(form_->Check->ProgressLbl->text()), 60000);
        form_->Check->StopBt->click();
        QVERIFY(finished.wait(60000));
    }

    // The editor: a new kind changes the selected condition into one of that kind that keeps
    // everything it can, 撤销 takes each change back, 清空 asks first (否 the default).
    void editorChangesKindsUndoesAndAsksBeforeClearing() {
        TConditionEditor& editor = *form_->Editor;
        const auto text = [&](int row) { return editor.ConditionList->item(row)->text(); };
        QVERIFY(!editor.UndoBt->isEnabled());
        form_->SetConditions(ReadReduceSet("定位 C 47\n"));
        QCOMPARE(editor.ConditionList->currentRow(), 0);
        editor.KindCbb->setCurrentIndex(1);  // 杀号, the same digits
        QCOMPARE(text(0), QStringLiteral("杀号 C 47"));
        editor.KindCbb->setCurrentIndex(4);  // a metric of categories, every one allowed
        QCOMPARE(editor.ConditionList->count(), 1);
        QVERIFY(!text(0).startsWith(QStringLiteral("杀号")));
        QTRY_COMPARE_WITH_TIMEOUT(form_->KeptCount(), std::optional<int64_t>(10'000'000), 20000);
        editor.KindCbb->setCurrentIndex(0);  // 定位 from a metric: every digit of C
        QCOMPARE(text(0), QStringLiteral("定位 C 0123456789"));
        editor.UndoBt->click();
        editor.UndoBt->click();
        QCOMPARE(text(0), QStringLiteral("杀号 C 47"));
        QCOMPARE(editor.KindCbb->currentIndex(), 1);  // the editor shows the condition again
        editor.UndoBt->click();
        QCOMPARE(text(0), QStringLiteral("定位 C 47"));

        editor.ClearBt->click();  // 否, the default
        QCOMPARE(log_.Questions.last(), QStringLiteral("清空全部条件？"));
        QCOMPARE(editor.ConditionList->count(), 1);
        log_.Answers.push_back(QMessageBox::Yes);
        editor.ClearBt->click();
        QCOMPARE(editor.ConditionList->count(), 0);
        editor.UndoBt->click();
        QCOMPARE(text(0), QStringLiteral("定位 C 47"));

        // Chosen digits are filled, others white; focus does not fill a digit.
        const auto inside = [&](int digit) {
            QToolButton* button = editor.DigitBts[static_cast<size_t>(digit)];
            const QImage image = button->grab().toImage();
            return qGray(image.pixel(4, image.height() / 2));
        };
        QVERIFY(editor.DigitBts[4]->isChecked() && !editor.DigitBts[3]->isChecked());
        QVERIFY2(inside(3) - inside(4) > 100,
                 qPrintable(QStringLiteral("%1 %2").arg(inside(3)).arg(inside(4))));
        form_->activateWindow();
        editor.DigitBts[3]->setFocus(Qt::TabFocusReason);
        QVERIFY(editor.DigitBts[3]->hasFocus());
        QVERIFY(inside(3) - inside(4) > 100);
        QVERIFY(SaveScreenshot(*form_, QStringLiteral("reduce-condition-editor.png")));
    }

    // 和值 chosen with nothing selected starts at its whole range, not at 0-0.
    void aSumStartsWithItsWholeRange() {
        form_->Editor->KindCbb->setCurrentIndex(3);  // 和值
        QCOMPARE(form_->Editor->LoSe->value(), 0);
        QCOMPARE(form_->Editor->HiSe->value(), 63);
        form_->Editor->AddBt->click();
        QCOMPARE(form_->Editor->ConditionList->item(0)->text(), QStringLiteral("和值 0-63"));
    }

    // A share of one in ten million kept once lifts the running lift to ten million: the value
    // labels of both panels are written out, never in exponent form.
    void chartLabelsHaveNoExponents() {
        TPaintedTexts device(QSize(900, 500));
        {
            QPainter painter(&device);
            PaintReduceCheckChart(painter, QRect(0, 0, 900, 500),
                                  {{10, 1e-7, true, 1e7}, {11, 1e-7, false, 5e6}}, 10, 11);
        }
        const QString texts = device.Texts().join(QLatin1Char('|'));
        QVERIFY2(!texts.contains(QLatin1Char('e')), qPrintable(texts));
        QVERIFY2(texts.contains(QStringLiteral("10,000,000")), qPrintable(texts));
        QVERIFY2(texts.contains(QStringLiteral("0.55%")), qPrintable(texts));  // half of 1.1%
    }

    // 规律 reads the chosen patterns: with none, the count says why by its line; with a form
    // that hits on one residue of the digits' sum, a tenth of the candidates stays.
    void patternConditionReadsTheChosenPatterns() {
        form_->SetConditions(ReadReduceSet("和值 0-63\n规律 全部\n"));
        QTRY_VERIFY_WITH_TIMEOUT(form_->ResultLbl->text().startsWith(QStringLiteral("第2行：")),
                                 20000);
        QVERIFY(!form_->KeptCount());
        TPatternForm form;
        form.Weights = {1, 1, 1, 1, 1, 1, 1};
        form.Offset = 3;
        form.Hits = 1;  // (3 + sum of digits) mod 10 = 0
        forms_ = {form};
        form_->PatternsChanged();
        QTRY_COMPARE_WITH_TIMEOUT(form_->KeptCount(), std::optional<int64_t>(1'000'000), 20000);
        form_->Editor->KindCbb->setCurrentIndex(form_->Editor->KindCbb->count() - 1);
        QVERIFY(form_->Editor->PatternsLbl->text().contains(QStringLiteral("有 1 个")));
        // The hits chance alone gives: 10% for this form, 20% for one that hits on two residues.
        TPatternForm either = form;
        either.Hits = 1u | 1u << 5;
        forms_ = {form, either};
        form_->PatternsChanged();
        QVERIFY2(form_->Editor->PatternsLbl->text().contains(
                     QStringLiteral("所选 2 个规律随机期望命中 0.3 个")),
                 qPrintable(form_->Editor->PatternsLbl->text()));
        QVERIFY(SaveScreenshot(*form_->Editor, QStringLiteral("reduce-pattern-condition.png")));
    }

    // From the main window: 缩水选号's kept bets land in the ticket book as single tickets.
    void theMainWindowSendsTheBetsToTheTicketBook() {
        TMainWindowFixture fixture;
        auto main = fixture.NewWindow();
        main->RegMenuReduce->trigger();
        TReduceForm* reduce = main->ReduceForm();
        QVERIFY(reduce && reduce->isVisible());
        reduce->SetConditions(ReadReduceSet(
            "定位 A 1\n定位 B 2\n定位 C 3\n定位 D 4\n定位 E 5\n定位 F 6\n定位 G 70\n"));
        QSignalSpy handled(reduce, &TReduceForm::BetsHandled);
        reduce->SendBt->click();
        QVERIFY(handled.wait(20000));
        const auto& tickets = main->TicketBook()->Tickets();
        QCOMPARE(tickets.size(), size_t{2});
        QCOMPARE(NumbersText(tickets[0].Ticket.Sets), std::string("1234560"));
        QCOMPARE(NumbersText(tickets[1].Ticket.Sets), std::string("1234567"));
        QVERIFY(main->close());
    }

  private:
    // Gives the document's draws the 期号 first, first + 1, …
    void NameDraws(int first) {
        TDrawRegister& reg = document_->Register;
        reg.Rows.resize(static_cast<size_t>(document_->Draws.Count()));
        for (size_t i = 0; i < reg.Rows.size(); ++i)
            reg.Rows[i].Issue = std::to_string(first + static_cast<int>(i));
        emit document_->Feed.DrawsChanged();
    }

    TScriptedPrompts::TLog log_;
    std::unique_ptr<TScriptedPrompts> prompts_;
    std::unique_ptr<TStandaloneDocument> document_;
    std::vector<TPatternForm> forms_;
    std::unique_ptr<TReduceForm> form_;
};

QTEST_MAIN(TestReduceWindow)
#include "test_reduce_window.moc"
