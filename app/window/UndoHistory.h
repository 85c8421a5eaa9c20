#pragma once

#include <QObject>
#include <QUndoStack>

#include "app/draws/DrawCommands.h"
#include "app/draws/DrawHistory.h"
#include "app/patterns/PatternListController.h"
#include "search/PatternDisposer.h"

class QAction;
class TDocumentSession;
class TGui2RegNet;
class TPatternsCommand;

// The main window's undo stack. It records every change of the draws and of the pattern list
// (delete, clear, a new search) as a command, keeps a bounded number of them, and lets the
// document's modified flag follow the stack: undoing back to the state last opened or saved
// clears it. Removed patterns are kept once, not copied; past HeldPatternLimit of them (less
// on a machine with little memory: half a search's pattern budget) the oldest pattern changes
// give theirs up and the history cannot be undone beyond them.
class TUndoHistory : public QObject {
    Q_OBJECT

  public:
    static constexpr int DepthLimit = 50;
    static constexpr size_t HeldPatternLimit = 4000000;

    TUndoHistory(TGui2RegNet& grid, TDocumentSession& document, QObject* parent);
    ~TUndoHistory() override;

    QUndoStack& Stack() { return stack_; }
    // The undo and redo commands, enabled while there is something to undo or redo.
    void SetActions(QAction* undo, QAction* redo);

    // The grid's draws changed by typing, or were replaced by a command.
    void DrawsTyped();
    void DrawsReplaced(TDrawChange kind);
    // The pattern list the pattern changes act on; set before any is recorded.
    void SetPatternList(TPatternListController& list) { list_ = &list; }
    void PatternsDeleted(TDeletedPatterns deleted);
    void PatternsCleared(TListContents held);
    // A search set the list aside; the patterns it finds join the list afterwards.
    void SearchStarted(TListContents held);
    // Patterns found by the search joined the list.
    void PatternsFound();
    void SetHeldPatternLimit(size_t limit) { heldLimit_ = limit; }
    size_t HeldPatterns() const;
    // The document was opened (or started empty) or saved: this is the clean state (a
    // recovered copy of unsaved changes opens modified: no state on the disk is its own).
    void Opened(bool modified = false);
    void Saved();

    // False (nothing done) when the change before cannot be undone any more.
    bool Undo();
    void Redo() { stack_.redo(); }
    bool CanUndo() const;

  signals:
    // The document's modified flag was set or cleared (the title's "*" follows it).
    void ModifiedChanged(bool modified);

  private:
    void SetModified(bool modified);
    void Record(QUndoCommand* command);
    TPatternsCommand* PatternCommand(int index) const;
    // Expires the oldest pattern changes until the held patterns are within the limit; the
    // latest change always keeps its patterns.
    void BoundHeldPatterns();
    void UpdateActions();

    TGui2RegNet& grid_;
    TDocumentSession& document_;
    TPatternListController* list_ = nullptr;
    TPatternDisposer disposer_;  // before the stack: the stack's commands free into it
    QUndoStack stack_;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    size_t heldLimit_;
    TDrawState committed_;  // the draws as the last recorded change left them
};
