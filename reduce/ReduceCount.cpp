#include "reduce/ReduceCount.h"

#include <algorithm>
#include <bit>
#include <exception>
#include <map>
#include <mutex>
#include <numeric>
#include <thread>
#include <unordered_map>

#include "data/OrderedPool.h"
#include "search/PatternCheck.h"

namespace {

constexpr int32_t HalfA = 1000;   // candidates' first three digits
constexpr int32_t HalfB = 10000;  // last four
constexpr int32_t DigitsA = 3;
constexpr int32_t RawKeys = 10000;  // every raw key below is under this

int32_t Mod10(int64_t value) {
    return static_cast<int32_t>(((value % 10) + 10) % 10);
}

// The digits of one half, placed in a whole draw (the other half's digits left at 0).
TShapeDraw HalfDigits(int32_t value, bool first) {
    TShapeDraw draw{};
    const int32_t from = first ? 0 : DigitsA;
    const int32_t count = first ? DigitsA : ReduceDigitCount - DigitsA;
    for (int32_t i = count - 1; i >= 0; --i, value /= 10)
        draw[static_cast<size_t>(from + i)] = static_cast<uint8_t>(value % 10);
    return draw;
}

uint32_t CountOf(const TShapeDraw& draw, int32_t from, int32_t to, uint32_t digitSet) {
    uint32_t n = 0;
    for (int32_t p = from; p < to; ++p) n += (digitSet >> draw[static_cast<size_t>(p)]) & 1u;
    return n;
}

// A key of one half (positions from..to-1 of draw) from which, with the other half's key, the
// condition's answer follows. The answer itself is always computed on a whole candidate.
uint32_t RawKey(const TReduceCondition& c, const TReduceContext& context, const TShapeDraw& draw,
                int32_t from, int32_t to) {
    switch (c.Kind) {
        case TConditionKind::Position:
        case TConditionKind::Kill:
            if (c.Position < 0) return CountOf(draw, from, to, c.Digits);
            return c.Position >= from && c.Position < to ? draw[static_cast<size_t>(c.Position)]
                                                         : 0;
        case TConditionKind::Must:
            return CountOf(draw, from, to, 1u << c.Digit);
        case TConditionKind::Patterns:
            return 0;
        case TConditionKind::Metric:
            break;
    }
    uint32_t set = 0;
    for (int32_t p = from; p < to; ++p) set |= 1u << draw[static_cast<size_t>(p)];
    switch (c.Metric) {
        case TShapeMetricId::Sum: {
            uint32_t s = 0;
            for (int32_t p = from; p < to; ++p) s += draw[static_cast<size_t>(p)];
            return s;
        }
        case TShapeMetricId::FrontSum: {
            uint32_t s = 0;
            for (int32_t p = from; p < std::min(to, 4); ++p) s += draw[static_cast<size_t>(p)];
            return s;
        }
        case TShapeMetricId::OddEven:
            return CountOf(draw, from, to, 0b1010101010u);
        case TShapeMetricId::BigSmall:
            return CountOf(draw, from, to, 0b1111100000u);
        case TShapeMetricId::PrimeComposite:
            // Both conventions: the primes 2, 3, 5, 7 and, apart, the ones.
            return CountOf(draw, from, to, 0b0010101100u) + 8 * CountOf(draw, from, to, 0b10u);
        case TShapeMetricId::Roads:
            return CountOf(draw, from, to, 0b1001001001u) * 8 +
                   CountOf(draw, from, to, 0b0010010010u);
        case TShapeMetricId::Repeat:
        case TShapeMetricId::Neighbour: {
            uint32_t n = 0;
            for (int32_t p = from; p < to; ++p) {
                const int32_t gap =
                    draw[static_cast<size_t>(p)] - (*context.Previous)[static_cast<size_t>(p)];
                n += c.Metric == TShapeMetricId::Repeat ? gap == 0 : gap == 1 || gap == -1;
            }
            return n;
        }
        case TShapeMetricId::Span: {
            // The smallest and largest digit.
            const auto [low, high] = std::minmax_element(draw.begin() + from, draw.begin() + to);
            return static_cast<uint32_t>(*low * 10 + *high);
        }
        case TShapeMetricId::Ac:
        case TShapeMetricId::Consecutive:
            break;
    }
    return set;
}

// Keys of both halves for a raw key function: dense numbers and one representative each.
struct THalfKeys {
    std::vector<uint16_t> Key;
    std::vector<int32_t> Representative;  // a half value per key
};

template <typename F>
THalfKeys DenseKeys(int32_t values, bool first, F raw) {
    THalfKeys keys;
    keys.Key.resize(static_cast<size_t>(values));
    std::vector<int32_t> dense(RawKeys, -1);
    for (int32_t v = 0; v < values; ++v) {
        const uint32_t r = raw(HalfDigits(v, first)) % RawKeys;
        if (dense[r] < 0) {
            dense[r] = static_cast<int32_t>(keys.Representative.size());
            keys.Representative.push_back(v);
        }
        keys.Key[static_cast<size_t>(v)] = static_cast<uint16_t>(dense[r]);
    }
    return keys;
}

// The whole candidate of a first half a and a second half b.
TShapeDraw Join(int32_t a, int32_t b) {
    TShapeDraw draw = HalfDigits(b, false);
    const TShapeDraw front = HalfDigits(a, true);
    std::copy(front.begin(), front.begin() + DigitsA, draw.begin());
    return draw;
}

template <typename F>
TReducePlan::TTable MakeTable(const THalfKeys& a, const THalfKeys& b, F cell) {
    TReducePlan::TTable table;
    table.KeysA = static_cast<int32_t>(a.Representative.size());
    table.KeysB = static_cast<int32_t>(b.Representative.size());
    table.KeyA = a.Key;
    table.KeyB = b.Key;
    table.Cells.resize(static_cast<size_t>(table.KeysA) * static_cast<size_t>(table.KeysB));
    for (int32_t i = 0; i < table.KeysA; ++i)
        for (int32_t j = 0; j < table.KeysB; ++j)
            table.Cells[static_cast<size_t>(i * table.KeysB + j)] =
                cell(Join(a.Representative[static_cast<size_t>(i)],
                          b.Representative[static_cast<size_t>(j)]));
    return table;
}

// Pattern groups that read the same digits share one table while it has no more cells than this.
constexpr int32_t MergedPatternCells = 100'000;

uint64_t MixHash(uint64_t value, uint64_t hash) {
    hash ^= value + 0x9e3779b97f4a7c15u + (hash << 6) + (hash >> 2);
    return hash * 0xff51afd7ed558ccdu;
}

// Tables no larger than this (cells) are joined into one, so that one look-up per candidate
// serves several conditions.
constexpr size_t JoinedCells = size_t{1} << 16;

// One table for two: its keys pair the two tables' keys, its cells add theirs.
TReducePlan::TTable JoinTables(const TReducePlan::TTable& t, const TReducePlan::TTable& u) {
    TReducePlan::TTable joined;
    joined.KeysA = t.KeysA * u.KeysA;
    joined.KeysB = t.KeysB * u.KeysB;
    joined.KeyA.resize(t.KeyA.size());
    for (size_t a = 0; a < t.KeyA.size(); ++a)
        joined.KeyA[a] = static_cast<uint16_t>(t.KeyA[a] * u.KeysA + u.KeyA[a]);
    joined.KeyB.resize(t.KeyB.size());
    for (size_t b = 0; b < t.KeyB.size(); ++b)
        joined.KeyB[b] = static_cast<uint16_t>(t.KeyB[b] * u.KeysB + u.KeyB[b]);
    joined.Cells.resize(static_cast<size_t>(joined.KeysA) * static_cast<size_t>(joined.KeysB));
    for (int32_t i = 0; i < t.KeysA; ++i)
        for (int32_t k = 0; k < u.KeysA; ++k)
            for (int32_t j = 0; j < t.KeysB; ++j)
                for (int32_t l = 0; l < u.KeysB; ++l)
                    joined.Cells[static_cast<size_t>((i * u.KeysA + k) * joined.KeysB +
                                                     j * u.KeysB + l)] =
                        t.Cells[static_cast<size_t>(i * t.KeysB + j)] +
                        u.Cells[static_cast<size_t>(k * u.KeysB + l)];
    return joined;
}

// Joins the smallest tables while the result stays small (a heap keeps the smallest at hand,
// so that tens of thousands of conditions join in n log n); smallest first at the end.
void JoinSmallTables(std::vector<TReducePlan::TTable>& tables, const TJobControl* control) {
    using TTable = TReducePlan::TTable;
    const auto larger = [](const TTable& x, const TTable& y) {
        return x.Cells.size() > y.Cells.size();
    };
    std::make_heap(tables.begin(), tables.end(), larger);
    while (tables.size() >= 2 && !(control != nullptr && control->Cancelled())) {
        std::pop_heap(tables.begin(), tables.end(), larger);
        TTable first = std::move(tables.back());
        tables.pop_back();
        if (first.Cells.size() * tables.front().Cells.size() > JoinedCells) {
            tables.push_back(std::move(first));
            break;
        }
        std::pop_heap(tables.begin(), tables.end(), larger);
        TTable joined = JoinTables(first, tables.back());
        tables.back() = std::move(joined);
        std::push_heap(tables.begin(), tables.end(), larger);
    }
    std::sort(tables.begin(), tables.end(),
              [&](const TTable& x, const TTable& y) { return larger(y, x); });
}

}  // namespace

