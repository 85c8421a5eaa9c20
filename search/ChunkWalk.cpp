#include "search/ChunkWalk.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr double ChunkWork = 1 << 17;  // about this many choices per chunk

}  // namespace

TChunkGenerator::TChunkGenerator(const TSearchContext& context)
    : ctx_(context), grid_(context.Grid), chunkWork_(ChunkWork) {
    // Fewer filtered steps let more figures through: smaller chunks keep the patterns that
    // wait for their turn few.
    for (int32_t s = context.FilterSteps; s < MaxFilterSteps; ++s) chunkWork_ /= 5;
}

bool TChunkGenerator::Next(TChunk& chunk) {
    chunk.PairStart = false;
    chunk.Cells.clear();
    chunk.Single.clear();
    double work = 0;
    while (true) {
        if (!pairActive_) {
            if (!StartNextPair()) return false;
            chunk.PairStart = true;
            chunk.NL = choice_.NL;
            chunk.NH = choice_.NH;
            Add(chunk, true);  // the first choice is tested without jumps
            if (!NextChoice(grid_, choice_)) {
                pairActive_ = false;
                return true;
            }
        }
        if (chunk.Cells.empty()) {
            chunk.NL = choice_.NL;
            chunk.NH = choice_.NH;
        }
        const int32_t* low = choice_.Low();
        if (PairEndsEarly(grid_, low)) {
            Add(chunk, true);  // this choice is the pair's last
            pairActive_ = false;
            return true;
        }
        if (low[0] >= grid_.W) {
            // The low line's first cell never decreases, so every later choice of the pair
            // fails the first check of the candidate test.
            pairActive_ = false;
            return true;
        }
        // A segment: this choice and the high-line combinations after it (NextChoice's first
        // branch), which the worker walks itself.
        Add(chunk, false);
        work += segmentWork_;
        if (LineExhausted(choice_.Low(), choice_.NL, grid_.Highest[0])) {
            pairActive_ = false;
            return true;
        }
        AdvanceLine(choice_.Low(), choice_.NL, grid_.Lowest[0], grid_.Highest[0]);
        for (int32_t i = 0; i < choice_.NH; ++i) choice_.High()[i] = grid_.Lowest[1] + i;
        ApplyStyleJumps(grid_, choice_);
        if (work >= chunkWork_) return true;
    }
}

bool TChunkGenerator::StartNextPair() {
    while (true) {
        if (!started_) {
            started_ = true;
            if (grid_.MinPoints > grid_.MaxPoints) return false;
            nl_ = nh_ = grid_.MinPoints;
        } else if (!NextCountPair(grid_, nl_, nh_)) {
            return false;
        }
        if (!PairSearched(ctx_.Options, nl_, nh_)) continue;
        choice_ = FirstChoice(grid_, nl_, nh_);
        pairActive_ = true;
        const double range = std::max(1, grid_.Highest[1] - grid_.Lowest[1] + 1);
        segmentWork_ = 1;
        for (int32_t i = 0; i < nh_; ++i)
            segmentWork_ = segmentWork_ * (range - i > 1 ? range - i : 1) / (i + 1);
        segmentWork_ = std::max(1.0, segmentWork_);
        return true;
    }
}

void TChunkGenerator::Add(TChunk& chunk, bool single) {
    chunk.Cells.insert(chunk.Cells.end(), choice_.Cells.begin(), choice_.Cells.end());
    chunk.Single.push_back(single ? 1 : 0);
}

TChunkWorker::TChunkWorker(const TSearchContext& context, const std::atomic<bool>& stop)
    : ctx_(context), grid_(context.Grid), stop_(stop) {
    blocked_.assign(static_cast<size_t>(ctx_.CellCount) + 1, 0);
    blockedBefore_.assign(static_cast<size_t>(ctx_.CellCount) + 2, 0);
    open_.assign(static_cast<size_t>(ctx_.Words) + 1, 0);
    slots_ = static_cast<int32_t>(ctx_.Layouts.size());
}

