#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

#include "search/Gui2RegMgr.h"

class TPatternListController;
class TPatternListModel;
struct TListContents;
class TStatusPanels;

// Between the pattern manager's search and the window: drains the search's event queue on the
// window's thread, writes the progress and finish texts into status panel 2, and feeds found
// patterns into the list in slices of a few milliseconds, so that a search that finds millions
// of patterns never keeps the window from answering.
class TSearchPresenter : public QObject {
    Q_OBJECT

  public:
    TSearchPresenter(TGui2RegMgr& manager, TPatternListModel& list, TStatusPanels& status,
                     QObject* parent);
    ~TSearchPresenter() override;

    // Forgets found rows that are not listed yet (the list is about to be refilled or cleared).
    void DropPendingRows();
    // Lists every found row now instead of in slices (the list is about to change).
    void ListPendingRows();
    // Before undo or redo: false while a search runs (its rows are still arriving); otherwise
    // every found row is listed now.
    bool SettleRows();
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
    void OnSearchEvent(const TSearchNotice& notice);
    void AppendPendingRows();

    TGui2RegMgr& manager_;
    TPatternListModel& list_;
    TStatusPanels& status_;
    std::vector<TGui2Reg*> pendingRows_;  // found, not yet listed
    size_t pendingDone_ = 0;
    bool appendScheduled_ = false;
};
