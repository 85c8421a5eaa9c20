#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Error.h"
#include "stats/ShapeMetrics.h"

// The conditions of 缩水选号: yes/no tests of a seven-digit candidate, kept as data with a text
// form of one condition a line:
//   定位 A 123        position A holds 1, 2 or 3
//   杀号 C 09         position C holds neither 0 nor 9 (杀号 * 09: no position does)
//   胆码 7 2          the digit 7 appears at least twice
//   和值 20-35        a shape metric's categories as a range ...
//   奇偶比 3,4        ... or a list (the ratios take k of "k:7-k" or "k:7-k" itself, as 形态
//                     writes it, 012路 takes n0:n1:n2 triples, 连号 its run length 1-7, every
//                     other metric its value)
//   规律 2            at least 2 of the chosen patterns hit (规律 全部: every one)
//   容错 1            keep a candidate that fails at most one condition
// Blank lines and lines starting with # are skipped.

inline constexpr int32_t ReduceDigitCount = 7;
inline constexpr int64_t ReduceCandidateCount = 10'000'000;
// What one bet costs, in 元.
inline constexpr int64_t ReduceBetPrice = 2;

enum class TConditionKind : uint8_t {
    Position,  // 定位: allowed digits at one position
    Kill,      // 杀号: excluded digits at one position or every position
    Must,      // 胆码: a digit at least n times
    Metric,    // a shape metric's allowed categories
    Patterns,  // 规律: at least m of the chosen patterns hit
};

struct TReduceCondition {
    TConditionKind Kind = TConditionKind::Position;
    // 定位 and 杀号: the position 0-6 (A-G); -1 for 杀号 at every position.
    int32_t Position = 0;
    uint16_t Digits = 0;  // 定位: allowed, 杀号: excluded (bit d for digit d)
    int32_t Digit = 0;    // 胆码: the digit ...
    int32_t AtLeast = 1;  // ... and how often it appears at least
    TShapeMetricId Metric = TShapeMetricId::Sum;
    uint64_t Categories = 0;  // allowed categories of the metric (bit c for category c)
    bool IsRange = false;     // written as lo-hi (the categories form one run)
    int32_t Patterns = 0;     // 规律: at least this many hit; 0 for every chosen pattern
    int32_t Line = 0;         // the line it was read from or is written on (1-based)

    // The same test, written the same way (the line it came from aside).
    bool operator==(const TReduceCondition& other) const;
};

// A set of conditions and its tolerance (容错).
struct TReduceSet {
    std::vector<TReduceCondition> Items;
    int32_t Tolerance = 0;

    bool operator==(const TReduceSet&) const = default;
    bool HasPatterns() const;
    // Whether a condition reads the previous draw (重号, 邻号).
    bool NeedsPrevious() const;
};

// A condition text that cannot be read, or conditions that cannot be applied; the message names
// the line ("第3行：…").
class TReduceError : public TError {
  public:
    TReduceError(int32_t line, const std::string& reason);
    int32_t Line;
};

// Reads the text form; raises TReduceError naming the first bad line.
TReduceSet ReadReduceSet(std::string_view text);
// A conditions file: its set, refused (TError) when it holds no condition, which would keep
// every candidate as if nothing were asked.
TReduceSet ReadReduceFile(std::string_view text);
inline constexpr char NoConditionsMessage[] = "文件里没有条件（每行一个条件，如“定位 A 123”）。";
// Writes the text form (UTF-8, LF), read back to the same set; renumbers the lines.
std::string WriteReduceSet(const TReduceSet& set);
// One condition as its line ("和值 20-35").
std::string ReduceConditionText(const TReduceCondition& condition);

// The shape metric of the given name of the 形态 table ("跨度"), or none.
std::optional<TShapeMetricId> ShapeMetricByName(std::string_view name);
// The number a category is written as: the value itself (连号: its run length 1-7, the ratios:
// k), or for 012路 the text "n0:n1:n2".
std::string CategoryValueText(TShapeMetricId metric, int32_t category);

// A category mask with the categories lo..hi.
uint64_t CategoryRange(int32_t lo, int32_t hi);