void TChunkWorker::Process(const TChunk& chunk, TChunkResult& result) {
    result.PairStart = chunk.PairStart;
    result.Aborted = false;
    result.NL = chunk.NL;
    result.NH = chunk.NH;
    result.Found.clear();
    result.Cells.clear();
    result.Error = nullptr;
    out_ = &result;
    ordinal_ = 0;
    nl_ = chunk.NL;
    nh_ = chunk.NH;
    figure_.assign(static_cast<size_t>(nl_ + nh_), 0);
    low_ = figure_.data();
    high_ = low_ + nl_;
    try {
        const size_t width = static_cast<size_t>(nl_ + nh_);
        for (size_t i = 0; i < chunk.Single.size(); ++i) {
            const int32_t* cells = chunk.Cells.data() + i * width;
            if (chunk.Single[i])
                ProcessSingle(cells);
            else
                ProcessSegment(cells);
            if (stop_.load(std::memory_order_relaxed)) {
                result.Aborted = true;
                break;
            }
        }
    } catch (...) {
        result.Error = std::current_exception();
    }
    result.Accepted = ordinal_;
    out_ = nullptr;
}

void TChunkWorker::ProcessSingle(const int32_t* cells) {
    TChoice choice;
    choice.NL = nl_;
    choice.NH = nh_;
    choice.Cells.assign(cells, cells + nl_ + nh_);
    if (!AcceptChoice(grid_, choice)) return;
    ++ordinal_;
    std::copy(cells, cells + nl_ + nh_, figure_.begin());
    for (int32_t slot = 0; slot < slots_; ++slot) TestAndRecord(slot, 0, ordinal_);
}

void TChunkWorker::ProcessSegment(const int32_t* cells) {
    const int32_t W = grid_.W;
    std::copy(cells, cells + nl_ + nh_, figure_.begin());
    if (!LowLinePasses(grid_, low_, nl_)) return;

    // Cells the high line may not use: the low line's and the tail gap.
    std::fill(blocked_.begin(), blocked_.end(), 0);
    for (int32_t i = 0; i < nl_; ++i) blocked_[low_[i]] = 1;
    for (int32_t cell = 0; cell < std::min(W, ctx_.CellCount); ++cell)
        if (InTailGap(grid_, cell)) blocked_[cell] = 1;
    std::fill(open_.begin(), open_.end(), 0);
    for (int32_t c = 0; c < ctx_.CellCount; ++c) {
        blockedBefore_[c + 1] = blockedBefore_[c] + blocked_[c];
        if (!blocked_[c]) open_[c / 64] |= uint64_t{1} << (c % 64);
    }

    // The low line's sums at the filtered steps, as the targets want them.
    const uint8_t pairing = ctx_.Contrast == 2 ? 5 : 0;
    lowLanes_ = TLanes{};
    for (int32_t slot = 0; slot < slots_; ++slot) {
        for (int32_t s = 1; s <= ctx_.FilterSteps; ++s) {
            const int32_t lane = slot * MaxFilterSteps + s - 1;
            const int32_t sum = SumAt(low_, nl_, ctx_.Layouts[slot], s);
            lowSums_[lane] = sum;
            lowLanes_.Byte[lane] =
                sum < 0 ? Outside : static_cast<uint8_t>((sum % 10 + pairing) % 10);
        }
    }

    // With the high line in the past only the low line predicts; whether its marks pass the
    // style and position filters is then known for the whole segment.
    lowOnlyValid_ = MarksPass(low_, nl_, nullptr, 0);

    const int32_t lowest = grid_.Lowest[1];
    const int32_t top = grid_.Highest[1];
    while (true) {
        PreparePrefix();
        if (nh_ >= 2) {
            // The cell before the last steps up while the last cell sweeps the rest of the line:
            // the common case of AdvanceLine, without its loops.
            int32_t& inner = high_[nh_ - 2];
            while (true) {
                const int32_t last = high_[nh_ - 1];
                const int32_t to = std::max(last, top);
                ProcessRange(last, to);
                if (stop_.load(std::memory_order_relaxed)) return;
                high_[nh_ - 1] = to;
                if (inner >= top - 1) break;
                ++inner;
                high_[nh_ - 1] = inner + 1 > lowest ? inner + 1 : lowest;
            }
        } else {
            const int32_t last = high_[0];
            const int32_t to = std::max(last, top);
            ProcessRange(last, to);
            if (stop_.load(std::memory_order_relaxed)) return;
            high_[0] = to;
        }
        if (LineExhausted(high_, nh_, top)) return;
        AdvanceLine(high_, nh_, lowest, top);
    }
}

