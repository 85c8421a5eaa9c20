#include "stats/ChanceFit.h"

#include <boost/math/special_functions/gamma.hpp>
#include <cstdio>

std::vector<int32_t> FitGroups(std::span<const double> expected) {
    std::vector<int32_t> groups(expected.size(), 0);
    int32_t group = 0;
    double inGroup = 0;
    size_t groupStart = 0;
    for (size_t c = 0; c < expected.size(); ++c) {
        groups[c] = group;
        inGroup += expected[c];
        if (inGroup >= FitGroupExpected && c + 1 < expected.size()) {
            ++group;
            inGroup = 0;
            groupStart = c + 1;
        }
    }
    // The last group falls short: it joins the one before, when there is one.
    if (inGroup < FitGroupExpected && group > 0)
        for (size_t c = groupStart; c < expected.size(); ++c) groups[c] = group - 1;
    return groups;
}

TChanceFit PearsonFit(std::span<const int32_t> observed, std::span<const double> expected) {
    TChanceFit fit;
    if (observed.size() != expected.size() || expected.empty()) return fit;
    const std::vector<int32_t> groups = FitGroups(expected);
    const auto groupCount = static_cast<size_t>(groups.back() + 1);
    std::vector<double> seen(groupCount, 0.0);
    std::vector<double> chance(groupCount, 0.0);
    for (size_t c = 0; c < expected.size(); ++c) {
        seen[static_cast<size_t>(groups[c])] += observed[c];
        chance[static_cast<size_t>(groups[c])] += expected[c];
    }
    if (groupCount < 2) return fit;
    for (size_t g = 0; g < groupCount; ++g) {
        // A group chance cannot fill counts only when it holds no draws at all.
        if (chance[g] <= 0) return fit;
        const double gap = seen[g] - chance[g];
        fit.Chi2 += gap * gap / chance[g];
    }
    fit.Df = static_cast<int32_t>(groupCount) - 1;
    try {
        fit.P = boost::math::gamma_q(fit.Df / 2.0, fit.Chi2 / 2.0);
    } catch (const std::exception&) {
        fit.P = 0;  // beyond what a double holds
    }
    return fit;
}

std::string FitReading(const TChanceFit& fit) {
    if (!fit.Testable()) return "期数太少，无法检验";
    return fit.Deviates() ? "偏离随机" : "与随机一致";
}

std::string FitLineText(const TChanceFit& fit) {
    if (!fit.Testable()) return "拟合检验：" + FitReading(fit);
    char text[160];
    if (fit.P < 0.0001)
        std::snprintf(text, sizeof text, "拟合检验：χ² = %.2f，自由度 %d，p < 0.0001：", fit.Chi2,
                      fit.Df);
    else
        std::snprintf(text, sizeof text, "拟合检验：χ² = %.2f，自由度 %d，p = %.4f：", fit.Chi2,
                      fit.Df, fit.P);
    return text + FitReading(fit);
}

std::string FitLevelText(bool shapes) {
    return shapes ? "11项形态同时检验，p < 0.005（0.05 ÷ 11）才算偏离随机"
                  : "七个位置同时检验，p < 0.005 才算偏离随机";
}
