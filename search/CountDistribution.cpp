#include "search/CountDistribution.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

using TComplex = std::complex<double>;

// In-place radix-2 transform of a power-of-two length; inverse without the 1/n.
void Transform(std::vector<TComplex>& a, const std::vector<TComplex>& roots, bool inverse) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const size_t stride = n / length;
        for (size_t start = 0; start < n; start += length)
            for (size_t k = 0; k < length / 2; ++k) {
                const TComplex root = inverse ? std::conj(roots[k * stride]) : roots[k * stride];
                const TComplex u = a[start + k];
                const TComplex v = a[start + k + length / 2] * root;
                a[start + k] = u + v;
                a[start + k + length / 2] = u - v;
            }
    }
}

TCountDistribution Direct(const std::vector<TCountDistribution>& parts) {
    TCountDistribution sum;
    for (const TCountDistribution& part : parts) {
        std::vector<double> next(sum.Mass.size() + part.Mass.size() - 1, 0.0);
        for (size_t j = 0; j < part.Mass.size(); ++j) {
            const double m = part.Mass[j];
            if (m == 0) continue;
            for (size_t i = 0; i < sum.Mass.size(); ++i) next[i + j] += sum.Mass[i] * m;
        }
        sum.Low += part.Low;
        sum.Mass = std::move(next);
    }
    return sum;
}

}  // namespace

double TCountDistribution::Mean() const {
    double mean = 0;
    for (size_t k = 0; k < Mass.size(); ++k) mean += Mass[k] * static_cast<double>(k);
    return static_cast<double>(Low) + mean;
}

TCountDistribution PoissonBinomial(const std::vector<double>& chances) {
    TCountDistribution d;
    d.Mass.reserve(chances.size() + 1);
    for (const double q : chances) {
        const double p = std::clamp(q, 0.0, 1.0);
        d.Mass.push_back(0.0);
        for (size_t k = d.Mass.size() - 1; k > 0; --k)
            d.Mass[k] = d.Mass[k] * (1 - p) + d.Mass[k - 1] * p;
        d.Mass[0] *= 1 - p;
    }
    return d;
}

TCountDistribution SumOfIndependent(const std::vector<TCountDistribution>& parts, TSumRoute route) {
    size_t length = 1;
    double directCost = 0;
    for (const TCountDistribution& part : parts) {
        directCost += static_cast<double>(length) * static_cast<double>(part.Mass.size());
        length += part.Mass.size() - 1;
    }
    size_t size = 1;
    while (size < length) size <<= 1;
    const double fourierCost = static_cast<double>(parts.size() + 1) * static_cast<double>(size) *
                               (std::log2(static_cast<double>(size)) + 1) * 4;
    if (route == TSumRoute::Direct || parts.size() < 2 ||
        (route == TSumRoute::Cheapest && directCost <= fourierCost))
        return Direct(parts);

    std::vector<TComplex> roots(size / 2);
    for (size_t k = 0; k < roots.size(); ++k)
        roots[k] = std::polar(
            1.0, -2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(size));
    std::vector<TComplex> product(size, TComplex(1.0, 0.0));
    std::vector<TComplex> a(size);
    TCountDistribution sum;
    sum.Low = 0;
    for (const TCountDistribution& part : parts) {
        std::fill(a.begin(), a.end(), TComplex());
        std::copy(part.Mass.begin(), part.Mass.end(), a.begin());
        Transform(a, roots, false);
        for (size_t i = 0; i < size; ++i) product[i] *= a[i];
        sum.Low += part.Low;
    }
    Transform(product, roots, true);
    sum.Mass.resize(length);
    double total = 0;
    for (size_t i = 0; i < length; ++i) {
        sum.Mass[i] = std::max(0.0, product[i].real() / static_cast<double>(size));
        total += sum.Mass[i];
    }
    for (double& m : sum.Mass) m /= total;
    return sum;
}

double TCountTails::TwoSided() const {
    return std::min(1.0, 2 * std::min(AtMost, AtLeast));
}

TCountTails TailsOf(const TCountDistribution& d, int64_t observed) {
    TCountTails tails{0, 0};
    for (size_t k = 0; k < d.Mass.size(); ++k) {
        const int64_t value = d.Low + static_cast<int64_t>(k);
        if (value <= observed) tails.AtMost += d.Mass[k];
        if (value >= observed) tails.AtLeast += d.Mass[k];
    }
    tails.AtMost = std::min(1.0, tails.AtMost);
    tails.AtLeast = std::min(1.0, tails.AtLeast);
    return tails;
}
