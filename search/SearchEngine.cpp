// The search engine. It walks exactly the choices of the plain walk (SearchWalk), in the same
// order, but:
// - the walk is cut into segments (one low-line combination with the run of high-line
//   combinations that follows it) and the high line's last cell is swept as a range, so the
//   candidate test is a few comparisons per range instead of a loop over every choice;
// - the cells' digits are tabled per layout and step, so a line's sum at a step is a few
//   additions, and the first steps of a whole range of last cells are tested at once;
// - a pattern object is made only for a figure that passed every test;
// - segments are grouped into chunks that a pool of threads works on, and the results are
//   handed to the sink in walk order with the candidate count they would have had.

#include "search/SearchEngine.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "search/SearchWalk.h"

namespace {

constexpr uint8_t Outside = 0xFF;  // a cell's value at a step where it lies before the first draw
constexpr uint8_t NeverMatches = 0xFE;  // a filter target when the fixed cells do not fit
constexpr int32_t MaxFilterSteps = 3;   // steps tested for a whole range of last cells at once
constexpr double ChunkWork = 1 << 17;   // about this many choices per chunk

// Everything the builds need that depends only on the options and the draws.
struct TSearchContext {
    SearchOptions Options;
    TWalkGrid Grid;
    int32_t Contrast = 3;
    int32_t DrawCount = 0;
    int32_t CellCount = 0;
    std::vector<int32_t> Layouts;  // layouts tried for each accepted choice, ascending
    int32_t FilterSteps = 0;       // steps 1..FilterSteps must hold for any pattern
    std::vector<TPoint> Cells;     // grid point of each cell index
    std::vector<int32_t> CellRow;  // row offset of each cell index
    // Values[j]: value (0-9, or Outside) of each cell at each step of layout j, step-major.
    std::array<std::vector<uint8_t>, 5> Values;
    std::array<int32_t, 5> StepRows{};
    // Filter[slot][s - 1]: the values in the form the range filter compares (mod 5 for 明对).
    std::vector<std::array<std::vector<uint8_t>, MaxFilterSteps>> Filter;

    // The filter value a last cell needs, by the high prefix's sum minus the low line's sum.
    std::vector<uint8_t> Targets;
    static constexpr int32_t TargetOffset = 9 * 64 + 9;
    uint8_t TargetOf(int32_t difference) const { return Targets[difference + TargetOffset]; }

    std::vector<uint8_t> OutsideRow;  // a step that lies wholly before the first draw

    // The values at a step, or a row of Outside when the step does not exist.
    const uint8_t* StepValues(int32_t layout, int32_t step) const {
        return step < StepRows[layout] ? ValuesAt(layout, step) : OutsideRow.data();
    }

    const uint8_t* ValuesAt(int32_t layout, int32_t step) const {
        return Values[layout].data() + static_cast<size_t>(step) * CellCount;
    }