void TChunkWorker::PreparePrefix() {
    const int32_t outer = std::max(0, nh_ - 2);
    outerBlocked_ = false;
    for (int32_t i = 0; i < outer; ++i) outerBlocked_ = outerBlocked_ || blocked_[high_[i]] != 0;
#if defined(__SSE2__)
    __m128i sum = _mm_setzero_si128();
    if (nh_ - 1 <= MaxQuickPrefix)
        for (int32_t i = 0; i < outer; ++i)
            sum = _mm_adds_epu8(
                sum, _mm_load_si128(reinterpret_cast<const __m128i*>(&ctx_.CellLanes[high_[i]])));
    _mm_store_si128(reinterpret_cast<__m128i*>(&outerLanes_), sum);
#endif
}

void TChunkWorker::ProcessRange(int32_t from, int32_t to) {
    const int32_t W = grid_.W;
    const int32_t prefix = nh_ - 1;
    if (prefix > 0 && (outerBlocked_ || blocked_[high_[prefix - 1]])) return;
    int32_t lo = from;
    int32_t hi = to;
    // The rest of the candidate test: on the prefix's first cell, or on the range when the
    // last cell is the first.
    if (prefix > 0) {
        if (!FirstHighCellPasses(grid_, low_, nl_, high_[0])) return;
    } else {
        NarrowFirstHighCell(grid_, low_, nl_, lo, hi);
    }
    if (lo > hi) return;

    // Last cells in row offset 0 (or a prefix there) make the high line predict too: those
    // figures take the full test.
    const bool prefixPredicts = prefix > 0 && high_[0] < W;
    const int32_t slowEnd = prefixPredicts ? hi : std::min(hi, W - 1);
    if (lo <= slowEnd) {
        BuildEach(lo, slowEnd);
        lo = slowEnd + 1;
    }
    if (lo > hi) return;

    if (!lowOnlyValid_) {  // no figure of this range can give a pattern
        ordinal_ += CountOpen(lo, hi);
        return;
    }
    switch (ctx_.FilterSteps) {
        case 0:
            BuildEach(lo, hi);
            break;
        case 1:
            FilterRange<1>(lo, hi);
            break;
        case 2:
            FilterRange<2>(lo, hi);
            break;
        default:
            FilterRange<3>(lo, hi);
            break;
    }
}

void TChunkWorker::BuildEach(int32_t lo, int32_t hi) {
    for (int32_t c = lo; c <= hi; ++c) {
        if (blocked_[c]) continue;
        ++ordinal_;
        high_[nh_ - 1] = c;
        for (int32_t slot = 0; slot < slots_; ++slot) TestAndRecord(slot, 0, ordinal_);
    }
}

template <int Steps>
void TChunkWorker::FilterRange(int32_t lo, int32_t hi) {
    TRowOffsets offsets;
    ComputeRowOffsets(offsets);
    // The cell masks each lane's target selects (empty for NeverMatches).
    const uint64_t* bits = ctx_.Bits.data();
    const uint64_t* rows[MaxLayouts][Steps];
    for (int32_t slot = 0; slot < slots_; ++slot)
        for (int32_t s = 0; s < Steps; ++s)
            rows[slot][s] = bits + offsets.Offset[static_cast<size_t>(slot * MaxFilterSteps + s)];
    const int64_t before = ordinal_;
    ordinal_ += CountOpen(lo, hi);

    const int32_t lastWord = hi / 64;
    for (int32_t w = lo / 64; w <= lastWord; ++w) {
        uint64_t range = open_[w];
        if (w == lo / 64) range &= ~uint64_t{0} << (lo % 64);
        if (w == lastWord) range &= ~uint64_t{0} >> (63 - hi % 64);
        uint64_t hits[MaxLayouts] = {};
        uint64_t anyHit = 0;
        for (int32_t slot = 0; slot < slots_; ++slot) {
            uint64_t hit = range;
            for (int32_t s = 0; s < Steps; ++s) hit &= rows[slot][s][w];
            hits[slot] = hit;
            anyHit |= hit;
        }
        // Lowest cell first, layouts in order: the plain walk's order.
        while (anyHit != 0) {
            const int bit = __builtin_ctzll(anyHit);
            anyHit &= anyHit - 1;
            const int32_t c = w * 64 + bit;
            high_[nh_ - 1] = c;
            const int64_t ordinal = before + CountOpen(lo, c);
            for (int32_t slot = 0; slot < slots_; ++slot)
                if ((hits[slot] >> bit) & 1) TestAndRecord(slot, Steps, ordinal);
        }
    }
}

