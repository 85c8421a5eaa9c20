#include "search/Gui2RegMgr.h"

#include <algorithm>
#include <chrono>

#include "data/Error.h"
#include "search/PatternBudget.h"
#include "search/SearchTexts.h"
#include "search/StoredChecks.h"

namespace {

// The smallest pattern record: two empty lines, no steps.
constexpr size_t MinPatternRecordSize = 4 + 4 + 4 + 4 + 4 + 2 * (4 + 8) + 4;

}  // namespace

TGui2RegMgr::TGui2RegMgr(const SearchOptions& options)
    : options_(options), searchDraws_(std::make_shared<TCodes>()) {}

TGui2RegMgr::~TGui2RegMgr() {
    // Threads are joined before the patterns go, and no callback can reach a dead manager:
    // each thread's pending callback holds only the listener slot.
    if (thread_) thread_->RequestStop();
    thread_.reset();
    retired_.clear();
    Clear();
}

TGui2Reg* TGui2RegMgr::Add(std::unique_ptr<TGui2Reg> pattern) {
    patterns_.push_back(std::move(pattern));
    ++revision_;
    return patterns_.back().get();
}

TGui2Reg& TGui2RegMgr::Get(int32_t index) const {
    if (index < 0 || index >= Count()) throw TError("TRegMgr.GeTGui2Reg Index isnot valid!");
    return *patterns_[static_cast<size_t>(index)];
}

void TGui2RegMgr::DeleteIndices(std::vector<int32_t> indices) {
    TakeIndices(std::move(indices));  // the taken patterns are freed on the way out
}

TTakenPatterns TGui2RegMgr::TakeIndices(std::vector<int32_t> indices) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    TTakenPatterns taken;
    if (indices.empty()) return taken;
    if (indices.front() < 0 || indices.back() >= Count())
        throw TError("TRegMgr.Del Index isnot valid!");
    taken.Patterns.reserve(indices.size());
    for (int32_t i : indices)
        taken.Patterns.push_back(std::move(patterns_[static_cast<size_t>(i)]));
    std::erase(patterns_, nullptr);
    taken.Indices = std::move(indices);
    ++revision_;
    return taken;
}

void TGui2RegMgr::PutBack(TTakenPatterns&& taken) {
    const size_t n = taken.Patterns.size();
    if (n == 0) return;
    if (taken.Indices.size() != n) throw TError("TRegMgr.PutBack Index isnot valid!");
    const size_t total = patterns_.size() + n;
    for (size_t k = 0; k < n; ++k) {
        const int32_t index = taken.Indices[k];
        if (index < 0 || static_cast<size_t>(index) >= total ||
            (k > 0 && index <= taken.Indices[k - 1]) || !taken.Patterns[k])
            throw TError("TRegMgr.PutBack Index isnot valid!");
    }
    // Merge from the back, so that every pattern moves once.
    patterns_.resize(total);
    size_t kept = total - n;  // patterns of the manager not yet placed
    size_t next = n;          // taken patterns not yet placed
    for (size_t slot = total; slot-- > 0 && next > 0;) {
        if (static_cast<size_t>(taken.Indices[next - 1]) == slot)
            patterns_[slot] = std::move(taken.Patterns[--next]);
        else
            patterns_[slot] = std::move(patterns_[--kept]);
    }
    taken.Patterns.clear();
    taken.Indices.clear();
    ++revision_;
}

void TGui2RegMgr::SwapContents(TPatternSet& set) noexcept {
    patterns_.swap(set.Patterns);
    if (set.SearchDraws) searchDraws_.swap(set.SearchDraws);
    ++revision_;
}

void TGui2RegMgr::SetListener(TSearchListener* listener) {
    std::lock_guard lock(listener_->Mutex);
    listener_->Listener = listener;
}

int32_t TGui2RegMgr::IndexOf(const TGui2Reg* pattern) const {
    for (size_t i = 0; i < patterns_.size(); ++i)
        if (patterns_[i].get() == pattern) return static_cast<int32_t>(i);
    return -1;
}

void TGui2RegMgr::Remove(const TGui2Reg* pattern) {
    const int32_t index = IndexOf(pattern);
    if (index >= 0) DeleteIndices({index});
}

void TGui2RegMgr::Clear() {
    // They are gone from the manager at once; a large set is freed in the background.
    disposer_.Dispose(std::move(patterns_));
    patterns_.clear();
    ++revision_;
}