std::optional<TPatternForm> PatternFormOf(const TGui2Reg& pattern, const TCodes& draws) {
    if (pattern.BaseRow != draws.Count() || !PatternFitsDraws(pattern, draws)) return std::nullopt;
    std::array<int32_t, 8> weight{};  // by grid column, H first
    int64_t known = 0;
    for (int32_t line = 0; line < TGui2Reg::LineCount; ++line) {
        const int32_t sign = line == 0 ? 1 : -1;
        const TPointList& points = pattern.Line(line);
        for (int32_t i = 0; i < points.Count(); ++i) {
            const TPoint p = points.Get(i);
            if (p.Y == 0)
                weight[static_cast<size_t>(p.X)] += sign;
            else
                known += sign * draws.GetNum(p.X, pattern.BaseRow + p.Y);
        }
    }
    TPatternForm form;
    for (int32_t column = 1; column <= 7; ++column) {
        const int32_t folded = weight[static_cast<size_t>(column)] + (column <= 4 ? weight[0] : 0);
        form.Weights[static_cast<size_t>(column - 1)] = static_cast<uint8_t>(Mod10(folded));
    }
    form.Offset = static_cast<uint8_t>(Mod10(known));
    for (int32_t r = 0; r < 10; ++r)
        if (SumsKeepRelation(pattern.ContrastKind, r, 0))
            form.Hits = static_cast<uint16_t>(form.Hits | (1u << r));
    return form;
}

