#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/window/Application.h"
#include "app/window/Gui2Options.h"
#include "app/window/Main.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/Screenshot.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestPlatform.h"
#include "view/ui/Gui2Ctrl.h"

namespace {

// Whether a widget and all of its ancestors up to the dialog show their whole size hint.
bool ShownWhole(QWidget* widget, QWidget* dialog) {
    if (!widget->isVisibleTo(dialog)) return true;
    const QRect inDialog(widget->mapTo(dialog, QPoint(0, 0)), widget->size());
    return dialog->rect().contains(inDialog) &&
           widget->width() >= widget->minimumSizeHint().width() &&
           widget->height() >= widget->minimumSizeHint().height();
}

}  // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

  private slots:
    void everyGroupAndCaptionIsShownWhole() {
        TScriptedPrompts::TLog log;
        TScriptedPrompts prompts(log);
        TGui2OptionsForm form(nullptr, prompts);
        form.LoadOptions(SearchOptions{});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (QWidget* w : form.findChildren<QWidget*>()) {
            if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w) &&
                !qobject_cast<QSpinBox*>(w) && !qobject_cast<QGroupBox*>(w) &&
                !qobject_cast<QComboBox*>(w))
                continue;
            QVERIFY2(ShownWhole(w, &form),
                     qPrintable(w->objectName() + " " + w->property("text").toString()));
        }
        QVERIFY(SaveScreenshot(form, QStringLiteral("options_dialog.png")));
    }

    void fallStyleMovesTheHighLinesFirstRow() {
        TScriptedPrompts::TLog log;
        TScriptedPrompts prompts(log);
        TGui2OptionsForm form(nullptr, prompts);
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

    void okRefusesOptionSetsTheSearchCannotUseAndStaysOpen() {
        TScriptedPrompts::TLog log;
        TScriptedPrompts prompts(log);
        TGui2OptionsForm form(nullptr, prompts);
        form.LoadOptions(SearchOptions{});
        form.show();
        while (form.LinegDistMinSe->value() < 6) form.LinegDistMinSe->stepUp();
        while (form.LinedPtMinSe->value() < 4) form.LinedPtMinSe->stepUp();
        form.OkBt->click();
        QCOMPARE(log.Messages,
                 QStringList{QStringLiteral("这组搜索设置无法搜索，请修改后再确定：\r\n"
                                            "高线跨越第6行至5行：起始行不能大于结束行。\r\n"
                                            "低线有4个至3个点：最少点数不能大于最多点数。")});
        QVERIFY(form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Rejected));

        while (form.LinegDistMinSe->value() > 1) form.LinegDistMinSe->stepDown();
        while (form.LinedPtMinSe->value() > 2) form.LinedPtMinSe->stepDown();
        // 两位差分 moves the high line to row 0; moving it back is refused.
        form.FallStyleGbx->button(3)->click();
        QCOMPARE(form.LinegDistMinSe->value(), 0);
        form.LinegDistMinSe->stepUp();
        form.OkBt->click();
        QCOMPARE(log.Messages.size(), 2);
        QVERIFY(log.Messages.last().endsWith(
            QStringLiteral("落码类型为“两位差分”时，高线必须从第0行开始。")));
        QVERIFY(form.isVisible());

        form.LinegDistMinSe->stepDown();
        form.FallTargetGbx->button(2)->click();
        form.OkBt->click();
        QCOMPARE(log.Messages.size(), 2);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.Options().FallStyleGbx, 3);
        QCOMPARE(form.Options().FallTargetGbx, 2);
        QCOMPARE(form.Options().LinegDistMinSe, 0);
    }

    void everyFieldIsCopiedInAndBack() {
        SearchOptions options;
        options.MemberName = "张三";
        options.MemberPassword = "p=w;[x]";
        options.LinedDistMinSe = 2;
        options.LinedDistMaxSe = 6;
        options.LinegDistMinSe = 0;
        options.LinegDistMaxSe = 2;
        options.LinedPtMinSe = 1;
        options.LinedPtMaxSe = 2;
        options.LinegPtMinSe = 1;
        options.LinegPtMaxSe = 1;
        options.SecCountSe = 6;
        options.ClearDupChk = true;
        options.RefSumChk = true;
        options.RefTailChk = true;
        options.RefWidthSe = 11;  // no control: kept as given
        options.SecInterGbx = 4;
        options.SumConstrastGbx = 2;
        options.FallTargetGbx = 3;
        options.FallStyleGbx = 3;
        options.LinkLineStyleGbx = 1;
        options.DrawBoxStyleCbb = 4;
        options.BoxColorModeCbb = 2;
        options.CellHeightSe = 44;
        options.AutoUpdateChk = false;
        options.AutoUpdateHoursSe = 7;
        options.DrawDays = (1 << 0) | (1 << 6);
        TScriptedPrompts::TLog log;
        TScriptedPrompts prompts(log);
        TGui2OptionsForm form(nullptr, prompts);
        form.LoadOptions(SearchOptions{});  // a second fill replaces everything of the first
        form.LoadOptions(options);
        QVERIFY(form.Options() == options);
        QCOMPARE(form.FallStyleGbx->checkedId(), 3);
        QCOMPARE(form.FallTargetGbx->checkedId(), 3);
        QCOMPARE(form.SecInterGbx->checkedId(), 4);
        QCOMPARE(form.DrawBoxStyleCbb->currentIndex(), 4);
        QCOMPARE(form.userPWEd->text(), QStringLiteral("p=w;[x]"));
        QVERIFY(!form.AutoUpdateChk->isChecked());
        QVERIFY(!form.AutoUpdateHoursSe->isEnabled());
        QVERIFY(form.DrawDayChk[0]->isChecked() && form.DrawDayChk[6]->isChecked());
        QVERIFY(!form.DrawDayChk[1]->isChecked());
        // Ticking the boxes edits the copy: Tuesday added, Monday taken away.
        form.DrawDayChk[1]->setChecked(true);
        form.DrawDayChk[0]->setChecked(false);
        QCOMPARE(form.Options().DrawDays, (1 << 1) | (1 << 6));
        form.AutoUpdateChk->setChecked(true);
        QVERIFY(form.AutoUpdateHoursSe->isEnabled());
        QVERIFY(form.Options().AutoUpdateChk);
        form.LoadOptions(options);
        form.show();
        form.OkBt->click();
        QVERIFY(log.Messages.isEmpty());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(form.Options() == options);

        // Out-of-range spin values show clamped but are kept until the user moves that
        // control; radio groups store what they show. The default high line (5 rows) fits.
        SearchOptions wild = options;
        wild.LinedDistMaxSe = 99;
        wild.LinegDistMaxSe = 5;
        wild.CellHeightSe = 7;
        wild.FallStyleGbx = 9;
        wild.SecInterGbx = -3;
        wild.SecCountSe = 9;
        wild.FallTargetGbx = 8;
        form.LoadOptions(wild);
        QCOMPARE(form.LinegDistMaxSe->value(), 5);
        QCOMPARE(form.LinedDistMaxSe->value(), 9);
        const SearchOptions shown = form.Options();
        QCOMPARE((std::vector<int>{shown.LinedDistMaxSe, shown.LinegDistMaxSe, shown.CellHeightSe,
                                   shown.FallStyleGbx, shown.SecInterGbx, shown.SecCountSe,
                                   shown.FallTargetGbx}),
                 (std::vector<int>{99, 5, 7, 3, 0, 9, 3}));
        form.LinedDistMaxSe->stepDown();
        form.SecCountSe->stepDown();
        QCOMPARE(form.Options().LinedDistMaxSe, 8);
        QCOMPARE(form.Options().SecCountSe, 6);
    }

    // Confirming the dialog untouched on the default options stores exactly those options.
    void okOnUntouchedDefaultsChangesNothing() {
        TScriptedPrompts::TLog log;
        TScriptedPrompts prompts(log);
        TGui2OptionsForm form(nullptr, prompts);
        form.LoadOptions(SearchOptions{});
        form.show();
        form.OkBt->click();
        QVERIFY(log.Messages.isEmpty());
        QVERIFY(form.Options() == SearchOptions{});
        QCOMPARE(form.LinegDistMaxSe->value(), 5);
    }

    void formerlyFixedControlsAreOfferedWithRangesTheSearchAccepts() {
        TScriptedPrompts::TLog log;
        TScriptedPrompts prompts(log);
        TGui2OptionsForm form(nullptr, prompts);
        form.LoadOptions(SearchOptions{});
        form.show();
        struct TRange {
            QSpinBox* Spin;
            int Low;
            int High;
        };
        for (const TRange& r : {TRange{form.SecCountSe, 3, 7}, TRange{form.LinedPtMaxSe, 1, 3}}) {
            QVERIFY2(r.Spin->isEnabled(), qPrintable(r.Spin->objectName()));
            QCOMPARE(r.Spin->minimum(), r.Low);
            QCOMPARE(r.Spin->maximum(), r.High);
        }
        QVERIFY(!form.LinedDistMinSe->isEnabled());  // the search never reads it
        for (QWidget* w :
             std::initializer_list<QWidget*>{form.RefSumChk, form.RefTailChk, form.BoxColorModeCbb})
            QVERIFY2(w->isEnabled() && w->isVisible(), qPrintable(w->objectName()));

        form.SecCountSe->stepUp();
        form.LinedPtMaxSe->stepDown();
        form.RefTailChk->click();
        form.RefSumChk->click();
        form.BoxColorModeCbb->setCurrentIndex(4);
        const SearchOptions& edited = form.Options();
        QCOMPARE((std::vector<int>{edited.SecCountSe, edited.LinedPtMaxSe, edited.RefTailChk,
                                   edited.RefSumChk, edited.BoxColorModeCbb}),
                 (std::vector<int>{5, 2, 1, 1, 4}));
    }

    // The low line's first row is only shown; a hand-edited negative target (the position
    // filter off) shows as "不限位置" and survives OK while that group is left alone.
    void okKeepsValuesTheDialogDoesNotOwn() {
        TScriptedPrompts::TLog log;
        TScriptedPrompts prompts(log);
        TGui2OptionsForm form(nullptr, prompts);
        SearchOptions options;
        options.LinedDistMinSe = 5;
        options.LinedDistMaxSe = 2;
        options.FallTargetGbx = -7;
        form.LoadOptions(options);
        QCOMPARE(form.FallTargetGbx->checkedId(), 4);
        form.show();
        form.CellHeightSe->stepUp();
        form.OkBt->click();
        QVERIFY(log.Messages.isEmpty());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(form.Options().FallTargetGbx, -7);
        QCOMPARE(form.Options().LinedDistMinSe, 5);

        form.FallTargetGbx->button(1)->click();
        QCOMPARE(form.Options().FallTargetGbx, 1);
        form.FallTargetGbx->button(4)->click();
        QCOMPARE(form.Options().FallTargetGbx, -1);
    }

    void windowTakesTheOptionsOnlyAfterOk() {
        TMainWindowFixture fixture;
        TScriptedPrompts::TLog& log = fixture.Log;
        const auto mainWindow = fixture.NewUnshownWindow();
        TMainForm& window = *mainWindow;
        window.show();
        const SearchOptions before = window.Options();
        log.Messages.clear();
        // A refused OK, then Cancel: nothing reaches the window or the settings file.
        QTimer::singleShot(0, &window, [&window] {
            auto* dialog = window.findChild<TGui2OptionsForm*>();
            QVERIFY(dialog != nullptr && dialog->isVisible());
            dialog->CellHeightSe->stepUp();
            while (dialog->LinegPtMinSe->value() < 9) dialog->LinegPtMinSe->stepUp();
            dialog->OkBt->click();
            QVERIFY(dialog->isVisible());
            dialog->CancelBt->click();
        });
        window.RegMenuOptionsClick();
        QCOMPARE(log.Messages.size(), 1);
        QVERIFY(log.Messages[0].contains(QStringLiteral("高线有9个至3个点")));
        QVERIFY(window.Options() == before);
        QCOMPARE(window.Gui2RegNet->CellHeight(), 30);
        QVERIFY(!QFile::exists(fixture.FilePath("pavolen.ini")));

        QTimer::singleShot(0, &window, [&window] {
            auto* dialog = window.findChild<TGui2OptionsForm*>();
            QVERIFY(dialog != nullptr && dialog->isVisible());
            while (dialog->CellHeightSe->value() < 40) dialog->CellHeightSe->stepUp();
            dialog->RefTailChk->setChecked(true);
            dialog->OkBt->click();
        });
        window.RegMenuOptionsClick();
        QCOMPARE(window.Options().CellHeightSe, 40);
        QVERIFY(window.Options().RefTailChk);
        QCOMPARE(window.Gui2RegNet->ColCount(), 10);
        QCOMPARE(window.Gui2RegNet->CellHeight(), 40);
        QCOMPARE(window.PanelRegLeft->width(),
                 621 + window.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
        QFile ini(fixture.FilePath("pavolen.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.contains("CellHeightSe=40"));
        QVERIFY(text.contains("RefTailChk=1"));
    }
};

int main(int argc, char** argv) {
    UseTestPlatform();
    TApplication app(argc, argv);
    TestOptionsDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_options_dialog.moc"
