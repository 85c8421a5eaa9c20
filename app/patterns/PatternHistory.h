#pragma once

#include <QUndoCommand>
#include <cstddef>

#include "app/patterns/PatternListController.h"

class TPatternDisposer;

// Undo and redo of changes of the pattern list. The patterns a change removed are kept once,
// moved out of the manager, never copied; an old change can give them up (Expire) to bound the
// memory, after which it can no longer be undone.
class TPatternsCommand : public QUndoCommand {
  public:
    TPatternsCommand(const QString& text, TPatternListController& list, TPatternDisposer& disposer);
    // Patterns this change holds outside the list.
    virtual size_t HeldCount() const = 0;
    // Frees the held patterns; the change cannot be undone or redone any more.
    void Expire();
    bool Expired() const { return expired_; }

  protected:
    virtual void Release(TPatternDisposer& disposer) = 0;
    TPatternListController& list_;
    TPatternDisposer& disposer_;
    bool expired_ = false;
    bool applied_ = true;  // the change has happened when the command is pushed
};

// 删除: selected rows and their patterns.
class TDeletePatternsCommand : public TPatternsCommand {
  public:
    TDeletePatternsCommand(TPatternListController& list, TPatternDisposer& disposer,
                           TDeletedPatterns deleted);
    ~TDeletePatternsCommand() override;
    void undo() override;
    void redo() override;
    size_t HeldCount() const override { return deleted_.Taken.Patterns.size(); }

  private:
    void Release(TPatternDisposer& disposer) override;
    TDeletedPatterns deleted_;
};

// 清空, or a new search: the whole list is exchanged with the one held.
class TReplacePatternsCommand : public TPatternsCommand {
  public:
    TReplacePatternsCommand(const QString& text, TPatternListController& list,
                            TPatternDisposer& disposer, TListContents held);
    ~TReplacePatternsCommand() override;
    void undo() override;
    void redo() override;
    size_t HeldCount() const override { return held_.Set.Patterns.size(); }

  private:
    void Release(TPatternDisposer& disposer) override;
    TListContents held_;
};