bool PatternFormHits(const TPatternForm& form, const TShapeDraw& candidate) {
    int32_t r = form.Offset;
    for (size_t p = 0; p < candidate.size(); ++p) r += form.Weights[p] * candidate[p];
    return (form.Hits >> (r % 10)) & 1u;
}

double PatternFormChance(const TPatternForm& form) {
    // The distribution of the difference mod 10, one digit's term added at a time.
    std::array<double, 10> chances{};
    chances[form.Offset % 10] = 1;
    for (const uint8_t weight : form.Weights) {
        std::array<double, 10> next{};
        for (int32_t r = 0; r < 10; ++r)
            for (int32_t digit = 0; digit < 10; ++digit)
                next[static_cast<size_t>((r + weight * digit) % 10)] +=
                    chances[static_cast<size_t>(r)] / 10;
        chances = next;
    }
    double chance = 0;
    for (int32_t r = 0; r < 10; ++r)
        if ((form.Hits >> r) & 1u) chance += chances[static_cast<size_t>(r)];
    return chance;
}

std::vector<TPatternForm> PendingPatternForms(const std::vector<const TGui2Reg*>& patterns,
                                              const TCodes& draws, const TCodes& searchDraws) {
    std::vector<TPatternForm> forms;
    const TPatternVerifier verifier(draws, searchDraws);
    for (const TGui2Reg* pattern : patterns) {
        if (verifier.Verify(*pattern) != TVerification::Pending) continue;
        if (auto form = PatternFormOf(*pattern, draws)) forms.push_back(*form);
    }
    return forms;
}

std::string ReduceBetText(int32_t candidate) {
    std::string text(ReduceDigitCount, '0');
    for (int32_t i = ReduceDigitCount - 1; i >= 0; --i, candidate /= 10)
        text[static_cast<size_t>(i)] = static_cast<char>('0' + candidate % 10);
    return text;
}

TShapeDraw ReduceCandidateDigits(int32_t candidate) {
    TShapeDraw draw{};
    for (int32_t i = ReduceDigitCount - 1; i >= 0; --i, candidate /= 10)
        draw[static_cast<size_t>(i)] = static_cast<uint8_t>(candidate % 10);
    return draw;
}

