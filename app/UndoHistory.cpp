#include "app/UndoHistory.h"

#include <QAction>

#include "search/DocumentSession.h"
#include "view/ui/Gui2Ctrl.h"

TUndoHistory::TUndoHistory(TGui2RegNet& grid, TDocumentSession& document, QObject* parent)
    : QObject(parent), grid_(grid), document_(document), stack_(this) {
    stack_.setUndoLimit(DepthLimit);
    connect(&stack_, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (clean)
            document_.MarkUnmodified();
        else
            document_.MarkModified();
    });
    // Undo and redo replace the rows: what they leave is the base of the next change.
    connect(&stack_, &QUndoStack::indexChanged, this,
            [this] { committed_ = RowsOf(grid_.Draws()); });
}

TUndoHistory::~TUndoHistory() {
    // The stack empties itself as it goes and says so; by then the window's document and grid
    // may be gone already.
    stack_.disconnect();
}

void TUndoHistory::SetActions(QAction* undo, QAction* redo) {
    undo->setEnabled(stack_.canUndo());
    redo->setEnabled(stack_.canRedo());
    connect(&stack_, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(&stack_, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
}

void TUndoHistory::Record(QUndoCommand* command) {
    stack_.push(command);  // its first redo does nothing: the change has happened
    document_.MarkModified();
}

void TUndoHistory::DrawsTyped() {
    TDrawRows before = std::move(committed_);
    Record(new TTypeDigitsCommand(grid_, std::move(before), RowsOf(grid_.Draws())));
}

void TUndoHistory::DrawsReplaced(TDrawChange kind) {
    TDrawRows before = std::move(committed_);
    TDrawRows after = RowsOf(grid_.Draws());
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

void TUndoHistory::UnrecordedChange() {
    stack_.resetClean();
    document_.MarkModified();
}

void TUndoHistory::Opened() {
    stack_.clear();
    committed_ = RowsOf(grid_.Draws());
    stack_.setClean();
    document_.MarkUnmodified();
}

void TUndoHistory::Saved() {
    stack_.setClean();
    document_.MarkUnmodified();
}
