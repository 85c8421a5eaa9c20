#include "search/ParallelSearch.h"

#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

TParallelSearch::TParallelSearch(const TSearchContext& context, const TSearchRequest& request,
                                 ISearchSink& sink, const std::atomic<bool>& stop)
    : ctx_(context), request_(request), sink_(sink), stop_(stop), generator_(context) {}

TSearchTotals TParallelSearch::Run() {
    int threads = request_.Threads;
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (threads == 1)
        RunHere();
    else
        RunPool(threads);
    return totals_;
}

void TParallelSearch::RunHere() {
    TChunkWorker worker(ctx_, stop_);
    TChunk chunk;
    TChunkResult result;
    while (generator_.Next(chunk)) {
        worker.Process(chunk, result);
        if (result.Error) std::rethrow_exception(result.Error);
        if (result.Aborted || Stopped()) return;
        if (!Emit(result)) return;
    }
}

void TParallelSearch::RunPool(int threads) {
    window_ = 4 * threads;
    std::vector<std::thread> pool;
    struct TJoin {
        TParallelSearch& search;
        std::vector<std::thread>& pool;
        ~TJoin() {
            {
                std::lock_guard lock(search.mutex_);
                search.abort_ = true;
            }
            search.workCv_.notify_all();
            for (auto& t : pool) t.join();
        }
    } join{*this, pool};
    // The handing-over thread is one of the workers: it works on chunks while the next one
    // to hand over is not ready, so the threads never outnumber the cores asked for.
    for (int i = 1; i < threads; ++i) pool.emplace_back([this] { Work(); });
    Consume();
}

bool TParallelSearch::TakeChunk(TChunk& chunk, int64_t& index) {
    bool more = false;
    try {
        more = generator_.Next(chunk);
    } catch (...) {
        TChunkResult failed;
        failed.Error = std::current_exception();
        ready_[nextChunk_++] = std::move(failed);
        generatorDone_ = true;
        doneCv_.notify_all();
        return false;
    }
    if (!more) {
        generatorDone_ = true;
        doneCv_.notify_all();
        workCv_.notify_all();
        return false;
    }
    index = nextChunk_++;
    return true;
}

void TParallelSearch::RunChunk(TChunkWorker& worker, const TChunk& chunk, int64_t index) {
    TChunkResult result;
    try {
        worker.Process(chunk, result);
    } catch (...) {
        // Out of memory, say: the search ends with the reason, in walk order, instead of
        // taking the program down.
        result = TChunkResult{};
        result.Error = std::current_exception();
    }
    {
        std::lock_guard lock(mutex_);
        ready_[index] = std::move(result);
    }
    doneCv_.notify_all();
}

void TParallelSearch::Work() {
    TChunkWorker worker(ctx_, stop_);
    TChunk chunk;
    while (true) {
        int64_t index = 0;
        {
            std::unique_lock lock(mutex_);
            workCv_.wait(
                lock, [&] { return abort_ || generatorDone_ || nextChunk_ < consumed_ + window_; });
            if (abort_ || generatorDone_) return;
            if (!TakeChunk(chunk, index)) return;
        }
        RunChunk(worker, chunk, index);
    }
}

void TParallelSearch::Consume() {
    TChunkWorker worker(ctx_, stop_);
    TChunk chunk;
    for (int64_t index = 0;; ++index) {
        TChunkResult result;
        while (true) {
            std::unique_lock lock(mutex_);
            const auto canWork = [&] {
                return !generatorDone_ && nextChunk_ < consumed_ + window_;
            };
            doneCv_.wait(lock, [&] {
                return ready_.count(index) > 0 || (generatorDone_ && index >= nextChunk_) ||
                       canWork();
            });
            auto it = ready_.find(index);
            if (it != ready_.end()) {
                result = std::move(it->second);
                ready_.erase(it);
                consumed_ = index + 1;
                break;
            }
            if (generatorDone_ && index >= nextChunk_) return;  // the walk is complete
            int64_t own = 0;
            if (!TakeChunk(chunk, own)) continue;
            lock.unlock();
            RunChunk(worker, chunk, own);
        }
        workCv_.notify_all();
        if (result.Error) std::rethrow_exception(result.Error);
        if (result.Aborted || Stopped()) return;
        if (!Emit(result)) return;
    }
}

bool TParallelSearch::Emit(const TChunkResult& result) {
    if (result.PairStart) sink_.Progress(totals_.Candidates);
    const int64_t base = totals_.Candidates;
    const int32_t slots = static_cast<int32_t>(ctx_.Layouts.size());
    // Progress events owed at multiples of the interval, for each layout without a pattern.
    std::vector<std::pair<int64_t, int32_t>> owed;
    for (int64_t x = (base / ProgressInterval + 1) * ProgressInterval; x <= base + result.Accepted;
         x += ProgressInterval) {
        for (int32_t slot = 0; slot < slots; ++slot) {
            const auto key = std::make_pair(x - base, slot);
            const auto it =
                std::lower_bound(result.Found.begin(), result.Found.end(), key,
                                 [](const TFoundRecord& record, const auto& k) {
                                     return std::make_pair(record.Ordinal, record.Slot) < k;
                                 });
            const bool found =
                it != result.Found.end() && it->Ordinal == key.first && it->Slot == key.second;
            if (!found) owed.push_back(key);
        }
    }
    size_t next = 0;
    for (const TFoundRecord& record : result.Found) {
        const auto at = std::make_pair(record.Ordinal, record.Slot);
        for (; next < owed.size() && owed[next] < at; ++next)
            sink_.Progress(base + owed[next].first);
        if (Stopped()) {
            sink_.BatchEnd();
            return false;
        }
        const int64_t candidate = base + record.Ordinal;
        const int32_t* low = result.Cells.data() + record.CellsAt;
        bool needsRandom = false;
        auto pattern = ctx_.MakePattern(low, result.NL, low + result.NL, result.NH, record.Slot,
                                        record.Steps, needsRandom);
        if (needsRandom) {
            const int32_t digit = RandomResultDigit(request_.Seed, candidate, pattern->Layout);
            pattern->SetResult(1, digit);
            pattern->SetResult(0, (pattern->GetResult(0) + digit) % 10);
        }
        ++totals_.Found;
        sink_.Found(std::move(pattern), candidate);
    }
    for (; next < owed.size(); ++next) sink_.Progress(base + owed[next].first);
    totals_.Candidates += result.Accepted;
    totals_.Builds += result.Accepted * slots;
    sink_.BatchEnd();
    return true;
}
