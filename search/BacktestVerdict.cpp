#include "search/BacktestVerdict.h"

#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "tickets/TicketLedger.h"

namespace {

// Differences that agree to this are taken as equal (a spread lost in rounding is none).
constexpr double NoSpreadBelow = 1e-12;

std::string Format(const char* format, auto... values) {
    std::string text(static_cast<size_t>(std::snprintf(nullptr, 0, format, values...)), '\0');
    std::snprintf(text.data(), text.size() + 1, format, values...);
    return text;
}

bool Significant(const TBacktestT& t, double level) {
    return t.P && *t.P <= level;
}

TBacktestVerdict Judge(const TBacktestT& t, bool significant) {
    if (t.Rows == 0) return TBacktestVerdict::Empty;
    if (t.Rows < FewestVerdictRows) return TBacktestVerdict::TooFewDraws;
    if (!significant) return TBacktestVerdict::NoDifference;
    return t.Upper ? TBacktestVerdict::Above : TBacktestVerdict::Below;
}

TBacktestLine SummarizeLine(const std::vector<TBacktestRow>& rows, int32_t group) {
    TBacktestLine line;
    std::vector<TBacktestRates> rates;
    std::vector<TCountDistribution> nulls;
    bool approximate = false;
    for (const TBacktestRow& row : rows) {
        const TBacktestCounts& c = group < 0 ? row.Total : row.Groups[static_cast<size_t>(group)];
        if (c.Patterns == 0) continue;
        line.Counts.Patterns += c.Patterns;
        line.Counts.Hits += c.Hits;
        line.Counts.Chance += c.Chance;
        const double p = static_cast<double>(c.Patterns);
        rates.push_back({static_cast<double>(c.Hits) / p, c.Chance / p});
        nulls.push_back(row.Null[static_cast<size_t>(group + 1)]);
        approximate = approximate || row.Approximate;
    }
    line.T = BacktestT(rates);
    JudgeTotalHits(line.T, nulls, line.Counts.Hits);
    line.T.Approximate = approximate;
    return line;
}

std::string ProbabilityText(double p) {
    return p < 0.001 ? "<0.001" : Format("%.3f", p);
}

// A probability from the normal approximation of some draw is marked as such.
std::string PText(const TBacktestT& t) {
    if (!t.P) return "-";
    return (t.Approximate ? "≈" : "") + ProbabilityText(*t.P);
}

}  // namespace

double StudentCriticalValue(int32_t degrees, double level) {
    const boost::math::students_t distribution(std::max(1, degrees));
    return boost::math::quantile(boost::math::complement(distribution, level / 2));
}

double StudentTwoSidedP(double t, int32_t degrees) {
    const boost::math::students_t distribution(std::max(1, degrees));
    return std::min(1.0, 2 * boost::math::cdf(boost::math::complement(distribution, std::abs(t))));
}

TBacktestT BacktestT(const std::vector<TBacktestRates>& draws) {
    TBacktestT result;
    result.Rows = static_cast<int32_t>(draws.size());
    if (draws.empty()) return result;
    const double m = static_cast<double>(draws.size());
    for (const TBacktestRates& d : draws) {
        result.MeanHit += d.Hit;
        result.MeanChance += d.Chance;
    }
    result.MeanHit /= m;
    result.MeanChance /= m;
    result.MeanDifference = result.MeanHit - result.MeanChance;
    if (draws.size() < 2) return result;
    double squares = 0;
    double cubes = 0;
    for (const TBacktestRates& d : draws) {
        const double deviation = d.Hit - d.Chance - result.MeanDifference;
        squares += deviation * deviation;
        cubes += deviation * deviation * deviation;
    }
    const double sd = std::sqrt(squares / (m - 1));
    if (sd > NoSpreadBelow) {
        result.PlainT = result.MeanDifference / sd * std::sqrt(m);
        result.Skewness = (cubes / m) / std::pow(squares / m, 1.5);
    }
    return result;
}

