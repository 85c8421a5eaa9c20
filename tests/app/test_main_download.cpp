#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QtTest>

#include "app/draws/AutoUpdate.h"
#include "app/draws/DrawCommands.h"
#include "app/window/Main.h"
#include "data/DrawText.h"
#include "search/OptionsIni.h"
#include "tests/support/DrawServiceProcess.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PatternFactory.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/ScriptedPrompts.h"
#include "view/ui/Gui2Ctrl.h"

using namespace std::chrono_literals;

namespace {

const QString Succeeded = QStringLiteral("下载开奖数据成功！");
const QString FailedPrefix = QStringLiteral("下载开奖数据失败：\r\n");

std::vector<std::array<int, 7>> StartDraws() {
    return {{1, 2, 3, 4, 5, 6, 7}, {7, 6, 5, 4, 3, 2, 1}, {0, 0, 0, 0, 0, 0, 9}};
}

QStringList DrawTexts(const TCodes& draws) {
    QStringList texts;
    for (int32_t i = 0; i < draws.Count(); ++i)
        texts << QString::fromStdString(DrawToText(draws.GetCode(i)));
    return texts;
}

}  // namespace

class TestMainDownload : public QObject {
    Q_OBJECT

  private:
    TMainWindowFixture fixture_;
    TScriptedPrompts::TLog& log_ = fixture_.Log;

