#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "data/Hao.h"
#include "view/Color.h"

// Half-open rectangle: (x, y) lies inside when Left <= x < Right and Top <= y < Bottom.
struct TGridRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int32_t x, int32_t y) const {
        return Left <= x && x < Right && Top <= y && y < Bottom;
    }
    TGridRect Intersected(const TGridRect& other) const;
    bool operator==(const TGridRect&) const = default;
};

struct TGridPoint {
    int32_t X = 0;
    int32_t Y = 0;
};

// Cell backgrounds: issue column, value column, digits, digits E-G, description column,
// caption band column 0, caption band other columns.
inline constexpr std::array<TArgb, 7> CellColors = {
    ColorToArgb(245, 222, 229), ColorToArgb(253, 238, 238), ColorToArgb(221, 238, 254),
    ColorToArgb(221, 254, 238), ColorToArgb(253, 255, 238), ColorToArgb(224, 238, 217),
    ColorToArgb(244, 255, 218)};

enum THitKind { rtNone, rtHead, rtNote, rtNum };

struct THitResult {
    THitKind Kind = rtNone;
    int32_t Column = 0;
    int32_t Row = 0;  // visible row: draw index TopRow + Row
    bool operator==(const THitResult&) const = default;
};

enum TScrollRequest {
    srLineUp,
    srLineDown,
    srPageUp,
    srPageDown,
    srThumbPosition,
    srThumbTrack,
    srTop,
    srBottom,
    srEndScroll
};

enum TGridKey {
    gkOther,
    gkPageUp,
    gkPageDown,
    gkLeft,
    gkRight,
    gkUp,
    gkDown,
    gkHome,
    gkEnd,
    gkEnter
};

// What a key-down asks of the control besides the state change the geometry made itself.
struct TKeyOutcome {
    std::optional<TScrollRequest> Post;  // a scroll request to post to the control itself
    bool Handled = true;                 // false: the toolkit's default handling
    bool ScrollPositionChanged = false;  // Home/End moved TopRow directly
    bool NeedsLayout = false;            // End runs a layout pass
};

enum TTypeResult {
    tyBeep,     // not a digit
    tyIgnored,  // cursor outside the draws and the append row
    tyTyped     // digit written; the control advances the cursor with a posted Right
};

// Geometry, scrolling and cursor state of the draw grid, free of any toolkit. All values are
// pixels of the control's client area; rows and columns are grid numbers (row 0 the header).
class TGridGeometry {
  public:
    static constexpr int32_t MaxColumns = 10;
    static constexpr int32_t MinCellHeight = 30;
    static constexpr int32_t MaxCellHeight = 60;

    TGridPoint Margin{5, 2};
    std::array<int32_t, MaxColumns> FColWidthArr{};
    int32_t ColCount = 10;
    int32_t VisibleRows = 10;
    int32_t TopRow = 0;
    int32_t CursorCol = 2;
    int32_t CursorRow = 0;
    int32_t CellHeight = 30;
    std::array<std::string, MaxColumns> HeaderTexts{};
    int32_t LineWidth = 1;
    TGridRect DataRect;
    TGridRect HeaderRect;

    // Client area of the control; kept by the owner on every resize.
    int32_t ClientWidth = 0;
    int32_t ClientHeight = 0;

    // Vertical scroll range; the scroll position is TopRow.
    int32_t ScrollMin = 0;
    int32_t ScrollMax = 0;

    TGridGeometry();

    // 30 to 60, else raises and changes nothing. Does not lay out.
    void SetCellHeight(int32_t height);

    int32_t ColLeft(int32_t column) const;
    // relative: row counts from base; base -1 stands for TopRow.
    int32_t RowTop(int32_t row, bool relative = false, int32_t base = -1) const;
    TGridRect RectOfCell(int32_t row, int32_t column, int32_t base = -1,
                         bool relative = false) const;
    int32_t TotalWidth() const;
    TGridRect ClientRect() const { return {0, 0, ClientWidth, ClientHeight}; }
    // The description column's part of the data area.
    TGridRect NoteArea() const;

    // Column widths, header texts, visible rows, areas, view at the end, cursor, scroll range.
    void Layout(int32_t drawCount);

    // After the draws were replaced in place: the scroll range follows the new count while
    // the view stays where it was, unless it now lies past the end.
    void FitRows(int32_t drawCount);
    // Keeps the cursor on a cell that exists: a digit column, a draw or the append row.
    void ClampCursor(int32_t drawCount);

    THitResult HitTest(int32_t x, int32_t y) const;

    // New scroll position for a request; thumbPosition is used by the thumb requests.
    int32_t ScrollTarget(TScrollRequest request, int32_t thumbPosition = 0) const;
    // Moves the view for a request; raises "VScroll Error" for a negative position after
    // storing it.
    void Scroll(TScrollRequest request, int32_t thumbPosition = 0);

    TKeyOutcome KeyDown(TGridKey key, int32_t drawCount);

    // A typed character at the cursor; appends a draw on the append row. The draws get the
    // digit; on tyTyped the caller posts a Right key-down.
    TTypeResult KeyPress(char32_t character, TCodes& draws);

    // Appends a draw, lays out and puts the cursor on its first digit; returns its index.
    int32_t AppendRow(TCodes& draws);

    // Cursor from a left-button press; true when it moved.
    bool ClickAt(int32_t x, int32_t y);
};

// Ceil(k m), m the cell height over 30 held in single precision: the sizes of texts, marks
// and notes that grow with the cells.
int32_t SizeFor(const TGridGeometry& g, int32_t k);

// The smallest rectangle holding both.
TGridRect UnionOf(const TGridRect& a, const TGridRect& b);