void JudgeTotalHits(TBacktestT& t, const std::vector<TCountDistribution>& draws, int64_t hits) {
    t.NoT = TNoTReason::TooFewDraws;
    t.P.reset();
    t.T.reset();
    if (draws.empty()) return;
    const TCountDistribution total = SumOfIndependent(draws);
    double mean = 0;
    double squares = 0;
    for (size_t k = 0; k < total.Mass.size(); ++k) mean += total.Mass[k] * static_cast<double>(k);
    for (size_t k = 0; k < total.Mass.size(); ++k) {
        const double deviation = static_cast<double>(k) - mean;
        squares += total.Mass[k] * deviation * deviation;
    }
    t.ExpectedHits = static_cast<double>(total.Low) + mean;
    t.HitsSd = std::sqrt(squares);
    const TCountTails tails = TailsOf(total, hits);
    t.P = tails.TwoSided();
    t.Upper = tails.Upper();
    if (t.HitsSd > NoSpreadBelow) {
        t.NoT = TNoTReason::None;
        t.T = (static_cast<double>(hits) - t.ExpectedHits) / t.HitsSd;
    } else {
        t.NoT = TNoTReason::NoSpread;
    }
}

const char* BacktestVerdictText(TBacktestVerdict verdict) {
    switch (verdict) {
        case TBacktestVerdict::Empty:
            return "-";
        case TBacktestVerdict::TooFewDraws:
            return "期数不足，无法判断";
        case TBacktestVerdict::Above:
            return "高于随机水平";
        case TBacktestVerdict::Below:
            return "低于随机水平";
        case TBacktestVerdict::NoDifference:
            break;
    }
    return "与随机水平无显著差异";
}

std::vector<bool> HolmRejections(const std::vector<std::optional<double>>& p, double level) {
    std::vector<size_t> order;
    for (size_t i = 0; i < p.size(); ++i)
        if (p[i]) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return *p[a] < *p[b]; });
    std::vector<bool> rejected(p.size(), false);
    const size_t tested = order.size();
    for (size_t rank = 0; rank < tested; ++rank) {
        if (*p[order[rank]] > level / static_cast<double>(tested - rank)) break;
        rejected[order[rank]] = true;
    }
    return rejected;
}

double TBacktestLine::HitRate() const {
    return Counts.Patterns > 0
               ? static_cast<double>(Counts.Hits) / static_cast<double>(Counts.Patterns)
               : 0.0;
}

double TBacktestLine::ChanceRate() const {
    return Counts.Patterns > 0 ? Counts.Chance / static_cast<double>(Counts.Patterns) : 0.0;
}

TBacktestSummary SummarizeBacktest(const std::vector<TBacktestRow>& rows, int32_t minimumSteps) {
    TBacktestSummary summary;
    summary.Rows = static_cast<int32_t>(rows.size());
    if (!rows.empty()) {
        summary.FirstRow = rows.front().Row;
        summary.LastRow = rows.back().Row;
    }
    summary.Total = SummarizeLine(rows, -1);
    summary.Total.Name = "全部";
    summary.Total.Verdict = Judge(summary.Total.T, Significant(summary.Total.T, VerdictLevel));

    // The groups that can have a verdict form Holm's family.
    std::vector<std::optional<double>> p(BacktestGroupCount);
    for (int32_t g = 0; g < BacktestGroupCount; ++g) {
        TBacktestLine& line = summary.Groups[static_cast<size_t>(g)];
        line = SummarizeLine(rows, g);
        line.Name = BacktestGroupName(g, minimumSteps);
        if (line.T.Rows >= FewestVerdictRows) {
            p[static_cast<size_t>(g)] = line.T.P;
            ++summary.TestedGroups;
        }
    }
    const std::vector<bool> rejected = HolmRejections(p);
    for (int32_t g = 0; g < BacktestGroupCount; ++g) {
        TBacktestLine& line = summary.Groups[static_cast<size_t>(g)];
        line.Verdict = Judge(line.T, rejected[static_cast<size_t>(g)]);
    }
    return summary;
}

