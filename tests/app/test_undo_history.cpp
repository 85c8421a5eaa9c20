// Undo and redo of the changes of the draws and of the pattern list, and the modified flag
// that follows them.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <functional>
#include <set>

#include "app/draws/ImportPreview.h"
#include "app/patterns/PatternListModel.h"
#include "app/window/Application.h"
#include "app/window/Main.h"
#include "app/window/UndoHistory.h"
#include "data/ui/CodeEditor.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PatternFactory.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestPlatform.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

QStringList DrawTexts(const TCodes& draws) {
    QStringList texts;
    for (int row = 0; row < draws.Count(); ++row) {
        QString text;
        for (int p = 1; p <= 7; ++p) text += QString::number(draws.GetNum(p, row));
        texts << text;
    }
    return texts;
}

}  // namespace

class TestUndoHistory : public QObject {
    Q_OBJECT

  private:
    TMainWindowFixture fixture_;
    TScriptedPrompts::TLog& log_ = fixture_.Log;

    std::unique_ptr<TMainForm> NewWindow() {
        auto form = fixture_.NewWindow();
        form->DrawCommands().SetPreviewRunner([](TImportPreview&) { return true; });
        return form;
    }
    void WriteFile(const QString& name, const QByteArray& bytes) {
        QVERIFY(fixture_.WriteFile(name, bytes));
    }
    void Import(TMainForm& form, const QString& name) {
        log_.FileNames.push_back(fixture_.FilePath(name));
        form.FileMenuImportClick();
        form.FinishCommands();
    }

  private slots:
    void init() { fixture_.Reset(); }

