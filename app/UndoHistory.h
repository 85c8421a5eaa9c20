#pragma once

#include <QObject>
#include <QUndoStack>

#include "app/DrawCommands.h"
#include "app/DrawHistory.h"

class QAction;
class TDocumentSession;
class TGui2RegNet;

// The main window's undo stack. It records every change of the draws as a command, keeps a
// bounded number of them, and lets the document's modified flag follow the stack: undoing back
// to the state last opened or saved clears it. Changes it cannot undo (patterns found by a
// search, deleted or cleared) mark the document modified for good, until the next save.
class TUndoHistory : public QObject {
    Q_OBJECT

  public:
    static constexpr int DepthLimit = 50;

    TUndoHistory(TGui2RegNet& grid, TDocumentSession& document, QObject* parent);
    ~TUndoHistory() override;

    QUndoStack& Stack() { return stack_; }
    // The undo and redo commands, enabled while there is something to undo or redo.
    void SetActions(QAction* undo, QAction* redo);

    // The grid's draws changed by typing, or were replaced by a command.
    void DrawsTyped();
    void DrawsReplaced(TDrawChange kind);
    // A change that is not recorded.
    void UnrecordedChange();
    // The document was opened (or started empty) or saved: this is the clean state.
    void Opened();
    void Saved();

    void Undo() { stack_.undo(); }
    void Redo() { stack_.redo(); }

  private:
    void Record(QUndoCommand* command);

    TGui2RegNet& grid_;
    TDocumentSession& document_;
    QUndoStack stack_;
    TDrawRows committed_;  // the rows as the last recorded change left them
};
