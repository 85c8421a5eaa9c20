#include "app/draws/DrawHistory.h"

#include "view/ui/Gui2Ctrl.h"

TDrawRows RowsOf(const TCodes& draws) {
    return TDrawRows(draws.Rows(), draws.Rows() + draws.Count());
}

TDrawsChangeCommand::TDrawsChangeCommand(const QString& text, TGui2RegNet& grid, TDrawRows before,
                                         TDrawRows after)
    : QUndoCommand(text), grid_(grid), before_(std::move(before)), after_(std::move(after)) {}

void TDrawsChangeCommand::undo() {
    Apply(before_);
}

void TDrawsChangeCommand::redo() {
    if (applied_) {
        applied_ = false;  // pushed after the change: nothing to do the first time
        return;
    }
    Apply(after_);
}

void TDrawsChangeCommand::Apply(const TDrawRows& rows) {
    TCodes& draws = grid_.Draws();
    draws.SetCount(static_cast<int32_t>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) draws.SetCode(static_cast<int32_t>(i), rows[i]);
    grid_.DrawsReplaced();
}
