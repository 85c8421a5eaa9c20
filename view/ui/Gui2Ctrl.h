#pragma once

#include <QAbstractScrollArea>
#include <cstdint>
#include <memory>

#include "data/DrawRegister.h"
#include "data/Hao.h"
#include "data/Stream.h"
#include "search/Gui2Reg.h"
#include "view/GridDisplay.h"
#include "view/GridGeometry.h"

struct TGridPaintInput;

// The draw grid: shows the draws, lets the user move an edit cursor and type digits, scrolls
// over all draws and paints one pattern over them.
class TGui2RegNet : public QAbstractScrollArea {
    Q_OBJECT

  public:
    explicit TGui2RegNet(QWidget* parent = nullptr);
    ~TGui2RegNet() override;

    int32_t BoxColorMode = 0;
    int32_t LinkLineStyle = 0;
    int32_t DrawBoxStyle = 0;

    TCodes& Draws() { return draws_; }
    const TCodes& Draws() const { return draws_; }
    // The 期号 and date of each draw; kept as long as the draws (typing a new draw continues
    // the last 期号). Whoever replaces the draws sets it before DrawsReplaced.
    TDrawRegister& Register() { return register_; }
    const TDrawRegister& Register() const { return register_; }
    TGui2Reg& Pattern() { return pattern_; }
    const TGui2Reg& Pattern() const { return pattern_; }
    TGridGeometry& Geometry() { return geometry_; }
    const TGridGeometry& Geometry() const { return geometry_; }

    int32_t SecIndex() const { return secIndex_; }
    int32_t IssueBase() const { return issueBase_; }
    int32_t ColCount() const { return geometry_.ColCount; }
    void SetColCount(int32_t count);
    int32_t CellHeight() const { return geometry_.CellHeight; }
    int32_t TotalWidth() const { return geometry_.TotalWidth(); }

    void SetCellHeight(int32_t height);
    // Columns, cell height and styles from the options, then a new layout.
    void ApplyDisplay(const TGridDisplay& display);
    void SetSecIndex(int32_t index);
    void SetPattern(const TGui2Reg& pattern);
    // Shows pattern, found in searchDraws, at its last step.
    void ShowPattern(const TGui2Reg& pattern, std::shared_ptr<const TCodes> searchDraws);
    // The draws of the search that found the pattern shown (its verdict needs them); null: the
    // grid's own draws.
    void SetSearchDraws(std::shared_ptr<const TCodes> draws) { searchDraws_ = std::move(draws); }
    void Clear();
    int32_t AppendRow();
    void LayoutGrid();
    // Repaints at once after the draws were replaced, without a new layout or scrolling, and
    // tells the windows that show draws (DrawsChanged). Whoever replaces the draws calls it.
    void DrawsReplaced();

    // The row of the edit cursor as the status bar tells it: "第2024096期 2024-04-12 2381150",
    // "第12行 …" without a 期号, "下一期：第2024097期" on the coming draw.
    QString CursorRowText() const;
    // The 期号 and date of the draw under a point of the viewport, for its tool tip; empty
    // off the draws.
    QString ToolTipAt(const QPoint& point) const;

    // The things the painting needs, with this control's font and palette.
    TGridPaintInput PaintInput() const;

    // Posts a scroll request to this control's own queue.
    void PostScroll(TScrollRequest request);
    // The vertical-scroll handling every scroll goes through.
    void VScroll(TScrollRequest request, int32_t thumbPosition = 0);
    // The key-down handling of the grid keys.
    void GridKeyDown(TGridKey key);

  signals:
    void OnChange();
    // Digits typed into the grid changed the draws.
    void DrawsEdited();
    // The one signal for every change of the draws: typing, an import, the editor, a download,
    // undo and redo, an opened or cleared document. Every window that shows draws follows it.
    void DrawsChanged();
    void ContextPopupRequested(const QPoint& globalPos);
    // The edit cursor moved to another row, or that row's draw or 期号 changed.
    void CursorRowChanged(const QString& text);
    // Painting failed (posted, once until a paint succeeds again).
    void PaintFailed(const QString& message);

  protected:
    virtual void Change();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void SyncScrollBar();
    void PostKeyDown(TGridKey key);
    void ReportCursorRow();

    TCodes draws_;
    TDrawRegister register_;
    TGui2Reg pattern_;
    std::shared_ptr<const TCodes> searchDraws_;
    TGridGeometry geometry_;
    int32_t secIndex_ = -1;
    int32_t issueBase_ = 1;
    bool syncingScrollBar_ = false;
    int wheelRest_ = 0;  // wheel turn short of a whole notch
    bool paintFailureReported_ = false;
    QString cursorRowText_;
};
