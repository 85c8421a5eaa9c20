#include "view/GridGeometry.h"

#include <algorithm>
#include <cmath>

#include "data/Error.h"

namespace {

int32_t ScaledWidth(int32_t cellHeight, int32_t unit) {
    return static_cast<int32_t>(std::ceil(cellHeight * static_cast<double>(unit) / 30.0));
}

}  // namespace

TGridRect TGridRect::Intersected(const TGridRect& other) const {
    TGridRect r{std::max(Left, other.Left), std::max(Top, other.Top), std::min(Right, other.Right),
                std::min(Bottom, other.Bottom)};
    if (r.IsEmpty()) return {};
    return r;
}

TGridGeometry::TGridGeometry() {
    // Widths before the first layout pass: those of the initial cell height.
    FColWidthArr.fill(ScaledWidth(CellHeight, 40));
    FColWidthArr[0] = ScaledWidth(CellHeight, 50);
    FColWidthArr[ColCount - 1] = ScaledWidth(CellHeight, 80);
}

void TGridGeometry::SetCellHeight(int32_t height) {
    if (height < MinCellHeight || height > MaxCellHeight)
        throw TError("TGui2RegNet.SetCellHeight Error! The cell height must lie in 30 to 60.");
    CellHeight = height;
}

int32_t TGridGeometry::ColLeft(int32_t column) const {
    if (column < 0 || column > MaxColumns) throw TError("ACol>Length(FColWidthArr)");
    int32_t x = Margin.X + 1;
    for (int32_t i = 0; i < column; ++i) x += FColWidthArr[i] + LineWidth;
    return x;
}

int32_t TGridGeometry::RowTop(int32_t row, bool relative, int32_t base) const {
    int32_t r = row;
    if (relative) r = row - (base == -1 ? TopRow : base);
    return Margin.Y + 1 + (CellHeight + LineWidth) * r;
}

TGridRect TGridGeometry::RectOfCell(int32_t row, int32_t column, int32_t base,
                                    bool relative) const {
    if (column < 0 || column >= MaxColumns) throw TError("RectOfCell ACol>Length(FColWidthArr)");
    TGridRect r;
    r.Left = ColLeft(column);
    r.Right = r.Left + FColWidthArr[column];
    r.Top = RowTop(row, relative, base);
    r.Bottom = r.Top + CellHeight;
    return r;
}

int32_t TGridGeometry::TotalWidth() const {
    return ColLeft(ColCount) - LineWidth;
}

TGridRect TGridGeometry::NoteArea() const {
    TGridRect r = DataRect;
    r.Left = ColLeft(ColCount - 1);
    return r;
}

void TGridGeometry::Layout(int32_t drawCount) {
    FColWidthArr.fill(ScaledWidth(CellHeight, 40));
    FColWidthArr[0] = ScaledWidth(CellHeight, 50);
    FColWidthArr[ColCount - 1] = ScaledWidth(CellHeight, 80);

    for (int32_t i = 2; i < MaxColumns; ++i) HeaderTexts[i] = std::string(1, char('A' + i - 2));
    HeaderTexts[0] = "期";
    HeaderTexts[1] = "值";
    HeaderTexts[ColCount - 1] = "说明";

    const int32_t available = ClientHeight - CellHeight / 2 - Margin.X;
    const int32_t pitch = CellHeight + LineWidth;
    if (pitch < available)
        VisibleRows = static_cast<int32_t>(std::ceil(available / static_cast<double>(pitch))) - 3;
    else
        VisibleRows = 0;

    const int32_t right = ColLeft(ColCount - 1) + FColWidthArr[ColCount - 1];
    const int32_t bottom = pitch * (VisibleRows + 3) + LineWidth;
    DataRect = {1, pitch, right, bottom};
    HeaderRect = {1, 1, right, pitch};

    // Every layout pass shows the end of the draws: the append row in the last draw row.
    TopRow = std::max(0, drawCount + 1 - VisibleRows);

    if (CursorRow + TopRow >= VisibleRows) CursorRow = std::max(drawCount - 1, 0);
    if (drawCount == CursorRow + 1) CursorCol = 2;
    ClampCursor(drawCount);

    ScrollMin = 0;
    ScrollMax = std::max(drawCount - VisibleRows + 1, 0);
}

void TGridGeometry::FitRows(int32_t drawCount) {
    ScrollMin = 0;
    ScrollMax = std::max(drawCount - VisibleRows + 1, 0);
    TopRow = std::clamp(TopRow, ScrollMin, ScrollMax);
    ClampCursor(drawCount);
}

void TGridGeometry::ClampCursor(int32_t drawCount) {
    // The append row (index drawCount) is the last row the cursor may stand on; the digit
    // columns run from 2 to ColCount - 2 (fewer after the tail columns go).
    CursorRow = std::clamp(CursorRow, 0, std::max(drawCount, 0));
    CursorCol = std::clamp(CursorCol, 2, std::max(ColCount - 2, 2));
}