    TSearchContext(const SearchOptions& options, const TCodes& draws)
        : Options(options), Grid(MakeWalkGrid(options)) {
        Contrast = PatternContrast(options.SumConstrastGbx);
        DrawCount = draws.Count();
        CellCount = Grid.CellCount;
        for (int32_t j = 1; j <= 4; ++j)
            if (options.SecInterGbx < 1 || j == options.SecInterGbx) Layouts.push_back(j);
        FilterSteps = std::clamp(options.SecCountSe - 1, 0, MaxFilterSteps);
        for (int32_t c = 0; c < CellCount; ++c) {
            Cells.push_back({Grid.Column(c), -Grid.RowOffset(c)});
            CellRow.push_back(Grid.RowOffset(c));
        }
        const DrawRecord* rows = draws.Rows();
        for (int32_t j : Layouts) {
            StepRows[j] = DrawCount / j + 1;
            auto& table = Values[j];
            table.assign(static_cast<size_t>(StepRows[j]) * CellCount, Outside);
            for (int32_t s = 0; s < StepRows[j]; ++s) {
                for (int32_t c = 0; c < CellCount; ++c) {
                    const int64_t row = int64_t{DrawCount} - int64_t{j} * s - CellRow[c];
                    uint8_t value = Outside;
                    if (s == 0 && CellRow[c] == 0)
                        value = 0;  // the coming draw adds nothing
                    else if (row >= 0)
                        value = static_cast<uint8_t>(Mod10(rows[row][Cells[c].X]));
                    table[static_cast<size_t>(s) * CellCount + c] = value;
                }
            }
        }
        OutsideRow.assign(static_cast<size_t>(CellCount) + 1, Outside);
        Targets.resize(2 * TargetOffset + 1);
        for (int32_t difference = -TargetOffset; difference <= TargetOffset; ++difference) {
            const int32_t d = ((difference % 10) + 10) % 10;
            const int32_t target = Contrast == 1   ? (10 - d) % 10
                                   : Contrast == 2 ? (15 - d) % 10
                                                   : (10 - d) % 5;
            Targets[difference + TargetOffset] = static_cast<uint8_t>(target);
        }
        Filter.resize(Layouts.size());
        for (size_t slot = 0; slot < Layouts.size(); ++slot) {
            const int32_t j = Layouts[slot];
            for (int32_t s = 1; s <= FilterSteps; ++s) {
                auto& filter = Filter[slot][s - 1];
                filter.assign(static_cast<size_t>(CellCount) + 64, Outside);
                if (s >= StepRows[j]) continue;
                const uint8_t* values = ValuesAt(j, s);
                for (int32_t c = 0; c < CellCount; ++c)
                    filter[c] = values[c] == Outside || Contrast != 3 ? values[c] : values[c] % 5;
            }
        }
    }
};

// A found pattern of a chunk, at its candidate ordinal within the chunk.
struct TFoundRecord {
    int64_t Ordinal = 0;
    int32_t Slot = 0;
    bool NeedsRandom = false;  // both lines predict: the results get the random digit added
    std::unique_ptr<TGui2Reg> Pattern;
};

// One piece of the walk: segments of one count pair, in walk order.
struct TChunk {
    bool PairStart = false;
    int32_t NL = 0;
    int32_t NH = 0;
    std::vector<int32_t> Cells;   // NL + NH cells per segment: its low line and its first high line
    std::vector<uint8_t> Single;  // per segment: only its first choice is walked
};

struct TChunkResult {
    bool PairStart = false;
    bool Aborted = false;
    int64_t Accepted = 0;
    std::vector<TFoundRecord> Found;
    std::exception_ptr Error;
};

// Produces the chunks of the whole walk in order, following the plain walk's successor rule
// between segments.
class TChunkGenerator {
  public:
    explicit TChunkGenerator(const TSearchContext& context) : ctx_(context), grid_(context.Grid) {
        // Fewer filtered steps let more figures through: smaller chunks keep the patterns
        // that wait for their turn few.
        for (int32_t s = context.FilterSteps; s < MaxFilterSteps; ++s) chunkWork_ /= 5;
    }

