#include "view/ui/Gui2Ctrl.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include "data/Error.h"
#include "search/PatternColumns.h"
#include "view/paint/Gui2Paint.h"

namespace {

TGridKey GridKeyOf(int key) {
    switch (key) {
        case Qt::Key_PageUp:
            return gkPageUp;
        case Qt::Key_PageDown:
            return gkPageDown;
        case Qt::Key_Left:
            return gkLeft;
        case Qt::Key_Right:
            return gkRight;
        case Qt::Key_Up:
            return gkUp;
        case Qt::Key_Down:
            return gkDown;
        case Qt::Key_Home:
            return gkHome;
        case Qt::Key_End:
            return gkEnd;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return gkEnter;
        default:
            return gkOther;
    }
}

}  // namespace

TGui2RegNet::TGui2RegNet(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("Gui2RegNet"));
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    issueBase_ = draws_.FirstIssue();
    // The user's own drags of the thumb; requests of our own set the bar with signals blocked.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!syncingScrollBar_) VScroll(srThumbTrack, value);
    });
}

TGui2RegNet::~TGui2RegNet() = default;

void TGui2RegNet::SetColCount(int32_t count) {
    geometry_.ColCount = count == 7 ? 7 : 10;
}

void TGui2RegNet::SetCellHeight(int32_t height) {
    geometry_.SetCellHeight(height);
    LayoutGrid();
}

void TGui2RegNet::SetSecIndex(int32_t index) {
    if (index >= pattern_.StepTotal) throw TError("TCodeNet.SetSecIndex Error!");
    if (index != secIndex_) {
        secIndex_ = index;
        viewport()->update();
    }
}

void TGui2RegNet::SetPattern(const TGui2Reg& pattern) {
    pattern_.Assign(pattern);
    secIndex_ = -1;
}

void TGui2RegNet::ShowPattern(const TGui2Reg& pattern, std::shared_ptr<const TCodes> searchDraws) {
    SetSearchDraws(std::move(searchDraws));
    SetPattern(pattern);
    SetSecIndex(pattern_.StepTotal - 1);
    LayoutGrid();
}

void TGui2RegNet::Clear() {
    pattern_.Clear();
    draws_.Clear();
    register_.Clear();
    if (parentWidget() != nullptr) LayoutGrid();
    emit DrawsChanged();
}

int32_t TGui2RegNet::AppendRow() {
    const int32_t index = geometry_.AppendRow(draws_);
    register_.Fit(draws_.Count());
    SyncScrollBar();
    viewport()->update();
    Change();
    return index;
}

void TGui2RegNet::LayoutGrid() {
    geometry_.ClientWidth = viewport()->width();
    geometry_.ClientHeight = viewport()->height();
    geometry_.Layout(draws_.Count());
    SyncScrollBar();
    viewport()->update();
    Change();
}

void TGui2RegNet::DrawsReplaced() {
    register_.Fit(draws_.Count());
    geometry_.FitRows(draws_.Count());
    SyncScrollBar();
    viewport()->repaint();
    Change();
    emit DrawsChanged();
}

TGridPaintInput TGui2RegNet::PaintInput() const {
    return TGridPaintInput{geometry_,     draws_,       pattern_, issueBase_, BoxColorMode,
                           LinkLineStyle, DrawBoxStyle, font(),   palette(),  searchDraws_.get(),
                           &register_};
}

void TGui2RegNet::SyncScrollBar() {
    syncingScrollBar_ = true;
    verticalScrollBar()->setRange(geometry_.ScrollMin, geometry_.ScrollMax);
    verticalScrollBar()->setPageStep(std::max(1, geometry_.VisibleRows));
    verticalScrollBar()->setValue(geometry_.TopRow);
    syncingScrollBar_ = false;
}

void TGui2RegNet::PostScroll(TScrollRequest request) {
    QMetaObject::invokeMethod(
        this, [this, request] { VScroll(request); }, Qt::QueuedConnection);
}

void TGui2RegNet::PostKeyDown(TGridKey key) {
    QMetaObject::invokeMethod(
        this, [this, key] { GridKeyDown(key); }, Qt::QueuedConnection);
}

void TGui2RegNet::VScroll(TScrollRequest request, int32_t thumbPosition) {
    geometry_.Scroll(request, thumbPosition);
    SyncScrollBar();
    viewport()->update();
    if (!hasFocus()) setFocus();
}

void TGui2RegNet::GridKeyDown(TGridKey key) {
    const TKeyOutcome outcome = geometry_.KeyDown(key, draws_.Count());
    if (outcome.Post) PostScroll(*outcome.Post);
    if (outcome.ScrollPositionChanged) SyncScrollBar();
    if (outcome.NeedsLayout) LayoutGrid();
    viewport()->update();
    Change();
}

void TGui2RegNet::Change() {
    ReportCursorRow();
    emit OnChange();
}

QString TGui2RegNet::CursorRowText() const {
    const int32_t row = geometry_.CursorRow;
    const int32_t count = draws_.Count();
    if (row < 0 || row > count) return {};
    QString text = QString::fromStdString(RowDescription(register_, row, count));
    if (row < count) {
        QString digits;
        for (int p = 1; p <= 7; ++p) digits += QString::number(draws_.GetNum(p, row));
        text += QStringLiteral(" ") + digits;
    }
    return text;
}

void TGui2RegNet::ReportCursorRow() {
    const QString text = CursorRowText();
    if (text == cursorRowText_) return;
    cursorRowText_ = text;
    emit CursorRowChanged(text);
}

