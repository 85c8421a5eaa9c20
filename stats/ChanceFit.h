#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Pearson's chi-square test of observed counts against the counts chance expects, for reading
// a chart's 出现次数 against its 理论次数.

// Many charts are read at once (the eleven shape metrics), so one reads "偏离随机" only below
// this level: 0.05 shared over eleven.
inline constexpr double FitLevel = 0.005;
// A group of categories is closed once chance expects this many draws in it.
inline constexpr double FitGroupExpected = 5.0;

struct TChanceFit {
    double Chi2 = 0;
    int32_t Df = 0;  // groups - 1; 0 when too few draws make fewer than two groups
    double P = 1;
    bool Testable() const { return Df > 0; }
    bool Deviates() const { return Testable() && P < FitLevel; }
};

// The group of each category: walking the categories in order, each joins the current group,
// which closes when its expected count reaches FitGroupExpected; a last group short of it
// joins the one before.
std::vector<int32_t> FitGroups(std::span<const double> expected);

// Chi-square over the merged groups, df = groups - 1, and its p-value.
TChanceFit PearsonFit(std::span<const int32_t> observed, std::span<const double> expected);

// "偏离随机", "与随机一致", or "期数太少，无法检验".
std::string FitReading(const TChanceFit& fit);
// The fit line under a chart: chi-square, df, p and the reading.
std::string FitLineText(const TChanceFit& fit);
// The level the line is read at, and why, in one line: for the shape metrics, or for the
// positions' digits.
std::string FitLevelText(bool shapes);
