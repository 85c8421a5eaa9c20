// The import of tables through their preview, and the draw and pattern table exports.
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "app/draws/DrawCommands.h"
#include "app/draws/ImportPreview.h"
#include "app/draws/MergeDialog.h"
#include "app/patterns/PatternListModel.h"
#include "app/window/Application.h"
#include "app/window/Main.h"
#include "search/PatternExport.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PatternFactory.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestPlatform.h"
#include "ui/TextTableModel.h"
#include "view/paint/PatternPaint.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

// A results site's table, newest first, with a header.
const QByteArray SiteTable =
    "期号,开奖日期,一,二,三,四,五,六,七\r\n"
    "2024003,2024-01-08,1,1,1,1,1,1,1\r\n"
    "2024002,2024-01-05,0,3,8,1,5,6,2\r\n"
    "2024001,2024-01-02,7,7,1,2,6,0,0\r\n";

QString DrawAt(const TCodes& draws, int row) {
    QString text;
    for (int p = 1; p <= 7; ++p) text += QString::number(draws.GetNum(p, row));
    return text;
}

}  // namespace

class TestImportExport : public QObject {
    Q_OBJECT

  private:
    TMainWindowFixture fixture_;
    TScriptedPrompts::TLog& log_ = fixture_.Log;

    std::unique_ptr<TMainForm> NewWindow() { return fixture_.NewWindow(); }
    QString FilePath(const QString& name) const { return fixture_.FilePath(name); }
    void WriteFile(const QString& name, const QByteArray& bytes) {
        QVERIFY(fixture_.WriteFile(name, bytes));
    }
    QByteArray ReadFile(const QString& name) { return fixture_.ReadFile(name); }
    void Discard(TMainForm& form) {
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form.close());
    }

  private slots:
    void init() { fixture_.Reset(); }

    // A correction of a long file is read again on a background job: meanwhile "导入" waits.
    void aLongFileIsReadAgainOffTheWindowThread() {
        const TDrawFileText file(SiteTable.toStdString());
        TImportPreview preview(file, file.Read());
        preview.BackgroundLines = 1;
        preview.DrawColumnCbb->setCurrentIndex(1);  // 第2列: dates, which do not fit
        QVERIFY(preview.Rereading());
        QVERIFY(!preview.ImportBt->isEnabled());
        QCOMPARE(preview.CountLbl->text(), QStringLiteral("正在读取..."));
        preview.FinishRereading();
        QVERIFY(!preview.Readable());
        QCOMPARE(preview.ErrorLbl->text(),
                 QStringLiteral("第2行无法识别：2024003,2024-01-08,1,1,1,1,1,1,1"));
        preview.DrawColumnCbb->setCurrentIndex(
            preview.DrawColumnCbb->findText(QStringLiteral("第3至第9列（每列一位）")));
        QTRY_VERIFY(!preview.Rereading());  // handed over by the event loop
        QVERIFY(preview.Readable());
        QVERIFY(preview.ImportBt->isEnabled());
        QCOMPARE(preview.CountLbl->text(), QStringLiteral("共3期"));
    }

    // Shown, the preview's table has room for all seven rows it lists of a long file.
    void thePreviewShowsEveryListedRowWhole() {
        QString text = QStringLiteral("期号,开奖日期,号码\n");
        for (int i = 0; i < 30; ++i)
            text += QStringLiteral("%1,2024-01-01,%2\n").arg(2024030 - i).arg(1234500 + i);
        const TDrawFileText file(text.toStdString());
        TImportPreview preview(file, file.Read());
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        const int rows = preview.RowsModel->rowCount();
        QCOMPARE(rows, 7);
        QTableView* grid = preview.RowsGrid;
        QVERIFY(grid->rowViewportPosition(rows - 1) + grid->rowHeight(rows - 1) <=
                grid->viewport()->height());
    }

    // The plan dialog is usable from the keyboard: Tab leaves the plan's text, each button has
    // its Alt key.
    void theMergePlanAnswersItsKeys() {
        TMergeDialog dialog(QStringLiteral("导入号码"), QStringLiteral("新增1期。\n"), false,
                            false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.PlanEdit->setFocus();
        QTest::keyClick(dialog.PlanEdit, Qt::Key_Tab);
        QVERIFY(!dialog.PlanEdit->hasFocus());
        for (const auto& [button, keys] :
             {std::pair{dialog.AddBt, "Alt+A"}, std::pair{dialog.ReplaceAllBt, "Alt+R"},
              std::pair{dialog.CancelBt, "Alt+C"}})
            QCOMPARE(button->shortcut(), QKeySequence(QString::fromLatin1(keys)));
    }

    void previewShowsTheLayoutAndCancelChangesNothing() {
        const TDrawFileText file(SiteTable.toStdString());
        TImportPreview preview(file, file.Read());
        QCOMPARE(preview.SeparatorCbb->currentText(), QStringLiteral("逗号"));
        QVERIFY(preview.ReasonLbl->isHidden());
        QCOMPARE(preview.DrawColumnCbb->currentText(), QStringLiteral("第3至第9列（每列一位）"));
        QCOMPARE(preview.IssueColumnCbb->currentText(), QStringLiteral("第1列"));
        QCOMPARE(preview.DateColumnCbb->currentText(), QStringLiteral("第2列"));
        QCOMPARE(preview.FirstLineSe->value(), 2);
        QCOMPARE(preview.CountLbl->text(), QStringLiteral("共3期"));
        QVERIFY(preview.OrderLbl->text().contains(QStringLiteral("新的一期在前")));
        // Oldest first, as imported: line 4 of the file comes first.
        QCOMPARE(preview.RowsModel->Text(0, 0), QStringLiteral("4"));
        QCOMPARE(preview.RowsModel->Text(0, 3), QStringLiteral("7712600"));
        QCOMPARE(preview.RowsModel->Text(2, 1), QStringLiteral("2024003"));

        // A wrong correction names the line that does not fit and disables the import.
        preview.DrawColumnCbb->setCurrentIndex(0);  // 第1列 as seven digits: an issue number
        QVERIFY(preview.Readable());
        preview.DrawColumnCbb->setCurrentIndex(1);  // 第2列: dates
        QVERIFY(!preview.Readable());
        QVERIFY(!preview.ImportBt->isEnabled());
        QCOMPARE(preview.ErrorLbl->text(),
                 QStringLiteral("第2行无法识别：2024003,2024-01-08,1,1,1,1,1,1,1"));
        preview.FirstLineSe->setValue(1);
        preview.DrawColumnCbb->setCurrentIndex(
            preview.DrawColumnCbb->findText(QStringLiteral("第3至第9列（每列一位）")));
        QVERIFY(!preview.Readable());  // the header line is now a row that does not fit
        QVERIFY(preview.ErrorLbl->text().startsWith(QStringLiteral("第1行无法识别：期号")));

        WriteFile("site.csv", SiteTable);
        auto form = NewWindow();
        int previews = 0;
        form->DrawCommands().SetPreviewRunner([&](TImportPreview&) {
            ++previews;
            return false;
        });
        log_.FileNames.push_back(FilePath("site.csv"));
        form->FileMenuImportClick();
        form->FinishCommands();
        QCOMPARE(previews, 1);
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 0);
        QVERIFY(log_.Messages.isEmpty());
        QVERIFY(!form->DocumentModified());
        QVERIFY(form->close());
    }

    void acceptedPreviewImportsOldestFirstAndPlainFilesNeedNone() {
        WriteFile("site.csv", SiteTable);
        WriteFile("plain.txt", "1234567\r\n7654321\r\n");
        auto form = NewWindow();
        int previews = 0;
        form->DrawCommands().SetPreviewRunner([&](TImportPreview& preview) {
            ++previews;
            return preview.Readable();
        });
        log_.FileNames.push_back(FilePath("site.csv"));
        form->FileMenuImportClick();
        form->FinishCommands();
        const TCodes& draws = form->Gui2RegNet->Draws();
        QCOMPARE(draws.Count(), 3);
        QCOMPARE(DrawAt(draws, 0), QStringLiteral("7712600"));
        QCOMPARE(DrawAt(draws, 2), QStringLiteral("1111111"));
        QCOMPARE(log_.Messages.last(), QStringLiteral("导入开奖号码成功！"));

        // Nothing in common with the draws held: the plan says so, and 全部替换 is chosen. It
        // would drop a draw: asked first, 否 (the default) keeps the draws, 是 replaces them.
        for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            fixture_.MergeAnswers.push_back(TMergeChoice::ReplaceAll);
            log_.Questions.clear();
            if (answer == QMessageBox::Yes) log_.Answers.push_back(answer);
            log_.FileNames.push_back(FilePath("plain.txt"));
            form->FileMenuImportClick();
            form->FinishCommands();
            QCOMPARE(log_.Questions, QStringList{QStringLiteral(
                                         "全部替换后，文档的开奖号码将从3期变为2期，删除1期。"
                                         "确定要全部替换吗？")});
            QCOMPARE(draws.Count(), answer == QMessageBox::Yes ? 2 : 3);
        }
        QCOMPARE(log_.Messages.last(),
                 QStringLiteral("导入开奖号码成功！\r\n已替换：原有3期，现在2期"));
        QCOMPARE(previews, 1);
        QCOMPARE(fixture_.MergePlans.size(), 2);
        QVERIFY(fixture_.MergePlans[0].startsWith(QStringLiteral("新增2期")));

        // A table line that fits no layout is named before any preview.
        WriteFile("broken.csv", SiteTable + "2024004,2024-01-11,1,2,x,4,5,6,7\r\n");
        log_.FileNames.push_back(FilePath("broken.csv"));
        form->FileMenuImportClick();
        form->FinishCommands();
        QCOMPARE(log_.Messages.last(),
                 QStringLiteral("第5行无法识别：2024004,2024-01-11,1,2,x,4,5,6,7"));
        QCOMPARE(previews, 1);
        QCOMPARE(draws.Count(), 2);
        Discard(*form);
    }

    // Two columns of seven digits and no header: the preview opens with none chosen, says why,
    // and imports only what the user points at; a line that does not fit the choice is named.
    void anUndecidedFileOpensThePreviewWithTheChoiceLeftToTheUser() {
        {
            const TDrawFileText file(
                "24001,3982597,5930676\r\n24002,0381562,5930771\r\n"
                "24003,1111111x,5931001x\r\n");
            TImportPreview preview(file, {true, file.DetectLayout(), false, {}});
            QCOMPARE(
                preview.ReasonLbl->text(),
                QStringLiteral(
                    "无法确定哪一列是开奖号码（可能是第2列、第3列），请选择开奖号码所在的列。"));
            QCOMPARE(preview.DrawColumnCbb->currentText(), QStringLiteral("（请选择）"));
            QVERIFY(!preview.ImportBt->isEnabled());
            QCOMPARE(preview.IssueColumnCbb->currentText(), QStringLiteral("第1列"));
            preview.DrawColumnCbb->setCurrentIndex(
                preview.DrawColumnCbb->findText(QStringLiteral("第3列（七位数字）")));
            QVERIFY(!preview.Readable());
            QVERIFY(!preview.ImportBt->isEnabled());
            QCOMPARE(preview.ErrorLbl->text(),
                     QStringLiteral("第3行无法识别：24003,1111111x,5931001x"));
            QVERIFY(preview.ReasonLbl->isHidden());
        }

        WriteFile("undecided.csv",
                  "24001,3982597,5930676\r\n24002,0381562,5930771\r\n"
                  "24003,1111111,5931001\r\n");
        auto form = NewWindow();
        QStringList reasons;
        form->DrawCommands().SetPreviewRunner([&](TImportPreview& preview) {
            reasons << preview.ReasonLbl->text();
            if (reasons.size() == 1) return true;  // "导入" without a choice imports nothing
            preview.DrawColumnCbb->setCurrentIndex(
                preview.DrawColumnCbb->findText(QStringLiteral("第2列（七位数字）")));
            return preview.ImportBt->isEnabled();
        });
        const TCodes& draws = form->Gui2RegNet->Draws();
        for (int attempt = 0; attempt < 2; ++attempt) {
            log_.FileNames.push_back(FilePath("undecided.csv"));
            form->FileMenuImportClick();
            form->FinishCommands();
            QCOMPARE(draws.Count(), attempt == 0 ? 0 : 3);
        }
        QCOMPARE(reasons.size(), 2);
        QVERIFY(reasons[0].startsWith(QStringLiteral("无法确定哪一列是开奖号码")));
        QCOMPARE(DrawAt(draws, 1), QStringLiteral("0381562"));
        QCOMPARE(log_.Messages, QStringList{QStringLiteral("导入开奖号码成功！")});
        Discard(*form);
    }

    // The separator is the user's to choose: the columns follow it.
    void choosingTheSeparatorReadsTheColumnsAgain() {
        const TDrawFileText file(
            "期号;开奖号码;奖金\n2024001;2,3,8,1,1,5,0;\"1,000\"\n2024002;0,0,1,9,4,4,2;\"2,"
            "000\"\n");
        TImportPreview preview(file, file.Read());
        QCOMPARE(preview.SeparatorCbb->currentText(), QStringLiteral("分号"));
        QCOMPARE(preview.DrawColumnCbb->currentText(), QStringLiteral("第2列（七位数字）"));
        QCOMPARE(preview.CountLbl->text(), QStringLiteral("共2期"));
        // Under commas no line holds a draw: none is chosen and the reader says where it failed.
        preview.SeparatorCbb->setCurrentIndex(
            preview.SeparatorCbb->findText(QStringLiteral("逗号")));
        QCOMPARE(preview.DrawColumnCbb->currentText(), QStringLiteral("（请选择）"));
        QVERIFY(!preview.Readable());
        QVERIFY(!preview.ImportBt->isEnabled());
        QCOMPARE(preview.ErrorLbl->text(), QStringLiteral("第1行无法识别：期号;开奖号码;奖金"));
        preview.SeparatorCbb->setCurrentIndex(
            preview.SeparatorCbb->findText(QStringLiteral("分号")));
        QVERIFY(preview.Readable());
        QVERIFY(preview.ErrorLbl->text().isEmpty());
        QCOMPARE(preview.Reading().Numbers(), (std::vector<int32_t>{2381150, 19442}));
        QCOMPARE(preview.Reading().Rows[1].Issue, std::string("2024002"));
        QCOMPARE(preview.FirstLineSe->value(), 2);
    }

    void wideLinesAreRefusedOrOfferOnlyTheKnownColumns() {
        // 300 columns: read, but the preview offers only the columns a draw can stand in.
        QByteArray wide = "2024001,7712600";
        for (int c = 2; c < 300; ++c) wide += ",0";
        const TDrawFileText file((wide + "\n").toStdString());
        TImportPreview preview(file, file.Read());
        QCOMPARE(preview.IssueColumnCbb->count(), 1 + MaxKnownColumns);
        QCOMPARE(preview.DrawColumnCbb->count(), MaxKnownColumns + MaxKnownColumns - 6);

        // Past a thousand fields the file is refused before any preview.
        QByteArray huge = SiteTable;
        for (int c = 0; c < 100000; ++c) huge += "1,";
        WriteFile("huge.csv", huge);
        auto form = NewWindow();
        int previews = 0;
        form->DrawCommands().SetPreviewRunner([&](TImportPreview&) { return ++previews > 0; });
        log_.FileNames.push_back(FilePath("huge.csv"));
        form->FileMenuImportClick();
        form->FinishCommands();
        QCOMPARE(previews, 0);
        QCOMPARE(log_.Messages.last(), QStringLiteral("第5行的字段超过1000个，不是开奖号码表格。"));
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 0);
        QVERIFY(form->close());
    }

    void theStartRemovesTheDebrisOfKilledExportsWhereverTheyWent() {
        // A pattern table export killed in another folder: its note and its temporary file.
        const QString elsewhere = FilePath(QStringLiteral("导出"));
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(QDir().mkpath(FilePath(QStringLiteral(".writes"))));
        const QString target = elsewhere + QStringLiteral("/规律.csv");
        WriteFile(".writes/write-Ab12Cd", target.toUtf8() + "\n");  // names in UTF-8
        for (const QString& name :
             {QStringLiteral("/规律.csv.tmp-Xy34Zw"), QStringLiteral("/工作文档.gtmq.tmp-Xy34Zw"),
              QStringLiteral("/pavolen.ini.tmp-Xy34Zw")}) {
            QFile debris(
                (name.startsWith(QStringLiteral("/规律")) ? elsewhere : fixture_.Folder()) + name);
            QVERIFY(debris.open(QIODevice::WriteOnly));
        }
        auto form = NewWindow();
        QCOMPARE(QDir(elsewhere).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(fixture_.Folder()).entryList({QStringLiteral("*.tmp-*")}, QDir::Files),
                 QStringList());
        QCOMPARE(QDir(FilePath(QStringLiteral(".writes"))).entryList(QDir::Files), QStringList());
        QVERIFY(form->close());
    }

    void exportedDrawsImportBack() {
        WriteFile("site.csv", SiteTable);
        auto form = NewWindow();
        form->DrawCommands().SetPreviewRunner([](TImportPreview&) { return true; });
        log_.FileNames.push_back(FilePath("site.csv"));
        form->FileMenuImportClick();
        form->FinishCommands();
        QVERIFY(form->FileMenuExport->isVisible());
        for (const QString& name : {QStringLiteral("out.txt"), QStringLiteral("out.csv")}) {
            log_.FileNames.push_back(FilePath(name));
            form->FileMenuExportClick();
            QCOMPARE(log_.Messages.last(), QStringLiteral("导出开奖号码成功！"));
        }
        QCOMPARE(ReadFile("out.txt"), QByteArray("7712600\r\n0381562\r\n1111111\r\n"));
        // The table carries the site's 期号 and dates.
        QVERIFY(
            ReadFile("out.csv").startsWith("\xEF\xBB\xBF期号,开奖日期,A,B,C,D,E,F,G,和值\r\n"
                                           "2024001,2024-01-02,7,7,1,2,6,0,0,"));
        log_.FileNames.push_back(FilePath("out.csv"));
        form->FileMenuImportClick();
        form->FinishCommands();
        // The same draws again: nothing to add, no plan to look at.
        QCOMPARE(log_.Messages.last(),
                 QStringLiteral("没有新的开奖号码，原有的开奖号码没有改动。"));
        QVERIFY(fixture_.MergePlans.isEmpty());
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 3);
        QCOMPARE(DrawAt(form->Gui2RegNet->Draws(), 1), QStringLiteral("0381562"));
        Discard(*form);
    }

    void patternTableFollowsTheListOrderAndTheSelection() {
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        patterns.push_back(MakePattern(3, 2, 4));
        patterns.push_back(MakePattern(2, 2, 5));
        patterns.push_back(MakePattern(2, 3, 6));
        WriteFile("工作文档.gtmq", DocumentBytes({{1, 2, 3, 4, 5, 6, 7}}, patterns));
        auto form = NewWindow();
        QCOMPARE(form->ListModel().RowCount(), 3);
        // The list stands in "点" order: 22, 23, 32.
        log_.FileNames.push_back(FilePath("all.csv"));
        form->FileMenuExportTableClick();
        form->FinishCommands();  // the table is written on a background job
        const QByteArray all = ReadFile("all.csv");
        QVERIFY(all.startsWith("\xEF\xBB\xBF"));
        const QList<QByteArray> lines = all.mid(3).split('\n');
        QCOMPARE(lines.size(), 5);  // header, three rows, the empty tail
        QVERIFY(lines[1].startsWith("22,5,"));
        QVERIFY(lines[2].startsWith("23,6,"));
        QVERIFY(lines[3].startsWith("32,4,"));
        QCOMPARE(log_.Messages.last(), QStringLiteral("已经导出3个规律。"));

        // Rows 0 and 2 selected: "是" writes only those, in list order.
        form->ListView->selectRow(0);
        form->ListView->selectionModel()->select(
            form->ListModel().index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        log_.Answers.push_back(QMessageBox::Yes);
        log_.FileNames.push_back(FilePath("selected.csv"));
        form->FileMenuExportTableClick();
        form->FinishCommands();  // the table is written on a background job
        const QList<QByteArray> chosen = ReadFile("selected.csv").mid(3).split('\n');
        QCOMPARE(chosen.size(), 4);
        QVERIFY(chosen[1].startsWith("22,5,"));
        QVERIFY(chosen[2].startsWith("32,4,"));

        // Two rows selected: no picture; one row: its picture on the clipboard.
        QGuiApplication::clipboard()->clear();
        form->RegMenuCopyPicClick();
        QCOMPARE(log_.Messages.last(), QStringLiteral("请选择一个规律！"));
        QVERIFY(QGuiApplication::clipboard()->image().isNull());
        form->ListView->selectRow(1);
        form->RegMenuCopyPicClick();
        const QImage copied = QGuiApplication::clipboard()->image();
        QVERIFY(!copied.isNull());
        QCOMPARE(copied.size(), PaintPatternPicture(form->Gui2RegNet->PaintInput()).size());
        QVERIFY(form->close());
    }
};

int main(int argc, char** argv) {
    UseTestPlatform();
    TApplication app(argc, argv);
    TestImportExport test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_import_export.moc"
