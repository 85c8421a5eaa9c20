#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalSpy>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "app/analysis/BacktestForm.h"
#include "app/analysis/TrendForm.h"
#include "app/patterns/PatternListModel.h"
#include "app/reduce/ReduceForm.h"
#include "app/window/Application.h"
#include "app/window/Main.h"
#include "data/DrawTable.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PatternFactory.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestPlatform.h"
#include "ui/StatusTrace.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

const QString OpenFailed = QStringLiteral("打开文档失败：\r\n工作文档.gtmq");

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private:
    TMainWindowFixture fixture_;
    TScriptedPrompts::TLog& log_ = fixture_.Log;

    std::unique_ptr<TMainForm> NewWindow() { return fixture_.NewWindow(); }
    QString FilePath(const QString& name) const { return fixture_.FilePath(name); }
    void WriteDraws(int count) {
        WriteFile("draws.txt", QByteArray::fromStdString(RandomDrawFile(12345, count)));
    }
    void WriteFile(const QString& name, const QByteArray& bytes) {
        QVERIFY(fixture_.WriteFile(name, bytes));
    }
    QByteArray ReadFile(const QString& name) { return fixture_.ReadFile(name); }
    static QString Panel(TMainForm& form, int i) {
        return form.findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i))->text();
    }
    void Close(TMainForm& form) { QVERIFY(form.close()); }

  private slots:
    void init() { fixture_.Reset(); }

    void firstStartIsEmptyAndWritesTheSettingsAtExit() {
        auto form = NewWindow();
        // No document yet is a first start, not a failure.
        QVERIFY2(log_.Messages.isEmpty(), qPrintable(log_.Messages.join('\n')));
        QCOMPARE(Panel(*form, 2), QStringLiteral("总共0个规律"));
        QVERIFY(form->windowTitle().startsWith("Tolvane v3.08 - Bexmoor "));
        Close(*form);
        const QByteArray ini = ReadFile("pavolen.ini");
        QVERIFY(ini.contains("[TRegOptions]"));
        QVERIFY(ini.contains("[TGui2Options]"));
        QVERIFY(ini.contains("CellHeightSe=30"));
        // Nothing changed: the document is not written, and no question was asked.
        QVERIFY(!QFile::exists(FilePath("工作文档.gtmq")));
        QVERIFY(log_.Questions.isEmpty());
        // Qt's own dialogs speak Chinese (the translations are installed with the program).
        QVERIFY(InstallChineseTranslations(*qApp));
        QVERIFY(QCoreApplication::translate("QPlatformTheme", "Cancel") !=
                QStringLiteral("Cancel"));
    }

    // The status trace a driving script reads: appended to the named file, one line per text.
    void statusTextsAndMessagesAreTracedToTheNamedFile() {
        WriteFile("trace.txt", "earlier\n");
        qputenv("TOLVANE_STATUS_TRACE_FILE", FilePath("trace.txt").toUtf8());
        auto form = NewWindow();
        TraceStatusLine("message", QStringLiteral("第一行\r\n第二行\n第三行"));
        qunsetenv("TOLVANE_STATUS_TRACE_FILE");
        TraceStatusLine("message", QStringLiteral("not traced"));
        const QStringList lines = QString::fromUtf8(ReadFile("trace.txt")).split('\n');
        QCOMPARE(lines.first(), QStringLiteral("earlier"));
        QVERIFY(lines.contains(QStringLiteral("status2: 总共0个规律")));
        QCOMPARE(lines.filter(QStringLiteral("message: ")),
                 QStringList{QStringLiteral("message: 第一行 第二行 第三行")});
        Close(*form);
    }

    void componentsMenusAndHints() {
        auto form = NewWindow();
        QCOMPARE(form->RegMenuSearch->shortcut(), QKeySequence("F5"));
        QCOMPARE(form->RegMenuSearch->toolTip(), QStringLiteral("搜索规律"));
        QCOMPARE(form->RegMenuSearch->statusTip(), QStringLiteral("搜索开奖数据里面的规律走势"));
        QCOMPARE(form->RegMenuStop->statusTip(), QStringLiteral("立即停止规律搜索工作"));
        QVERIFY(!form->RegMenuDel->isEnabled());
        QVERIFY(!form->RegMenuDelBt->isEnabled());
        // Statistics and pictures are offered in the menu, on the tool bar and in the list's
        // context menu (the 规律 menu).
        QVERIFY(form->RegMenuStat->isVisible() && form->RegMenuExportPic->isVisible());
        form->RegMenu->popup(form->mapToGlobal(QPoint(80, 30)));
        QTRY_VERIFY(form->RegMenu->isVisible());
        QVERIFY(SaveScreenshot(*form->RegMenu, QStringLiteral("reg-menu.png")));
        form->RegMenu->hide();
        QVERIFY(!form->CodeMenu->menuAction()->isVisible());
        QCOMPARE(form->RegMenuSearchBt->text(), QStringLiteral("搜索"));
        QStringList captions;
        for (QAction* a : form->MainTbr->actions())
            if (!a->isSeparator() && a->isVisible()) captions << a->text();
        QCOMPARE(captions, (QStringList{"下载", "编辑", "保存", "搜索", "停止", "设置", "回测",
                                        "删除", "清空", "走势", "统计", "入门", "出图", "兑奖",
                                        "帮助", "关于", "退出"}));
        QCOMPARE(form->RegMenuBacktest->shortcut(), QKeySequence("Ctrl+B"));
        form->RegMenuBacktest->trigger();
        QVERIFY(form->BacktestForm() && form->BacktestForm()->isVisible());
        form->RegMenuReduce->trigger();
        QVERIFY(form->ReduceForm() && form->ReduceForm()->isVisible());
        form->RegMenuSearch->showStatusText(form.get());  // hints go to the first panel
        QCOMPARE(Panel(*form, 0), QStringLiteral("搜索开奖数据里面的规律走势"));
        // The menus the user is offered, written out here and not taken from the command
        // tables: per menu its name, caption and visibility, then per item its action's name,
        // caption, short cut and visibility ("-" a separator).
        struct TItem {
            const char* Name;
            const char* Caption;
            const char* Shortcut;
            bool Visible;
        };
        struct TMenu {
            const char* Name;
            const char* Caption;
            bool Visible;
            std::vector<TItem> Items;
        };
        const TItem separator{"-", "", "", true};
        const std::vector<TMenu> menus = {
            {"FileMenu",
             "文件(&F)",
             true,
             {{"FileMenuNew", "新建(&N)", "Ctrl+N", false},
              {"FileMenuSave", "保存(&S)", "Ctrl+S", true},
              separator,
              {"FileMenuDown", "下载数据(&D)", "", true},
              {"FileMenuImport", "导入号码(&I)", "", true},
              {"FileMenuExport", "导出号码(&O)", "", true},
              {"FileMenuExportTable", "导出规律表格(&T)", "", true},
              {"FileMenuEdit", "数据编辑(&E)", "", true},
              separator,
              {"FileMenuExit", "退出(&X)", "", true}}},
            {"EditMenu",
             "编辑(&B)",
             true,
             {{"EditMenuUndo", "撤销(&U)", "Ctrl+Z", true},
              {"EditMenuRedo", "重做(&R)", "Ctrl+Y", true}}},
            {"CodeMenu",
             "数据(&C)",
             false,
             {{"CodeMenuOpen", "打开数据(&B)", "", true},
              {"CodeMenuDown", "数据下载(&D)", "", true},
              {"CodeMenuImport", "数据导入(&I)...", "", true},
              {"CodeMenuExport", "数据导出(&E)...", "", true},
              {"CodeMenuAdd", "增加(&A)", "", true},
              {"CodeMenuInsert", "插入(&I)", "", true},
              {"CodeMenuDel", "删除(&D)", "", true},
              {"CodeMenuClear", "清空(&C)", "", true}}},
            {"RegMenu",
             "规律(&E)",
             true,
             {{"RegMenuOpen", "打开规律(&X)", "", false},
              {"RegMenuSelAll", "全选(&A)", "Ctrl+A", true},
              {"RegMenuSelNone", "不选(&I)", "Ctrl+I", true},
              {"RegMenuDel", "删除(&D)", "Del", true},
              {"RegMenuClear", "清空(&C)", "Ctrl+Del", true},
              separator,
              {"RegMenuSearch", "搜索(&S)", "F5", true},
              {"RegMenuStop", "停止(&O)", "F6", true},
              {"RegMenuOptions", "设置(&O)...", "F12", true},
              {"RegMenuBacktest", "规律回测(&R)", "Ctrl+B", true},
              {"RegMenuReduce", "缩水选号(&Z)", "", true},
              separator,
              {"RegMenuTrend", "走势分析(&T)", "F7", true},
              {"RegMenuStat", "统计(&B)", "F8", true},
              {"RegMenuExportPic", "出图(&G)", "F9", true},
              {"RegMenuExportPng", "出图为PNG(&N)", "Shift+F9", true},
              {"RegMenuCopyPic", "复制图片(&P)", "Ctrl+Shift+C", true},
              {"RegMenuFixed", "定位定数(&P)", "", false},
              {"RegMenuSumSplit", "两位合分(&H)", "", false},
              {"RegMenuDiffSplit", "两位差分(&F)", "", false},
              {"RegMenuSkip", "隔版(&G)", "", false},
              {"RegMenuContrast", "明对(&M)", "", false},
              {"RegMenuFiveStep", "五步(&B)", "", false}}},
            {"TicketMenu",
             "投注(&T)",
             true,
             {{"TicketMenuBook", "投注与兑奖(&T)", "Ctrl+T", true}}},
            {"HelpMenu",
             "帮助(&H)",
             true,
             {{"HelpMenuTopic", "帮助主题(&C)", "F1", true},
              {"HelpMenuSite", "支持网站(&H)", "", true},
              separator,
              {"HelpMenuAbout", "关于(&A)...", "", true}}},
        };
        QStringList expectedMenus, builtMenus;
        for (const TMenu& menu : menus)
            expectedMenus << QStringLiteral("%1 %2 %3")
                                 .arg(QString::fromUtf8(menu.Name), QString::fromUtf8(menu.Caption))
                                 .arg(menu.Visible);
        for (QAction* a : form->MainMenu->actions())
            builtMenus << QStringLiteral("%1 %2 %3")
                              .arg(a->menu()->objectName(), a->text())
                              .arg(a->isVisible());
        QCOMPARE(builtMenus, expectedMenus);
        for (const TMenu& menu : menus) {
            auto* built = form->findChild<QMenu*>(QString::fromUtf8(menu.Name));
            QVERIFY2(built != nullptr, menu.Name);
            QStringList expected, actual;
            for (const TItem& item : menu.Items)
                expected << QStringLiteral("%1 %2 %3 %4")
                                .arg(QString::fromUtf8(item.Name), QString::fromUtf8(item.Caption),
                                     QString::fromUtf8(item.Shortcut))
                                .arg(item.Visible);
            for (QAction* a : built->actions())
                actual << (a->isSeparator()
                               ? QStringLiteral("-   1")
                               : QStringLiteral("%1 %2 %3 %4")
                                     .arg(a->objectName(), a->text(),
                                          a->shortcut().toString(QKeySequence::PortableText))
                                     .arg(a->isVisible()));
            QCOMPARE(actual, expected);
        }
        // The hidden 新建 still answers its keys.
        QStringList hiddenKeys;
        for (auto* shortcut : form->findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
            hiddenKeys << shortcut->key().toString(QKeySequence::PortableText);
        QCOMPARE(hiddenKeys, QStringList{"Ctrl+N"});
        Close(*form);
    }

    void settingsAreAdjustedAppliedAndWrittenBack() {
        WriteFile("pavolen.ini",
                  "[TGui2Options]\r\nSecInterGbx=4\r\nSumConstrastGbx=3\r\nSecCountSe=8\r\n"
                  "RefTailChk=1\r\nBoxColorModeCbb=7\r\nCellHeightSe=70\r\n");
        auto form = NewWindow();
        QCOMPARE(form->Options().SecInterGbx, 1);
        QCOMPARE(form->Options().SumConstrastGbx, 3);
        QCOMPARE(form->Options().SecCountSe, 3);
        QCOMPARE(form->Options().BoxColorModeCbb, 3);
        QCOMPARE(form->Options().CellHeightSe, 30);
        QCOMPARE(form->Gui2RegNet->ColCount(), 10);
        QCOMPARE(form->Gui2RegNet->CellHeight(), 30);
        QCOMPARE(form->PanelRegLeft->width(),
                 465 + form->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
        Close(*form);
        const QByteArray ini = ReadFile("pavolen.ini");
        QVERIFY(ini.contains("SecInterGbx=1"));
        QVERIFY(ini.contains("SecCountSe=3"));
        QVERIFY(ini.contains("RefTailChk=1"));

        auto again = NewWindow();
        SearchOptions options = again->Options();
        options.RefTailChk = false;
        options.CellHeightSe = 40;
        again->SetOptions(options);
        again->ApplyGridSettings();
        QCOMPARE(again->Gui2RegNet->ColCount(), 7);
        QCOMPARE(again->PanelRegLeft->width(),
                 again->Gui2RegNet->TotalWidth() +
                     again->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
        Close(*again);
    }

    // The document is read on a background job: until it is in place the window takes no
    // commands and shows nothing of it; then it is enabled with the document's rows.
    void theWindowWaitsDisabledWhileTheDocumentOpens() {
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        patterns.push_back(MakePattern(3, 3, 4));
        WriteFile("工作文档.gtmq", DocumentBytes({{1, 2, 3, 4, 5, 6, 7}}, patterns));
        const auto window = fixture_.NewUnshownWindow();
        TMainForm& form = *window;
        QVERIFY(form.Opening());
        QVERIFY(!form.isEnabled());
        QCOMPARE(form.ListModel().RowCount(), 0);
        QCOMPARE(Panel(form, 0), QStringLiteral("正在打开文档..."));
        QTRY_VERIFY(!form.Opening());  // handed over by the event loop
        QVERIFY(form.isEnabled());
        QCOMPARE(form.ListModel().RowCount(), 1);
        QCOMPARE(form.Gui2RegNet->Draws().Count(), 1);
        QCOMPARE(Panel(form, 0), QString());
        QVERIFY(!form.DocumentModified());
        QVERIFY(log_.Messages.isEmpty());
    }

    void documentOpensIntoGridAndList() {
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        patterns.push_back(MakePattern(3, 3, 4));
        patterns.push_back(MakePattern(2, 2, 6));
        patterns.push_back(MakePattern(3, 2, 5));
        WriteFile("工作文档.gtmq",
                  DocumentBytes({{1, 2, 3, 4, 5, 6, 7}, {0, 3, 8, 1, 5, 6, 2}}, patterns));
        auto form = NewWindow();
        QVERIFY(log_.Messages.isEmpty());
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 2);
        QCOMPARE(form->Gui2RegNet->Draws().GetNum(0, 1), 12);
        QCOMPARE(form->ListModel().RowCount(), 3);
        QCOMPARE(Panel(*form, 2), QStringLiteral("总共3个规律"));
        QCOMPARE(form->ListModel().data(form->ListModel().index(0, 0), Qt::DisplayRole).toString(),
                 QStringLiteral("22"));

        // Selecting one row paints its pattern with its last step current.
        form->ListView->selectRow(2);
        QCOMPARE(form->Gui2RegNet->Pattern().StepTotal, 4);
        QCOMPARE(form->Gui2RegNet->SecIndex(), 3);
        QVERIFY(form->RegMenuDel->isEnabled());
        // A second selected row leaves the painting alone.
        form->ListView->selectionModel()->select(
            form->ListModel().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(form->Gui2RegNet->Pattern().StepTotal, 4);

        // Invert: rows 0 and 2 selected become row 1.
        form->RegMenuSelNoneClick();
        const QModelIndexList selected = form->ListView->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), 1);
        form->RegMenuDelClick();
        QCOMPARE(form->RegMgr().Count(), 2);
        QCOMPARE(form->ListModel().RowCount(), 2);
        QCOMPARE(Panel(*form, 2), QStringLiteral("总共2个规律"));
        QVERIFY(!form->RegMenuDel->isEnabled());

        form->RegMenuSelAllClick();
        QCOMPARE(form->ListView->selectionModel()->selectedRows().size(), 2);
        form->RegMenuClearClick();
        QCOMPARE(form->RegMgr().Count(), 0);
        QCOMPARE(form->Gui2RegNet->Pattern().StepTotal, 0);
        QVERIFY(form->DocumentModified());
        log_.Answers.push_back(QMessageBox::Discard);
        Close(*form);
        QCOMPARE(log_.Questions.size(), 1);
    }

    // Window frames go into the settings at exit and come back at the next start.
    void windowPlacesAreKeptAcrossStarts() {
        {
            auto form = NewWindow();
            form->RegMenuTrendClick();
            form->TrendForm()->resize(640, 420);
            QTRY_COMPARE(form->TrendForm()->size(), QSize(640, 420));
            Close(*form);
        }
        QVERIFY(ReadFile("pavolen.ini").contains("[TWindowPlaces]"));
        auto form = NewWindow();
        form->RegMenuTrendClick();
        QCOMPARE(form->TrendForm()->size(), QSize(640, 420));
        Close(*form);
    }

    void saveAndReopenGiveTheSameDocument() {
        WriteFile("draws.txt", "1234567\r\n7654321\r\n0012345\r\n");
        auto form = NewWindow();
        log_.FileNames.push_back(FilePath("draws.txt"));
        form->FileMenuImportClick();
        form->FinishCommands();
        QCOMPARE(log_.Messages.last(), QStringLiteral("导入开奖号码成功！"));
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 3);
        QVERIFY(form->DocumentModified());
        QVERIFY(form->isWindowModified());  // the title's "*"
        form->FileMenuSaveClick();
        QVERIFY(!form->DocumentModified());
        QVERIFY(!form->isWindowModified());
        QCOMPARE(Panel(*form, 0), QStringLiteral("文档已保存"));
        const QByteArray saved = ReadFile("工作文档.gtmq");
        QCOMPARE(saved.size(), 8 + 3 * 32 + 4 + 8);
        Close(*form);
        QVERIFY(log_.Questions.isEmpty());

        log_ = {};
        auto again = NewWindow();
        QVERIFY(log_.Messages.isEmpty());
        QCOMPARE(again->Gui2RegNet->Draws().Count(), 3);
        QCOMPARE(again->Gui2RegNet->Draws().GetNum(3, 2), 1);
        Close(*again);
    }

    void importEdgeCases() {
        auto form = NewWindow();
        WriteFile("mixed.txt", "0012345\n  1234567  \n0000123\n123456\n\n1234567#x\r0123456\r\n");
        form->ImportDrawFile(FilePath("mixed.txt"));
        const TCodes& draws = form->Gui2RegNet->Draws();
        QCOMPARE(draws.Count(), 5);
        const std::array<std::array<int, 7>, 5> expected = {{{0, 0, 1, 2, 3, 4, 5},
                                                             {1, 2, 3, 4, 5, 6, 7},
                                                             {0, 0, 0, 0, 1, 2, 3},
                                                             {1, 2, 3, 4, 5, 6, 7},
                                                             {0, 1, 2, 3, 4, 5, 6}}};
        for (int r = 0; r < 5; ++r)
            for (int p = 1; p <= 7; ++p) QCOMPARE(draws.GetNum(p, r), expected[r][p - 1]);

        // A failing line, or a file without a draw, is refused by name and changes nothing.
        const QString kept = QStringLiteral("\r\n原有的开奖号码没有改动。");
        const std::vector<std::pair<QByteArray, QString>> refused = {
            {"7654321\n12 3456\n", QStringLiteral("第2行无法识别：12 3456")},
            {"7654321\n-123456\n", QStringLiteral("第2行无法识别：-123456")},
            {"7654321\n12345678\n", QStringLiteral("第2行无法识别：12345678")},
            {QByteArray("7654321\n1\0"
                        "34567\n7654321\n",
                        24),
             QStringLiteral("第2行无法识别：1\uFFFD34567")},
            {"", QString::fromUtf8(NoDrawsMessage) + kept},
            {"12\n\n", QString::fromUtf8(NoDrawsMessage) + kept},
            {"\xEF\xBB\xBF", QString::fromUtf8(NoDrawsMessage) + kept},
        };
        for (const auto& [bytes, message] : refused) {
            WriteFile("refused.txt", bytes);
            log_.FileNames.push_back(FilePath("refused.txt"));
            form->FileMenuImportClick();
            form->FinishCommands();
            QCOMPARE(log_.Messages.last(), message);
            QCOMPARE(draws.Count(), 5);
            QCOMPARE(draws.GetNum(3, 0), 1);
        }

        // Cancelling the dialog does nothing.
        const int messages = log_.Messages.size();
        form->FileMenuImportClick();
        form->FinishCommands();
        QCOMPARE(log_.Messages.size(), messages);
        log_.Answers.push_back(QMessageBox::Discard);
        Close(*form);
    }

    void anUnreadableDocumentIsKeptBeforeTheNextSave() {
        const QByteArray broken("\x01\x00\x00\x00\x05\x00\x00\x00garbage", 15);
        WriteFile("工作文档.gtmq", broken);
        auto form = NewWindow();
        QCOMPARE(log_.Messages, QStringList{OpenFailed});
        form->Gui2RegNet->Draws().Add();
        form->FileMenuSaveClick();
        QCOMPARE(ReadFile("工作文档.gtmq.bak"), broken);
        QVERIFY(log_.Messages.last().contains("工作文档.gtmq.bak"));
        QCOMPARE(ReadFile("工作文档.gtmq").size(), 8 + 32 + 4 + 8);
        Close(*form);
    }

    void searchListsEveryPatternWithProgressAndFinishTexts() {
        WriteDraws(60);
        auto form = NewWindow();
        form->ImportDrawFile(FilePath("draws.txt"));
        QStringList progress;
        // Lines are in drawing order as soon as the manager holds the patterns, before the
        // list shows them: a save at any moment writes them as they are drawn.
        int unordered = 0;
        connect(form.get(), &TMainForm::SearchEventHandled, this, [&](int kind) {
            progress << QString::number(kind) + ":" + Panel(*form, 2);
            if (kind != 2) return;  // at the end, before the list has shown the last ones
            for (const auto& pattern : form->RegMgr().Patterns()) {
                TGui2Reg again;
                again.Assign(*pattern);
                again.OrderByShortestPath();
                for (int l = 0; l < TGui2Reg::LineCount; ++l)
                    for (int i = 0; i < again.Line(l).Count(); ++i)
                        if (again.Line(l).Get(i).X != pattern->Line(l).Get(i).X ||
                            again.Line(l).Get(i).Y != pattern->Line(l).Get(i).Y)
                            ++unordered;
            }
        });
        QSignalSpy listed(form.get(), &TMainForm::PendingRowsListed);
        form->RegMenuSearchClick();
        QCOMPARE(Panel(*form, 2), QStringLiteral("开始搜索规律,请稍候..."));
        QTRY_VERIFY_WITH_TIMEOUT(!form->RegMgr().Running(), 60000);
        QTRY_VERIFY(form->ListModel().RowCount() == form->RegMgr().Count());
        const int count = form->RegMgr().Count();
        QVERIFY(count > 0);
        QCOMPARE(form->ListModel().RowCount(), count);
        QCOMPARE(unordered, 0);
        const QRegularExpression finished(
            QStringLiteral("^2:结束搜索，花费\\d+秒，总共搜索到%1个规律$").arg(count));
        QVERIFY2(finished.match(progress.last()).hasMatch(), qPrintable(progress.last()));
        const QRegularExpression running(
            QStringLiteral("^[01]:搜索第\\d+万个组合搜索到\\d+条规律\\(耗时\\d+秒,速度:\\d+个组合/"
                           "秒\\)\\.\\.\\.\\.$"));
        for (int i = 0; i + 1 < progress.size(); ++i)
            QVERIFY2(running.match(progress[i]).hasMatch(), qPrintable(progress[i]));
        // Once ten thousand combinations are walked the speed is never 0, even within the
        // first second.
        const QRegularExpression walked(
            QStringLiteral("搜索第(\\d+)万个组合.*耗时\\d+秒,速度:(\\d+)个"));
        for (const QString& text : progress) {
            const QRegularExpressionMatch m = walked.match(text);
            if (m.hasMatch() && m.captured(1).toLongLong() > 0)
                QVERIFY2(m.captured(2).toLongLong() > 0, qPrintable(text));
        }
        QString previous;
        for (int r = 0; r < count; ++r) {
            const QString points =
                form->ListModel().data(form->ListModel().index(r, 0), Qt::DisplayRole).toString();
            QVERIFY(previous <= points);
            previous = points;
        }
        form->RefreshCaption();
        QCOMPARE(Panel(*form, 2), QStringLiteral("总共%1个规律").arg(count));

        // Options the search cannot use are refused before the found patterns are discarded.
        SearchOptions options = form->Options();
        options.LinegPtMinSe = options.LinegPtMaxSe + 1;
        form->SetOptions(options);
        log_.Messages.clear();
        form->RegMenuSearchClick();
        QCOMPARE(log_.Messages.size(), 1);
        QVERIFY2(log_.Messages[0].contains(QStringLiteral("最少点数不能大于最多点数")),
                 qPrintable(log_.Messages[0]));
        QVERIFY(!form->RegMgr().Running());
        QCOMPARE(form->RegMgr().Count(), count);
        QCOMPARE(form->ListModel().RowCount(), count);
        log_.Answers.push_back(QMessageBox::Discard);
        Close(*form);
    }

    void searchingRefusesCloseAndASecondSearchButStopDoesNot() {
        WriteDraws(400);
        auto form = NewWindow();
        form->ImportDrawFile(FilePath("draws.txt"));
        SearchOptions options = form->Options();
        options.LinedPtMaxSe = 4;
        options.LinegPtMaxSe = 4;
        options.SecCountSe = 3;
        form->SetOptions(options);
        const QString searching =
            QStringLiteral("程序正在搜索...\r\n请停止搜索或者等待搜索结束再执行此命令");
        form->RegMenuSearchClick();
        QVERIFY(form->RegMgr().Running());
        QVERIFY(!form->close());
        QCOMPARE(log_.Messages.last(), searching);
        form->RegMenuSearchClick();
        QCOMPARE(log_.Messages.last(), searching);
        QCOMPARE(log_.Messages.count(searching), 2);

        form->RegMenuStopClick();
        QCOMPARE(Panel(*form, 2), QStringLiteral("停止搜索"));
        QVERIFY(!form->RegMgr().Running());
        // A new search right after a stop starts at once; the old thread ends on its own.
        form->RegMenuSearchClick();
        QCOMPARE(log_.Messages.count(searching), 2);
        QVERIFY(form->RegMgr().Running());
        QTRY_VERIFY_WITH_TIMEOUT(!form->RegMgr().Running(), 120000);
        QTRY_COMPARE_WITH_TIMEOUT(form->ListModel().RowCount(), form->RegMgr().Count(), 60000);
        QVERIFY(Panel(*form, 2).startsWith(QStringLiteral("结束搜索，花费")));

        // The same search once more, undisturbed, finds the same patterns.
        const int count = form->RegMgr().Count();
        form->RegMenuSearchClick();
        QTRY_VERIFY_WITH_TIMEOUT(!form->RegMgr().Running(), 120000);
        QCOMPARE(form->RegMgr().Count(), count);
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    void closingWithChangesAsks() {
        auto form = NewWindow();
        form->Gui2RegNet->setFocus();
        form->Gui2RegNet->Geometry().CursorRow = 0;
        QTest::keyClick(form->Gui2RegNet, Qt::Key_4);  // typing on the append row
        QVERIFY(form->DocumentModified());
        log_.Answers.push_back(QMessageBox::Cancel);
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        log_.Answers.push_back(QMessageBox::Save);
        QVERIFY(form->close());
        QCOMPARE(ReadFile("工作文档.gtmq").size(), 8 + 32 + 4 + 8);
    }
};

int main(int argc, char** argv) {
    UseTestPlatform();
    TApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_main_window.moc"
