#include "app/window/UndoHistory.h"

#include <QAction>
#include <algorithm>

#include "app/patterns/PatternHistory.h"
#include "search/DocumentSession.h"
#include "search/PatternBudget.h"
#include "view/ui/Gui2Ctrl.h"

TUndoHistory::TUndoHistory(TGui2RegNet& grid, TDocumentSession& document, QObject* parent)
    : QObject(parent),
      grid_(grid),
      document_(document),
      stack_(this),
      heldLimit_(std::min<size_t>(
          HeldPatternLimit, static_cast<size_t>(std::max<int64_t>(PatternBudget(0) / 2, 1)))) {
    stack_.setUndoLimit(DepthLimit);
    connect(&stack_, &QUndoStack::cleanChanged, this, [this](bool clean) { SetModified(!clean); });
    // Undo and redo replace the rows: what they leave is the base of the next change.
    connect(&stack_, &QUndoStack::indexChanged, this, [this] {
        committed_ = StateOf(grid_);
        BoundHeldPatterns();
        UpdateActions();
    });
}

TUndoHistory::~TUndoHistory() {
    // The stack empties itself as it goes and says so; by then the window's document and grid
    // may be gone already.
    stack_.disconnect();
}

void TUndoHistory::SetActions(QAction* undo, QAction* redo) {
    undoAction_ = undo;
    redoAction_ = redo;
    UpdateActions();
}

void TUndoHistory::UpdateActions() {
    if (undoAction_ != nullptr) undoAction_->setEnabled(CanUndo());
    if (redoAction_ != nullptr) redoAction_->setEnabled(stack_.canRedo());
}

TPatternsCommand* TUndoHistory::PatternCommand(int index) const {
    if (index < 0 || index >= stack_.count()) return nullptr;
    return dynamic_cast<TPatternsCommand*>(const_cast<QUndoCommand*>(stack_.command(index)));
}

bool TUndoHistory::CanUndo() const {
    if (!stack_.canUndo()) return false;
    const TPatternsCommand* last = PatternCommand(stack_.index() - 1);
    return last == nullptr || !last->Expired();
}

bool TUndoHistory::Undo() {
    if (!CanUndo()) return false;
    stack_.undo();
    return true;
}

size_t TUndoHistory::HeldPatterns() const {
    size_t held = 0;
    for (int i = 0; i < stack_.count(); ++i)
        if (const TPatternsCommand* command = PatternCommand(i)) held += command->HeldCount();
    return held;
}

void TUndoHistory::BoundHeldPatterns() {
    size_t held = HeldPatterns();
    for (int i = 0; i < stack_.index() - 1 && held > heldLimit_; ++i) {
        TPatternsCommand* command = PatternCommand(i);
        if (command == nullptr || command->Expired()) continue;
        held -= command->HeldCount();
        command->Expire();
    }
}

void TUndoHistory::PatternsDeleted(TDeletedPatterns deleted) {
    Record(new TDeletePatternsCommand(*list_, disposer_, std::move(deleted)));
}

void TUndoHistory::PatternsCleared(TListContents held) {
    Record(new TReplacePatternsCommand(QStringLiteral("清空"), *list_, disposer_, std::move(held)));
}

void TUndoHistory::SetModified(bool modified) {
    if (modified)
        document_.MarkModified();
    else
        document_.MarkUnmodified();
    emit ModifiedChanged(modified);
}

void TUndoHistory::SearchStarted(TListContents held) {
    Record(new TReplacePatternsCommand(QStringLiteral("搜索"), *list_, disposer_, std::move(held)));
}

void TUndoHistory::PatternsFound() {
    // Found after the state last saved: that state cannot be reached by undoing any more.
    if (stack_.isClean()) stack_.resetClean();
    SetModified(true);
}

void TUndoHistory::Record(QUndoCommand* command) {
    stack_.push(command);  // its first redo does nothing: the change has happened
    SetModified(true);
}

void TUndoHistory::DrawsTyped() {
    TDrawState after = StateOf(grid_);
    if (after == committed_) return;  // the same digit typed again: no change, no step
    TDrawState before = std::move(committed_);
    Record(new TTypeDigitsCommand(grid_, std::move(before), std::move(after)));
}

void TUndoHistory::DrawsReplaced(TDrawChange kind) {
    TDrawState after = StateOf(grid_);
    // The editor saved unchanged, or the same draws imported again: nothing to undo, and the
    // modified flag stays as it is.
    if (after == committed_) return;
    TDrawState before = std::move(committed_);
    switch (kind) {
        case TDrawChange::Import:
            Record(new TImportDrawsCommand(grid_, std::move(before), std::move(after)));
            break;
        case TDrawChange::Editor:
            Record(new TEditorSaveCommand(grid_, std::move(before), std::move(after)));
            break;
        case TDrawChange::Download:
            Record(new TDownloadDrawsCommand(grid_, std::move(before), std::move(after)));
            break;
    }
}

void TUndoHistory::Opened(bool modified) {
    stack_.clear();
    committed_ = StateOf(grid_);
    stack_.setClean();
    if (modified) stack_.resetClean();
    SetModified(modified);
}

void TUndoHistory::Saved() {
    stack_.setClean();
    SetModified(false);
}