std::string BacktestSentence(const TBacktestSummary& summary, int32_t drawCount) {
    const std::string rows =
        summary.Rows == 0 || summary.LastRow == drawCount
            ? Format("回测最近 %d 期", summary.Rows)
            : Format("回测第%d–%d期（共 %d 期）", summary.FirstRow, summary.LastRow, summary.Rows);
    const TBacktestLine& total = summary.Total;
    if (total.Counts.Patterns == 0) return rows + "：没有找到规律，无从比较。";
    const TBacktestT& t = total.T;
    std::string text =
        rows + Format("：规律共预测 %lld 次，命中 %lld 次，命中率 %.1f%%，随机水平 %.1f%%。",
                      static_cast<long long>(total.Counts.Patterns),
                      static_cast<long long>(total.Counts.Hits), total.HitRate() * 100,
                      total.ChanceRate() * 100);
    text += Format("随机情况下平均命中 %.1f 次（标准差 %.1f），", t.ExpectedHits, t.HitsSd);
    if (t.P)
        text += (*t.P < 0.001 ? std::string("命中次数偏离到这种程度的双侧概率 p < 0.001")
                              : Format("命中次数偏离到这种程度的双侧概率 p = %.3f", *t.P)) +
                (t.Approximate ? "（部分期的规律涉及的位置太多，其随机分布按精确均值和方差的正态"
                                 "近似计算）"
                               : "（由每期规律的精确随机分布算出）");
    text += Format("，有规律的 %d 期", t.Rows);
    if (total.Verdict == TBacktestVerdict::TooFewDraws)
        text += Format("；有规律的期数少于 %d 期", FewestVerdictRows);
    return text + "，" + total.VerdictText() + "。";
}

std::string BacktestTableNote(const TBacktestSummary& summary) {
    return Format(
        "p 是总命中次数在随机情况下偏离到这种程度的双侧概率，由每期命中次数的精确分布（给定当期"
        "找到的规律，下一期号码的每种可能同样可能）合成；z 为（命中 − 随机平均）/ 标准差，仅供"
        "参考；各分组的结论经 Holm–Bonferroni 校正（参与比较的分组 %d "
        "个，总体 5%% 水平）；有规律的期数少于 %d 期的分组不作判断，没有预测的分组显示“-”。"
        "“全部”一行单独按 5%% 水平判断。",
        summary.TestedGroups, FewestVerdictRows);
}

const std::vector<std::string>& BacktestTableHeaders() {
    static const std::vector<std::string> headers = {
        "分组", "名称",       "预测",         "命中", "命中率", "随机水平", "差值",
        "期数", "平均命中率", "平均随机水平", "z",    "p",      "结论"};
    return headers;
}

std::vector<TBacktestTableRow> BacktestTable(const TBacktestSummary& summary, bool groupedCounts) {
    std::vector<TBacktestTableRow> table;
    const auto count = [&](int64_t value) {
        return groupedCounts ? GroupedNumber(value) : std::to_string(value);
    };
    const auto add = [&](std::string dimension, const TBacktestLine& line) {
        TBacktestTableRow row;
        row.Dimension = std::move(dimension);
        row.Line = &line;
        const bool empty = line.Counts.Patterns == 0;
        const auto rate = [&](double value) { return empty ? "-" : BacktestPercent(value); };
        row.Cells = {row.Dimension,
                     line.Name,
                     count(line.Counts.Patterns),
                     count(line.Counts.Hits),
                     rate(line.HitRate()),
                     rate(line.ChanceRate()),
                     empty ? "-" : BacktestDifferenceText(line.Difference()),
                     count(line.T.Rows),
                     rate(line.T.MeanHit),
                     rate(line.T.MeanChance),
                     BacktestTText(line.T.T),
                     PText(line.T),
                     line.VerdictText()};
        table.push_back(std::move(row));
    };
    add("全部", summary.Total);
    for (int32_t g = 0; g < BacktestGroupCount; ++g)
        add(BacktestDimensionName(BacktestGroupDimension(g)),
            summary.Groups[static_cast<size_t>(g)]);
    return table;
}

std::string BacktestTableCsv(const TBacktestSummary& summary) {
    const auto line = [](const std::vector<std::string>& cells) {
        std::string text;
        for (size_t i = 0; i < cells.size(); ++i) text += (i > 0 ? "," : "") + cells[i];
        return text + "\r\n";
    };
    std::string csv = line(BacktestTableHeaders());
    for (const TBacktestTableRow& row : BacktestTable(summary, false)) csv += line(row.Cells);
    return csv;
}

std::string BacktestPercent(double rate) {
    return Format("%.1f%%", rate * 100);
}

std::string BacktestDifferenceText(double difference) {
    // What rounds to zero is written without a sign ("0.0%", never "-0.0%").
    const double tenths = std::round(difference * 1000);
    return tenths == 0 ? "0.0%" : Format("%+.1f%%", tenths / 10);
}

std::string BacktestTText(const std::optional<double>& t) {
    return t ? Format("%.2f", *t) : "-";
}
