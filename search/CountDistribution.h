#pragma once

#include <cstdint>
#include <vector>

// Exact distributions of counts and their tails, for the verdicts that read a count of
// successes (hits, kept draws) against what chance gives.

// P(count = Low + k) = Mass[k]; the masses sum to 1 (up to rounding).
struct TCountDistribution {
    int64_t Low = 0;
    std::vector<double> Mass{1.0};
    int64_t High() const { return Low + static_cast<int64_t>(Mass.size()) - 1; }
    double Mean() const;
};

// The number of successes of independent trials with the given chances (Poisson-binomial),
// by the usual recursion over the trials: O(n^2).
TCountDistribution PoissonBinomial(const std::vector<double>& chances);

// The distribution of the sum of independent counts with the given distributions: direct
// convolution while that is cheap, else one product of discrete Fourier transforms (rounding
// then leaves absolute errors near 1e-13, far below any level judged; negative masses it
// leaves are set to 0).
enum class TSumRoute { Cheapest, Direct, Fourier };
TCountDistribution SumOfIndependent(const std::vector<TCountDistribution>& parts,
                                    TSumRoute route = TSumRoute::Cheapest);

// P(count <= observed) and P(count >= observed), each summed over its own side.
struct TCountTails {
    double AtMost = 1;
    double AtLeast = 1;
    // Two-sided: twice the smaller tail, at most 1. A verdict at level a on this p is a test at
    // a / 2 in each direction, so neither direction reads above its level.
    double TwoSided() const;
    // The observed count lies in the upper tail (more successes than chance makes usual).
    bool Upper() const { return AtLeast < AtMost; }
};
TCountTails TailsOf(const TCountDistribution& distribution, int64_t observed);
