// The search done the plain way: the walk choice by choice, and for every accepted choice and
// layout a pattern object that is filled step by step and then tested. Slow, but each rule
// sits in one obvious place; the fast engine is checked against it.

#include "tests/support/SearchReference.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "search/SearchWalk.h"

namespace {

// Drawing order the literal way: every visiting order of the line's points up to reversal
// (digit k names the k-th point), each path measured step by step, the first shortest kept.
constexpr std::array<const char*, 3> PathOrders3 = {"123", "132", "213"};
constexpr std::array<const char*, 12> PathOrders4 = {
    "1234", "1243", "1324", "1342", "1423", "1432", "2134", "2143", "2314", "2413", "3124", "3214"};

float PathLength(const TPointList& line, const char* order) {
    float length = 0.0f;
    for (int i = 1; order[i] != '\0'; ++i) {
        const TPoint a = line.Get(order[i - 1] - '1');
        const TPoint b = line.Get(order[i] - '1');
        const double dx = b.X - a.X;
        const double dy = b.Y - a.Y;
        length += static_cast<float>(std::sqrt(dx * dx + dy * dy));
    }
    return length;
}

template <size_t N>
void ReorderLine(TPointList& line, const std::array<const char*, N>& orders) {
    float best = 10000.0f;
    const char* bestOrder = nullptr;
    for (const char* order : orders) {
        const float length = PathLength(line, order);
        if (length < best) {
            best = length;
            bestOrder = order;
        }
    }
    if (bestOrder == nullptr) return;
    TPointList ordered;
    for (const char* k = bestOrder; *k != '\0'; ++k) ordered.Add(line.Get(*k - '1'));
    line.Assign(ordered);
}

}  // namespace

void OrderLinesLiterally(TGui2Reg& reg) {
    for (int32_t l = 0; l < TGui2Reg::LineCount; ++l) {
        if (reg.Line(l).Count() == 3) ReorderLine(reg.Line(l), PathOrders3);
        if (reg.Line(l).Count() == 4) ReorderLine(reg.Line(l), PathOrders4);
    }
}

namespace {

class TReferenceBuilder {
  public:
    TReferenceBuilder(const SearchOptions& options, const TPointList& gridCells,
                      const TCodes& draws, uint64_t seed, bool drawingOrder)
        : options_(options),
          gridCells_(gridCells),
          draws_(draws),
          seed_(seed),
          drawingOrder_(drawingOrder) {}

    std::unique_ptr<TGui2Reg> Build(const TChoice& choice, int32_t layout,
                                    int64_t candidate) const {
        auto reg = std::make_unique<TGui2Reg>();
        const int32_t counts[2] = {choice.NL, choice.NH};
        const int32_t* lines[2] = {choice.Low(), choice.High()};
        for (int32_t k = 0; k < 2; ++k) {
            TPointList line;
            for (int32_t i = 0; i < counts[k]; ++i) line.Add(gridCells_.Get(lines[k][i]));
            reg->Line(k).Assign(line);
        }
        reg->ContrastKind = PatternContrast(options_.SumConstrastGbx);
        reg->BaseRow = draws_.Count();
        reg->Layout = layout;

        // Step walk; a step ends the walk where one of its cells would fall before the first draw.
        const int32_t top = -reg->TopOffset();
        if (top > reg->BaseRow) return nullptr;  // the figure is taller than the history
        int32_t step = 0;
        while (true) {
            const int32_t base = reg->BaseRow - layout * step;
            if (step > 0 && base - top < 0) break;
            std::array<int32_t, 2> sums{};
            for (int32_t l = 0; l < 2; ++l) sums[l] = Mod10(LineSum(*reg, base, l));
            const bool holding = step == 0 || SumsHold(reg->ContrastKind, sums[0], sums[1]);
            if (!holding) break;
            reg->AddStep(sums);
            ++step;
        }
        bool valid = reg->StepTotal >= options_.SecCountSe;

        int32_t predicting = 0;
        for (int32_t l = 0; l < 2; ++l) {
            const TPointList& line = reg->Line(l);
            if (line.Get(0).Y < 0) continue;
            ++predicting;
            for (int32_t i = 0; i < line.Count(); ++i)
                if (line.Get(i).Y == 0) reg->SetPosition(l, line.Get(i).X, true);
        }

        const auto someLineHas = [&](int32_t marks) {
            return reg->PositionCount(0) == marks || reg->PositionCount(1) == marks;
        };
        switch (options_.FallStyleGbx) {
            case 1:
                valid = valid && predicting == 1 && someLineHas(1);
                break;
            case 2:
                valid = valid && predicting == 1 && someLineHas(2);
                break;
            case 3:
                valid = valid && predicting == 2 && reg->PositionCount(0) == 1 &&
                        reg->PositionCount(1) == 1;
                break;
            default:
                break;
        }

        const int32_t s0 = reg->StepSums[0];
        const int32_t s1 = reg->StepSums[1];
        const int32_t shift = reg->ContrastKind == 1 ? 10 : 15;
        if (predicting == 1) {
            reg->SetResult(0, (s1 - s0 + shift) % 10);
        } else if (predicting == 2) {
            const int32_t high = RandomResultDigit(seed_, candidate, layout);
            reg->SetResult(1, high);
            reg->SetResult(0, (high - (s0 - s1) + shift) % 10);
        }

        if (valid && options_.ClearDupChk) {
            TPointList covered;
            for (int32_t l = 0; l < 2; ++l)
                for (int32_t s = 0; s < reg->StepTotal; ++s)
                    for (int32_t i = 0; i < reg->Line(l).Count(); ++i) {
                        const TPoint p = reg->Line(l).Get(i);
                        covered.Add({p.X, p.Y - layout * s});
                    }
            if (covered.HasDuplicates()) valid = false;
        }
        if (valid && options_.FallTargetGbx >= 0) {
            for (int32_t column : {0, 5, 6, 7})
                if (reg->PositionUsed(column)) valid = false;
        }
        if (!valid) return nullptr;
        // A found pattern's lines come out in the order they are drawn in, when asked.
        if (drawingOrder_) OrderLinesLiterally(*reg);
        return reg;
    }

