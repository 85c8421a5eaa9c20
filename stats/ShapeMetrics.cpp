#include "stats/ShapeMetrics.h"

#include <algorithm>
#include <bit>

namespace {

constexpr int32_t DigitValues = 10;

// Digits as bits of a ten-bit set.
constexpr uint32_t PrimesWithOne = (1u << 1) | (1u << 2) | (1u << 3) | (1u << 5) | (1u << 7);
constexpr uint32_t PrimesWithoutOne = PrimesWithOne & ~(1u << 1);

uint32_t DigitSet(const TShapeDraw& draw) {
    uint32_t set = 0;
    for (uint8_t d : draw) set |= 1u << d;
    return set;
}

int32_t CountIn(const TShapeDraw& draw, uint32_t set) {
    int32_t n = 0;
    for (uint8_t d : draw) n += static_cast<int32_t>((set >> d) & 1u);
    return n;
}

int32_t AcValue(uint32_t set) {
    const int32_t size = std::popcount(set);
    if (size <= 1) return 0;
    uint32_t differences = 0;
    for (int32_t a = 0; a < DigitValues; ++a)
        if ((set >> a) & 1u)
            for (int32_t b = a + 1; b < DigitValues; ++b)
                if ((set >> b) & 1u) differences |= 1u << (b - a);
    return std::popcount(differences) - (size - 1);
}

int32_t LongestRun(uint32_t set) {
    // Each step takes the first value off every run; the longest run lasts longest.
    int32_t longest = 0;
    for (; set != 0; set &= set << 1) ++longest;
    return longest;
}

// Neighbours a digit has among 0-9: 0 and 9 have one.
int32_t NeighbourCount(uint8_t digit) {
    return digit == 0 || digit == 9 ? 1 : 2;
}

// Multiplies a polynomial in x (coefficients by power) by (a + b x).
void MultiplyLinear(std::vector<int64_t>& poly, int64_t a, int64_t b) {
    poly.push_back(0);
    for (size_t i = poly.size() - 1; i > 0; --i) poly[i] = poly[i] * a + poly[i - 1] * b;
    poly[0] *= a;
}

constexpr int64_t Power10(int32_t n) {
    int64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

// Counts of the metrics that read the relation to the previous draw: a product over the
// positions of (misses + hits x).
std::vector<int64_t> RelationCounts(const TShapeMetric& metric, const TShapeDraw& previous,
                                    std::span<const uint8_t> leading) {
    std::vector<int64_t> poly{1};
    for (int32_t p = 0; p < ShapeDigitCount; ++p) {
        const uint8_t before = previous[static_cast<size_t>(p)];
        if (static_cast<size_t>(p) < leading.size()) {
            const uint8_t d = leading[static_cast<size_t>(p)];
            const bool hit = metric.Id() == TShapeMetricId::Repeat
                                 ? d == before
                                 : (d > before ? d - before : before - d) == 1;
            MultiplyLinear(poly, hit ? 0 : 1, hit ? 1 : 0);
        } else {
            const int64_t hits = metric.Id() == TShapeMetricId::Repeat ? 1 : NeighbourCount(before);
            MultiplyLinear(poly, DigitValues - hits, hits);
        }
    }
    poly.resize(static_cast<size_t>(metric.CategoryCount()), 0);
    return poly;
}

// Counts of 前四和: the free digits among 1-4 summed by convolution, the free digits 5-7 any.
std::vector<int64_t> FrontSumCounts(const TShapeMetric& metric, std::span<const uint8_t> leading) {
    int32_t fixedSum = 0;
    int32_t freeFront = 4;
    for (size_t p = 0; p < leading.size() && p < 4; ++p, --freeFront) fixedSum += leading[p];
    std::vector<int64_t> ways{1};
    for (int32_t i = 0; i < freeFront; ++i) {
        std::vector<int64_t> next(ways.size() + 9, 0);
        for (size_t s = 0; s < ways.size(); ++s)
            for (size_t d = 0; d < DigitValues; ++d) next[s + d] += ways[s];
        ways = std::move(next);
    }
    const int32_t freeBack =
        ShapeDigitCount - std::max<int32_t>(4, static_cast<int32_t>(leading.size()));
    std::vector<int64_t> counts(static_cast<size_t>(metric.CategoryCount()), 0);
    for (size_t s = 0; s < ways.size(); ++s)
        counts[static_cast<size_t>(fixedSum) + s] += ways[s] * Power10(freeBack);
    return counts;
}

// Counts of the metrics that read only which digits were drawn, not where: every multiset of
// the free digits once, weighted by the number of orders it can come in.
class TMultisetCounter {
  public:
    TMultisetCounter(const TShapeMetric& metric, std::span<const uint8_t> leading)
        : metric_(metric), counts_(static_cast<size_t>(metric.CategoryCount()), 0) {
        for (size_t p = 0; p < leading.size(); ++p) draw_[p] = leading[p];
        filled_ = static_cast<int32_t>(leading.size());
        free_ = ShapeDigitCount - filled_;
        factorials_[0] = 1;
        for (int32_t n = 1; n <= ShapeDigitCount; ++n) factorials_[n] = factorials_[n - 1] * n;
    }

    std::vector<int64_t> Count() {
        Place(0, factorials_[free_]);
        return std::move(counts_);
    }

  private:
    // Places `run` copies of digit `digit` at the end so far; weight divides by run!.
    void Place(int32_t digit, int64_t weight) {
        if (filled_ == ShapeDigitCount) {
            const int32_t category = metric_.Category(draw_);
            counts_[static_cast<size_t>(category)] += weight;
            return;
        }
        if (digit == DigitValues) return;
        const int32_t start = filled_;
        for (int32_t run = 0; filled_ + run <= ShapeDigitCount; ++run) {
            for (int32_t i = 0; i < run; ++i)
                draw_[static_cast<size_t>(start + i)] = static_cast<uint8_t>(digit);
            const int32_t saved = filled_;
            filled_ = start + run;
            Place(digit + 1, weight / factorials_[run]);
            filled_ = saved;
        }
    }

    const TShapeMetric& metric_;
    std::vector<int64_t> counts_;
    TShapeDraw draw_{};
    int32_t filled_ = 0;
    int32_t free_ = 0;
    std::array<int64_t, ShapeDigitCount + 1> factorials_{};
};

struct TChanceTable {
    std::array<std::vector<double>, ShapeMetricCount> ByMetric;
    // 邻号 by the number of digits 0 and 9 in the previous draw.
    std::array<std::vector<double>, ShapeDigitCount + 1> Neighbours;
};

std::vector<double> ToChances(const std::vector<int64_t>& counts) {
    std::vector<double> chances(counts.size());
    for (size_t i = 0; i < counts.size(); ++i)
        chances[i] = static_cast<double>(counts[i]) / static_cast<double>(Power10(ShapeDigitCount));
    return chances;
}

TChanceTable BuildChances(TShapeConventions conventions) {
    TChanceTable table;
    const TShapeDraw fives{5, 5, 5, 5, 5, 5, 5};
    for (const TShapeMetric& metric : AllShapeMetrics(conventions))
        table.ByMetric[static_cast<size_t>(metric.Id())] =
            ToChances(ShapeCategoryCounts(metric, &fives));
    const TShapeMetric neighbour(TShapeMetricId::Neighbour, conventions);
    for (int32_t edges = 0; edges <= ShapeDigitCount; ++edges) {
        TShapeDraw previous = fives;
        std::fill(previous.begin(), previous.begin() + edges, 0);
        table.Neighbours[static_cast<size_t>(edges)] =
            ToChances(ShapeCategoryCounts(neighbour, &previous));
    }
    return table;
}

}  // namespace

std::optional<TShapeDraw> ShapeDrawOf(const DrawRecord& stored) {
    TShapeDraw draw;
    for (int32_t p = 0; p < ShapeDigitCount; ++p) {
        const int32_t digit = stored[p + 1];
        if (digit < 0 || digit > 9) return std::nullopt;
        draw[static_cast<size_t>(p)] = static_cast<uint8_t>(digit);
    }
    return draw;
}

const char* TShapeMetric::Name() const {
    switch (id_) {
        case TShapeMetricId::Sum:
            return "和值";
        case TShapeMetricId::FrontSum:
            return "前四和";
        case TShapeMetricId::Span:
            return "跨度";
        case TShapeMetricId::OddEven:
            return "奇偶比";
        case TShapeMetricId::BigSmall:
            return "大小比";
        case TShapeMetricId::PrimeComposite:
            return "质合比";
        case TShapeMetricId::Roads:
            return "012路";
        case TShapeMetricId::Ac:
            return "AC值";
        case TShapeMetricId::Repeat:
            return "重号";
        case TShapeMetricId::Neighbour:
            return "邻号";
        case TShapeMetricId::Consecutive:
            return "连号";
    }
    return "";
}

int32_t TShapeMetric::CategoryCount() const {
    switch (id_) {
        case TShapeMetricId::Sum:
            return 9 * ShapeDigitCount + 1;
        case TShapeMetricId::FrontSum:
            return 37;
        case TShapeMetricId::Span:
            return 10;
        case TShapeMetricId::Roads:
            return 36;
        case TShapeMetricId::Ac:
            return 6;
        case TShapeMetricId::Consecutive:
            return 7;  // 1-7
        default:
            return ShapeDigitCount + 1;  // counts 0-7
    }
}

std::string TShapeMetric::CategoryLabel(int32_t category) const {
    if (category < 0 || category >= CategoryCount()) return {};
    switch (id_) {
        case TShapeMetricId::OddEven:
        case TShapeMetricId::BigSmall:
        case TShapeMetricId::PrimeComposite:
            return std::to_string(category) + ':' + std::to_string(ShapeDigitCount - category);
        case TShapeMetricId::Roads:
            for (int32_t n0 = 0; n0 <= ShapeDigitCount; ++n0)
                for (int32_t n1 = 0; n0 + n1 <= ShapeDigitCount; ++n1)
                    if (RoadsCategory(n0, n1) == category)
                        return std::to_string(n0) + ':' + std::to_string(n1) + ':' +
                               std::to_string(ShapeDigitCount - n0 - n1);
            return {};
        case TShapeMetricId::Consecutive:
            return std::to_string(category + 1);
        default:
            return std::to_string(category);
    }
}

int32_t TShapeMetric::Category(const TShapeDraw& draw, const TShapeDraw* previous) const {
    switch (id_) {
        case TShapeMetricId::Sum: {
            int32_t sum = 0;
            for (uint8_t d : draw) sum += d;
            return sum;
        }
        case TShapeMetricId::FrontSum:
            return draw[0] + draw[1] + draw[2] + draw[3];
        case TShapeMetricId::Span: {
            const auto [low, high] = std::minmax_element(draw.begin(), draw.end());
            return *high - *low;
        }
        case TShapeMetricId::OddEven:
            return CountIn(draw, 0b1010101010u);
        case TShapeMetricId::BigSmall:
            return CountIn(draw, 0b1111100000u);
        case TShapeMetricId::PrimeComposite:
            return CountIn(draw, conventions_.OneIsPrime ? PrimesWithOne : PrimesWithoutOne);
        case TShapeMetricId::Roads:
            return RoadsCategory(CountIn(draw, 0b1001001001u), CountIn(draw, 0b0010010010u));
        case TShapeMetricId::Ac:
            return AcValue(DigitSet(draw));
        case TShapeMetricId::Repeat:
        case TShapeMetricId::Neighbour: {
            if (previous == nullptr) return NoCategory;
            int32_t n = 0;
            for (size_t p = 0; p < draw.size(); ++p) {
                const int32_t gap = draw[p] - (*previous)[p];
                n += id_ == TShapeMetricId::Repeat ? gap == 0 : gap == 1 || gap == -1;
            }
            return n;
        }
        case TShapeMetricId::Consecutive:
            return LongestRun(DigitSet(draw)) - 1;
    }
    return NoCategory;
}

std::array<TShapeMetric, ShapeMetricCount> AllShapeMetrics(TShapeConventions conventions) {
    auto metric = [&](TShapeMetricId id) { return TShapeMetric(id, conventions); };
    return {metric(TShapeMetricId::Sum),        metric(TShapeMetricId::FrontSum),
            metric(TShapeMetricId::Span),       metric(TShapeMetricId::OddEven),
            metric(TShapeMetricId::BigSmall),   metric(TShapeMetricId::PrimeComposite),
            metric(TShapeMetricId::Roads),      metric(TShapeMetricId::Ac),
            metric(TShapeMetricId::Repeat),     metric(TShapeMetricId::Neighbour),
            metric(TShapeMetricId::Consecutive)};
}

std::string ShapeRoads(const TShapeDraw& draw) {
    std::string roads;
    for (uint8_t d : draw) roads += static_cast<char>('0' + d % 3);
    return roads;
}

int32_t RoadsCategory(int32_t n0, int32_t n1) {
    // The triples with a smaller n0 come first: 8 + 7 + ... of them.
    const int32_t before = n0 * (ShapeDigitCount + 1) - n0 * (n0 - 1) / 2;
    return before + n1;
}

std::vector<int64_t> ShapeCategoryCounts(const TShapeMetric& metric, const TShapeDraw* previous,
                                         std::span<const uint8_t> leading) {
    std::vector<int64_t> none(static_cast<size_t>(metric.CategoryCount()), 0);
    if (leading.size() > ShapeDigitCount) return none;
    for (uint8_t d : leading)
        if (d >= DigitValues) return none;
    if (metric.NeedsPrevious()) return previous ? RelationCounts(metric, *previous, leading) : none;
    if (metric.Id() == TShapeMetricId::FrontSum) return FrontSumCounts(metric, leading);
    return TMultisetCounter(metric, leading).Count();
}

const std::vector<double>& ShapeChances(const TShapeMetric& metric, const TShapeDraw* previous) {
    static const TChanceTable withOne = BuildChances({true});
    static const TChanceTable withoutOne = BuildChances({false});
    static const std::vector<double> none(ShapeDigitCount + 1, 0.0);
    const TChanceTable& table = metric.Conventions().OneIsPrime ? withOne : withoutOne;
    if (!metric.NeedsPrevious()) return table.ByMetric[static_cast<size_t>(metric.Id())];
    if (previous == nullptr) return none;
    if (metric.Id() == TShapeMetricId::Repeat)
        return table.ByMetric[static_cast<size_t>(metric.Id())];
    const auto edges = std::count_if(previous->begin(), previous->end(),
                                     [](uint8_t d) { return NeighbourCount(d) == 1; });
    return table.Neighbours[static_cast<size_t>(edges)];
}