int32_t ReduceCandidateOf(const TShapeDraw& digits) {
    int32_t n = 0;
    for (uint8_t d : digits) n = n * 10 + d;
    return n;
}

TReducePlan::TReducePlan(const TReduceSet& set, const TReduceContext& context, bool buildTables,
                         const TJobControl* control)
    : set_(set), context_(context), tolerance_(set.Tolerance) {
    const auto cancelled = [control] { return control != nullptr && control->Cancelled(); };
    const int32_t chosen = static_cast<int32_t>(context.Patterns.size());
    for (const TReduceCondition& c : set_.Items) {
        if (c.Kind == TConditionKind::Metric && TShapeMetric(c.Metric).NeedsPrevious() &&
            !context.Previous)
            throw TReduceError(c.Line, std::string(TShapeMetric(c.Metric).Name()) +
                                           "需要上一期号码，但还没有开奖号码");
        if (c.Kind != TConditionKind::Patterns) continue;
        patternsNeeded_ = c.Patterns == 0 ? chosen : c.Patterns;
        if (chosen == 0 || patternsNeeded_ > chosen) {
            if (!context.PatternsMayFallShort) {
                if (chosen == 0)
                    throw TReduceError(c.Line, "没有可用的规律（需要以最新一期为预测期的规律）");
                throw TReduceError(c.Line, "要求至少" + std::to_string(patternsNeeded_) +
                                               "个规律命中，但只选了" + std::to_string(chosen) +
                                               "个规律");
            }
            patternsImpossible_ = true;
        }
    }
    if (!buildTables) return;

    failsA_.assign(HalfA, 0);
    failsB_.assign(HalfB, 0);
    hitsA_.assign(HalfA, 0);
    hitsB_.assign(HalfB, 0);
    for (const TReduceCondition& c : set_.Items) {
        if (cancelled()) {
            stopped_ = true;
            return;
        }
        if (c.Kind == TConditionKind::Patterns) continue;
        const THalfKeys a = DenseKeys(
            HalfA, true, [&](const TShapeDraw& d) { return RawKey(c, context_, d, 0, DigitsA); });
        const THalfKeys b = DenseKeys(HalfB, false, [&](const TShapeDraw& d) {
            return RawKey(c, context_, d, DigitsA, ReduceDigitCount);
        });
        AddTable(MakeTable(a, b, [&](const TShapeDraw& d) { return Fails(c, d) ? 1 : 0; }), false);
    }
    JoinSmallTables(mixed_, control);
    if (set_.HasPatterns() && !patternsImpossible_ && !cancelled()) AddPatternTables();
    if (cancelled()) {
        stopped_ = true;
        return;
    }
    // The largest groups first: they decide the most candidates.
    std::sort(mixedPatterns_.begin(), mixedPatterns_.end(),
              [](const TTable& x, const TTable& y) { return x.Patterns > y.Patterns; });
    for (const TTable& t : mixedPatterns_) mixedPatternCount_ += t.Patterns;
    MakeJointKeys();
}