    std::string FilePath(const QString& name) const {
        return fixture_.FilePath(name).toStdString();
    }
    void WriteFile(const QString& name, const QByteArray& bytes) {
        QFile file(fixture_.FilePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // A window over a document of three draws and one pattern, asking serviceUrl.
    std::unique_ptr<TMainForm> NewWindow(
        const std::string& serviceUrl, const std::string& member = "",
        const std::vector<std::array<int, 7>>& draws = StartDraws()) {
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        patterns.push_back(MakePattern(2, 2, 4));
        WriteFile(QStringLiteral("工作文档.gtmq"), DocumentBytes(draws, patterns));
        SearchOptions options;
        options.ServiceUrl = serviceUrl;
        options.MemberName = member;
        SaveSearchOptions(FilePath("pavolen.ini"), options);
        auto form = fixture_.NewUnshownWindow();
        form->SetDownloadTiming({1ms, 20000ms});
        form->show();
        form->FinishOpening();
        return form;
    }
    static bool DownloadEnabled(TMainForm& form) {
        return form.FileMenuDown->isEnabled() && form.FileMenuDownBt->isEnabled();
    }
    static QString Panel0(TMainForm& form) { return form.StatusPanel0->text(); }
    // Runs the download command and waits until it has told the user something.
    void Download(TMainForm& form) {
        const qsizetype before = log_.Messages.size();
        form.FileMenuDown->trigger();
        QVERIFY(!DownloadEnabled(form));
        QTRY_VERIFY_WITH_TIMEOUT(log_.Messages.size() > before, 60000);
    }
    // The draws, the patterns and the command after a download that failed with reason.
    void ExpectUnchangedAfterFailure(TMainForm& form, const QString& reason) {
        QCOMPARE(log_.Messages.last().left(FailedPrefix.size()), FailedPrefix);
        if (!reason.isEmpty())
            QVERIFY2(log_.Messages.last().contains(reason), qPrintable(log_.Messages.last()));
        QCOMPARE(DrawTexts(form.Gui2RegNet->Draws()),
                 (QStringList{"1234567", "7654321", "0000009"}));
        QCOMPARE(form.RegMgr().Count(), 1);
        QVERIFY(DownloadEnabled(form));
        QVERIFY(!form.DownloadRunning());
        QVERIFY(Panel0(form).isEmpty());
        QVERIFY(!form.DocumentModified());
    }

  private slots:
    void init() {
        fixture_.Reset();
        qputenv("no_proxy", "*");
    }

    void downloadReplacesTheDrawsAndKeepsThePatterns() {
        QByteArray served;
        QStringList expected;
        for (int i = 0; i < 250; ++i) {
            const std::string draw = ZeroPad7((i * 7919 + 13) % 10000000 / (i % 5 == 0 ? 100 : 1));
            served += QByteArray::fromStdString(draw) + "\r\n";
            expected << QString::fromStdString(draw);
        }
        WriteFile("served.txt", served);
        TDrawServiceProcess service(TOLVANE_DRAWSVC_PATH,
                                    {"--draws", FilePath("served.txt"), "--first-issue", "2019001",
                                     "--member", "张 三&#", "--password", ""});
        QVERIFY(!service.Url.empty());
        auto form = NewWindow(service.Url, "张 三&#");
        log_.Messages.clear();
        fixture_.MergeAnswers.push_back(TMergeChoice::ReplaceAll);
        form->FileMenuDown->trigger();
        QVERIFY(!DownloadEnabled(*form));
        QCOMPARE(Panel0(*form), QStringLiteral("正在下载开奖数据..."));
        // A second start while the first runs does nothing.
        form->FileMenuDownClick();
        const QString replaced = Succeeded + QStringLiteral("\r\n已替换：原有3期，现在250期");
        QTRY_COMPARE_WITH_TIMEOUT(log_.Messages, QStringList{replaced}, 60000);
        QCOMPARE(DrawTexts(form->Gui2RegNet->Draws()), expected);
        // The service's 期号 come with the draws.
        QCOMPARE(form->Gui2RegNet->Register().At(0).Issue, std::string("2019001"));
        QCOMPARE(form->Gui2RegNet->Register().At(249).Issue, std::string("2019250"));
        QCOMPARE(form->RegMgr().Count(), 1);
        QVERIFY(DownloadEnabled(*form));
        QVERIFY(Panel0(*form).isEmpty());
        QVERIFY(form->DocumentModified());
        // Nothing but the settings is written for a download; they keep the address.
        QTest::qWait(50);
        QCOMPARE(log_.Messages, QStringList{replaced});
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
        QCOMPARE(LoadSearchOptions(FilePath("pavolen.ini")).ServiceUrl, service.Url);
        QCOMPARE(QDir(fixture_.Folder()).entryList(QDir::Files),
                 (QStringList{"pavolen.ini", "served.txt", "工作文档.gtmq"}));
    }

    // The automatic update: new draws that fit the document are added without a question and
    // the status bar names the last 期号; nothing new, a service out of reach and draws that
    // differ (which ask) each say so their own way.
    void automaticUpdatesAddOnlyWhatIsNewAndStayQuiet() {
        // The document's three draws, then two new ones, 期号 2024092 to 2024096.
        WriteFile("served.txt", "1234567\r\n7654321\r\n0000009\r\n2381150\r\n0019442\r\n");
        TDrawServiceProcess service(
            TOLVANE_DRAWSVC_PATH, {"--draws", FilePath("served.txt"), "--first-issue", "2024092"});
        QVERIFY(!service.Url.empty());
        auto form = NewWindow(service.Url);
        QSignalSpy handled(&form->DrawCommands(), &TDrawCommands::DownloadHandled);
        const auto check = [&] {
            const qsizetype before = handled.size();
            form->AutoUpdate().CheckNow();
            QVERIFY(form->DrawCommands().DownloadRunning());
            QCOMPARE(Panel0(*form), QStringLiteral("正在检查新的开奖号码..."));
            QTRY_VERIFY_WITH_TIMEOUT(handled.size() > before, 60000);
        };
        log_.Messages.clear();
        check();
        QCOMPARE(DrawTexts(form->Gui2RegNet->Draws()),
                 (QStringList{"1234567", "7654321", "0000009", "2381150", "0019442"}));
        QCOMPARE(Panel0(*form), QStringLiteral("已更新到第2024096期"));
        QVERIFY(log_.Messages.isEmpty());
        QVERIFY(fixture_.MergePlans.isEmpty());
        QCOMPARE(form->Gui2RegNet->Register().At(0).Issue, std::string("2024092"));
        QVERIFY(DownloadEnabled(*form));
        // One undo step takes the update back.
        form->EditMenuUndoClick();
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 3);
        form->EditMenuRedoClick();
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 5);

        check();
        QCOMPARE(Panel0(*form), QStringLiteral("开奖号码已是最新"));
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 5);
        QVERIFY(log_.Messages.isEmpty());

