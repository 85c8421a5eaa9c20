#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/Hao.h"

// The shape (形态) of a draw: sums, span, ratios, roads, AC value and the relations to the
// previous draw, each sorting a draw of seven digits into one of a fixed list of categories.
// Toolkit-free, so that the trend window, the command-line report and the reduction
// conditions all read the same definitions.

inline constexpr int32_t ShapeDigitCount = 7;

// Seven digits d1..d7 (positions A-G), each 0-9.
using TShapeDraw = std::array<uint8_t, ShapeDigitCount>;

// The digits of a stored draw; none when one of them is not a digit.
std::optional<TShapeDraw> ShapeDrawOf(const DrawRecord& stored);

enum class TShapeMetricId : uint8_t {
    Sum,             // 和值: d1+...+d7
    FrontSum,        // 前四和: d1+...+d4
    Span,            // 跨度: max - min
    OddEven,         // 奇偶比: number of odd digits
    BigSmall,        // 大小比: number of digits 5-9
    PrimeComposite,  // 质合比: number of prime digits
    Roads,           // 012路: counts of digits = 0, 1, 2 mod 3
    Ac,              // AC值
    Repeat,          // 重号: positions equal to the previous draw's
    Neighbour,       // 邻号: positions one away from the previous draw's
    Consecutive,     // 连号: longest run of consecutive values among the distinct digits
};
inline constexpr int32_t ShapeMetricCount = 11;

// Choices the charts differ on. The prime digits are {1,2,3,5,7} by the charts' habit, or
// {2,3,5,7} when OneIsPrime is off.
struct TShapeConventions {
    bool OneIsPrime = true;
    bool operator==(const TShapeConventions&) const = default;
};

// One metric: a value that sorts any draw (with its previous draw, for the metrics that need
// one) into a category 0..CategoryCount()-1, in the order the charts list them.
class TShapeMetric {
  public:
    static constexpr int32_t NoCategory = -1;

    explicit TShapeMetric(TShapeMetricId id, TShapeConventions conventions = {})
        : id_(id), conventions_(conventions) {}

    TShapeMetricId Id() const { return id_; }
    const TShapeConventions& Conventions() const { return conventions_; }
    // The chart's name of the metric, UTF-8 ("跨度").
    const char* Name() const;
    int32_t CategoryCount() const;
    // The category's label: "3" for values, "3:4" for ratios, "2:3:2" for the roads.
    std::string CategoryLabel(int32_t category) const;
    // The metrics of the relation to the previous draw.
    bool NeedsPrevious() const {
        return id_ == TShapeMetricId::Repeat || id_ == TShapeMetricId::Neighbour;
    }

    // The draw's category; NoCategory for a metric that needs a previous draw when there is
    // none.
    int32_t Category(const TShapeDraw& draw, const TShapeDraw* previous = nullptr) const;

  private:
    TShapeMetricId id_;
    TShapeConventions conventions_;
};

// The eleven metrics in the charts' order (和值 first, 连号 last).
std::array<TShapeMetric, ShapeMetricCount> AllShapeMetrics(TShapeConventions conventions = {});

// The roads of the seven digits, d mod 3 each, as a text ("2102201").
std::string ShapeRoads(const TShapeDraw& draw);

// The category of the road counts (n0, n1, n2), n0 + n1 + n2 = 7: ascending n0, then n1.
int32_t RoadsCategory(int32_t n0, int32_t n1);

// How many of the 10^(7 - k) draws that begin with the k digits `leading` fall into each
// category of the metric, counted exactly (the draws' digits independent and uniform); for
// the relations to the previous draw, given that draw. The counts of every category sum to
// 10^(7 - k).
std::vector<int64_t> ShapeCategoryCounts(const TShapeMetric& metric, const TShapeDraw* previous,
                                         std::span<const uint8_t> leading = {});

// The chance of each category for a draw of seven independent uniform digits (given the
// previous draw for 重号 and 邻号; the previous draw is ignored by the others and must be
// given for those two). Computed once per program run and convention, then kept.
const std::vector<double>& ShapeChances(const TShapeMetric& metric,
                                        const TShapeDraw* previous = nullptr);