void TReducePlan::AddPatternTables() {
    // Patterns of the same weights differ only in which sums hit: their hits by the residue of
    // the weighted digits add up.
    struct TGroup {
        std::array<uint8_t, ReduceDigitCount> Weights{};
        std::array<int32_t, 10> Hits{};  // by the residue of the weighted digits
        int32_t Patterns = 0;
        int32_t Residue(const TShapeDraw& d, int32_t from, int32_t to) const {
            int32_t r = 0;
            for (int32_t p = from; p < to; ++p)
                r += Weights[static_cast<size_t>(p)] * d[static_cast<size_t>(p)];
            return r % 10;
        }
    };
    std::map<std::array<uint8_t, ReduceDigitCount>, TGroup> byWeights;
    for (const TPatternForm& form : context_.Patterns) {
        TGroup& group = byWeights[form.Weights];
        group.Weights = form.Weights;
        ++group.Patterns;
        for (int32_t r = 0; r < 10; ++r)
            group.Hits[static_cast<size_t>(r)] += (form.Hits >> ((form.Offset + r) % 10)) & 1;
    }
    // Groups that read the same digits of the coming draw share one table over those digits
    // while it stays small; alone, a group's table is over the residues of its two halves.
    std::map<uint32_t, std::vector<const TGroup*>> byDigits;  // bit p: digit p read
    for (const auto& [weights, group] : byWeights) {
        uint32_t read = 0;
        for (int32_t p = 0; p < ReduceDigitCount; ++p)
            if (weights[static_cast<size_t>(p)] != 0) read |= 1u << p;
        byDigits[read].push_back(&group);
    }
    for (const auto& [read, groups] : byDigits) {
        int32_t cells = 1;
        for (int32_t p = 0; p < ReduceDigitCount; ++p) cells *= (read >> p) & 1u ? 10 : 1;
        auto countHits = [&](const std::vector<const TGroup*>& counted, auto halfKey) {
            const THalfKeys a =
                DenseKeys(HalfA, true, [&](const TShapeDraw& d) { return halfKey(d, 0, DigitsA); });
            const THalfKeys b = DenseKeys(HalfB, false, [&](const TShapeDraw& d) {
                return halfKey(d, DigitsA, ReduceDigitCount);
            });
            TTable table = MakeTable(a, b, [&](const TShapeDraw& d) {
                int32_t hits = 0;
                for (const TGroup* g : counted)
                    hits += g->Hits[static_cast<size_t>(g->Residue(d, 0, ReduceDigitCount))];
                return hits;
            });
            for (const TGroup* g : counted) table.Patterns += g->Patterns;
            AddTable(std::move(table), true);
        };
        if (groups.size() >= 2 && cells <= MergedPatternCells) {
            countHits(groups, [mask = read](const TShapeDraw& d, int32_t from, int32_t to) {
                uint32_t key = 0;
                for (int32_t p = from; p < to; ++p)
                    if ((mask >> p) & 1u) key = key * 10 + d[static_cast<size_t>(p)];
                return key;
            });
        } else {
            for (const TGroup* g : groups)
                countHits({g}, [g](const TShapeDraw& d, int32_t from, int32_t to) {
                    return static_cast<uint32_t>(g->Residue(d, from, to));
                });
        }
    }
}

void TReducePlan::MakeJointKeys() {
    // Every table's key of the second half, and the second half's own fails and hits, side by
    // side: the second halves that agree on all of them are counted once, times their number.
    std::vector<const std::vector<uint16_t>*> keys;
    for (const TTable& t : mixed_) keys.push_back(&t.KeyB);
    for (const TTable& t : mixedPatterns_) keys.push_back(&t.KeyB);
    auto same = [&](int32_t b, int32_t c) {
        const auto i = static_cast<size_t>(b);
        const auto j = static_cast<size_t>(c);
        if (failsB_[i] != failsB_[j] || hitsB_[i] != hitsB_[j]) return false;
        return std::all_of(keys.begin(), keys.end(),
                           [&](const std::vector<uint16_t>* k) { return (*k)[i] == (*k)[j]; });
    };
    jointB_.assign(HalfB, 0);
    jointFirst_.clear();
    std::unordered_map<uint64_t, uint16_t> seen;
    bool distinct = true;
    for (int32_t b = 0; b < HalfB && distinct; ++b) {
        const auto i = static_cast<size_t>(b);
        uint64_t hash = MixHash(static_cast<uint32_t>(failsB_[i]), 0);
        hash = MixHash(static_cast<uint32_t>(hitsB_[i]), hash);
        for (const std::vector<uint16_t>* k : keys) hash = MixHash((*k)[i], hash);
        const auto [at, added] = seen.emplace(hash, static_cast<uint16_t>(jointFirst_.size()));
        if (added) jointFirst_.push_back(b);
        // Two second halves of one hash that differ: keep every one apart.
        distinct = same(b, jointFirst_[at->second]);
        jointB_[i] = at->second;
    }
    if (!distinct) {
        jointFirst_.resize(HalfB);
        std::iota(jointFirst_.begin(), jointFirst_.end(), 0);
        std::iota(jointB_.begin(), jointB_.end(), 0);
    }
    const size_t joint = jointFirst_.size();
    jointCount_.assign(joint, 0);
    for (const uint16_t k : jointB_) ++jointCount_[k];
    jointFails_.resize(joint);
    jointHits_.resize(joint);
    for (size_t k = 0; k < joint; ++k) {
        jointFails_[k] = failsB_[static_cast<size_t>(jointFirst_[k])];
        jointHits_[k] = hitsB_[static_cast<size_t>(jointFirst_[k])];
    }
    for (std::vector<TTable>* tables : {&mixed_, &mixedPatterns_})
        for (TTable& t : *tables) {
            t.Columns.resize(joint);
            for (size_t k = 0; k < joint; ++k)
                t.Columns[k] = t.KeyB[static_cast<size_t>(jointFirst_[k])];
        }
}

