#include "app/patterns/PatternHistory.h"

#include "search/PatternDisposer.h"

TPatternsCommand::TPatternsCommand(const QString& text, TPatternListController& list,
                                   TPatternDisposer& disposer)
    : QUndoCommand(text), list_(list), disposer_(disposer) {}

void TPatternsCommand::Expire() {
    if (expired_) return;
    expired_ = true;
    Release(disposer_);
}

TDeletePatternsCommand::TDeletePatternsCommand(TPatternListController& list,
                                               TPatternDisposer& disposer, TDeletedPatterns deleted)
    : TPatternsCommand(QStringLiteral("删除"), list, disposer), deleted_(std::move(deleted)) {}

TDeletePatternsCommand::~TDeletePatternsCommand() {
    Release(disposer_);
}

void TDeletePatternsCommand::Release(TPatternDisposer& disposer) {
    disposer.Dispose(std::move(deleted_.Taken.Patterns));
    deleted_.Taken.Indices.clear();
}

void TDeletePatternsCommand::undo() {
    if (expired_ || !applied_) return;
    list_.Undelete(deleted_);
    applied_ = false;
}

void TDeletePatternsCommand::redo() {
    if (expired_ || applied_) return;
    list_.Redelete(deleted_);
    applied_ = true;
}

TReplacePatternsCommand::TReplacePatternsCommand(const QString& text, TPatternListController& list,
                                                 TPatternDisposer& disposer, TListContents held)
    : TPatternsCommand(text, list, disposer), held_(std::move(held)) {}

TReplacePatternsCommand::~TReplacePatternsCommand() {
    Release(disposer_);
}

void TReplacePatternsCommand::Release(TPatternDisposer& disposer) {
    held_.Rows = {};
    disposer.Dispose(std::move(held_.Set.Patterns));
}

void TReplacePatternsCommand::undo() {
    if (expired_ || !applied_) return;
    list_.SwapAll(held_);
    applied_ = false;
}

void TReplacePatternsCommand::redo() {
    if (expired_ || applied_) return;
    list_.SwapAll(held_);
    applied_ = true;
}