    void importsAreUndoneBackToTheSavedState() {
        WriteFile("a.txt", "1111111\r\n2222222\r\n");
        WriteFile("b.csv", "期号,号码\r\n2024002,4444444\r\n2024001,3333333\r\n");
        auto form = NewWindow();
        QVERIFY(!form->EditMenuUndo->isEnabled());
        Import(*form, "a.txt");
        form->FileMenuSaveClick();
        QVERIFY(!form->DocumentModified());
        fixture_.MergeAnswers.push_back(TMergeChoice::ReplaceAll);
        Import(*form, "b.csv");
        const TCodes& draws = form->Gui2RegNet->Draws();
        QCOMPARE(DrawTexts(draws), (QStringList{"3333333", "4444444"}));
        QVERIFY(form->DocumentModified());
        QVERIFY(form->EditMenuUndo->isEnabled());

        QCOMPARE(form->EditMenuUndo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(form->EditMenuRedo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));
        form->EditMenuUndo->trigger();
        QCOMPARE(DrawTexts(draws), (QStringList{"1111111", "2222222"}));
        QVERIFY(!form->DocumentModified());  // back at the saved state
        form->EditMenuUndoClick();
        QCOMPARE(draws.Count(), 0);
        QVERIFY(form->DocumentModified());
        QVERIFY(!form->EditMenuUndo->isEnabled());

        form->EditMenuRedo->trigger();
        form->EditMenuRedoClick();
        QCOMPARE(DrawTexts(draws), (QStringList{"3333333", "4444444"}));
        QVERIFY(!form->EditMenuRedo->isEnabled());
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    void typedDigitsAreUndoneOneKeyAtATime() {
        WriteFile("a.txt", "1111111\r\n");
        auto form = NewWindow();
        Import(*form, "a.txt");
        form->FileMenuSaveClick();
        const TCodes& draws = form->Gui2RegNet->Draws();
        TGridGeometry& cursor = form->Gui2RegNet->Geometry();
        const auto typeAtFirstDigit = [&](Qt::Key key) {
            cursor.CursorRow = 0;
            cursor.CursorCol = 2;
            QTest::keyClick(form->Gui2RegNet, key);
        };
        typeAtFirstDigit(Qt::Key_5);
        typeAtFirstDigit(Qt::Key_6);
        const QStringList typed = DrawTexts(draws);
        QCOMPARE(typed, QStringList{"6111111"});
        form->EditMenuUndoClick();
        form->EditMenuUndoClick();
        QCOMPARE(DrawTexts(draws), QStringList{"1111111"});
        QVERIFY(!form->DocumentModified());
        form->EditMenuRedoClick();
        form->EditMenuRedoClick();
        QCOMPARE(DrawTexts(draws), typed);
        QVERIFY(form->DocumentModified());

        // The depth is bounded: the oldest changes fall off.
        for (int i = 0; i < TUndoHistory::DepthLimit + 10; ++i)
            typeAtFirstDigit(static_cast<Qt::Key>(Qt::Key_0 + i % 10));
        QCOMPARE(form->History().Stack().count(), TUndoHistory::DepthLimit);
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    void changesThatChangeNothingRecordNoStep() {
        WriteFile("a.txt", "1111111\r\n2222222\r\n");
        auto form = NewWindow();
        Import(*form, "a.txt");
        form->FileMenuSaveClick();
        const int steps = form->History().Stack().count();
        TGridGeometry& cursor = form->Gui2RegNet->Geometry();
        const auto typeAt = [&](int row, int column, Qt::Key key) {
            cursor.CursorRow = row;
            cursor.CursorCol = column;
            QTest::keyClick(form->Gui2RegNet, key);
        };
        const auto saveEditorUnchanged = [&] {
            QTimer::singleShot(0, [] {
                auto* editor = qobject_cast<TCodeEdtorForm*>(QApplication::activeModalWidget());
                QVERIFY(editor != nullptr);
                editor->SaveBtClick();
            });
            form->FileMenuEditClick();
        };
        const std::vector<std::pair<const char*, std::function<void()>>> noChanges = {
            {"the same digit typed again", [&] { typeAt(0, 2, Qt::Key_1); }},
            {"a digit of another draw typed again", [&] { typeAt(1, 3, Qt::Key_2); }},
            {"the editor saved unchanged", saveEditorUnchanged},
            {"the same file imported again", [&] { Import(*form, "a.txt"); }},
        };
        for (const auto& [name, change] : noChanges) {
            change();
            QCoreApplication::processEvents();
            QVERIFY2(form->History().Stack().count() == steps, name);
            QVERIFY2(!form->DocumentModified(), name);
        }
        QCOMPARE(DrawTexts(form->Gui2RegNet->Draws()), (QStringList{"1111111", "2222222"}));
        typeAt(0, 2, Qt::Key_5);  // a real change still counts
        QCOMPARE(form->History().Stack().count(), steps + 1);
        QVERIFY(form->DocumentModified());
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    void deletedAndClearedPatternsComeBackInPlace() {
        // Point counts alternate, so the rows stand in several "点" groups.
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        for (int i = 0; i < 8; ++i) patterns.push_back(MakePattern(2 + i % 3, 2, 3 + i));
        WriteFile("工作文档.gtmq", DocumentBytes({{1, 2, 3, 4, 5, 6, 7}}, patterns));
        auto form = NewWindow();
        const auto rows = [&] {
            std::vector<const TGui2Reg*> list;
            for (int r = 0; r < form->ListModel().RowCount(); ++r)
                list.push_back(form->ListModel().PatternAt(r));
            return list;
        };
        const auto managerOrder = [&] {
            std::vector<const TGui2Reg*> list;
            for (const auto& p : form->RegMgr().Patterns()) list.push_back(p.get());
            return list;
        };
        const auto selectRows = [&](std::initializer_list<int> picked) {
            form->ListView->clearSelection();
            for (int r : picked)
                form->ListView->selectionModel()->select(
                    form->ListModel().index(r, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        };
        const std::vector<const TGui2Reg*> opened = managerOrder();

        for (int sortColumn : {0, 2}) {  // grouped by "点", then one flat sorted list
            if (sortColumn != 0) form->ListViewColumnClick(sortColumn);
            const std::vector<const TGui2Reg*> shown = rows();
            selectRows({0, 3, 4, 7});
            form->RegMenuDelClick();
            QCOMPARE(form->ListModel().RowCount(), 4);
            QCOMPARE(form->RegMgr().Count(), 4);
            QVERIFY(form->DocumentModified());
            form->EditMenuUndoClick();
            QVERIFY(rows() == shown);
            QVERIFY(managerOrder() == opened);
            QVERIFY(!form->DocumentModified());
            form->EditMenuRedoClick();
            QCOMPARE(form->RegMgr().Count(), 4);
            form->EditMenuUndoClick();

            form->RegMenuClearClick();
            QCOMPARE(form->ListModel().RowCount(), 0);
            QCOMPARE(form->RegMgr().Count(), 0);
            form->EditMenuUndoClick();
            QVERIFY(rows() == shown);
            QVERIFY(managerOrder() == opened);
            QCOMPARE(form->ListModel().ShownSortColumn(), sortColumn);
            QVERIFY(!form->DocumentModified());
        }
        // Sorted between a deletion and its undo and redo: the same patterns go and come back,
        // the list keeps its order and always shows what the manager holds.
        form->ListViewColumnClick(0);
        selectRows({1, 2});
        const std::set<const TGui2Reg*> chosen = {rows()[1], rows()[2]};
        form->RegMenuDelClick();
        form->ListViewColumnClick(5);
        const auto listedAsHeld = [&] {
            const auto listed = rows();
            const auto held = managerOrder();
            return std::set<const TGui2Reg*>(listed.begin(), listed.end()) ==
                   std::set<const TGui2Reg*>(held.begin(), held.end());
        };
        form->EditMenuUndoClick();
        QCOMPARE(form->RegMgr().Count(), 8);
        QVERIFY(listedAsHeld());
        const auto sorted = rows();
        for (size_t r = 1; r < sorted.size(); ++r)
            QVERIFY(TPatternListModel::Compare(*sorted[r - 1], *sorted[r], 5) <= 0);
        form->ListViewColumnClick(1);
        form->EditMenuRedoClick();
        QCOMPARE(form->RegMgr().Count(), 6);
        QVERIFY(listedAsHeld());
        for (const TGui2Reg* p : rows()) QVERIFY(chosen.count(p) == 0);
        form->EditMenuUndoClick();

        // Saved after a clear: undoing it brings the patterns back and the document differs.
        form->RegMenuClearClick();
        QVERIFY(form->SaveDocument());
        form->EditMenuUndoClick();
        QCOMPARE(form->RegMgr().Count(), 8);
        QVERIFY(form->DocumentModified());
        form->EditMenuRedoClick();
        QVERIFY(!form->DocumentModified());
        QVERIFY(form->close());
    }

    void oldPatternChangesGiveUpTheirPatternsPastTheLimit() {
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        for (int i = 0; i < 5; ++i) patterns.push_back(MakePattern(2, 2, 3 + i));
        WriteFile("工作文档.gtmq", DocumentBytes({{1, 2, 3, 4, 5, 6, 7}}, patterns));
        WriteFile("a.txt", "1111111\r\n");
        auto form = NewWindow();
        form->History().SetHeldPatternLimit(3);
        form->ListView->selectRow(0);
        form->RegMenuDelClick();    // holds 1
        Import(*form, "a.txt");     // a change of the draws between the two
        form->RegMenuClearClick();  // holds 4: the deletion must give its one up
        QCOMPARE(form->History().HeldPatterns(), size_t(4));
        QVERIFY(form->EditMenuUndo->isEnabled());
        form->EditMenuUndoClick();  // the clear: the latest change keeps its patterns
        QCOMPARE(form->RegMgr().Count(), 4);
        form->EditMenuUndoClick();  // the import
        QCOMPARE(DrawTexts(form->Gui2RegNet->Draws()), QStringList{"1234567"});
        QVERIFY(!form->EditMenuUndo->isEnabled());
        form->EditMenuUndoClick();  // the deletion gave its pattern up: nothing happens
        QCOMPARE(form->RegMgr().Count(), 4);
        QVERIFY(form->DocumentModified());
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    // An update by 期号: new draws appended, a differing one replaced as agreed, the 期号 and
    // dates with them; one undo takes it all back, one redo brings it again; a save and a new
    // window keep the 期号; typing the coming draw continues them.
    void anUpdateIsOneStepWithItsIssues() {
        WriteFile("old.csv",
                  "期号,日期,号码\r\n2024001,2024-01-02,1111111\r\n"
                  "2024002,2024-01-04,2222222\r\n2024003,2024-01-07,3333333\r\n");
        WriteFile("new.csv",
                  "期号,日期,号码\r\n2024003,2024-01-07,3333330\r\n"
                  "2024004,2024-01-09,4444444\r\n2024006,2024-01-14,6666666\r\n");
        auto form = NewWindow();
        Import(*form, "old.csv");
        QVERIFY(fixture_.MergePlans.isEmpty());  // an empty document takes everything
        const TCodes& draws = form->Gui2RegNet->Draws();
        const TDrawRegister& reg = form->Gui2RegNet->Register();
        const TDrawRegister before = reg;
        QCOMPARE(reg.At(2).Date, std::string("2024-01-07"));

        // The dialog as the user sees it (a screenshot among the artifacts), answered by ticking
        // the box and 添加.
        form->DrawCommands().SetMergeRunner([this](TMergeDialog& dialog) {
            dialog.show();
            SaveScreenshot(dialog, QStringLiteral("merge_dialog.png"));
            dialog.ReplaceDifferingChk->setChecked(true);
            dialog.AddBt->click();
            fixture_.MergePlans << dialog.PlanText();
            return dialog.Choice();
        });
        Import(*form, "new.csv");
        QCOMPARE(fixture_.MergePlans.size(), 1);
        const QString plan = fixture_.MergePlans[0];
        QVERIFY2(plan.startsWith(QStringLiteral("新增2期（第2024004期至第2024006期）")),
                 qPrintable(plan));
        QVERIFY2(plan.contains(QStringLiteral("第3行（第2024003期）：文档 3333333，来源 3333330")),
                 qPrintable(plan));
        QVERIFY2(plan.contains(QStringLiteral("缺少1期：2024005")), qPrintable(plan));
        QCOMPARE(DrawTexts(draws),
                 (QStringList{"1111111", "2222222", "3333330", "4444444", "6666666"}));
        QCOMPARE(reg.At(4).Issue, std::string("2024006"));
        QCOMPARE(reg.NextIssue(), std::string("2024007"));
        SaveScreenshot(*form, QStringLiteral("grid_issues.png"));

        form->EditMenuUndoClick();
        QCOMPARE(DrawTexts(draws), (QStringList{"1111111", "2222222", "3333333"}));
        QVERIFY(reg == before);
        form->EditMenuRedoClick();
        QCOMPARE(draws.Count(), 5);
        QCOMPARE(reg.At(3).Issue, std::string("2024004"));

        // An update on its own adds new draws without a word, and leaves differing ones to
        // the user.
        TIncomingDraws quiet;
        quiet.Numbers = {6666666, 7777777};
        quiet.Identities = {{"2024006", ""}, {"2024007", "2024-01-16"}};
        const qsizetype messages = log_.Messages.size();
        QCOMPARE(form->DrawCommands().AddNewDrawsWithoutAsking(quiet, TDrawChange::Download), 1);
        QCOMPARE(draws.Count(), 6);
        QCOMPARE(reg.At(5).Date, std::string("2024-01-16"));
        quiet.Numbers[1] = 7777770;
        QCOMPARE(form->DrawCommands().AddNewDrawsWithoutAsking(quiet, TDrawChange::Download), -1);
        QCOMPARE(log_.Messages.size(), messages);
        form->EditMenuUndoClick();
        QCOMPARE(draws.Count(), 5);

        // The same file again: nothing new, no dialog, nothing to undo.
        Import(*form, "new.csv");
        QCOMPARE(fixture_.MergePlans.size(), 1);
        QVERIFY(log_.Messages.last().startsWith(QStringLiteral("没有新的开奖号码")));

        form->Gui2RegNet->Geometry().CursorRow = 5;  // the coming draw
        form->Gui2RegNet->Geometry().CursorCol = 2;
        QTest::keyClick(form->Gui2RegNet, Qt::Key_1);
        QCOMPARE(draws.Count(), 6);
        QCOMPARE(reg.At(5).Issue, std::string("2024007"));

        form->FileMenuSaveClick();
        auto again = fixture_.NewWindow();
        QCOMPARE(again->Gui2RegNet->Draws().Count(), 6);
        QVERIFY(again->Gui2RegNet->Register() == reg);
        form->EditMenuUndoClick();  // typing is undone with its 期号
        QCOMPARE(reg.Count(), 5);
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    void aSearchIsUndoneToThePatternsAndDrawsBeforeIt() {
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        patterns.push_back(MakePattern(2, 2, 4));
        WriteFile("工作文档.gtmq", DocumentBytes({{1, 2, 3, 4, 5, 6, 7}}, patterns));
        WriteFile("draws.txt", QByteArray::fromStdString(RandomDrawFile(7, 150)));
        auto form = NewWindow();
        const TGui2Reg* before = form->ListModel().PatternAt(0);
        const int searchDrawsBefore = form->RegMgr().SearchDraws().Count();
        fixture_.MergeAnswers.push_back(TMergeChoice::ReplaceAll);
        Import(*form, "draws.txt");
        SearchOptions options = form->Options();
        options.LinedPtMaxSe = 3;
        form->SetOptions(options);
        form->RegMenuSearchClick();
        log_.Messages.clear();
        form->EditMenuUndoClick();  // refused while the search runs
        QCOMPARE(log_.Messages.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!form->RegMgr().Running(), 60000);
        const int found = form->RegMgr().Count();
        QVERIFY(found > 0);
        QCOMPARE(form->RegMgr().SearchDraws().Count(), 150);

        form->EditMenuUndoClick();
        QCOMPARE(form->RegMgr().Count(), 1);
        QCOMPARE(form->ListModel().RowCount(), 1);
        QCOMPARE(form->ListModel().PatternAt(0), before);
        QCOMPARE(form->RegMgr().SearchDraws().Count(), searchDrawsBefore);
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 150);  // the import stays
        form->EditMenuRedoClick();
        QCOMPARE(form->RegMgr().Count(), found);
        QCOMPARE(form->ListModel().RowCount(), found);
        QCOMPARE(form->RegMgr().SearchDraws().Count(), 150);
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }

    void anUndoRightAfterStopWaitsForTheStoppedSearchsLastRows() {
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        patterns.push_back(MakePattern(2, 2, 4));
        WriteFile("工作文档.gtmq", DocumentBytes({{1, 2, 3, 4, 5, 6, 7}}, patterns));
        WriteFile("draws.txt", QByteArray::fromStdString(RandomDrawFile(7, 150)));
        auto form = NewWindow();
        const TGui2Reg* before = form->ListModel().PatternAt(0);
        fixture_.MergeAnswers.push_back(TMergeChoice::ReplaceAll);
        Import(*form, "draws.txt");
        // A search long enough to be stopped while it finds patterns.
        SearchOptions options = form->Options();
        options.LinedPtMaxSe = 4;
        options.LinegPtMaxSe = 4;
        options.SecCountSe = 3;
        form->SetOptions(options);
        form->RegMenuSearchClick();
        QTRY_VERIFY_WITH_TIMEOUT(form->RegMgr().Count() > 0, 60000);
        // The search goes on finding while this thread does not look at its queue, so rows are
        // still on their way when 停止 and 撤销 come in one go.
        QThread::msleep(100);
        QVERIFY(form->RegMgr().Running());
        form->RegMenuStopClick();
        form->EditMenuUndoClick();
        form->EditMenuUndoClick();  // the import, once the search's undo has run
        QTRY_VERIFY_WITH_TIMEOUT(!form->RegMgr().HandingOver(), 60000);
        QTRY_COMPARE(form->Gui2RegNet->Draws().Count(), 1);
        QCOMPARE(form->RegMgr().Count(), 1);
        QCOMPARE(form->ListModel().RowCount(), 1);
        QCOMPARE(form->ListModel().PatternAt(0), before);

        form->EditMenuRedoClick();
        form->EditMenuRedoClick();
        const int found = form->RegMgr().Count();
        QVERIFY(found > 1);
        QCOMPARE(form->ListModel().RowCount(), found);
        QCOMPARE(form->RegMgr().SearchDraws().Count(), 150);
        QCoreApplication::processEvents();  // nothing of the stopped search is left to arrive
        QCOMPARE(form->RegMgr().Count(), found);

        // An old draw edited under the found patterns: they cannot be verified any more.
        const QModelIndex verdict = form->ListModel().index(0, TPatternListModel::VerifyColumn);
        QCOMPARE(verdict.data().toString(), "");  // their draw is not out yet
        TGridGeometry& cursor = form->Gui2RegNet->Geometry();
        cursor.CursorRow = 3;
        cursor.CursorCol = 2;
        const int digit = form->Gui2RegNet->Draws().GetNum(1, 3);
        QTest::keyClick(form->Gui2RegNet, static_cast<Qt::Key>(Qt::Key_0 + (digit + 1) % 10));
        QCOMPARE(verdict.data().toString(), "无效");
        QVERIFY(!verdict.data(Qt::ToolTipRole).toString().isEmpty());
        form->EditMenuUndoClick();
        QCOMPARE(verdict.data().toString(), "");

        form->EditMenuUndoClick();
        QCOMPARE(form->RegMgr().Count(), 1);
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }
};

int main(int argc, char** argv) {
    UseTestPlatform();
    TApplication app(argc, argv);
    TestUndoHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_undo_history.moc"
