#include "reduce/ReduceConditions.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "data/MessageText.h"
#include "data/TextLines.h"

namespace {

constexpr std::string_view FullWidthSpace = "\xE3\x80\x80";
constexpr std::string_view AllPatternsWord = "全部";

std::string LinePrefix(int32_t line) {
    return "第" + std::to_string(line) + "行：";
}

// Splits a line at spaces, tabs and full-width spaces.
std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    size_t i = 0;
    auto spaceAt = [&](size_t at) -> size_t {
        if (line[at] == ' ' || line[at] == '\t') return 1;
        if (line.substr(at, FullWidthSpace.size()) == FullWidthSpace) return FullWidthSpace.size();
        return 0;
    };
    while (i < line.size()) {
        if (const size_t skip = spaceAt(i); skip > 0) {
            i += skip;
            continue;
        }
        const size_t start = i;
        while (i < line.size() && spaceAt(i) == 0) ++i;
        tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

std::optional<int32_t> Number(std::string_view text) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

int32_t PositionOf(std::string_view text) {
    if (text.size() != 1) return -2;
    if (text[0] == '*') return -1;
    if (text[0] >= 'A' && text[0] <= 'G') return text[0] - 'A';
    if (text[0] >= 'a' && text[0] <= 'g') return text[0] - 'a';
    return -2;
}

std::optional<uint16_t> DigitSetOf(std::string_view text) {
    uint16_t set = 0;
    for (char c : text) {
        if (c == ',') continue;
        if (c < '0' || c > '9') return std::nullopt;
        set = static_cast<uint16_t>(set | (1u << (c - '0')));
    }
    if (set == 0) return std::nullopt;
    return set;
}

std::string DigitSetText(uint16_t set) {
    std::string text;
    for (int32_t d = 0; d < 10; ++d)
        if ((set >> d) & 1u) text += static_cast<char>('0' + d);
    return text;
}

// The category a written value names, or none.
std::optional<int32_t> CategoryOfValue(TShapeMetricId metric, std::string_view text) {
    const TShapeMetric shape(metric);
    if (metric == TShapeMetricId::Roads) {
        const size_t first = text.find(':');
        const size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
        if (second == std::string_view::npos) return std::nullopt;
        const auto n0 = Number(text.substr(0, first));
        const auto n1 = Number(text.substr(first + 1, second - first - 1));
        const auto n2 = Number(text.substr(second + 1));
        if (!n0 || !n1 || !n2 || *n0 + *n1 + *n2 != ReduceDigitCount) return std::nullopt;
        return RoadsCategory(*n0, *n1);
    }
    // A ratio may also be written as 形态 shows it ("奇偶比 3:4").
    if (text.find(':') != std::string_view::npos) {
        for (int32_t c = 0; c < shape.CategoryCount(); ++c)
            if (shape.CategoryLabel(c) == text) return c;
        return std::nullopt;
    }
    const auto value = Number(text);
    if (!value) return std::nullopt;
    const int32_t category = metric == TShapeMetricId::Consecutive ? *value - 1 : *value;
    if (category < 0 || category >= shape.CategoryCount()) return std::nullopt;
    return category;
}

std::string ValueRangeText(TShapeMetricId metric) {
    const TShapeMetric shape(metric);
    return CategoryValueText(metric, 0) + "–" +
           CategoryValueText(metric, shape.CategoryCount() - 1);
}

TReduceCondition ReadMetric(TShapeMetricId metric, const std::vector<std::string_view>& tokens,
                            int32_t line) {
    const std::string name = TShapeMetric(metric).Name();
    if (tokens.size() != 2)
        throw TReduceError(line, name + "后面应是一个范围（如 20-35）或用逗号分隔的取值");
    TReduceCondition condition;
    condition.Kind = TConditionKind::Metric;
    condition.Metric = metric;
    const std::string_view values = tokens[1];
    const size_t dash = values.find('-');
    if (dash != std::string_view::npos && metric != TShapeMetricId::Roads) {
        const auto lo = CategoryOfValue(metric, values.substr(0, dash));
        const auto hi = CategoryOfValue(metric, values.substr(dash + 1));
        if (!lo || !hi)
            throw TReduceError(line, name + "的范围" + QuotedExcerpt(values) + "不在" +
                                         ValueRangeText(metric) + "之内");
        if (*lo > *hi) throw TReduceError(line, name + "的范围上下颠倒：" + MessageExcerpt(values));
        condition.IsRange = true;
        condition.Categories = CategoryRange(*lo, *hi);
        return condition;
    }
    size_t start = 0;
    while (start <= values.size()) {
        size_t end = values.find(',', start);
        if (end == std::string_view::npos) end = values.size();
        const std::string_view value = values.substr(start, end - start);
        if (!value.empty()) {
            const auto category = CategoryOfValue(metric, value);
            if (!category) {
                const std::string form = metric == TShapeMetricId::Roads
                                             ? "应是 n0:n1:n2，三数之和为7"
                                             : "不在" + ValueRangeText(metric) + "之内";
                throw TReduceError(line, name + "的取值" + QuotedExcerpt(value) + form);
            }
            condition.Categories |= uint64_t{1} << *category;
        }
        start = end + 1;
    }
    if (condition.Categories == 0) throw TReduceError(line, name + "没有允许的取值");
    return condition;
}

TReduceCondition ReadLine(const std::vector<std::string_view>& tokens, int32_t line) {
    const std::string_view head = tokens[0];
    TReduceCondition condition;
    condition.Line = line;
    if (head == "定位" || head == "杀号") {
        const bool kill = head == "杀号";
        condition.Kind = kill ? TConditionKind::Kill : TConditionKind::Position;
        if (tokens.size() != 3)
            throw TReduceError(line, std::string(head) + "应写作“" + std::string(head) +
                                         (kill ? " <A–G或*> <数字>”" : " <A–G> <数字>”"));
        condition.Position = PositionOf(tokens[1]);
        if (condition.Position == -2 || (!kill && condition.Position == -1))
            throw TReduceError(line,
                               "位置" + QuotedExcerpt(tokens[1]) + "应是A–G" + (kill ? "或*" : ""));
        const auto digits = DigitSetOf(tokens[2]);
        if (!digits) throw TReduceError(line, "数字" + QuotedExcerpt(tokens[2]) + "应是0–9");
        condition.Digits = *digits;
        if (!kill && condition.Digits == 0) throw TReduceError(line, "定位没有允许的数字");
        if (kill && condition.Digits == 0x3FF)
            throw TReduceError(line, "杀号杀掉了全部数字，没有号码可留");
        return condition;
    }
    if (head == "胆码") {
        condition.Kind = TConditionKind::Must;
        if (tokens.size() != 3) throw TReduceError(line, "胆码应写作“胆码 <数字> <至少出现次数>”");
        const auto digit = Number(tokens[1]);
        const auto times = Number(tokens[2]);
        if (!digit || *digit > 9 || tokens[1].size() != 1)
            throw TReduceError(line, "胆码的数字" + QuotedExcerpt(tokens[1]) + "应是0–9");
        if (!times || *times < 1 || *times > ReduceDigitCount)
            throw TReduceError(line, "胆码的次数" + QuotedExcerpt(tokens[2]) + "应是1–7");
        condition.Digit = *digit;
        condition.AtLeast = *times;
        return condition;
    }
    if (head == "规律") {
        condition.Kind = TConditionKind::Patterns;
        if (tokens.size() != 2)
            throw TReduceError(line, "规律应写作“规律 <至少命中个数>”或“规律 全部”");
        if (tokens[1] == AllPatternsWord) {
            condition.Patterns = 0;
            return condition;
        }
        const auto m = Number(tokens[1]);
        if (!m || *m < 1)
            throw TReduceError(line,
                               "规律的个数" + QuotedExcerpt(tokens[1]) + "应是正整数或“全部”");
        condition.Patterns = *m;
        return condition;
    }
    if (const auto metric = ShapeMetricByName(head)) {
        condition = ReadMetric(*metric, tokens, line);
        condition.Line = line;
        return condition;
    }
    throw TReduceError(line, "未知的条件或形态指标" + QuotedExcerpt(head));
}

}  // namespace

bool TReduceCondition::operator==(const TReduceCondition& o) const {
    return Kind == o.Kind && Position == o.Position && Digits == o.Digits && Digit == o.Digit &&
           AtLeast == o.AtLeast && Metric == o.Metric && Categories == o.Categories &&
           IsRange == o.IsRange && Patterns == o.Patterns;
}

bool TReduceSet::HasPatterns() const {
    return std::any_of(Items.begin(), Items.end(), [](const TReduceCondition& c) {
        return c.Kind == TConditionKind::Patterns;
    });
}

bool TReduceSet::NeedsPrevious() const {
    return std::any_of(Items.begin(), Items.end(), [](const TReduceCondition& c) {
        return c.Kind == TConditionKind::Metric && TShapeMetric(c.Metric).NeedsPrevious();
    });
}

TReduceError::TReduceError(int32_t line, const std::string& reason)
    : TError(LinePrefix(line) + reason), Line(line) {}

uint64_t CategoryRange(int32_t lo, int32_t hi) {
    uint64_t mask = 0;
    for (int32_t c = lo; c <= hi; ++c) mask |= uint64_t{1} << c;
    return mask;
}

std::optional<TShapeMetricId> ShapeMetricByName(std::string_view name) {
    for (const TShapeMetric& metric : AllShapeMetrics())
        if (name == metric.Name()) return metric.Id();
    return std::nullopt;
}

std::string CategoryValueText(TShapeMetricId metric, int32_t category) {
    if (metric == TShapeMetricId::Roads) return TShapeMetric(metric).CategoryLabel(category);
    if (metric == TShapeMetricId::Consecutive) return std::to_string(category + 1);
    return std::to_string(category);
}

TReduceSet ReadReduceSet(std::string_view text) {
    TReduceSet set;
    bool toleranceSeen = false;
    int32_t line = 0;
    TTextLines lines(WithoutByteOrderMark(text));
    std::string_view content;
    while (lines.Next(content)) {
        line = lines.Number();
        if (content.find('\0') != std::string_view::npos)
            throw TReduceError(line, "含有无法识别的字符");
        const std::vector<std::string_view> tokens = Tokens(content);
        if (tokens.empty() || tokens[0].front() == '#') continue;
        if (tokens[0] == "容错") {
            if (toleranceSeen) throw TReduceError(line, "容错只能写一次");
            const auto e = tokens.size() == 2 ? Number(tokens[1]) : std::nullopt;
            if (!e) throw TReduceError(line, "容错应写作“容错 <可不满足的条件数>”");
            set.Tolerance = *e;
            toleranceSeen = true;
            continue;
        }
        set.Items.push_back(ReadLine(tokens, line));
    }
    if (set.Tolerance > 0 && set.Tolerance >= static_cast<int32_t>(set.Items.size()) &&
        !set.Items.empty())
        throw TReduceError(line, "容错" + std::to_string(set.Tolerance) + "不小于条件数" +
                                     std::to_string(set.Items.size()) + "，等于不设条件");
    return set;
}

TReduceSet ReadReduceFile(std::string_view text) {
    TReduceSet set = ReadReduceSet(text);
    if (set.Items.empty()) throw TError(NoConditionsMessage);
    return set;
}

std::string ReduceConditionText(const TReduceCondition& c) {
    switch (c.Kind) {
        case TConditionKind::Position:
        case TConditionKind::Kill:
            return std::string(c.Kind == TConditionKind::Kill ? "杀号 " : "定位 ") +
                   (c.Position < 0 ? '*' : static_cast<char>('A' + c.Position)) + ' ' +
                   DigitSetText(c.Digits);
        case TConditionKind::Must:
            return "胆码 " + std::to_string(c.Digit) + ' ' + std::to_string(c.AtLeast);
        case TConditionKind::Patterns:
            return "规律 " +
                   (c.Patterns == 0 ? std::string(AllPatternsWord) : std::to_string(c.Patterns));
        case TConditionKind::Metric:
            break;
    }
    std::string text = std::string(TShapeMetric(c.Metric).Name()) + ' ';
    const int32_t lo = c.Categories == 0 ? 0 : std::countr_zero(c.Categories);
    const int32_t hi = c.Categories == 0 ? 0 : 63 - std::countl_zero(c.Categories);
    if (c.IsRange && c.Categories == CategoryRange(lo, hi) && c.Metric != TShapeMetricId::Roads)
        return text + CategoryValueText(c.Metric, lo) + '-' + CategoryValueText(c.Metric, hi);
    bool first = true;
    for (int32_t category = lo; category <= hi; ++category) {
        if (((c.Categories >> category) & 1u) == 0) continue;
        if (!first) text += ',';
        text += CategoryValueText(c.Metric, category);
        first = false;
    }
    return text;
}

std::string WriteReduceSet(const TReduceSet& set) {
    std::string text;
    for (const TReduceCondition& condition : set.Items)
        text += ReduceConditionText(condition) + '\n';
    if (set.Tolerance > 0) text += "容错 " + std::to_string(set.Tolerance) + '\n';
    return text;
}