    bool Next(TChunk& chunk) {
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
            if (grid_.W > 5 && low[0] >= grid_.SumOffset + 4) {
                Add(chunk, true);  // the early end: this choice is the pair's last
                pairActive_ = false;
                return true;
            }
            if (low[0] >= grid_.W) {
                // The low line's first cell never decreases, so every later choice of the
                // pair fails the first check of the candidate test.
                pairActive_ = false;
                return true;
            }
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

  private:
    bool StartNextPair() {
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

    void Add(TChunk& chunk, bool single) {
        chunk.Cells.insert(chunk.Cells.end(), choice_.Cells.begin(), choice_.Cells.end());
        chunk.Single.push_back(single ? 1 : 0);
    }

    const TSearchContext& ctx_;
    const TWalkGrid& grid_;
    bool started_ = false;
    bool pairActive_ = false;
    int32_t nl_ = 0;
    int32_t nh_ = 0;
    TChoice choice_;
    double segmentWork_ = 1;
    double chunkWork_ = ChunkWork;
};

// Works through chunks: the candidate test by ranges, the range filter on the first steps,
// and the full build of the figures that pass it.
class TChunkWorker {
  public:
    TChunkWorker(const TSearchContext& context, const std::atomic<bool>& stop)
        : ctx_(context), grid_(context.Grid), stop_(stop) {
        blocked_.assign(static_cast<size_t>(ctx_.CellCount) + 1, 0);
        blockedBefore_.assign(static_cast<size_t>(ctx_.CellCount) + 2, 0);
        mask_.assign(static_cast<size_t>(ctx_.CellCount) + 64, 0);
        for (size_t slot = 0; slot < ctx_.Layouts.size(); ++slot)
            for (int32_t s = 1; s <= ctx_.FilterSteps; ++s)
                stepValues_[slot][s - 1] = ctx_.StepValues(ctx_.Layouts[slot], s);
    }

    TChunkResult Process(const TChunk& chunk) {
        TChunkResult result;
        result.PairStart = chunk.PairStart;
        out_ = &result;
        ordinal_ = 0;
        nl_ = chunk.NL;
        nh_ = chunk.NH;
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
        return result;
    }

  private:
    void ProcessSingle(const int32_t* cells) {
        TChoice choice;
        choice.NL = nl_;
        choice.NH = nh_;
        choice.Cells.assign(cells, cells + nl_ + nh_);
        if (!AcceptChoice(grid_, choice)) return;
        ++ordinal_;
        for (size_t slot = 0; slot < ctx_.Layouts.size(); ++slot)
            BuildAndRecord(choice.Low(), choice.High(), static_cast<int32_t>(slot));
    }

    void ProcessSegment(const int32_t* cells) {
        const int32_t W = grid_.W;
        low_.assign(cells, cells + nl_);
        high_.assign(cells + nl_, cells + nl_ + nh_);
        // Checks of the candidate test that read the low line only.
        if (!(low_[0] < W)) return;
        if (W > 5)
            for (int32_t cell : low_)
                if (cell >= grid_.SumOffset + 4 && cell <= grid_.SumOffset + 6) return;
        if (grid_.FallStyle == 2 && !(nl_ >= 2 && low_[1] < W)) return;
        if (nl_ > 3 && !(low_[3] >= W)) return;

        // Cells the high line may not use: the low line's and, on wide grids, the tail
        // columns of row offset 0.
        std::fill(blocked_.begin(), blocked_.end(), 0);
        for (int32_t cell : low_) blocked_[cell] = 1;
        if (W > 5)
            for (int32_t cell = grid_.SumOffset + 4; cell <= grid_.SumOffset + 6; ++cell)
                blocked_[cell] = 1;
        for (int32_t c = 0; c < ctx_.CellCount; ++c)
            blockedBefore_[c + 1] = blockedBefore_[c] + blocked_[c];

        // Sums of the low line at the filtered steps.
        const size_t slots = ctx_.Layouts.size();
        for (size_t slot = 0; slot < slots; ++slot)
            for (int32_t s = 1; s <= ctx_.FilterSteps; ++s)
                lowSums_[slot][s - 1] = SumAt(low_.data(), nl_, ctx_.Layouts[slot], s);

        // With the high line in the past only the low line predicts; whether its marks
        // pass the style and position filters is then known for the whole segment.
        lowOnlyValid_ = MarksPass(low_.data(), nl_, nullptr, 0);

        while (true) {
            const int32_t last = high_[nh_ - 1];
            const int32_t to = std::max(last, grid_.Highest[1]);
            ProcessRange(last, to);
            if (stop_.load(std::memory_order_relaxed)) return;
            high_[nh_ - 1] = to;
            if (LineExhausted(high_.data(), nh_, grid_.Highest[1])) return;
            AdvanceLine(high_.data(), nh_, grid_.Lowest[1], grid_.Highest[1]);
        }
    }

    // The choices whose high line is high_[0..nh-2] followed by one of from..to.
    void ProcessRange(int32_t from, int32_t to) {
        const int32_t W = grid_.W;
        const int32_t prefix = nh_ - 1;
        for (int32_t i = 0; i < prefix; ++i)
            if (blocked_[high_[i]]) return;
        int32_t lo = from;
        int32_t hi = to;
        if (prefix > 0) {
            const int32_t first = high_[0];
            if (!(first > low_[0])) return;
            if (grid_.FallStyle == 3 && !(first < W)) return;
            if (nl_ == 3 && !(first >= W)) return;
        } else {
            lo = std::max(lo, low_[0] + 1);
            if (grid_.FallStyle == 3) hi = std::min(hi, W - 1);
            if (nl_ == 3) lo = std::max(lo, W);
        }
        if (lo > hi) return;

        // Last cells in row offset 0 (or a prefix there) make the high line predict too:
        // those figures take the full build.
        const bool prefixPredicts = prefix > 0 && high_[0] < W;
        const int32_t slowEnd = prefixPredicts ? hi : std::min(hi, W - 1);
        int32_t c = lo;
        for (; c <= slowEnd; ++c) {
            if (blocked_[c]) continue;
            ++ordinal_;
            high_[nh_ - 1] = c;
            for (size_t slot = 0; slot < ctx_.Layouts.size(); ++slot)
                BuildAndRecord(low_.data(), high_.data(), static_cast<int32_t>(slot));
        }
        if (c > hi) return;
        lo = c;

        if (!lowOnlyValid_) {  // no figure of this range can give a pattern
            ordinal_ += CountOpen(lo, hi);
            return;
        }
        if (ctx_.FilterSteps == 0) {
            for (c = lo; c <= hi; ++c) {
                if (blocked_[c]) continue;
                ++ordinal_;
                high_[nh_ - 1] = c;
                for (size_t slot = 0; slot < ctx_.Layouts.size(); ++slot)
                    BuildAndRecord(low_.data(), high_.data(), static_cast<int32_t>(slot));
            }
            return;
        }

        // Range filter: a bit per layout slot for each last cell whose first steps hold.
        const int32_t length = hi - lo + 1;
        uint8_t* mask = mask_.data();
        const size_t slots = ctx_.Layouts.size();
        uint8_t all = 0;
        bool any = false;
        for (size_t slot = 0; slot < slots; ++slot) {
            bool open = true;
            for (int32_t s = 1; s <= ctx_.FilterSteps; ++s) {
                uint8_t target;
                if (prefix <= MaxQuickPrefix) {
                    // An Outside value (255) pushes the sum to 255 or more; valid values cannot.
                    const uint8_t* values = stepValues_[slot][s - 1];
                    int32_t sum = 0;
                    for (int32_t i = 0; i < prefix; ++i) sum += values[high_[i]];
                    const int32_t lowSum = lowSums_[slot][s - 1];
                    target =
                        sum >= Outside || lowSum < 0 ? NeverMatches : ctx_.TargetOf(sum - lowSum);
                } else {
                    target = Target(slot, s);
                }
                targets_[slot][s - 1] = target;
                open = open && target != NeverMatches;
            }
            if (open) {
                all |= static_cast<uint8_t>(1u << slot);
                any = true;
            }
        }
        if (!any) {
            ordinal_ += CountOpen(lo, hi);
            return;
        }
        std::memset(mask, 0, static_cast<size_t>(length) + 16);
        for (size_t slot = 0; slot < slots; ++slot) {
            if (!(all & (1u << slot))) continue;
            const auto& filter = ctx_.Filter[slot];
            const auto& target = targets_[slot];
            const int shift = static_cast<int>(slot);
            switch (ctx_.FilterSteps) {
                case 1:
                    MarkHolding<1>(mask, length, shift, filter[0].data() + lo, target[0], nullptr,
                                   0, nullptr, 0);
                    break;
                case 2:
                    MarkHolding<2>(mask, length, shift, filter[0].data() + lo, target[0],
                                   filter[1].data() + lo, target[1], nullptr, 0);
                    break;
                default:
                    MarkHolding<3>(mask, length, shift, filter[0].data() + lo, target[0],
                                   filter[1].data() + lo, target[1], filter[2].data() + lo,
                                   target[2]);
                    break;
            }
        }
        const int64_t before = ordinal_;
        ordinal_ += CountOpen(lo, hi);
        for (int32_t i = 0; i < length; i += 8) {
            uint64_t word;
            std::memcpy(&word, mask + i, sizeof word);
            if (word == 0) continue;
            for (int32_t k = i; k < i + 8 && k < length; ++k) {
                c = lo + k;
                if (mask[k] == 0 || blocked_[c]) continue;
                const int64_t after = ordinal_;
                ordinal_ = before + CountOpen(lo, c);  // this candidate's ordinal
                high_[nh_ - 1] = c;
                for (size_t slot = 0; slot < slots; ++slot)
                    if (mask[k] & (1u << slot))
                        BuildAndRecord(low_.data(), high_.data(), static_cast<int32_t>(slot),
                                       ctx_.FilterSteps);
                ordinal_ = after;
            }
        }
    }

    // Sets bit `shift` of mask[i] where the last cell lo + i keeps the relation at the first
    // Steps steps (each filter value equal to its target).
    template <int Steps>
    static void MarkHolding(uint8_t* __restrict mask, int32_t length, int shift,
                            const uint8_t* __restrict f1, uint8_t t1, const uint8_t* __restrict f2,
                            uint8_t t2, const uint8_t* __restrict f3, uint8_t t3) {
        // Whole blocks of 16: the tables and the mask are padded, and ranges are short, so a
        // loop with a scalar tail would spend most of its time in the tail.
        const uint8_t bit = static_cast<uint8_t>(1u << shift);
        for (int32_t block = 0; block < length; block += 16) {
            for (int32_t i = block; i < block + 16; ++i) {
                uint8_t hold = f1[i] == t1 ? bit : 0;
                if constexpr (Steps >= 2) hold &= f2[i] == t2 ? 0xFF : 0;
                if constexpr (Steps >= 3) hold &= f3[i] == t3 ? 0xFF : 0;
                mask[i] |= hold;
            }
        }
    }

    // Cells from lo to hi the high line's last cell may take.
    int64_t CountOpen(int32_t lo, int32_t hi) const {
        return (hi - lo + 1) - (blockedBefore_[hi + 1] - blockedBefore_[lo]);
    }

    // Sum of cells' values at a step of a layout, or -1 when one of them lies before the first
    // draw.
    int32_t SumAt(const int32_t* cells, int32_t n, int32_t layout, int32_t step) const {
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

    // The filter value the last cell must have for the step to hold.
    uint8_t Target(size_t slot, int32_t step) const {
        const int32_t lowSum = lowSums_[slot][step - 1];
        const int32_t prefixSum = SumAt(high_.data(), nh_ - 1, ctx_.Layouts[slot], step);
        if (lowSum < 0 || prefixSum < 0) return NeverMatches;
        return ctx_.TargetOf(prefixSum - lowSum);
    }

    // Marks of the lines that reach the coming draw, tested against the style and the
    // position filters. high may be null (the high line does not predict).
    bool MarksPass(const int32_t* low, int32_t nl, const int32_t* high, int32_t nh) const {
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

    // The full build of one figure and layout; records the pattern when it passes.
    // heldSteps: steps 1.. that the range filter has already seen hold.
    void BuildAndRecord(const int32_t* low, const int32_t* high, int32_t slot,
                        int32_t heldSteps = 0) {
        const int32_t layout = ctx_.Layouts[slot];
        const int32_t N = ctx_.DrawCount;
        const int32_t top = std::max(ctx_.CellRow[low[nl_ - 1]], ctx_.CellRow[high[nh_ - 1]]);
        if (top > N) return;  // the figure is taller than the history
        const int32_t lastStep = (N - top) / layout;
        int32_t steps = 1 + heldSteps;
        for (int32_t s = steps; s <= lastStep; ++s) {
            const uint8_t* values = ctx_.ValuesAt(layout, s);
            int32_t a = 0;
            int32_t b = 0;
            for (int32_t i = 0; i < nl_; ++i) a += values[low[i]];
            for (int32_t i = 0; i < nh_; ++i) b += values[high[i]];
            if (!SumsHold(ctx_.Contrast, a % 10, b % 10)) break;
            ++steps;
        }
        if (steps < ctx_.Options.SecCountSe) return;
        if (!MarksPass(low, nl_, high, nh_)) return;
        if (ctx_.Options.ClearDupChk && Overlaps(low, high, layout, steps)) return;

        auto reg = std::make_unique<TGui2Reg>();
        reg->Layout = layout;
        reg->BaseRow = N;
        reg->ContrastKind = ctx_.Contrast;
        const int32_t* lines[2] = {low, high};
        const int32_t counts[2] = {nl_, nh_};
        int32_t predicting = 0;
        for (int32_t l = 0; l < 2; ++l) {
            TPointList& line = reg->Line(l);
            line.SetCount(counts[l]);
            for (int32_t i = 0; i < counts[l]; ++i) line.Put(i, ctx_.Cells[lines[l][i]]);
            if (lines[l][0] >= grid_.W) continue;
            ++predicting;
            for (int32_t i = 0; i < counts[l] && lines[l][i] < grid_.W; ++i)
                reg->SetPosition(l, grid_.Column(lines[l][i]), true);
        }
        reg->StepSums.reserve(static_cast<size_t>(steps) * TGui2Reg::LineCount);
        for (int32_t s = 0; s < steps; ++s) {
            const uint8_t* values = ctx_.ValuesAt(layout, s);
            int32_t a = 0;
            int32_t b = 0;
            for (int32_t i = 0; i < nl_; ++i) a += values[low[i]];
            for (int32_t i = 0; i < nh_; ++i) b += values[high[i]];
            reg->StepSums.push_back(a % 10);
            reg->StepSums.push_back(b % 10);
        }
        reg->StepTotal = steps;
        const int32_t s0 = reg->StepSums[0];
        const int32_t s1 = reg->StepSums[1];
        const int32_t shift = ctx_.Contrast == 1 ? 10 : 15;
        bool random = false;
        if (predicting == 1) {
            reg->SetResult(0, (s1 - s0 + shift) % 10);
        } else if (predicting == 2) {
            reg->SetResult(0,
                           (-(s0 - s1) + shift) % 10);  // the random digit is added in walk order
            random = true;
        }
        out_->Found.push_back({ordinal_, slot, random, std::move(reg)});
    }

    // Whether two cells of the figure land on the same grid cell over the steps.
    bool Overlaps(const int32_t* low, const int32_t* high, int32_t layout, int32_t steps) const {
        cells_.clear();
        cells_.insert(cells_.end(), low, low + nl_);
        cells_.insert(cells_.end(), high, high + nh_);
        for (size_t a = 0; a < cells_.size(); ++a) {
            for (size_t b = a + 1; b < cells_.size(); ++b) {
                if (ctx_.Cells[cells_[a]].X != ctx_.Cells[cells_[b]].X) continue;
                const int32_t rows = std::abs(ctx_.CellRow[cells_[a]] - ctx_.CellRow[cells_[b]]);
                if (rows == 0 || (rows % layout == 0 && rows / layout <= steps - 1)) return true;
            }
        }
        return false;
    }

    const TSearchContext& ctx_;
    const TWalkGrid& grid_;
    const std::atomic<bool>& stop_;
    TChunkResult* out_ = nullptr;
    int64_t ordinal_ = 0;
    int32_t nl_ = 0;
    int32_t nh_ = 0;
    std::vector<int32_t> low_;
    std::vector<int32_t> high_;
    std::vector<uint8_t> blocked_;
    std::vector<int32_t> blockedBefore_;  // blocked cells below each index
    std::vector<uint8_t> mask_;
    mutable std::vector<int32_t> cells_;
    bool lowOnlyValid_ = false;
    std::array<std::array<int32_t, MaxFilterSteps>, 4> lowSums_{};
    std::array<std::array<const uint8_t*, MaxFilterSteps>, 4> stepValues_{};
    static constexpr int32_t MaxQuickPrefix = 28;  // 28 x 9 < 255
    std::array<std::array<uint8_t, MaxFilterSteps>, 4> targets_{};
};

// Runs the chunks on a pool of threads and hands the results to the sink in walk order.
class TParallelSearch {
  public:
    TParallelSearch(const TSearchContext& context, const TSearchRequest& request, ISearchSink& sink,
                    const std::atomic<bool>& stop)
        : ctx_(context), request_(request), sink_(sink), stop_(stop), generator_(context) {}

    TSearchTotals Run() {
        int threads = request_.Threads;
        if (threads <= 0)
            threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
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
        for (int i = 0; i < threads; ++i) pool.emplace_back([this] { Work(); });
        Consume();
        return totals_;
    }

  private:
    void Work() {
        TChunkWorker worker(ctx_, stop_);
        TChunk chunk;
        while (true) {
            int64_t index = 0;
            {
                std::unique_lock lock(mutex_);
                workCv_.wait(lock, [&] {
                    return abort_ || generatorDone_ || nextChunk_ < consumed_ + window_;
                });
                if (abort_ || generatorDone_) return;
                bool more = false;
                try {
                    more = generator_.Next(chunk);
                } catch (...) {
                    TChunkResult failed;
                    failed.Error = std::current_exception();
                    ready_[nextChunk_++] = std::move(failed);
                    generatorDone_ = true;
                    doneCv_.notify_all();
                    return;
                }
                if (!more) {
                    generatorDone_ = true;
                    doneCv_.notify_all();
                    workCv_.notify_all();
                    return;
                }
                index = nextChunk_++;
            }
            TChunkResult result = worker.Process(chunk);
            {
                std::lock_guard lock(mutex_);
                ready_[index] = std::move(result);
            }
            doneCv_.notify_all();
        }
    }

    void Consume() {
        for (int64_t index = 0;; ++index) {
            TChunkResult result;
            {
                std::unique_lock lock(mutex_);
                doneCv_.wait(lock, [&] {
                    return ready_.count(index) > 0 || (generatorDone_ && index >= nextChunk_);
                });
                auto it = ready_.find(index);
                if (it == ready_.end()) return;  // the walk is complete
                result = std::move(it->second);
                ready_.erase(it);
                consumed_ = index + 1;
            }
            workCv_.notify_all();
            if (result.Error) std::rethrow_exception(result.Error);
            if (result.Aborted || Stopped()) return;
            if (!Emit(result)) return;
        }
    }

    bool Stopped() const { return stop_.load(std::memory_order_relaxed); }

    // Hands a chunk's notifications over; false when a stop cut it short.
    bool Emit(TChunkResult& result) {
        if (result.PairStart) sink_.Progress(totals_.Candidates);
        const int64_t base = totals_.Candidates;
        const int32_t slots = static_cast<int32_t>(ctx_.Layouts.size());
        // Progress events owed at multiples of the interval, for each layout without a pattern.
        std::vector<std::pair<int64_t, int32_t>> owed;
        for (int64_t x = (base / ProgressInterval + 1) * ProgressInterval;
             x <= base + result.Accepted; x += ProgressInterval) {
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
        for (TFoundRecord& record : result.Found) {
            const auto at = std::make_pair(record.Ordinal, record.Slot);
            for (; next < owed.size() && owed[next] < at; ++next)
                sink_.Progress(base + owed[next].first);
            if (Stopped()) return false;
            const int64_t candidate = base + record.Ordinal;
            if (record.NeedsRandom) {
                TGui2Reg& reg = *record.Pattern;
                const int32_t digit = RandomResultDigit(request_.Seed, candidate, reg.Layout);
                reg.SetResult(1, digit);
                reg.SetResult(0, (reg.GetResult(0) + digit) % 10);
            }
            ++totals_.Found;
            sink_.Found(std::move(record.Pattern), candidate);
        }
        for (; next < owed.size(); ++next) sink_.Progress(base + owed[next].first);
        totals_.Candidates += result.Accepted;
        totals_.Builds += result.Accepted * slots;
        return true;
    }

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

}  // namespace

TSearchTotals RunSearch(const TSearchRequest& request, ISearchSink& sink,
                        const std::atomic<bool>& stop) {
    if (request.Draws == nullptr) throw TError("RunSearch Draws isnot valid!");
    const TWalkGrid grid = MakeWalkGrid(request.Options);
    CheckWalkOptions(request.Options, grid);
    const TSearchContext context(request.Options, *request.Draws);
    TParallelSearch search(context, request, sink, stop);
    return search.Run();
}
