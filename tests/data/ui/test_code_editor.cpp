#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/window/Application.h"
#include "app/window/Main.h"
#include "data/DrawLines.h"
#include "data/ui/CodeEditor.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestPlatform.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

QString ErrorsMessage(int errors, std::vector<int64_t> lines) {
    return QString::fromStdString(ErrorLinesMessage(errors, lines));
}

}  // namespace

class TestCodeEditor : public QObject {
    Q_OBJECT

  private:
    TMainWindowFixture fixture_;
    TScriptedPrompts::TLog& log_ = fixture_.Log;

    std::unique_ptr<TMainForm> NewWindow(const std::vector<std::string>& draws) {
        auto form = fixture_.NewWindow();
        LoadDrawLines(draws, form->Gui2RegNet->Draws());
        form->Gui2RegNet->LayoutGrid();
        log_.Messages.clear();
        return form;
    }

    // Runs the edit command; while the editor is open, act gets it and must close it.
    static void Edit(TMainForm& form, const std::function<void(TCodeEdtorForm&)>& act) {
        bool acted = false;
        QTimer::singleShot(0, &form, [&form, &act, &acted] {
            auto* editor = form.findChild<TCodeEdtorForm*>();
            QVERIFY(editor != nullptr && editor->isVisible());
            acted = true;
            act(*editor);
            if (editor->isVisible()) editor->reject();  // a failed check must not hang the test
        });
        form.FileMenuEditClick();
        QVERIFY(acted);
    }

  private slots:
    void init() { fixture_.Reset(); }

    // Check reports and leaves the text; padding is one undo step; save refuses errors.
    void buttonsActOnTheTextAndReportThroughThePrompts() {
        TCodeEdtorForm editor(nullptr, fixture_.Prompts());
        editor.show();
        const QString text = QStringLiteral(" 12345\n\n123456a\n12345678 \n7654321");
        editor.Memo->setPlainText(text);
        editor.CheckBt->click();
        QCOMPARE(log_.Messages, QStringList{ErrorsMessage(3, {1, 3, 4})});
        // The cursor stands on the first line that failed.
        QCOMPARE(editor.Memo->textCursor().blockNumber(), 0);
        QCOMPARE(editor.Memo->toPlainText(), text);
        editor.BuLingBt->click();
        QCOMPARE(editor.Memo->toPlainText(), QStringLiteral("1234500\n123456a\n12345678\n7654321"));
        QCOMPARE(log_.Messages.last(), QString::fromStdString(PaddingMessage(1)));
        editor.Memo->undo();
        QCOMPARE(editor.Memo->toPlainText(), text);

        // Blank lines go even when the save is refused; the others keep their blanks.
        editor.Memo->setPlainText(QStringLiteral("  1234567\n\n7654321\n   \n1234 67\n"));
        QCOMPARE(editor.Lines().size(), size_t{5});  // a final break opens no line
        editor.SaveBt->click();
        QCOMPARE(log_.Messages.last(), ErrorsMessage(1, {3}));
        QCOMPARE(editor.Memo->textCursor().block().text(), QStringLiteral("1234 67"));
        QCOMPARE(editor.Memo->toPlainText(), QStringLiteral("  1234567\n7654321\n1234 67"));
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.result(), int(QDialog::Rejected));

        log_.Messages.clear();
        editor.Memo->setPlainText(QStringLiteral("  1234567\n\n7654321"));
        editor.SaveBt->click();
        QVERIFY(log_.Messages.isEmpty());
        QVERIFY(!editor.isVisible());
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.Memo->toPlainText(), QStringLiteral("  1234567\n7654321"));
    }

    void editCommandReplacesTheDrawsOnSave() {
        auto form = NewWindow({"0381562", "1111111", "2222222"});
        const int scrollMax = form->Gui2RegNet->verticalScrollBar()->maximum();
        TCodeEdtorForm* first = nullptr;
        Edit(*form, [&first](TCodeEdtorForm& editor) {
            first = &editor;
            QCOMPARE(editor.Memo->toPlainText(), QStringLiteral("0381562\n1111111\n2222222"));
            QCOMPARE(editor.Memo->textCursor().blockNumber(), 2);  // at the last line
            std::vector<std::string> lines;
            for (int i = 0; i < 40; ++i) lines.push_back(i == 20 ? "" : "  9876543");
            editor.SetLines(lines);
            editor.SaveBt->click();
        });
        const TCodes& draws = form->Gui2RegNet->Draws();
        QCOMPARE(draws.Count(), 39);
        QCOMPARE(draws.GetCode(38), (DrawRecord{{30, 9, 8, 7, 6, 5, 4, 3}}));
        QVERIFY(form->DocumentModified());
        QVERIFY(log_.Messages.isEmpty());
        // The grid's scroll range follows the new count.
        QVERIFY(form->Gui2RegNet->verticalScrollBar()->maximum() > scrollMax);

        // The editor is made once and refilled each time.
        Edit(*form, [first](TCodeEdtorForm& editor) {
            QCOMPARE(&editor, first);
            QCOMPARE(editor.Lines().size(), size_t{39});
            QCOMPARE(editor.Lines().front(), std::string("9876543"));
            editor.Memo->clear();
            editor.SaveBt->click();
        });
        QCOMPARE(form->Gui2RegNet->Draws().Count(), 0);
        QCOMPARE(form->Gui2RegNet->verticalScrollBar()->maximum(), 0);
    }

    void cancelOrARefusedSaveLeavesTheDrawsAlone() {
        const std::vector<std::string> original = {"0381562", "1111111"};
        auto form = NewWindow(original);
        Edit(*form, [](TCodeEdtorForm& editor) {
            editor.Memo->setPlainText(QStringLiteral("5555555"));
            editor.CancelBt->click();
        });
        QCOMPARE(DrawLinesOf(form->Gui2RegNet->Draws()), original);
        QVERIFY(!form->DocumentModified());

        Edit(*form, [](TCodeEdtorForm& editor) {
            // The cancelled edit is gone: the text comes from the draws again.
            QCOMPARE(editor.Memo->toPlainText(), QStringLiteral("0381562\n1111111"));
            editor.Memo->setPlainText(QStringLiteral("5555555\n55555"));
            editor.SaveBt->click();
            QVERIFY(editor.isVisible());
            editor.reject();
        });
        QCOMPARE(log_.Messages, QStringList{ErrorsMessage(1, {2})});
        QCOMPARE(DrawLinesOf(form->Gui2RegNet->Draws()), original);
        QVERIFY(!form->DocumentModified());
    }

    void screenshotShowsEveryCaption() {
        TCodeEdtorForm editor(nullptr, fixture_.Prompts());
        editor.SetLines({"0381562", "1234567", "7654321"});
        editor.show();
        QCOMPARE(editor.windowTitle(), QStringLiteral("开奖号码编辑"));
        for (QPushButton* b : {editor.CheckBt, editor.BuLingBt, editor.SaveBt, editor.CancelBt}) {
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) < b->width() - 8,
                     qPrintable(b->text()));
            QVERIFY(editor.rect().contains(b->geometry()));
        }
        QVERIFY(editor.rect().contains(editor.HintLb->geometry()));
        for (const QString& line : editor.HintLb->text().split('\n'))
            QVERIFY(editor.HintLb->fontMetrics().horizontalAdvance(line) <= editor.HintLb->width());
        QVERIFY(SaveScreenshot(editor, QStringLiteral("code_editor.png")));
    }
};

int main(int argc, char** argv) {
    UseTestPlatform();
    TApplication app(argc, argv);
    TestCodeEditor test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_code_editor.moc"
