// Exact count distributions against brute-force enumeration of every outcome.
#include <gtest/gtest.h>

#include <random>

#include "search/CountDistribution.h"

namespace {

// The distribution of the sum of independent small counts, by walking every combination of
// their values.
std::vector<double> Enumerated(const std::vector<std::vector<double>>& parts) {
    std::vector<double> mass(1, 1.0);
    size_t top = 0;
    for (const auto& part : parts) top += part.size() - 1;
    std::vector<double> result(top + 1, 0.0);
    std::vector<size_t> index(parts.size(), 0);
    while (true) {
        double p = 1;
        size_t value = 0;
        for (size_t i = 0; i < parts.size(); ++i) {
            p *= parts[i][index[i]];
            value += index[i];
        }
        result[value] += p;
        size_t i = 0;
        while (i < parts.size() && ++index[i] == parts[i].size()) index[i++] = 0;
        if (i == parts.size()) break;
    }
    return result;
}

}  // namespace

// Poisson-binomial and its tails against all 2^n outcomes of n trials, for chances of every
// size including 0 and 1.
TEST(CountDistribution, PoissonBinomialAndTailsMatchEnumeration) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(0, 1);
    for (int n : {1, 2, 5, 9, 12}) {
        std::vector<double> chances;
        std::vector<std::vector<double>> trials;
        for (int i = 0; i < n; ++i) {
            const double q = i == 3 ? 0.0 : i == 4 ? 1.0 : uniform(random) * (i % 2 ? 0.01 : 1);
            chances.push_back(q);
            trials.push_back({1 - q, q});
        }
        const std::vector<double> expected = Enumerated(trials);
        const TCountDistribution d = PoissonBinomial(chances);
        ASSERT_EQ(d.Low, 0);
        ASSERT_EQ(d.Mass.size(), expected.size());
        for (int s = 0; s <= n; ++s) {
            SCOPED_TRACE(testing::Message() << "n " << n << " s " << s);
            EXPECT_NEAR(d.Mass[static_cast<size_t>(s)], expected[static_cast<size_t>(s)], 1e-15);
            double atMost = 0;
            double atLeast = 0;
            for (int k = 0; k <= n; ++k)
                (k <= s ? atMost : atLeast) += expected[static_cast<size_t>(k)];
            atLeast += expected[static_cast<size_t>(s)];
            const TCountTails tails = TailsOf(d, s);
            EXPECT_NEAR(tails.AtMost, atMost, 1e-14);
            EXPECT_NEAR(tails.AtLeast, atLeast, 1e-14);
            EXPECT_NEAR(tails.TwoSided(), std::min(1.0, 2 * std::min(atMost, atLeast)), 1e-14);
        }
    }
}

// Sums of independent lumpy counts: the direct and the Fourier route against enumeration,
// shifted by their lowest values.
TEST(CountDistribution, SumsOfIndependentCountsMatchEnumeration) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> uniform(0, 1);
    for (const auto& [parts, width] : {std::pair{3, 4}, {6, 9}, {2, 300}}) {
        std::vector<TCountDistribution> distributions;
        std::vector<std::vector<double>> masses;
        int64_t low = 0;
        for (int i = 0; i < parts; ++i) {
            TCountDistribution d;
            d.Low = i * 7 - 3;
            low += d.Low;
            d.Mass.assign(static_cast<size_t>(width), 0.0);
            double total = 0;
            // Every third value impossible, as in a draw's hit count.
            for (size_t k = 0; k < d.Mass.size(); k += (k % 3 == 1 ? 2 : 1))
                total += d.Mass[k] = uniform(random);
            for (double& m : d.Mass) m /= total;
            distributions.push_back(d);
            masses.push_back(d.Mass);
        }
        const std::vector<double> expected = Enumerated(masses);
        for (TSumRoute route : {TSumRoute::Cheapest, TSumRoute::Direct, TSumRoute::Fourier}) {
            const TCountDistribution sum = SumOfIndependent(distributions, route);
            EXPECT_EQ(sum.Low, low);
            ASSERT_EQ(sum.Mass.size(), expected.size());
            for (size_t k = 0; k < expected.size(); ++k)
                EXPECT_NEAR(sum.Mass[k], expected[k], 1e-13) << k;
        }
    }
}
