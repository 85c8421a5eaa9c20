#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>

#include "search/ChunkWalk.h"
#include "search/SearchTypes.h"

// Runs the walk's chunks and hands the results to the sink in walk order, on the thread that
// called Run, with the candidate count each would have had in one whole walk. With one thread
// that thread does all the work; with more, that thread and a pool work on chunks ahead of the
// one being handed over (at most a few per thread, so waiting results stay few).
class TParallelSearch {
  public:
    TParallelSearch(const TSearchContext& context, const TSearchRequest& request, ISearchSink& sink,
                    const std::atomic<bool>& stop);
    TSearchTotals Run();

  private:
    void RunHere();
    void RunPool(int threads);
    void Work();
    void Consume();
    // Takes the next chunk from the generator (the lock held); false when there is none.
    bool TakeChunk(TChunk& chunk, int64_t& index);
    void RunChunk(TChunkWorker& worker, const TChunk& chunk, int64_t index);
    bool Stopped() const { return stop_.load(std::memory_order_relaxed); }
    // Hands a chunk's notifications over; false when a stop cut it short.
    bool Emit(const TChunkResult& result);

    const TSearchContext& ctx_;
    const TSearchRequest& request_;
    ISearchSink& sink_;
    const std::atomic<bool>& stop_;
    TChunkGenerator generator_;
    TSearchTotals totals_;

    std::mutex mutex_;
    std::condition_variable workCv_;
    std::condition_variable doneCv_;
    std::map<int64_t, TChunkResult> ready_;
    int64_t nextChunk_ = 0;
    int64_t consumed_ = 0;
    int64_t window_ = 8;
    bool generatorDone_ = false;
    bool abort_ = false;
};
