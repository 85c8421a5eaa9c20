#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/Application.h"
#include "app/Gui2Options.h"
#include "app/Main.h"
#include "tests/app/ScriptedPrompts.h"
#include "view/Gui2Ctrl.h"

class TestOptionsDialog : public QObject {
    Q_OBJECT

  private slots:
    void valuesOutsideTheControlsAreShownClampedAndKept() {
        TGui2OptionsForm form;
        SearchOptions options;
        options.LinegDistMaxSe = 5;  // the control allows 1 to 4
        options.SecCountSe = 7;      // a control of one value shows any value
        options.CellHeightSe = 30;
        options.MemberName = "会员";
        form.LoadOptions(options);
        QCOMPARE(form.LinegDistMaxSe->value(), 4);
        QCOMPARE(form.Options().LinegDistMaxSe, 4);
        QCOMPARE(form.SecCountSe->value(), 7);
        QCOMPARE(form.Options().SecCountSe, 7);
        QCOMPARE(form.Options().MemberName, std::string("会员"));
        QCOMPARE(form.userNameEd->text(), QStringLiteral("会员"));
        QVERIFY(!form.RefTailChk->isEnabled());
        form.CellHeightSe->stepUp();
        QCOMPARE(form.Options().CellHeightSe, 32);
        form.LinegPtMinSe->stepUp();
        QCOMPARE(form.Options().LinegPtMinSe, options.LinegPtMinSe + 1);
    }

    void fallStyleMovesTheHighLinesFirstRow() {
        TGui2OptionsForm form;
        SearchOptions options;
        options.LinegDistMinSe = 1;
        form.LoadOptions(options);
        form.FallStyleGbx->button(3)->setChecked(true);  // 两位差分
        QCOMPARE(form.LinegDistMinSe->value(), 0);
        QCOMPARE(form.Options().LinegDistMinSe, 0);
        form.FallStyleGbx->button(1)->setChecked(true);  // 定位定数
        QCOMPARE(form.Options().LinegDistMinSe, 1);
        form.FallStyleGbx->button(0)->setChecked(true);  // 全部类型
        QCOMPARE(form.Options().LinegDistMinSe, 1);
        QCOMPARE(form.Options().FallStyleGbx, 0);
    }

    void windowTakesTheOptionsOnlyAfterOk() {
        QTemporaryDir folder;
        TScriptedPrompts::TLog log;
        TMainForm window(folder.path(), std::make_unique<TScriptedPrompts>(log));
        window.show();
        auto answer = [&](bool ok, int cellHeight, bool tail) {
            QTimer::singleShot(0, &window, [&window, ok, cellHeight, tail] {
                auto* dialog = window.findChild<TGui2OptionsForm*>();
                QVERIFY(dialog != nullptr && dialog->isVisible());
                while (dialog->CellHeightSe->value() < cellHeight) dialog->CellHeightSe->stepUp();
                dialog->RefTailChk->setChecked(tail);
                (ok ? dialog->OkBt : dialog->CancelBt)->click();
            });
        };
        answer(false, 40, true);
        window.RegMenuOptionsClick();
        QCOMPARE(window.Options.CellHeightSe, 30);
        QVERIFY(!QFile::exists(folder.filePath("pavolen.ini")));

        answer(true, 40, true);
        window.RegMenuOptionsClick();
        QCOMPARE(window.Options.CellHeightSe, 40);
        QVERIFY(window.Options.RefTailChk);
        QCOMPARE(window.Gui2RegNet->ColCount(), 10);
        QCOMPARE(window.Gui2RegNet->CellHeight(), 40);
        QCOMPARE(window.PanelRegLeft->width(),
                 621 + window.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
        QFile ini(folder.filePath("pavolen.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.contains("CellHeightSe=40"));
        QVERIFY(text.contains("RefTailChk=1"));
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TestOptionsDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_options_dialog.moc"
