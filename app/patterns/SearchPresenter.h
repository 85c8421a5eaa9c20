#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

#include "search/Gui2RegMgr.h"

class QWidget;
class TPatternListController;
class TPrompts;
struct SearchOptions;
class TPatternListModel;
struct TListContents;
class TStatusPanels;

// Between the pattern manager's search and the window, as the manager's search listener: drains
// the search's event queue on the window's thread, writes the progress and finish texts into
// status panel 2, and feeds found patterns into the list in slices of a few milliseconds, so
// that a search that finds millions of patterns never keeps the window from answering.
class TSearchPresenter : public QObject, private TSearchListener {
    Q_OBJECT

  public:
    TSearchPresenter(TGui2RegMgr& manager, TPatternListModel& list, TStatusPanels& status,
                     QObject* parent);
    ~TSearchPresenter() override;

    // Forgets found rows that are not listed yet (the list is about to be refilled or cleared).
    void DropPendingRows();
    // Lists every found row now instead of in slices (the list is about to change).
    void ListPendingRows();
    // Runs the action once every row of the last search stands in the list: at once when the
    // search has handed over its last rows, otherwise (a stopped search still winding down)
    // when its finished event has arrived. Undo and redo go through here, so that rows a
    // stopped search hands over late never join the state an undo brought back. Waiting
    // actions are dropped when a new search starts.
    void WhenSettled(std::function<void()> action);
    // Whether 搜索 may start: not while a search runs, nor with options no search can use
    // (checked as the options dialog checks them, so a hand-edited settings file is caught
    // before the patterns of the last search are set aside); the reason is shown over parent.
    bool CanStart(const SearchOptions& options, TPrompts& prompts, QWidget* parent) const;
    // Sets the whole list aside (returned, with the draws of the last search, so that undoing
    // the search brings it back) and starts a search on the draws. Raises the reason when the
    // search cannot start; the list is then as it was.
    TListContents StartSearch(TPatternListController& list, const TCodes& draws);

  signals:
    // After each handled search event.
    void SearchEventHandled(int kind);
    // Every pattern found so far stands in the list.
    void PendingRowsListed();
    // Patterns joined the manager.
    void PatternsFound();
    // The search ended with an error.
    void SearchFailed(const QString& message);

  private:
    // TSearchListener: the first on the search's thread, the second on the window's.
    void SearchEventsPending() override;
    void SearchEventTaken(const TSearchNotice& notice) override;
    void AppendPendingRows();
    void RunSettledActions();

    TGui2RegMgr& manager_;
    TPatternListModel& list_;
    TStatusPanels& status_;
    std::vector<TGui2Reg*> pendingRows_;  // found, not yet listed
    size_t pendingDone_ = 0;
    bool appendScheduled_ = false;
    std::vector<std::function<void()>> settledActions_;  // waiting for the finished event
};