        // A draw that differs: the plan is shown and the user's answer counts.
        WriteFile("differs.txt",
                  "1234567\r\n7654321\r\n0000009\r\n2381150\r\n1019442\r\n"
                  "5555555\r\n");
        TDrawServiceProcess differs(
            TOLVANE_DRAWSVC_PATH, {"--draws", FilePath("differs.txt"), "--first-issue", "2024092"});
        SearchOptions options = form->Options();
        options.ServiceUrl = differs.Url;
        form->SetOptions(options);
        fixture_.MergeAnswers.push_back(TMergeChoice::Cancel);
        form->hide();  // no check before the window is shown
        form->AutoUpdate().CheckNow();
        QVERIFY(!form->DrawCommands().DownloadRunning());
        form->show();
        check();
        QCOMPARE(fixture_.MergeTitles, QStringList{QStringLiteral("自动更新")});
        QCOMPARE(fixture_.MergePlans.size(), 1);
        QVERIFY(fixture_.MergePlans[0].contains(QStringLiteral("新增1期")));
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 5);

        // Out of reach: one quiet status text, no message box, the draws as they were.
        TTestPort refused(false);
        options = form->Options();
        options.ServiceUrl = "http://127.0.0.1:" + std::to_string(refused.Port) + "/";
        form->SetOptions(options);
        check();
        QCOMPARE(Panel0(*form),
                 QStringLiteral("自动更新未完成：暂时无法连接开奖数据服务，稍后再试。"));
        QVERIFY(form->StatusPanel0->width() >= form->StatusPanel0->sizeHint().width());
        QVERIFY(log_.Messages.isEmpty());
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 5);
        QVERIFY(DownloadEnabled(*form));
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    // An update whose new draws leave a gap after the document's last 期号 asks first; one
    // that arrives while a dialog is open or a search runs waits and is added when the window
    // is idle again.
    void automaticUpdatesAskAcrossAGapAndWaitForAnIdleWindow() {
        WriteFile("later.txt", "2381150\r\n0019442\r\n");
        TDrawServiceProcess later(TOLVANE_DRAWSVC_PATH,
                                  {"--draws", FilePath("later.txt"), "--first-issue", "2024410"});
        TDrawServiceProcess next(TOLVANE_DRAWSVC_PATH,
                                 {"--draws", FilePath("later.txt"), "--first-issue", "2024401"});
        TDrawServiceProcess more(TOLVANE_DRAWSVC_PATH,
                                 {"--draws", FilePath("later.txt"), "--first-issue", "2024403"});
        const std::unique_ptr<TCodes> random = RandomDraws(35, 400);
        std::vector<std::array<int, 7>> draws(400);
        for (int32_t r = 0; r < 400; ++r)
            for (int p = 0; p < 7; ++p) draws[static_cast<size_t>(r)][p] = random->Rows()[r][p + 1];
        auto form = NewWindow(later.Url, "", draws);
        form->Gui2RegNet->Register().Clear();
        for (int i = 1; i <= 400; ++i)
            form->Gui2RegNet->Register().Rows.push_back({std::to_string(2024000 + i), ""});
        QSignalSpy handled(&form->DrawCommands(), &TDrawCommands::DownloadHandled);
        log_.Messages.clear();
        fixture_.MergeAnswers.push_back(TMergeChoice::Cancel);
        form->AutoUpdate().CheckNow();
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 1, 60000);
        QCOMPARE(fixture_.MergeTitles, QStringList{QStringLiteral("自动更新")});
        QVERIFY2(fixture_.MergePlans[0].contains(QStringLiteral("缺少9期")),
                 qPrintable(fixture_.MergePlans[0]));
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 400);

        // The answer arrives while a dialog is open: kept, not added under it, not dropped.
        SearchOptions options = form->Options();
        options.ServiceUrl = next.Url;
        form->SetOptions(options);
        form->AutoUpdate().CheckNow();
        QVERIFY(form->DrawCommands().DownloadRunning());
        QDialog dialog(form.get());
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 2, 60000);
        QVERIFY(form->DrawCommands().UpdatePending());
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 400);
        QVERIFY(form->AutoUpdate().RetryTimer()->isActive());
        form->AutoUpdate().RetryDelayMs = 20;
        QTest::qWait(100);
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 400);  // still open: still waiting
        dialog.close();
        QTRY_COMPARE_WITH_TIMEOUT(form->Gui2RegNet->Draws().Count(), 402, 5000);
        QVERIFY(!form->DrawCommands().UpdatePending());
        QCOMPARE(Panel0(*form), QStringLiteral("已更新到第2024402期"));

        // The answer arrives during a search: the draws stay as the search has them until it
        // has ended (stopped here) and handed its last patterns over.
        options = form->Options();
        options.ServiceUrl = more.Url;
        options.LinedPtMaxSe = 4;
        options.LinegPtMaxSe = 4;
        options.SecCountSe = 3;
        form->SetOptions(options);
        form->AutoUpdate().CheckNow();
        form->RegMenuSearchClick();
        QVERIFY(form->RegMgr().Running());
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 3, 60000);
        QVERIFY(form->RegMgr().Running());
        QTest::qWait(100);
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 402);
        form->RegMenuStopClick();
        QTRY_COMPARE_WITH_TIMEOUT(form->Gui2RegNet->Draws().Count(), 404, 10000);
        QCOMPARE(Panel0(*form), QStringLiteral("已更新到第2024404期"));
        QCOMPARE(fixture_.MergePlans.size(), 1);
        QVERIFY(log_.Messages.isEmpty());
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    // The option: on by default, a first check soon after the start and one every few hours;
    // off, no timer runs. The status bar shows the last and the next draw day.
    void theOptionStartsAndStopsTheChecks() {
        WriteFile("served.txt", "1234567\r\n7654321\r\n0000009\r\n");
        TDrawServiceProcess service(
            TOLVANE_DRAWSVC_PATH, {"--draws", FilePath("served.txt"), "--first-issue", "2024092"});
        auto form = NewWindow(service.Url);
        TAutoUpdate& updates = form->AutoUpdate();
        QVERIFY(form->Options().AutoUpdateChk);
        updates.SetSuspended(false);
        updates.StartDelayMs = 0;
        QSignalSpy handled(&form->DrawCommands(), &TDrawCommands::DownloadHandled);
        updates.Start();
        QVERIFY(updates.PeriodicTimer()->isActive());
        QCOMPARE(updates.PeriodicTimer()->interval(), 3 * 60 * 60 * 1000);
        // The first check runs from the event loop and, nothing differing, fills in the 期号.
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 1, 60000);
        QCOMPARE(form->Gui2RegNet->Register().At(2).Issue, std::string("2024094"));
        const QString dates = form->StatusPanel3->text();
        QVERIFY2(dates.contains(QStringLiteral("下次开奖：")), qPrintable(dates));
        QVERIFY2(!dates.contains(QStringLiteral("最近开奖")),
                 qPrintable(dates));  // no dates served
        QVERIFY(log_.Messages.isEmpty());

        SearchOptions options = form->Options();
        options.AutoUpdateHoursSe = 5;
        form->SetOptions(options);
        updates.OptionsChanged();
        QCOMPARE(updates.PeriodicTimer()->interval(), 5 * 60 * 60 * 1000);
        options = form->Options();
        options.AutoUpdateChk = false;
        form->SetOptions(options);
        updates.OptionsChanged();
        QVERIFY(!updates.PeriodicTimer()->isActive());
        QVERIFY(!updates.SoonTimer()->isActive());
        updates.CheckNow();  // switched off: no download
        QVERIFY(!form->DrawCommands().DownloadRunning());
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    // Refused, empty or malformed replies and a connection that fails: the draws stay.
    void failedDownloadsChangeNothingAndSayWhy() {
        WriteFile("draws.txt", "1111111\r\n");
        WriteFile("empty.txt", "");
        WriteFile("short.txt", "成功\r\n2019001#a#12345\r\n");
        TDrawServiceProcess members(TOLVANE_DRAWSVC_PATH,
                                    {"--draws", FilePath("draws.txt"), "--member", "right"});
        TDrawServiceProcess empty(TOLVANE_DRAWSVC_PATH, {"--reply", FilePath("empty.txt")});
        TDrawServiceProcess shortDigits(TOLVANE_DRAWSVC_PATH, {"--reply", FilePath("short.txt")});
        TTestPort refusing(false);
        const std::vector<std::pair<std::string, QString>> cases = {
            {members.Url, QStringLiteral("会员名或密码错误")},
            {empty.Url, QStringLiteral("回复是空的")},
            {shortDigits.Url, QStringLiteral("开奖号码不足7位")},
            {"http://127.0.0.1:" + std::to_string(refusing.Port) + "/down",
             QStringLiteral("无法连接下载服务器")},
        };
        for (const auto& [url, reason] : cases) {
            QVERIFY(url.find(":0/") == std::string::npos && !url.empty());
            auto form = NewWindow(url, "wrong");
            Download(*form);
            ExpectUnchangedAfterFailure(*form, reason);
            // The command works again after a failure.
            Download(*form);
            ExpectUnchangedAfterFailure(*form, reason);
            // The automatic update names the same reason in the status bar; only a service out
            // of reach reads as such.
            QSignalSpy handled(&form->DrawCommands(), &TDrawCommands::DownloadHandled);
            form->AutoUpdate().CheckNow();
            QTRY_VERIFY_WITH_TIMEOUT(!handled.isEmpty(), 60000);
            const QString status = Panel0(*form);
            if (reason == QStringLiteral("无法连接下载服务器"))
                QCOMPARE(status,
                         QStringLiteral("自动更新未完成：暂时无法连接开奖数据服务，稍后再试。"));
            else
                QVERIFY2(status.startsWith(QStringLiteral("自动更新未完成：")) &&
                             status.contains(reason),
                         qPrintable(status));
            QCOMPARE(form->Gui2RegNet->Draws().Count(), 3);
        }
    }

    void importDuringADownloadKeepsTheCommandDisabled() {
        TTestPort silent(true);
        WriteFile("draws.txt", "1111111\r\n2222222\r\n");
        auto form = NewWindow("http://127.0.0.1:" + std::to_string(silent.Port) + "/down");
        form->SetDownloadTiming({0ms, 3600s});
        form->FileMenuDown->trigger();
        // Hints pass over the status text; it comes back between them.
        form->RegMenuSearch->showStatusText(form.get());
        QCOMPARE(Panel0(*form), QStringLiteral("搜索开奖数据里面的规律走势"));
        QStatusTipEvent leave{QString()};
        QCoreApplication::sendEvent(form.get(), &leave);
        QCOMPARE(Panel0(*form), QStringLiteral("正在下载开奖数据..."));
        fixture_.MergeAnswers.push_back(TMergeChoice::ReplaceAll);
        log_.Answers.push_back(QMessageBox::Yes);  // fewer draws than before: asked
        form->ImportDrawFile(fixture_.FilePath("draws.txt"));
        QCOMPARE(DrawTexts(form->Gui2RegNet->Draws()), (QStringList{"1111111", "2222222"}));
        QVERIFY(!DownloadEnabled(*form));
        QVERIFY(form->DownloadRunning());
        // Closing the window aborts the download; nothing arrives afterwards.
        log_.Messages.clear();
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
        form.reset();
        QTest::qWait(50);
        QVERIFY(log_.Messages.isEmpty());
    }

    void itemsThatAreNoDrawsChangeNothing() {
        auto form = NewWindow("http://127.0.0.1:1/down");
        const std::vector<std::pair<std::vector<std::string>, QString>> cases = {
            {{"2019001#1234567", "2019002#12x4567"},
             QStringLiteral("第2条数据的开奖号码不是数字：2019002#12x4567")},
            {{}, QStringLiteral("下载服务器没有发来开奖数据。")},
        };
        for (const auto& [items, reason] : cases) {
            form->ApplyDownloadedDraws(items);
            QCOMPARE(log_.Messages.last(), FailedPrefix + reason);
            QCOMPARE(DrawTexts(form->Gui2RegNet->Draws()),
                     (QStringList{"1234567", "7654321", "0000009"}));
            QVERIFY(DownloadEnabled(*form));
        }
    }
};

QTEST_MAIN(TestMainDownload)
#include "test_main_download.moc"
