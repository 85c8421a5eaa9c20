#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QtTest>

#include "data/Error.h"
#include "tests/app/PatternFactory.h"
#include "view/Gui2Ctrl.h"
#include "view/Gui2Paint.h"

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

    void layoutFollowsTheWindowAndShowsTheEnd() {
        AddDraws(100);
        const TGridGeometry& g = grid_->Geometry();
        QCOMPARE(grid_->viewport()->height(), 600);
        QCOMPARE(g.VisibleRows, 16);
        QCOMPARE(g.TopRow, 85);
        QCOMPARE(grid_->verticalScrollBar()->maximum(), 85);
        QCOMPARE(grid_->verticalScrollBar()->value(), 85);
    }

    void keysScrollThroughPostedRequests() {
        AddDraws(100);
        QTest::keyClick(grid_, Qt::Key_Home);
        QCOMPARE(grid_->Geometry().TopRow, 0);
        QCOMPARE(grid_->verticalScrollBar()->value(), 0);
        QTest::keyClick(grid_, Qt::Key_PageDown);
        QTRY_COMPARE(grid_->Geometry().TopRow, 16);
        QTest::keyClick(grid_, Qt::Key_End);
        QCOMPARE(grid_->Geometry().TopRow, 85);
        // The thumb dragged by the user moves the view.
        grid_->verticalScrollBar()->setValue(40);
        QCOMPARE(grid_->Geometry().TopRow, 40);
    }

    void wheelMovesOneRowPerTurn() {
        AddDraws(100);
        grid_->VScroll(srThumbPosition, 50);
        const QPoint centre = grid_->viewport()->rect().center();
        QWheelEvent away(centre, grid_->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid_->viewport(), &away);
        QTRY_COMPARE(grid_->Geometry().TopRow, 49);
        QWheelEvent towards(centre, grid_->viewport()->mapToGlobal(centre), QPoint(),
                            QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                            false);
        QApplication::sendEvent(grid_->viewport(), &towards);
        QApplication::sendEvent(grid_->viewport(), &towards);
        QTRY_COMPARE(grid_->Geometry().TopRow, 51);
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
        QTest::keyClick(grid_, Qt::Key_Up);
        QTest::keyClick(grid_, Qt::Key_Left);
        QCOMPARE(grid_->Geometry().CursorRow, 4);
        QCOMPARE(grid_->Geometry().CursorCol, 2);
        QCOMPARE(edited.count(), 1);
    }

    void typingAboveTheFirstDrawDoesNothing() {
        AddDraws(3);
        grid_->Geometry().CursorRow = 0;
        grid_->Geometry().CursorCol = 2;
        QTest::keyClick(grid_, Qt::Key_Left);  // to row -1
        QCOMPARE(grid_->Geometry().CursorRow, -1);
        QTest::keyClick(grid_, Qt::Key_5);
        QCOMPARE(grid_->Draws().Count(), 3);
        for (int i = 0; i < 3; ++i) QCOMPARE(grid_->Draws().GetNum(3, i), (i + 3) % 10);
    }

    void clickMovesTheCursorOnlyOnDigits() {
        AddDraws(30);
        const TGridGeometry& g = grid_->Geometry();
        const TGridRect cell = g.RectOfCell(3, 4);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {},
                          QPoint(cell.Left + 2, cell.Top + 2));
        QCOMPARE(g.CursorCol, 4);
        QCOMPARE(g.CursorRow, g.TopRow + 2);
        const TGridRect issue = g.RectOfCell(5, 0);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {},
                          QPoint(issue.Left + 2, issue.Top + 2));
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
        grid_->SetSecIndex(-1);
        auto pattern = MakePattern(3, 2, 5);
        grid_->SetPattern(*pattern);
        QCOMPARE(grid_->SecIndex(), -1);
        grid_->SetSecIndex(4);
        QCOMPARE(grid_->SecIndex(), 4);
        QVERIFY_EXCEPTION_THROWN(grid_->SetSecIndex(5), TError);
        QCOMPARE(grid_->SecIndex(), 4);
        QCOMPARE(grid_->Pattern().StepTotal, 5);
    }

    void cellHeightOutsideTheRangeIsRefused() {
        grid_->SetCellHeight(40);
        QCOMPARE(grid_->TotalWidth(), 621);
        QVERIFY_EXCEPTION_THROWN(grid_->SetCellHeight(61), TError);
        QCOMPARE(grid_->CellHeight(), 40);
    }

    void paintsDigitsAndCellColours() {
        AddDraws(3);
        QImage image(500, 600, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            const TGridPaintInput input = grid_->PaintInput();
            PaintTo(painter, input, true, 0, grid_->Geometry().VisibleRows, 1.0f, QPoint(0, 0));
        }
        const TGridGeometry& g = grid_->Geometry();
        // The issue column's background and the digit cells' background.
        const TGridRect issue = g.RectOfCell(1, 0);
        QCOMPARE(image.pixelColor(issue.Left + 1, issue.Top + 1), QColor(245, 222, 229));
        const TGridRect digit = g.RectOfCell(2, 3);
        QCOMPARE(image.pixelColor(digit.Left + 1, digit.Top + 1), QColor(221, 238, 254));
        // The digit itself is drawn in its colour somewhere inside its cell.
        bool digitInk = false;
        for (int y = digit.Top; y < digit.Bottom && !digitInk; ++y)
            for (int x = digit.Left; x < digit.Right && !digitInk; ++x)
                digitInk = image.pixelColor(x, y) == QColor(102, 0, 51);
        QVERIFY(digitInk);
        // Rows past the append row stay unfilled.
        const TGridRect empty = g.RectOfCell(8, 3);
        QVERIFY(image.pixelColor(empty.Left + 1, empty.Top + 1) != QColor(221, 238, 254));
    }
};

QTEST_MAIN(TestGridWidget)
#include "test_grid_widget.moc"