void TReducePlan::AddTable(TTable table, bool patterns) {
    std::vector<int32_t>& byA = patterns ? hitsA_ : failsA_;
    std::vector<int32_t>& byB = patterns ? hitsB_ : failsB_;
    if (table.KeysB == 1) {
        for (int32_t a = 0; a < HalfA; ++a)
            byA[static_cast<size_t>(a)] += table.Cells[table.KeyA[static_cast<size_t>(a)]];
    } else if (table.KeysA == 1) {
        for (int32_t b = 0; b < HalfB; ++b)
            byB[static_cast<size_t>(b)] += table.Cells[table.KeyB[static_cast<size_t>(b)]];
    } else {
        (patterns ? mixedPatterns_ : mixed_).push_back(std::move(table));
    }
}

bool TReducePlan::Fails(const TReduceCondition& c, const TShapeDraw& d) const {
    switch (c.Kind) {
        case TConditionKind::Position:
            return ((c.Digits >> d[static_cast<size_t>(c.Position)]) & 1u) == 0;
        case TConditionKind::Kill:
            if (c.Position >= 0) return (c.Digits >> d[static_cast<size_t>(c.Position)]) & 1u;
            return std::any_of(d.begin(), d.end(), [&](uint8_t x) { return (c.Digits >> x) & 1u; });
        case TConditionKind::Must:
            return std::count(d.begin(), d.end(), c.Digit) < c.AtLeast;
        case TConditionKind::Patterns:
            return patternsImpossible_ || PatternHits(d) < patternsNeeded_;
        case TConditionKind::Metric:
            break;
    }
    const TShapeMetric metric(c.Metric, context_.Conventions);
    const TShapeDraw* previous = context_.Previous ? &*context_.Previous : nullptr;
    const int32_t category = metric.Category(d, previous);
    return category < 0 || ((c.Categories >> category) & 1u) == 0;
}

int32_t TReducePlan::PatternHits(const TShapeDraw& candidate) const {
    int32_t hits = 0;
    for (const TPatternForm& form : context_.Patterns) hits += PatternFormHits(form, candidate);
    return hits;
}

int32_t TReducePlan::Failures(const TShapeDraw& candidate) const {
    int32_t failures = 0;
    for (const TReduceCondition& c : set_.Items) failures += Fails(c, candidate) ? 1 : 0;
    return failures;
}

int64_t TReducePlan::RunBlock(int32_t a, TScratch& scratch, std::vector<int32_t>* bets) const {
    // Over the joint keys of the second half (each stands for jointCount_ second halves).
    const int32_t base = failsA_[static_cast<size_t>(a)];
    if (base > tolerance_) return 0;
    const auto joint = static_cast<int32_t>(jointFirst_.size());
    std::vector<int32_t>& fails = scratch.Fails;
    fails.resize(static_cast<size_t>(joint));
    for (int32_t k = 0; k < joint; ++k)
        fails[static_cast<size_t>(k)] = jointFails_[static_cast<size_t>(k)] + base;
    for (const TTable& t : mixed_) {
        const int32_t* row =
            t.Cells.data() + static_cast<ptrdiff_t>(t.KeyA[static_cast<size_t>(a)]) * t.KeysB;
        const uint16_t* columns = t.Columns.data();
        int32_t* f = fails.data();
        for (int32_t k = 0; k < joint; ++k) f[k] += row[columns[k]];
    }
    if (set_.HasPatterns()) {
        if (patternsImpossible_) {
            for (int32_t& f : fails) ++f;
        } else {
            // Each key leaves the open list as soon as the patterns decide it: m hits reached,
            // or too few patterns left to reach them.
            const int32_t m = patternsNeeded_;
            std::vector<int32_t>& hits = scratch.Hits;
            std::vector<uint16_t>& open = scratch.Open;
            hits.resize(static_cast<size_t>(joint));
            open.clear();
            int32_t left = mixedPatternCount_;
            const int32_t hitsOfA = hitsA_[static_cast<size_t>(a)];
            for (int32_t k = 0; k < joint; ++k) {
                const int32_t h = jointHits_[static_cast<size_t>(k)] + hitsOfA;
                hits[static_cast<size_t>(k)] = h;
                if (fails[static_cast<size_t>(k)] <= tolerance_ && h < m && h + left >= m)
                    open.push_back(static_cast<uint16_t>(k));
            }
            for (const TTable& t : mixedPatterns_) {
                if (open.empty()) break;
                const int32_t* row =
                    t.Cells.data() +
                    static_cast<ptrdiff_t>(t.KeyA[static_cast<size_t>(a)]) * t.KeysB;
                const uint16_t* columns = t.Columns.data();
                int32_t* h = hits.data();
                left -= t.Patterns;
                size_t still = 0;
                for (const uint16_t k : open) {
                    const int32_t now = h[k] += row[columns[k]];
                    if (now < m && now + left >= m) open[still++] = k;
                }
                open.resize(still);
            }
            for (int32_t k = 0; k < joint; ++k)
                fails[static_cast<size_t>(k)] += hits[static_cast<size_t>(k)] < m ? 1 : 0;
        }
    }
    int64_t kept = 0;
    for (int32_t k = 0; k < joint; ++k)
        if (fails[static_cast<size_t>(k)] <= tolerance_)
            kept += jointCount_[static_cast<size_t>(k)];
    if (bets && kept > 0) {
        const int32_t first = a * HalfB;
        for (int32_t b = 0; b < HalfB; ++b)
            if (fails[jointB_[static_cast<size_t>(b)]] <= tolerance_) bets->push_back(first + b);
    }
    return kept;
}

