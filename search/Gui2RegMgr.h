#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "data/Hao.h"
#include "data/JobControl.h"
#include "data/Stream.h"
#include "search/Gui2Reg.h"
#include "search/PatternDisposer.h"
#include "search/SearchOptions.h"
#include "search/SearchThread.h"

// What the owner learns from one search notification.
struct TSearchNotice {
    SearchEventKind Kind = sekProgress;
    int32_t FirstIndex = 0;      // sekFound: index of the first new pattern in the manager
    int32_t NewCount = 0;        // sekFound: how many patterns were added
    int64_t CandidateCount = 0;  // accepted candidates when the event was sent
    std::string Error;           // sekFinished: why the run failed, empty after a normal end
};

// Whoever shows a pattern manager's searches: the one way a search hands over to its owner.
// SearchEventsPending runs on a search's worker thread when events wait; it must only arrange
// for TGui2RegMgr::ProcessEvents to run on the owner's thread, never wait. SearchEventTaken
// runs on the owner's thread, inside ProcessEvents, after the manager has taken the event in.
class TSearchListener {
  public:
    virtual ~TSearchListener() = default;
    virtual void SearchEventsPending() = 0;
    virtual void SearchEventTaken(const TSearchNotice& notice) = 0;
};

// Patterns in their order and the draws the search that found them ran on: the manager's
// contents, as read from a document or set aside by the undo history.
struct TPatternSet {
    std::vector<std::unique_ptr<TGui2Reg>> Patterns;
    std::shared_ptr<const TCodes> SearchDraws;
};

// Patterns taken out of the manager, each with the index it had, ascending, so that they can be
// put back exactly where they stood.
struct TTakenPatterns {
    std::vector<int32_t> Indices;
    std::vector<std::unique_ptr<TGui2Reg>> Patterns;
};

// The patterns of the open document, the draws the last search ran on, and the search thread.
// Used on one thread (the owner's); the search thread's events reach it through ProcessEvents.
class TGui2RegMgr {
  public:
    // The options are read when a search starts; the record must outlive the manager.
    explicit TGui2RegMgr(const SearchOptions& options);
    ~TGui2RegMgr();  // stops a running search and waits for its thread
    TGui2RegMgr(const TGui2RegMgr&) = delete;
    TGui2RegMgr& operator=(const TGui2RegMgr&) = delete;

    // Takes ownership and appends; returns the pattern.
    TGui2Reg* Add(std::unique_ptr<TGui2Reg> pattern);
    int32_t Count() const { return static_cast<int32_t>(patterns_.size()); }
    TGui2Reg& Get(int32_t index) const;
    // Deletes many patterns in one pass. Every index is checked first ("TRegMgr.Del Index
    // isnot valid!", nothing deleted); order and repeats do not matter.
    void DeleteIndices(std::vector<int32_t> indices);
    // Takes the patterns at these indices out (checked like DeleteIndices), keeping the objects.
    TTakenPatterns TakeIndices(std::vector<int32_t> indices);
    // Puts taken patterns back at their indices; the manager must hold what it held after the
    // take. Throws TError, changing nothing, when an index cannot be reached.
    void PutBack(TTakenPatterns&& taken);
    // Exchanges the manager's patterns and search draws with the set's, without copying. A set
    // without search draws leaves the manager's as they are.
    void SwapContents(TPatternSet& set) noexcept;
    // Position of that very object, or -1.
    int32_t IndexOf(const TGui2Reg* pattern) const;
    void Remove(const TGui2Reg* pattern);
    // Empties the manager at once; a large set is freed on a thread of its own.
    void Clear();
    const std::vector<std::unique_ptr<TGui2Reg>>& Patterns() const { return patterns_; }
    // Changes whenever patterns are added, deleted or replaced, so readers can tell that what
    // they computed from the patterns is out of date.
    uint64_t Revision() const { return revision_; }

    // Copies the draws into SearchDraws and starts a search on them. If a stopped search is
    // still winding down, the new one waits for it on its own thread; the caller never waits.
    // Throws TError while a search runs.
    void Start(const TCodes& draws);
    // Asks the running search to stop; its finished event still arrives. Idle: nothing.
    void Stop();
    bool Running() const { return running_; }
    // From Start until the latest search's finished event has been taken in: a stopped search
    // is no longer running, but its last patterns may still join.
    bool HandingOver() const { return handingOver_; }
    // steady_clock milliseconds when the search started; compare with NowTick().
    int64_t StartTick() const { return startTick_; }
    static int64_t NowTick();
    const TCodes& SearchDraws() const { return *searchDraws_; }
    std::shared_ptr<const TCodes> SharedSearchDraws() const { return searchDraws_; }

    // The listener that hears of every search (not owned; null: none). Once this returns, no
    // worker thread is inside the listener it replaced or will call it again, so a listener
    // that unsets itself before it goes is never called dead.
    void SetListener(TSearchListener* listener);

    // Takes the queued events in order: a found event appends its patterns, a finished event
    // ends Running and HandingOver; then the listener hears of it. Events of a search that was
    // replaced by a newer Start are dropped.
    void ProcessEvents();

    // The manager's piece of the work document: pattern count, patterns, search draws.
    // Loading is all or nothing: on any error the manager is left exactly as it was.
    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;

    // A piece read but not yet taken in, so a caller can check a whole document first.
    using TLoaded = TPatternSet;
    // Reports to control (when given) now and then how far the reading has come, bytes out of
    // the stream's; a cancel stops it (TReadCancelled).
    static TLoaded ReadPiece(TMemoryStream& stream, TJobControl* control = nullptr);
    void TakePiece(TLoaded&& piece) noexcept;

  private:
    void DropFinishedRetired();
    // The listener as the worker threads reach it: they hold this slot, not the manager.
    struct TListenerSlot {
        std::mutex Mutex;
        TSearchListener* Listener = nullptr;
    };

    const SearchOptions& options_;
    std::shared_ptr<TListenerSlot> listener_ = std::make_shared<TListenerSlot>();
    std::vector<std::unique_ptr<TGui2Reg>> patterns_;
    std::shared_ptr<const TCodes> searchDraws_;
    std::shared_ptr<TGui2SearchThread> thread_;                // the latest search
    std::vector<std::shared_ptr<TGui2SearchThread>> retired_;  // replaced, still winding down
    bool running_ = false;
    bool handingOver_ = false;
    int64_t startTick_ = 0;
    TPatternDisposer disposer_;   // frees the patterns of a large Clear
    int64_t budget_ = INT64_MAX;  // patterns the running search may add (PatternBudget)
    bool budgetExceeded_ = false;
    uint64_t revision_ = 0;
};
