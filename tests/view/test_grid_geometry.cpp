#include <gtest/gtest.h>

#include <algorithm>

#include "data/Error.h"
#include "view/GridGeometry.h"

namespace {

TGridGeometry LaidOut(int32_t columns, int32_t cellHeight, int32_t draws, int32_t height = 600) {
    TGridGeometry g;
    g.ColCount = columns;
    g.SetCellHeight(cellHeight);
    g.ClientWidth = 500;
    g.ClientHeight = height;
    g.Layout(draws);
    return g;
}

void AddDraws(TCodes& codes, int32_t count) {
    for (int32_t i = 0; i < count; ++i) codes.Add();
}

TEST(GridGeometry, ColumnWidthsAndTotalWidthFollowCellHeightAndColumnCount) {
    TGridGeometry ten = LaidOut(10, 30, 0);
    EXPECT_EQ(ten.FColWidthArr[0], 50);
    for (int c = 1; c <= 8; ++c) EXPECT_EQ(ten.FColWidthArr[c], 40) << c;
    EXPECT_EQ(ten.FColWidthArr[9], 80);
    EXPECT_EQ(ten.TotalWidth(), 465);

    TGridGeometry seven = LaidOut(7, 30, 0);
    EXPECT_EQ(seven.FColWidthArr[6], 80);
    EXPECT_EQ(seven.TotalWidth(), 342);

    TGridGeometry big = LaidOut(10, 40, 0);
    EXPECT_EQ(big.FColWidthArr[0], 67);
    EXPECT_EQ(big.FColWidthArr[5], 54);
    EXPECT_EQ(big.FColWidthArr[9], 107);
    EXPECT_EQ(big.TotalWidth(), 621);
}

TEST(GridGeometry, FitRowsKeepsTheViewAndFollowsTheNewCount) {
    TGridGeometry g = LaidOut(7, 30, 100);
    const int32_t visible = g.VisibleRows;
    ASSERT_GT(visible, 5);
    g.TopRow = 40;
    g.CursorRow = 45;
    g.FitRows(200);  // more draws: the view stays, the range grows
    EXPECT_EQ(g.TopRow, 40);
    EXPECT_EQ(g.CursorRow, 45);
    EXPECT_EQ(g.ScrollMax, 200 - visible + 1);
    g.FitRows(30);  // fewer draws: the view moves back to the new end
    EXPECT_EQ(g.ScrollMax, std::max(30 - visible + 1, 0));
    EXPECT_EQ(g.TopRow, g.ScrollMax);
    EXPECT_EQ(g.CursorRow, 30);  // the append row
    g.FitRows(0);
    EXPECT_EQ(g.TopRow, 0);
    EXPECT_EQ(g.CursorRow, 0);
    EXPECT_EQ(g.ScrollMax, 0);
}

TEST(GridGeometry, HeaderTextsForTenAndSevenColumns) {
    TGridGeometry ten = LaidOut(10, 30, 0);
    const std::array<std::string, 10> expectedTen = {"期", "值", "A", "B", "C",
                                                     "D",  "E",  "F", "G", "说明"};
    EXPECT_EQ(ten.HeaderTexts, expectedTen);
    TGridGeometry seven = LaidOut(7, 30, 0);
    for (int c = 0; c < 7; ++c) EXPECT_EQ(seven.HeaderTexts[c], expectedTen[c < 6 ? c : 9]) << c;
}

TEST(GridGeometry, CellHeightOutsideThirtyToSixtyIsRefusedAndKept) {
    TGridGeometry g;
    g.SetCellHeight(60);
    g.SetCellHeight(30);
    EXPECT_THROW(g.SetCellHeight(29), TError);
    EXPECT_THROW(g.SetCellHeight(61), TError);
    EXPECT_EQ(g.CellHeight, 30);
}

TEST(GridGeometry, RowsCellsAndAreas) {
    TGridGeometry g = LaidOut(10, 30, 100);
    EXPECT_EQ(g.VisibleRows, 16);  // (600 - 15 - 5) / 31 = 18.7 -> 19 - 3
    EXPECT_EQ(g.RowTop(0), 3);
    EXPECT_EQ(g.RowTop(2), 65);
    EXPECT_EQ(g.RowTop(g.TopRow + 2, true), 65);
    EXPECT_EQ(g.RowTop(7, true, 5), 65);
    EXPECT_EQ(g.RectOfCell(1, 2), (TGridRect{6 + 51 + 41, 34, 6 + 51 + 41 + 40, 64}));
    EXPECT_EQ(g.HeaderRect, (TGridRect{1, 1, 465, 31}));
    EXPECT_EQ(g.DataRect, (TGridRect{1, 31, 465, 31 * 19 + 1}));
    EXPECT_EQ(LaidOut(10, 30, 0, 40).VisibleRows, 0);
    EXPECT_THROW(g.ColLeft(11), TError);
    EXPECT_THROW(g.RectOfCell(0, 10), TError);
}

TEST(GridGeometry, LayoutShowsTheEndAndSetsTheScrollRange) {
    TGridGeometry g = LaidOut(10, 30, 100);
    EXPECT_EQ(g.TopRow, 100 + 1 - 16);
    EXPECT_EQ(g.ScrollMax, 85);
    g.Scroll(srTop);
    EXPECT_EQ(g.TopRow, 0);
    g.Layout(100);  // a resize brings the view back to the end
    EXPECT_EQ(g.TopRow, 85);

    TGridGeometry few = LaidOut(10, 30, 5);
    EXPECT_EQ(few.TopRow, 0);
    EXPECT_EQ(few.ScrollMax, 0);
}

TEST(GridGeometry, HitTestKinds) {
    TGridGeometry g = LaidOut(10, 30, 100);
    const TGridRect cellB = g.RectOfCell(1, 3);
    EXPECT_EQ(g.HitTest(cellB.Left, cellB.Top), (THitResult{rtNum, 3, 0}));
    EXPECT_EQ(g.HitTest(cellB.Right - 1, cellB.Bottom - 1), (THitResult{rtNum, 3, 0}));
    // Half-open: the right edge belongs to the gap.
    EXPECT_EQ(g.HitTest(cellB.Right, cellB.Top).Kind, rtNone);
    const TGridRect row5 = g.RectOfCell(6, 8);
    EXPECT_EQ(g.HitTest(row5.Left + 3, row5.Top + 3), (THitResult{rtNum, 8, 5}));

    const TGridRect head = g.RectOfCell(0, 4);
    EXPECT_EQ(g.HitTest(head.Left + 1, head.Top + 1), (THitResult{rtHead, 4, 0}));
    // Notes, then the issue and value columns and the space right of the grid.
    const TGridRect issue = g.RectOfCell(3, 0);
    for (auto [cell, kind] :
         {std::pair{g.RectOfCell(3, 9), rtNote}, std::pair{issue, rtNone},
          std::pair{g.RectOfCell(3, 1), rtNone}, std::pair{TGridRect{479, 99, 480, 100}, rtNone}})
        EXPECT_EQ(g.HitTest(cell.Left + 1, cell.Top + 1).Kind, kind) << cell.Left;

    // A click moves the cursor only onto a digit cell.
    EXPECT_FALSE(g.ClickAt(issue.Left + 1, issue.Top + 1));
    EXPECT_TRUE(g.ClickAt(row5.Left + 3, row5.Top + 3));
    EXPECT_EQ(g.CursorCol, 8);
    EXPECT_EQ(g.CursorRow, g.TopRow + 5);
}

TEST(GridGeometry, ScrollRequests) {
    TGridGeometry g = LaidOut(10, 30, 100);  // range 0..85, at 85
    EXPECT_EQ(g.ScrollTarget(srLineDown), 85);
    EXPECT_EQ(g.ScrollTarget(srPageDown), 85);
    EXPECT_EQ(g.ScrollTarget(srPageUp), 69);
    g.Scroll(srTop);
    EXPECT_EQ(g.ScrollTarget(srLineUp), 0);
    EXPECT_EQ(g.ScrollTarget(srPageUp), 0);
    g.Scroll(srPageDown);
    EXPECT_EQ(g.TopRow, 16);
    g.Scroll(srThumbTrack, -3);  // below the minimum: ignored
    EXPECT_EQ(g.TopRow, 16);
    g.Scroll(srThumbPosition, 40);
    EXPECT_EQ(g.TopRow, 40);
    g.Scroll(srEndScroll);
    EXPECT_EQ(g.TopRow, 40);
    g.Scroll(srBottom);
    EXPECT_EQ(g.TopRow, 85);
}

TEST(GridGeometry, HomeEndAndPageKeys) {
    TGridGeometry g = LaidOut(10, 30, 100);
    TKeyOutcome home = g.KeyDown(gkHome, 100);
    EXPECT_TRUE(home.ScrollPositionChanged);
    EXPECT_EQ(g.TopRow, 0);
    TKeyOutcome end = g.KeyDown(gkEnd, 100);
    EXPECT_TRUE(end.NeedsLayout);
    EXPECT_EQ(g.TopRow, 85);
    EXPECT_EQ(g.KeyDown(gkPageDown, 100).Post, srPageDown);
    EXPECT_EQ(g.KeyDown(gkPageUp, 100).Post, srPageUp);
    EXPECT_FALSE(g.KeyDown(gkOther, 100).Handled);
}

TEST(GridGeometry, ArrowKeysWrapAndScrollAtTheEdges) {
    TGridGeometry g = LaidOut(7, 30, 100);  // TopRow 85, 16 rows
    g.CursorRow = 90;
    g.CursorCol = 5;  // D, the last digit column with 7 columns
    TKeyOutcome right = g.KeyDown(gkRight, 100);
    EXPECT_FALSE(right.Post.has_value());
    EXPECT_EQ(g.CursorRow, 91);
    EXPECT_EQ(g.CursorCol, 2);
    TKeyOutcome left = g.KeyDown(gkLeft, 100);
    EXPECT_EQ(g.CursorRow, 90);
    EXPECT_EQ(g.CursorCol, 5);
    EXPECT_FALSE(left.Post.has_value());

    g.CursorRow = 85;  // first visible row
    g.CursorCol = 2;
    EXPECT_EQ(g.KeyDown(gkLeft, 100).Post, srLineUp);
    g.CursorRow = 85;
    EXPECT_EQ(g.KeyDown(gkUp, 100).Post, srLineUp);
    EXPECT_EQ(g.CursorRow, 84);

    g.CursorRow = 100;  // append row, the last visible row
    g.CursorCol = 4;
    EXPECT_EQ(g.KeyDown(gkDown, 100).Post, srLineDown);
    EXPECT_EQ(g.CursorRow, 100);
    EXPECT_EQ(g.CursorCol, 2);

    g.CursorRow = 99;
    g.CursorCol = 4;
    g.KeyDown(gkDown, 100);  // onto the append row: first digit column
    EXPECT_EQ(g.CursorRow, 100);
    EXPECT_EQ(g.CursorCol, 2);
}

TEST(GridGeometry, TypingWritesDigitsAndAppendsOnTheAppendRow) {
    TGridGeometry g = LaidOut(10, 30, 0);
    TCodes draws;
    AddDraws(draws, 5);
    g.Layout(draws.Count());

    g.CursorRow = 5;  // the append row
    g.CursorCol = 2;
    EXPECT_EQ(g.KeyPress(U'7', draws), tyTyped);
    ASSERT_EQ(draws.Count(), 6);
    EXPECT_EQ(draws.GetCode(5), (DrawRecord{{7, 7, 0, 0, 0, 0, 0, 0}}));
    g.KeyDown(gkRight, draws.Count());  // the posted Right
    EXPECT_EQ(g.CursorCol, 3);
    EXPECT_EQ(g.CursorRow, 5);

    g.CursorRow = 3;
    g.CursorCol = 4;
    EXPECT_EQ(g.KeyPress(U'5', draws), tyTyped);
    EXPECT_EQ(draws.GetNum(3, 3), 5);
    EXPECT_EQ(draws.GetNum(0, 3), 5);
    g.KeyDown(gkRight, draws.Count());
    EXPECT_EQ(g.CursorCol, 5);
}

TEST(GridGeometry, TypingOutsideTheDrawsChangesNothing) {
    TGridGeometry g = LaidOut(10, 30, 0);
    TCodes draws;
    AddDraws(draws, 3);
    g.Layout(draws.Count());
    g.CursorCol = 3;

    EXPECT_EQ(g.KeyPress(U'x', draws), tyBeep);
    g.CursorRow = 0;
    g.KeyDown(gkUp, draws.Count());  // above the first draw
    EXPECT_EQ(g.CursorRow, -1);
    EXPECT_EQ(g.KeyPress(U'4', draws), tyIgnored);
    g.CursorRow = 5;  // beyond the append row
    EXPECT_EQ(g.KeyPress(U'4', draws), tyIgnored);
    EXPECT_EQ(draws.Count(), 3);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(draws.GetCode(i), DrawRecord{});
}

}  // namespace

TEST(GridGeometry, TheCursorStaysOnACellWhenColumnsOrDrawsGo) {
    TGridGeometry g;
    g.ClientWidth = 600;
    g.ClientHeight = 400;
    g.Layout(3);
    g.CursorRow = 3;
    g.CursorCol = 8;  // a tail digit of the ten-column grid
    g.ColCount = 7;
    g.Layout(3);
    EXPECT_EQ(g.CursorCol, 5);
    TCodes draws;
    for (int i = 0; i < 3; ++i) draws.Add();
    g.KeyDown(gkRight, draws.Count());
    EXPECT_LE(g.CursorCol, 5);
    EXPECT_NO_THROW(g.RectOfCell(1, g.CursorCol));
    g.CursorRow = 40;
    g.FitRows(3);  // draws replaced by fewer
    EXPECT_EQ(g.CursorRow, 3);
}