TReduceCount CountReduced(const TReducePlan& plan, bool keepBets, int threads,
                          TJobControl& control) {
    if (plan.Stopped()) {
        TReduceCount stopped;
        stopped.Stopped = true;
        return stopped;
    }
    if (threads <= 0) threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    threads = std::min(threads, HalfA);
    std::atomic<int32_t> next{0};
    std::atomic<int64_t> done{0};
    std::atomic<int64_t> kept{0};
    std::atomic<bool> halted{false};
    std::vector<std::vector<int32_t>> blocks(keepBets ? HalfA : 0);
    std::mutex failureMutex;
    std::exception_ptr failure;  // the first, raised once every thread ended
    auto work = [&] {
        try {
            TReducePlan::TScratch scratch;
            int64_t mine = 0;
            while (!control.Cancelled() && !halted.load(std::memory_order_relaxed)) {
                const int32_t a = next.fetch_add(1);
                if (a >= HalfA) break;
                mine +=
                    plan.RunBlock(a, scratch, keepBets ? &blocks[static_cast<size_t>(a)] : nullptr);
                const int64_t n = done.fetch_add(1) + 1;
                if (!control.Report(n, HalfA)) halted = true;
            }
            kept += mine;
        } catch (...) {  // out of memory, say: every thread ends, the caller gets the reason
            const std::lock_guard lock(failureMutex);
            if (!failure) failure = std::current_exception();
            halted = true;
        }
    };
    std::vector<std::thread> pool;
    StartThreads(pool, threads - 1, work);
    work();
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);

    TReduceCount count;
    count.Kept = kept.load();
    count.Stopped = done.load() < HalfA;
    if (keepBets && !count.Stopped) {
        count.Bets.reserve(static_cast<size_t>(count.Kept));
        for (const auto& block : blocks)
            count.Bets.insert(count.Bets.end(), block.begin(), block.end());
    }
    return count;
}

void WriteBetsText(std::span<const int32_t> bets, const TWriteChunk& write) {
    constexpr size_t PieceBets = 65536;
    constexpr size_t LineBytes = ReduceDigitCount + 1;
    std::string piece;
    for (size_t start = 0; start < bets.size(); start += PieceBets) {
        const size_t n = std::min(PieceBets, bets.size() - start);
        piece.resize(n * LineBytes);
        char* out = piece.data();
        for (size_t i = 0; i < n; ++i, out += LineBytes) {
            int32_t bet = bets[start + i];
            for (int32_t k = ReduceDigitCount - 1; k >= 0; --k, bet /= 10)
                out[k] = static_cast<char>('0' + bet % 10);
            out[ReduceDigitCount] = '\n';
        }
        write(piece);
    }
}

void WriteBetsFile(const std::string& path, std::span<const int32_t> bets) {
    WriteFileAtomically(path, [&](const TWriteChunk& write) { WriteBetsText(bets, write); });
}