THitResult TGridGeometry::HitTest(int32_t x, int32_t y) const {
    const TGridRect client = ClientRect();
    if (HeaderRect.Contains(x, y)) {
        for (int32_t c = 0; c < ColCount; ++c) {
            const TGridRect cell = RectOfCell(0, c).Intersected(client);
            if (!cell.IsEmpty() && cell.Contains(x, y)) return {rtHead, c, 0};
        }
        return {};
    }
    if (NoteArea().Contains(x, y)) {
        for (int32_t k = 0; k < VisibleRows; ++k) {
            const TGridRect cell = RectOfCell(k + 1, ColCount - 1).Intersected(client);
            if (!cell.IsEmpty() && cell.Contains(x, y)) return {rtNote, ColCount - 1, 0};
        }
        return {};
    }
    if (DataRect.Contains(x, y)) {
        for (int32_t k = 0; k < VisibleRows; ++k) {
            for (int32_t c = 2; c <= ColCount - 2; ++c) {
                if (RectOfCell(k + 1, c).Contains(x, y)) return {rtNum, c, k};
            }
        }
    }
    return {};
}

int32_t TGridGeometry::ScrollTarget(TScrollRequest request, int32_t thumbPosition) const {
    const int32_t pos = TopRow;
    switch (request) {
        case srLineUp:
            return std::max(0, pos - 1);
        case srLineDown:
            return std::min(ScrollMax, pos + 1);
        case srPageUp:
            return std::max(pos - VisibleRows, ScrollMin);
        case srPageDown:
            return std::min(pos + VisibleRows, ScrollMax);
        case srThumbPosition:
        case srThumbTrack:
            return thumbPosition >= ScrollMin ? thumbPosition : pos;
        case srTop:
            return ScrollMin;
        case srBottom:
            return ScrollMax;
        case srEndScroll:
            break;
    }
    return pos;
}

void TGridGeometry::Scroll(TScrollRequest request, int32_t thumbPosition) {
    TopRow = ScrollTarget(request, thumbPosition);
    if (TopRow < 0) throw TError("VScroll Error");
}

TKeyOutcome TGridGeometry::KeyDown(TGridKey key, int32_t drawCount) {
    TKeyOutcome out;
    const int32_t n = drawCount;
    switch (key) {
        case gkPageDown:
            out.Post = srPageDown;
            break;
        case gkPageUp:
            out.Post = srPageUp;
            break;
        case gkLeft:
            if (CursorCol == 2) {
                if (CursorRow == TopRow) out.Post = srLineUp;
                CursorRow -= 1;
                CursorCol = ColCount - 2;
            } else {
                CursorCol -= 1;
            }
            break;
        case gkRight:
            if (CursorCol == ColCount - 2) {
                if (CursorRow == TopRow + VisibleRows - 1) out.Post = srLineDown;
                CursorRow += 1;
                CursorCol = 2;
            } else if (n > CursorRow) {
                CursorCol += 1;
            }
            break;
        case gkUp:
            if (CursorRow == TopRow && CursorRow > 0) out.Post = srLineUp;
            CursorRow -= 1;
            break;
        case gkDown:
            if (CursorRow == TopRow + VisibleRows - 1) {
                if (CursorRow < n - 1)
                    CursorRow += 1;
                else
                    CursorCol = 2;
                out.Post = srLineDown;
            } else {
                CursorRow += 1;
                if (CursorRow >= n) CursorCol = 2;
            }
            break;
        case gkHome:
            TopRow = 0;
            out.ScrollPositionChanged = true;
            break;
        case gkEnd:
            TopRow = ScrollMax;
            out.ScrollPositionChanged = true;
            out.NeedsLayout = true;
            break;
        case gkEnter:
            break;
        case gkOther:
            out.Handled = false;
            break;
    }
    return out;
}

int32_t TGridGeometry::AppendRow(TCodes& draws) {
    draws.Add();
    Layout(draws.Count());
    CursorCol = 2;
    CursorRow = draws.Count() - 1;
    return CursorRow;
}

TTypeResult TGridGeometry::KeyPress(char32_t character, TCodes& draws) {
    if (character < U'0' || character > U'9') return tyBeep;
    const int32_t digit = static_cast<int32_t>(character - U'0');
    const int32_t n = draws.Count();
    // Above the first draw (reachable with Up or Left from draw 0) and below the append row
    // there is no draw to type into.
    if (CursorRow < 0 || CursorRow > n) return tyIgnored;
    if (CursorCol < 2 || CursorCol > ColCount - 2) return tyIgnored;
    const int32_t row = CursorRow == n ? AppendRow(draws) : CursorRow;
    DrawRecord record = draws.GetCode(row);
    record[CursorCol - 1] = digit;
    draws.SetCode(row, record);
    return tyTyped;
}

bool TGridGeometry::ClickAt(int32_t x, int32_t y) {
    const THitResult hit = HitTest(x, y);
    if (hit.Kind != rtNum || hit.Column <= 0) return false;
    CursorCol = hit.Column;
    CursorRow = TopRow + hit.Row;
    return true;
}

int32_t SizeFor(const TGridGeometry& g, int32_t k) {
    const float ratio = static_cast<float>(g.CellHeight) / 30.0f;
    return static_cast<int32_t>(std::ceil(static_cast<float>(k) * ratio));
}

TGridRect UnionOf(const TGridRect& a, const TGridRect& b) {
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}
