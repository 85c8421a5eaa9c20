// Undo and redo of the changes of the draws, and the modified flag that follows them.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Application.h"
#include "app/ImportPreview.h"
#include "app/Main.h"
#include "app/UndoHistory.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PatternFactory.h"
#include "tests/support/ScriptedPrompts.h"
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

    void aChangeThatIsNotRecordedKeepsTheDocumentModified() {
        std::vector<std::unique_ptr<TGui2Reg>> patterns;
        patterns.push_back(MakePattern(2, 2, 4));
        WriteFile("工作文档.gtmq", DocumentBytes({{1, 2, 3, 4, 5, 6, 7}}, patterns));
        WriteFile("a.txt", "1111111\r\n");
        auto form = NewWindow();
        Import(*form, "a.txt");
        form->RegMenuClearClick();
        form->EditMenuUndoClick();  // the import is undone, the cleared patterns stay gone
        QCOMPARE(DrawTexts(form->Gui2RegNet->Draws()), QStringList{"1234567"});
        QVERIFY(form->DocumentModified());
        log_.Answers.push_back(QMessageBox::Discard);
        QVERIFY(form->close());
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TestUndoHistory test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_undo_history.moc"