void TChunkWorker::ComputeRowOffsets(TRowOffsets& offsets) const {
    const int32_t prefix = nh_ - 1;
#if defined(__SSE2__)
    if (prefix <= MaxQuickPrefix) {
        // Byte sums of the prefix's values in every lane; an Outside value saturates the sum.
        // The cells before the prefix's last are summed once for its whole run.
        __m128i sum = _mm_load_si128(reinterpret_cast<const __m128i*>(&outerLanes_));
        if (prefix > 0)
            sum = _mm_adds_epu8(sum, _mm_load_si128(reinterpret_cast<const __m128i*>(
                                         &ctx_.CellLanes[high_[prefix - 1]])));
        const __m128i outside = _mm_set1_epi8(static_cast<char>(Outside));
        const __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(&lowLanes_));
        const __m128i bad =
            _mm_or_si128(_mm_cmpeq_epi8(sum, outside), _mm_cmpeq_epi8(low, outside));
        // sum mod 10 (sums stay below 256): subtract 160, 80, 40, 20, 10 where they fit; an
        // unsigned byte min keeps v - k only when it did not wrap.
        __m128i digit = sum;
        for (const int k : {160, 80, 40, 20, 10})
            digit = _mm_min_epu8(digit, _mm_sub_epi8(digit, _mm_set1_epi8(static_cast<char>(k))));
        // The last cell's value that closes the sum: (low - prefix) mod 10, or mod 5 for 明对.
        const __m128i ten = _mm_set1_epi8(10);
        __m128i target = _mm_sub_epi8(_mm_add_epi8(low, ten), digit);
        target = _mm_min_epu8(target, _mm_sub_epi8(target, ten));
        if (ctx_.Contrast == 3)
            target = _mm_min_epu8(target, _mm_sub_epi8(target, _mm_set1_epi8(5)));
        target = _mm_or_si128(_mm_andnot_si128(bad, target),
                              _mm_and_si128(bad, _mm_set1_epi8(static_cast<char>(NeverMatches))));
        // (lane * FilterValues + target) * Words in 16-bit lanes.
        static_assert(FilterValues == 11, "the lane bases below");
        const __m128i zero = _mm_setzero_si128();
        const __m128i words = _mm_set1_epi16(static_cast<int16_t>(ctx_.Words));
        const __m128i first =
            _mm_mullo_epi16(_mm_add_epi16(_mm_unpacklo_epi8(target, zero),
                                          _mm_setr_epi16(0, 11, 22, 33, 44, 55, 66, 77)),
                            words);
        const __m128i second =
            _mm_mullo_epi16(_mm_add_epi16(_mm_unpackhi_epi8(target, zero),
                                          _mm_setr_epi16(88, 99, 110, 121, 132, 143, 154, 165)),
                            words);
        _mm_store_si128(reinterpret_cast<__m128i*>(offsets.Offset.data()), first);
        _mm_store_si128(reinterpret_cast<__m128i*>(offsets.Offset.data() + 8), second);
        return;
    }
