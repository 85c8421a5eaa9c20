#include <QScrollBar>
#include <QtTest>

#include "data/Error.h"
#include "tests/support/PatternFactory.h"
#include "view/paint/GridPaintInput.h"
#include "view/ui/Gui2Ctrl.h"

class TestGridWidget : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QWidget> host_;
    TGui2RegNet* grid_ = nullptr;

    void AddDraws(int count) {
        for (int i = 0; i < count; ++i) {
            const int row = grid_->Draws().Add();
            for (int p = 1; p <= 7; ++p) grid_->Draws().SetNum(p, row, (row + p) % 10);
        }
        grid_->LayoutGrid();
    }

  private slots:
    void init() {
        host_ = std::make_unique<QWidget>();
        grid_ = new TGui2RegNet(host_.get());
        grid_->resize(500, 600);
        host_->show();
        QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
        grid_->setFocus();
    }
    void cleanup() { host_.reset(); }

    void scrollBarFollowsTheLayoutTheKeysAndTheThumb() {
        AddDraws(100);
        QCOMPARE(grid_->Geometry().VisibleRows, 16);
        QCOMPARE(grid_->verticalScrollBar()->maximum(), 85);
        QCOMPARE(grid_->verticalScrollBar()->value(), 85);
        QTest::keyClick(grid_, Qt::Key_Home);
        QCOMPARE(grid_->verticalScrollBar()->value(), 0);
        QTest::keyClick(grid_, Qt::Key_PageDown);  // posted, handled by the event loop
        QTRY_COMPARE(grid_->Geometry().TopRow, 16);
        QTest::keyClick(grid_, Qt::Key_End);
        QCOMPARE(grid_->Geometry().TopRow, 85);
        grid_->verticalScrollBar()->setValue(40);  // the thumb dragged by the user
        QCOMPARE(grid_->Geometry().TopRow, 40);
    }

    // A notch moves the desktop's number of rows; half notches add up.
    void wheelMovesTheDesktopsRowsPerNotch() {
        AddDraws(100);
        grid_->VScroll(srThumbPosition, 50);
        const int lines = QApplication::wheelScrollLines();
        const QPoint centre = grid_->viewport()->rect().center();
        const auto turn = [&](int delta) {
            QWheelEvent wheel(centre, grid_->viewport()->mapToGlobal(centre), QPoint(),
                              QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(grid_->viewport(), &wheel);
        };
        turn(120);
        QTRY_COMPARE(grid_->Geometry().TopRow, 50 - lines);
        turn(-60);
        QTest::qWait(20);
        QCOMPARE(grid_->Geometry().TopRow, 50 - lines);
        turn(-60);
        turn(-120);
        QTRY_COMPARE(grid_->Geometry().TopRow, 50 + lines);
    }

    void typingOnTheAppendRowAddsADraw() {
        AddDraws(5);
        QSignalSpy edited(grid_, &TGui2RegNet::DrawsEdited);
        grid_->Geometry().CursorRow = 5;
        grid_->Geometry().CursorCol = 2;
        QTest::keyClick(grid_, Qt::Key_7);
        QCOMPARE(grid_->Draws().Count(), 6);
        QCOMPARE(grid_->Draws().GetCode(5), (DrawRecord{{7, 7, 0, 0, 0, 0, 0, 0}}));
        QTRY_COMPARE(grid_->Geometry().CursorCol, 3);  // the posted Right
        QCOMPARE(grid_->Geometry().CursorRow, 5);
        QCOMPARE(edited.count(), 1);

        QTest::keyClick(grid_, Qt::Key_A);  // a letter: a beep and nothing else
        QCOMPARE(edited.count(), 1);
        QCOMPARE(grid_->Draws().Count(), 6);
    }

    // The 期 column names each draw by its 期号 (the last five characters in a narrow column),
    // the coming draw by the next one; the tool tip and the cursor's status text give the whole
    // 期号 and the date; a row without 期号 keeps its number.
    void theIssueColumnShowsTheIssues() {
        AddDraws(20);
        TDrawRegister& reg = grid_->Register();
        for (int i = 0; i < 20; ++i)
            reg.Rows.push_back({std::to_string(2024081 + i), i == 19 ? "2024-04-12" : ""});
        reg.Rows[3] = {};
        grid_->DrawsReplaced();
        grid_->VScroll(srBottom);
        const TGridGeometry& g = grid_->Geometry();
        const TGridPaintInput input = grid_->PaintInput();
        const auto cellOf = [&](int index) {
            return ToQRect(g.RectOfCell(index - g.TopRow + 1, 0));
        };
        const auto shown = [&](int index) {
            return IssueCellText(input, index, cellOf(index), SizeFor(g, 9));
        };
        const bool narrow = shown(19).size() == 5;
        QCOMPARE(shown(19), narrow ? QStringLiteral("24100") : QStringLiteral("2024100"));
        QCOMPARE(shown(20), narrow ? QStringLiteral("24101") : QStringLiteral("2024101"));
        // A column wide enough for the whole 期号 shows it whole.
        QCOMPARE(IssueCellText(input, 19, cellOf(19).adjusted(0, 0, 200, 0), SizeFor(g, 9)),
                 QStringLiteral("2024100"));
        grid_->VScroll(srTop);
        QCOMPARE(IssueCellText(grid_->PaintInput(), 3, ToQRect(g.RectOfCell(4, 0)), SizeFor(g, 9)),
                 QStringLiteral("4"));

        grid_->VScroll(srBottom);
        QCOMPARE(grid_->ToolTipAt(cellOf(19).center()), QStringLiteral("第2024100期 2024-04-12"));
        QCOMPARE(grid_->ToolTipAt(cellOf(20).center()), QStringLiteral("下一期：第2024101期"));
        // The column's header says why its labels are row numbers on some rows, 期号 on others.
        const QString header = grid_->ToolTipAt(ToQRect(g.RectOfCell(0, 0)).center());
        QVERIFY(header.contains(QStringLiteral("没有期号的行写行号")));
        QVERIFY(header.contains(QStringLiteral("后五位")));
        QVERIFY(grid_->ToolTipAt(ToQRect(g.RectOfCell(0, 3)).center()).isEmpty());
        // The cell a shown pattern predicts gives the pattern's digits with their chance.
        TGui2Reg predicting;
        predicting.AddStep({3, 8});
        predicting.BaseRow = 20;
        predicting.ContrastKind = 3;
        predicting.SetPosition(0, 2, true);
        predicting.SetResult(0, 4);
        grid_->SetPattern(predicting);
        const QRect bCell = ToQRect(g.RectOfCell(20 - g.TopRow + 1, 3));
        QCOMPARE(grid_->ToolTipAt(bCell.center()).section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("下一期：第2024101期"));
        QVERIFY(grid_->ToolTipAt(bCell.center()).contains(QStringLiteral("B=4或9，命中机会20%")));
        QVERIFY(!grid_->ToolTipAt(cellOf(20).center()).contains(QStringLiteral("命中机会")));
        grid_->SetPattern(TGui2Reg());
        QSignalSpy status(grid_, &TGui2RegNet::CursorRowChanged);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {},
                          ToQRect(g.RectOfCell(19 - g.TopRow + 1, 3)).center());
        QCOMPARE(grid_->Geometry().CursorRow, 19);
        QVERIFY(!status.isEmpty());
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("第2024100期 2024-04-12 0123456"));

        // The painted column differs from the row numbers it showed before.
        const auto issueColumn = [&] {
            QImage image(grid_->viewport()->size(), QImage::Format_RGB32);
            grid_->viewport()->render(&image);
            return image.copy(
                ToQRect(g.RectOfCell(1, 0)).united(ToQRect(g.RectOfCell(g.VisibleRows, 0))));
        };
        const QImage withIssues = issueColumn();
        reg.Clear();
        grid_->DrawsReplaced();
        QVERIFY(issueColumn() != withIssues);
    }

    void clickMovesTheCursor() {
        AddDraws(30);
        const TGridGeometry& g = grid_->Geometry();
        const TGridRect cell = g.RectOfCell(3, 4);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {},
                          QPoint(cell.Left + 2, cell.Top + 2));
        QCOMPARE(g.CursorCol, 4);
        QCOMPARE(g.CursorRow, g.TopRow + 2);
    }

    void secIndexAndPattern() {
        try {
            grid_->SetSecIndex(0);
            QFAIL("an empty pattern has no step 0");
        } catch (const TError& e) {
            QCOMPARE(QString(e.what()), "TCodeNet.SetSecIndex Error!");
        }
        auto pattern = MakePattern(3, 2, 5);
        grid_->SetPattern(*pattern);
        grid_->SetSecIndex(4);
        QVERIFY_EXCEPTION_THROWN(grid_->SetSecIndex(5), TError);
        QCOMPARE(grid_->SecIndex(), 4);
    }
};

QTEST_MAIN(TestGridWidget)
#include "test_grid_widget.moc"