  private:
    // The line's sum at a base row, cells on the coming draw left out; values are taken as
    // digits (mod 10) so that a damaged draw list cannot overflow the sum.
    int64_t LineSum(const TGui2Reg& reg, int32_t base, int32_t l) const {
        int64_t sum = 0;
        const TPointList& line = reg.Line(l);
        for (int32_t i = 0; i < line.Count(); ++i) {
            const TPoint p = line.Get(i);
            if (base + p.Y < draws_.Count()) sum += Mod10(draws_.GetNum(p.X, base + p.Y));
        }
        return sum;
    }

    const SearchOptions& options_;
    const TPointList& gridCells_;
    const TCodes& draws_;
    uint64_t seed_;
    bool drawingOrder_;
};

}  // namespace

TSearchTotals RunReferenceSearch(const TSearchRequest& request, ISearchSink& sink,
                                 const TJobControl& control) {
    if (request.Draws == nullptr) throw TError("RunSearch Draws isnot valid!");
    const SearchOptions options = request.Options;
    const TWalkGrid grid = MakeWalkGrid(options);
    CheckWalkOptions(options, grid);

    TPointList gridCells;
    for (int32_t cell = 0; cell < grid.CellCount; ++cell)
        gridCells.Add({grid.Column(cell), -grid.RowOffset(cell)});
    const TReferenceBuilder builder(options, gridCells, *request.Draws, request.Seed,
                                    request.DrawingOrder);

    TSearchTotals totals;
    const auto stopped = [&] { return control.Cancelled(); };
    int32_t nl = grid.MinPoints;
    int32_t nh = grid.MinPoints;
    if (grid.MinPoints > grid.MaxPoints) return totals;
    do {
        if (!PairSearched(options, nl, nh)) continue;
        TChoice choice = FirstChoice(grid, nl, nh);
        sink.Progress(totals.Candidates);
        do {
            if (!AcceptChoice(grid, choice)) continue;
            ++totals.Candidates;
            for (int32_t layout = 1; layout <= 4; ++layout) {
                if (options.SecInterGbx >= 1 && layout != options.SecInterGbx) continue;
                ++totals.Builds;
                if (auto pattern = builder.Build(choice, layout, totals.Candidates)) {
                    ++totals.Found;
                    sink.Found(std::move(pattern), totals.Candidates);
                } else if (totals.Candidates % ProgressInterval == 0) {
                    sink.Progress(totals.Candidates);
                }
                if (stopped()) break;
            }
            if (stopped()) break;
        } while (NextChoice(grid, choice));
        if (stopped()) break;
    } while (NextCountPair(grid, nl, nh));
    return totals;
}