int64_t TGui2RegMgr::NowTick() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TGui2RegMgr::Start(const TCodes& draws) {
    if (running_) throw TError(SearchRunningText);
    auto copy = std::make_shared<TCodes>();
    copy->Assign(draws);
    auto thread = std::make_shared<TGui2SearchThread>(copy, options_);
    thread->OnEventsPending = [slot = listener_] {
        std::lock_guard lock(slot->Mutex);
        if (slot->Listener != nullptr) slot->Listener->SearchEventsPending();
    };

    DropFinishedRetired();
    std::shared_ptr<TGui2SearchThread> previous = std::move(thread_);
    if (previous && !previous->Finished()) {
        // Its remaining events are dropped; keep it until it has ended.
        previous->TakeEvents();
        retired_.push_back(previous);
    } else if (previous) {
        previous->TakeEvents();
        previous.reset();
    }
    searchDraws_ = std::move(copy);
    thread_ = std::move(thread);
    thread_->Start(previous);
    running_ = true;
    handingOver_ = true;
    startTick_ = NowTick();
    // The budget counts the patterns already held (Start adds to them).
    budget_ = PatternBudget(options_.MaxPatterns);
    budgetExceeded_ = false;
}

void TGui2RegMgr::Stop() {
    if (!running_) return;
    thread_->RequestStop();
    running_ = false;
}

void TGui2RegMgr::DropFinishedRetired() {
    for (auto& old : retired_) old->TakeEvents();
    std::erase_if(retired_, [](const std::shared_ptr<TGui2SearchThread>& old) {
        if (!old->Finished()) return false;
        old->TakeEvents();  // anything queued between the look above and the end
        return true;
    });
}

void TGui2RegMgr::ProcessEvents() {
    DropFinishedRetired();
    if (!thread_) return;
    // Keep the thread alive through the handlers, which may call Start.
    const std::shared_ptr<TGui2SearchThread> thread = thread_;
    std::vector<TSearchEvent> events = thread->TakeEvents();
    for (TSearchEvent& event : events) {
        if (thread_ != thread) break;  // a handler started a new search: the rest is stale
        TSearchNotice notice;
        notice.Kind = event.Kind;
        notice.CandidateCount = event.CandidateCount;
        if (event.Kind == sekFound) {
            notice.FirstIndex = Count();
            // No exact reserve here: it would reallocate the whole list for every batch.
            for (auto& pattern : event.Patterns) {
                if (static_cast<int64_t>(patterns_.size()) >= budget_) {
                    // Past the memory budget the search stops by itself; what it found stays.
                    budgetExceeded_ = true;
                    thread->RequestStop();
                    break;
                }
                patterns_.push_back(std::move(pattern));
            }
            notice.NewCount = Count() - notice.FirstIndex;
            ++revision_;
        } else if (event.Kind == sekFinished) {
            running_ = false;
            handingOver_ = false;
            notice.Error = std::move(event.Error);
            if (budgetExceeded_ && notice.Error.empty()) notice.Error = PatternBudgetText(budget_);
        }
        if (listener_->Listener != nullptr) listener_->Listener->SearchEventTaken(notice);
    }
}

TGui2RegMgr::TLoaded TGui2RegMgr::ReadPiece(TMemoryStream& stream, TJobControl* control) {
    TLoaded piece;
    const int32_t count = stream.ReadInt32("the pattern count");
    if (count < 0) throw TError("The pattern count is negative: " + std::to_string(count));
    if (static_cast<size_t>(count) > stream.Remaining() / MinPatternRecordSize)
        throw TTruncatedError("The data ends inside the patterns: " + std::to_string(count) +
                              " patterns cannot fit in " + std::to_string(stream.Remaining()) +
                              " bytes.");
    piece.Patterns.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        if (control != nullptr && i % 16384 == 0 &&
            !control->Report(static_cast<int64_t>(stream.Position()),
                             static_cast<int64_t>(stream.Size())))
            throw TReadCancelled();
        auto pattern = std::make_unique<TGui2Reg>();
        pattern->LoadFromStream(stream);
        CheckStoredPattern(*pattern, i);
        piece.Patterns.push_back(std::move(pattern));
    }
    auto searchDraws = std::make_shared<TCodes>();
    searchDraws->LoadFromStream(stream);
    CheckStoredDraws(*searchDraws, "search draws");
    piece.SearchDraws = std::move(searchDraws);
    return piece;
}

void TGui2RegMgr::TakePiece(TLoaded&& piece) noexcept {
    patterns_.swap(piece.Patterns);
    searchDraws_ = std::move(piece.SearchDraws);
    ++revision_;
    disposer_.Dispose(std::move(piece.Patterns));  // the patterns the document replaced
}

void TGui2RegMgr::LoadFromStream(TMemoryStream& stream) {
    const size_t start = stream.Position();
    try {
        TakePiece(ReadPiece(stream));
    } catch (...) {
        stream.SetPosition(start);
        throw;
    }
}

void TGui2RegMgr::SaveToStream(TMemoryStream& stream) const {
    stream.WriteInt32(Count());
    for (const auto& pattern : patterns_) pattern->SaveToStream(stream);
    searchDraws_->SaveToStream(stream);
}