QString TGui2RegNet::ToolTipAt(const QPoint& point) const {
    // The 期 column's header: why its numbers change length from one row to the next.
    if (geometry_.RectOfCell(0, 0).Contains(point.x(), point.y()))
        return QStringLiteral(
            "期：有期号的行写期号（列宽不够时只写后五位），没有期号的行写行号"
            "（从1数起）；指向一行可看完整的期号和日期。");
    for (int32_t k = 0; k < geometry_.VisibleRows; ++k) {
        const int32_t index = geometry_.TopRow + k;
        if (index < 0 || index > draws_.Count()) continue;
        for (int32_t c = 0; c <= geometry_.ColCount - 2; ++c)
            if (geometry_.RectOfCell(k + 1, c).Contains(point.x(), point.y())) {
                QString tip =
                    QString::fromStdString(RowDescription(register_, index, draws_.Count()));
                // A cell the shown pattern predicts: its digits with their chance.
                if (pattern_.StepTotal > 0 && index == pattern_.BaseRow && c >= 1 &&
                    pattern_.PositionUsed(c - 1))
                    tip +=
                        QStringLiteral("\n") + QString::fromStdString(PatternResultHint(pattern_));
                return tip;
            }
    }
    return {};
}

void TGui2RegNet::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    // Painting never throws into the event loop: a failure is reported once, not at every
    // repaint, and the grid stays usable.
    try {
        const TGridPaintInput input = PaintInput();
        PaintTo(painter, input, true, geometry_.TopRow, geometry_.VisibleRows, 1.0f, QPoint(0, 0));
        // While the grid has the focus, a dotted frame shows the cell that typed digits go to.
        const int32_t visibleRow = geometry_.CursorRow - geometry_.TopRow;
        if (hasFocus() && visibleRow >= 0 && visibleRow < geometry_.VisibleRows &&
            geometry_.CursorRow <= draws_.Count() && geometry_.CursorCol < geometry_.ColCount) {
            const QRect cell = ToQRect(geometry_.RectOfCell(visibleRow + 1, geometry_.CursorCol));
            painter.setClipping(false);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
            painter.drawRect(cell.adjusted(1, 1, -2, -2));
        }
        paintFailureReported_ = false;
    } catch (const std::exception& e) {
        if (paintFailureReported_) return;
        paintFailureReported_ = true;
        const QString message = QString::fromStdString(e.what());
        QMetaObject::invokeMethod(
            this, [this, message] { emit PaintFailed(message); }, Qt::QueuedConnection);
    }
}

void TGui2RegNet::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    LayoutGrid();
}

void TGui2RegNet::keyPressEvent(QKeyEvent* event) {
    const TGridKey key = GridKeyOf(event->key());
    if (key != gkOther) {
        GridKeyDown(key);
        event->accept();
        return;
    }
    const QString text = event->text();
    if (text.size() != 1 || !text.at(0).isPrint() ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
    const int32_t count = draws_.Count();
    const int32_t row = geometry_.CursorRow;
    const DrawRecord old = row >= 0 && row < count ? draws_.GetCode(row) : DrawRecord{};
    const TTypeResult result = geometry_.KeyPress(text.at(0).unicode(), draws_);
    if (result == tyBeep) {
        QApplication::beep();
        return;
    }
    if (result == tyTyped) {
        register_.Fit(draws_.Count());  // a draw typed in the coming row takes the next 期号
        // The same digit typed again changes nothing: no undo step, no modified document.
        if (draws_.Count() != count || !(draws_.GetCode(row) == old)) {
            emit DrawsEdited();
            emit DrawsChanged();
        }
        SyncScrollBar();
        viewport()->update();
        ReportCursorRow();
        PostKeyDown(gkRight);
    }
}

void TGui2RegNet::mousePressEvent(QMouseEvent* event) {
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        geometry_.ClickAt(p.x(), p.y());
        ReportCursorRow();
    }
    viewport()->update();
    QAbstractScrollArea::mousePressEvent(event);
}

void TGui2RegNet::wheelEvent(QWheelEvent* event) {
    event->accept();
    // A notch moves as many rows as the desktop's wheel setting says (three by default); the
    // small steps of a fine wheel add up to notches. Each row is one posted line request.
    wheelRest_ += event->angleDelta().y();
    const int notches = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    const int rows = notches * std::max(1, QApplication::wheelScrollLines());
    for (int i = 0; i < std::abs(rows); ++i) PostScroll(rows > 0 ? srLineUp : srLineDown);
}

void TGui2RegNet::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TGui2RegNet::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TGui2RegNet::contextMenuEvent(QContextMenuEvent* event) {
    emit ContextPopupRequested(event->globalPos());
    event->accept();
}

bool TGui2RegNet::event(QEvent* event) {
    // The arrow keys belong to the grid, never to focus navigation.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (GridKeyOf(keyEvent->key()) != gkOther && keyEvent->modifiers() == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool TGui2RegNet::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = ToolTipAt(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TGui2RegNet::scrollContentsBy(int, int) {
    // Scrolling is the grid's own business (VScroll); nothing moves pixels here.
}

void TGui2RegNet::ApplyDisplay(const TGridDisplay& display) {
    SetColCount(display.ColCount);
    SetCellHeight(display.CellHeight);
    BoxColorMode = display.BoxColorMode;
    LinkLineStyle = display.LinkLineStyle;
    DrawBoxStyle = display.DrawBoxStyle;
    LayoutGrid();
}
