#include "app/draws/DrawHistory.h"

#include "view/ui/Gui2Ctrl.h"

TDrawRows RowsOf(const TCodes& draws) {
    return TDrawRows(draws.Rows(), draws.Rows() + draws.Count());
}

TDrawState StateOf(const TGui2RegNet& grid) {
    TDrawState state{RowsOf(grid.Draws()), grid.Register()};
    state.Register.Fit(grid.Draws().Count());
    return state;
}

TDrawsChangeCommand::TDrawsChangeCommand(const QString& text, TGui2RegNet& grid, TDrawState before,
                                         TDrawState after)
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

void TDrawsChangeCommand::Apply(const TDrawState& state) {
    const TDrawRows& rows = state.Rows;
    TCodes& draws = grid_.Draws();
    draws.SetCount(static_cast<int32_t>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) draws.SetCode(static_cast<int32_t>(i), rows[i]);
    grid_.Register() = state.Register;
    grid_.DrawsReplaced();
}
