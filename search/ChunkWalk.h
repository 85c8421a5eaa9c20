#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <vector>

#include "search/SearchContext.h"
#include "search/SearchWalk.h"

// The search engine's walk, cut into chunks that threads can work on independently.
//
// It walks exactly the choices of the plain walk (SearchWalk), in the same order, but:
// - the walk is cut into segments (one low-line combination with the run of high-line
//   combinations that follows it) and the high line's last cell is swept as a range, so the
//   candidate test is a few comparisons per range instead of a loop over every choice;
// - the first steps of a whole range of last cells are tested at once, with bit masks of the
//   cells by value, against targets that one SSE2 register computes for every layout and step;
// - a figure that passed every test is recorded flat (ordinal, layout slot, steps, cells); the
//   pattern object is made by whoever hands it over, so no memory crosses threads.

// One piece of the walk: segments of one count pair, in walk order.
struct TChunk {
    bool PairStart = false;
    int32_t NL = 0;
    int32_t NH = 0;
    std::vector<int32_t> Cells;   // NL + NH cells per segment: its low line and its first high line
    std::vector<uint8_t> Single;  // per segment: only its first choice is walked
};

// A figure of a chunk that passed every test.
struct TFoundRecord {
    int64_t Ordinal = 0;  // candidate ordinal within the chunk
    int32_t Slot = 0;     // index into the context's layouts
    int32_t Steps = 0;    // steps the relation held, counting step 0
    size_t CellsAt = 0;   // its low line's, then its high line's cells in TChunkResult::Cells
};

struct TChunkResult {
    bool PairStart = false;
    bool Aborted = false;
    int64_t Accepted = 0;
    int32_t NL = 0;
    int32_t NH = 0;
    std::vector<TFoundRecord> Found;  // in walk order: ordinal, then slot
    std::vector<int32_t> Cells;
    std::exception_ptr Error;
};

// Produces the chunks of the whole walk in order, following the plain walk's successor rule
// between segments.
class TChunkGenerator {
  public:
    explicit TChunkGenerator(const TSearchContext& context);
    bool Next(TChunk& chunk);

  private:
    bool StartNextPair();
    void Add(TChunk& chunk, bool single);

    const TSearchContext& ctx_;
    const TWalkGrid& grid_;
    bool started_ = false;
    bool pairActive_ = false;
    int32_t nl_ = 0;
    int32_t nh_ = 0;
    TChoice choice_;
    double segmentWork_ = 1;
    double chunkWork_;
};

// Works through chunks: the candidate test by ranges, the range filter on the first steps,
// and the full test of the figures that pass it. One per thread.
class TChunkWorker {
  public:
    TChunkWorker(const TSearchContext& context, const std::atomic<bool>& stop);
    // Fills result (its storage is reused) with what the chunk found.
    void Process(const TChunk& chunk, TChunkResult& result);

  private:
    void ProcessSingle(const int32_t* cells);
    void ProcessSegment(const int32_t* cells);
    // Takes in the high line's cells before the prefix's last one, fixed for a run of ranges.
    void PreparePrefix();
    void ProcessRange(int32_t from, int32_t to);
    void BuildEach(int32_t lo, int32_t hi);
    template <int Steps>
    void FilterRange(int32_t lo, int32_t hi);
    // Where in the context's Bits the mask of the filter value the last cell needs at each lane
    // (slot, step) starts; the value is NeverMatches when the fixed cells do not fit.
    struct alignas(16) TRowOffsets {
        std::array<uint16_t, 16> Offset{};
    };
    void ComputeRowOffsets(TRowOffsets& offsets) const;
    int64_t CountOpen(int32_t lo, int32_t hi) const {
        return (hi - lo + 1) - (blockedBefore_[hi + 1] - blockedBefore_[lo]);
    }
    int32_t SumAt(const int32_t* cells, int32_t n, int32_t layout, int32_t step) const;
    bool MarksPass(const int32_t* low, int32_t nl, const int32_t* high, int32_t nh) const;
    // The full test of the figure for one layout; records it when it passes. heldSteps: steps
    // 1.. that the range filter has already seen hold.
    void TestAndRecord(int32_t slot, int32_t heldSteps, int64_t ordinal);
    // Whether two cells of the figure land on the same grid cell over the steps.
    bool Overlaps(int32_t layout, int32_t steps) const;

    const TSearchContext& ctx_;
    const TWalkGrid& grid_;
    const std::atomic<bool>& stop_;
    TChunkResult* out_ = nullptr;
    int64_t ordinal_ = 0;
    int32_t nl_ = 0;
    int32_t nh_ = 0;
    int32_t slots_ = 0;
    // The figure under test: the low line's cells, then the high line's.
    std::vector<int32_t> figure_;
    int32_t* low_ = nullptr;
    int32_t* high_ = nullptr;
    std::vector<uint8_t> blocked_;
    std::vector<int32_t> blockedBefore_;  // blocked cells below each index
    std::vector<uint64_t> open_;          // cells the high line may use, as bits
    bool lowOnlyValid_ = false;
    // Per lane (slot, step): the low line's sum at the step (-1 before the first draw), and
    // its digit shifted by the contrast kind's pairing (Outside before the first draw).
    std::array<int32_t, TargetLanes> lowSums_{};
    TLanes lowLanes_;
    // The high line's cells before the prefix's last: whether one is blocked, their lane sums.
    bool outerBlocked_ = false;
    TLanes outerLanes_;
};
