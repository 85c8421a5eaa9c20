#include "search/SearchContext.h"

#include <algorithm>

static_assert(TSearchContext::TargetOffset >= 9 * MaxLinePoints,
              "a sum difference of two lines must find its target");
static_assert(int64_t{MaxRowOffset + 2} * MaxGridWidth < int64_t{1} << 31);

TSearchContext::TSearchContext(const SearchOptions& options, const TCodes& draws, bool drawingOrder)
    : Options(options), DrawingOrder(drawingOrder), Grid(MakeWalkGrid(options)) {
    Contrast = PatternContrast(options.SumConstrastGbx);
    DrawCount = draws.Count();
    CellCount = Grid.CellCount;
    for (int32_t j = 1; j <= MaxLayouts; ++j)
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

    CellLanes.assign(static_cast<size_t>(CellCount), TLanes{});
    Words = (CellCount + 63) / 64;
    Bits.assign(static_cast<size_t>(TargetLanes * FilterValues) * Words, 0);
    for (size_t slot = 0; slot < Layouts.size(); ++slot) {
        const int32_t j = Layouts[slot];
        for (int32_t s = 1; s <= MaxFilterSteps; ++s) {
            const int32_t lane = static_cast<int32_t>(slot) * MaxFilterSteps + s - 1;
            for (int32_t c = 0; c < CellCount; ++c) {
                const uint8_t value = s < StepRows[j] ? ValuesAt(j, s)[c] : Outside;
                CellLanes[c].Byte[static_cast<size_t>(lane)] = value;
                if (value == Outside) continue;
                const int32_t filterValue = Contrast == 3 ? value % 5 : value;
                Bits[BitsAt(lane, filterValue) + c / 64] |= uint64_t{1} << (c % 64);
            }
        }
    }
}

uint8_t TSearchContext::TargetOf(int32_t difference) const {
    const int32_t d = ((difference % 10) + 10) % 10;
    const int32_t target = Contrast == 1   ? (10 - d) % 10
                           : Contrast == 2 ? (15 - d) % 10
                                           : (10 - d) % 5;
    return static_cast<uint8_t>(target);
}

std::unique_ptr<TGui2Reg> TSearchContext::MakePattern(const int32_t* low, int32_t nl,
                                                      const int32_t* high, int32_t nh, int32_t slot,
                                                      int32_t steps, bool& needsRandom) const {
    const int32_t layout = Layouts[slot];
    // Every field is set below or by the members' own initialisers: no zeroing of the whole.
    auto reg = std::make_unique_for_overwrite<TGui2Reg>();
    reg->Layout = layout;
    reg->BaseRow = DrawCount;
    reg->ContrastKind = Contrast;
    const int32_t* lines[2] = {low, high};
    const int32_t counts[2] = {nl, nh};
    int32_t predicting = 0;
    for (int32_t l = 0; l < 2; ++l) {
        const int32_t* cells = lines[l];
        if (DrawingOrder && counts[l] <= MaxOrderedPoints) {
            TPoint points[MaxOrderedPoints];
            for (int32_t i = 0; i < counts[l]; ++i) points[i] = Cells[cells[i]];
            OrderForDrawing(points, counts[l]);
            reg->Line(l).SetPoints(counts[l], [&](int32_t i) { return points[i]; });
        } else {
            reg->Line(l).SetPoints(counts[l], [&](int32_t i) { return Cells[cells[i]]; });
        }
        if (cells[0] >= Grid.W) continue;
        ++predicting;
        auto& marks = reg->LineResults[static_cast<size_t>(l)].Positions;
        for (int32_t i = 0; i < counts[l] && cells[i] < Grid.W; ++i)
            marks[static_cast<size_t>(Cells[cells[i]].X)] = 1;
    }
    reg->StepSums.reserve(static_cast<size_t>(steps) * TGui2Reg::LineCount);
    for (int32_t s = 0; s < steps; ++s) {
        int32_t a = 0;
        int32_t b = 0;
        StepSums(low, nl, high, nh, layout, s, a, b);
        reg->StepSums.push_back(a);
        reg->StepSums.push_back(b);
    }
    reg->StepTotal = steps;
    const int32_t s0 = reg->StepSums[0];
    const int32_t s1 = reg->StepSums[1];
    const int32_t shift = Contrast == 1 ? 10 : 15;
    needsRandom = false;
    if (predicting == 1) {
        reg->SetResult(0, (s1 - s0 + shift) % 10);
    } else if (predicting == 2) {
        reg->SetResult(0, (-(s0 - s1) + shift) % 10);  // the random digit is added in walk order
        needsRandom = true;
    }
    return reg;
}