#endif
    TLanes targets;
    for (int32_t slot = 0; slot < slots_; ++slot) {
        for (int32_t s = 1; s <= ctx_.FilterSteps; ++s) {
            const int32_t lane = slot * MaxFilterSteps + s - 1;
            const int32_t lowSum = lowSums_[lane];
            const int32_t prefixSum = SumAt(high_, prefix, ctx_.Layouts[slot], s);
            targets.Byte[lane] =
                lowSum < 0 || prefixSum < 0 ? NeverMatches : ctx_.TargetOf(prefixSum - lowSum);
        }
    }
    for (int32_t lane = 0; lane < TargetLanes; ++lane)
        offsets.Offset[static_cast<size_t>(lane)] =
            static_cast<uint16_t>(ctx_.BitsAt(lane, targets.Byte[static_cast<size_t>(lane)]));
}

int32_t TChunkWorker::SumAt(const int32_t* cells, int32_t n, int32_t layout, int32_t step) const {
    if (step >= ctx_.StepRows[layout]) return -1;
    const uint8_t* values = ctx_.ValuesAt(layout, step);
    int32_t sum = 0;
    for (int32_t i = 0; i < n; ++i) {
        const uint8_t v = values[cells[i]];
        if (v == Outside) return -1;
        sum += v;
    }
    return sum;
}

bool TChunkWorker::MarksPass(const int32_t* low, int32_t nl, const int32_t* high,
                             int32_t nh) const {
    const int32_t W = grid_.W;
    int32_t predicting = 0;
    int32_t marks[2] = {0, 0};
    bool badColumn = false;
    const int32_t* lines[2] = {low, high};
    const int32_t counts[2] = {nl, nh};
    for (int32_t l = 0; l < 2; ++l) {
        if (lines[l] == nullptr || counts[l] == 0 || lines[l][0] >= W) continue;
        ++predicting;
        for (int32_t i = 0; i < counts[l] && lines[l][i] < W; ++i) {
            ++marks[l];
            const int32_t column = grid_.Column(lines[l][i]);
            badColumn = badColumn || column == 0 || column >= 5;
        }
    }
    switch (ctx_.Options.FallStyleGbx) {
        case 1:
            if (!(predicting == 1 && (marks[0] == 1 || marks[1] == 1))) return false;
            break;
        case 2:
            if (!(predicting == 1 && (marks[0] == 2 || marks[1] == 2))) return false;
            break;
        case 3:
            if (!(predicting == 2 && marks[0] == 1 && marks[1] == 1)) return false;
            break;
        default:
            break;
    }
    return !(ctx_.Options.FallTargetGbx >= 0 && badColumn);
}

void TChunkWorker::TestAndRecord(int32_t slot, int32_t heldSteps, int64_t ordinal) {
    const int32_t layout = ctx_.Layouts[slot];
    const int32_t N = ctx_.DrawCount;
    const int32_t top = std::max(ctx_.CellRow[low_[nl_ - 1]], ctx_.CellRow[high_[nh_ - 1]]);
    if (top > N) return;  // the figure is taller than the history
    int32_t steps = 1 + heldSteps;
    // Steps up to (N - top) / layout, without a division for every figure.
    for (int32_t s = steps; s * layout <= N - top; ++s) {
        int32_t a = 0;
        int32_t b = 0;
        ctx_.StepSums(low_, nl_, high_, nh_, layout, s, a, b);
        if (!SumsHold(ctx_.Contrast, a, b)) break;
        ++steps;
    }
    if (steps < ctx_.Options.SecCountSe) return;
    if (!MarksPass(low_, nl_, high_, nh_)) return;
    if (ctx_.Options.ClearDupChk && Overlaps(layout, steps)) return;
    out_->Found.push_back({ordinal, slot, steps, out_->Cells.size()});
    out_->Cells.insert(out_->Cells.end(), figure_.begin(), figure_.end());
}

bool TChunkWorker::Overlaps(int32_t layout, int32_t steps) const {
    const size_t n = figure_.size();
    for (size_t a = 0; a < n; ++a) {
        for (size_t b = a + 1; b < n; ++b) {
            if (ctx_.Cells[figure_[a]].X != ctx_.Cells[figure_[b]].X) continue;
            const int32_t rows = std::abs(ctx_.CellRow[figure_[a]] - ctx_.CellRow[figure_[b]]);
            if (rows == 0 || (rows % layout == 0 && rows / layout <= steps - 1)) return true;
        }
    }
    return false;
}
