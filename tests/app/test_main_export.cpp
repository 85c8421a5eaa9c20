#include <QDir>
#include <QFile>
#include <QImage>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "app/patterns/PatternListModel.h"
#include "app/window/Main.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/PatternFactory.h"
#include "tests/support/ScriptedPrompts.h"
#include "view/PatternPlan.h"
#include "view/ui/Gui2Ctrl.h"

// The picture export from the main window: F9 with rows of the pattern list selected.
class TestMainExport : public QObject {
    Q_OBJECT

  private:
    TMainWindowFixture fixture_;
    TScriptedPrompts::TLog& log_ = fixture_.Log;
    std::vector<std::unique_ptr<TGui2Reg>> patterns_;

    // A work document of 20 draws and three patterns.
    void WriteDocument() {
        std::vector<std::array<int, 7>> draws(20);
        for (int i = 0; i < 20; ++i)
            for (int p = 1; p <= 7; ++p) draws[i][p - 1] = (i * 3 + p * 7) % 10;
        patterns_.clear();
        patterns_.push_back(MakePattern(2, 2, 4, 2));
        patterns_.push_back(MakePattern(3, 2, 5, 2));
        patterns_.push_back(MakePattern(3, 3, 3, 3));
        QFile file(fixture_.FilePath(QStringLiteral("工作文档.gtmq")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(DocumentBytes(draws, patterns_));
    }

    std::unique_ptr<TMainForm> NewWindow() {
        auto form = fixture_.NewWindow();
        form->activateWindow();
        form->FinishOpening();
        return form;
    }

    void PressF9(TMainForm& form) {
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_F9);
        form.FinishCommands();  // the pictures are written on a background job
    }

  private slots:
    void init() {
        fixture_.Reset();
        WriteDocument();
    }

    void selectedRowsAreExportedInListOrder() {
        auto form = NewWindow();
        QCOMPARE(form->ListModel().RowCount(), 3);
        form->ListView->selectRow(2);
        form->ListView->selectionModel()->select(
            form->ListModel().index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        PressF9(*form);
        QVERIFY2(log_.Messages.isEmpty(), qPrintable(log_.Messages.join('\n')));
        const QDir exported(fixture_.FilePath("GifExport0"));
        QCOMPARE(exported.entryList(QDir::Files),
                 (QStringList{QStringLiteral("21_0001.gif"), QStringLiteral("21_0002.gif")}));

        // The second picture is the one of list row 2.
        const TGui2Reg* last = form->ListModel().PatternAt(2);
        const TExportFrame frame = ExportFrame(form->Gui2RegNet->Geometry(), *last);
        QCOMPARE(QImage(exported.filePath("21_0002.gif")).size(),
                 QSize(frame.Width + 40, frame.Height + 40));

        // The grid shows the last exported pattern; the selection is unchanged.
        QCOMPARE(form->Gui2RegNet->Pattern().StepTotal, last->StepTotal);
        QCOMPARE(form->ListView->selectionModel()->selectedRows().size(), 2);
        form->close();
    }
};

QTEST_MAIN(TestMainExport)
#include "test_main_export.moc"
