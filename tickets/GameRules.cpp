#include "tickets/GameRules.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "data/MessageText.h"
#include "data/TextLines.h"
#include "tickets/DefaultGameRules.h"

namespace {

int64_t Power(int64_t base, int32_t exponent) {
    int64_t value = 1;
    for (int32_t i = 0; i < exponent; ++i) value *= base;
    return value;
}

// A whole number of at most twelve digits, or -1.
int64_t WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 12) return -1;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return -1;
    return value;
}

std::string LineText(int32_t line) {
    return "游戏规则第" + std::to_string(line) + "行：";
}

}  // namespace

int32_t TGameRules::MatchValue(uint32_t pattern) const {
    pattern &= 0x7F;
    if (Rule == TMatchRule::AllPositions) return pattern == 0x7F ? TicketPositions : 0;
    int32_t best = 0, run = 0;
    for (int32_t p = 0; p < TicketPositions; ++p) {
        run = (pattern >> p) & 1u ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

void TGameRules::Prepare() {
    const std::string game = "游戏“" + Name + "”";
    if (Price < 1) throw TError(game + "：每注价格应至少为1元");
    if (Tiers.empty()) throw TError(game + "：没有奖级");
    if (Tiers.size() > static_cast<size_t>(MaxTiers))
        throw TError(game + "：奖级最多" + std::to_string(MaxTiers) + "个");
    // The values the rule can give, above 0.
    std::array<bool, TicketPositions + 1> possible{};
    for (uint32_t pattern = 0; pattern < MatchPatterns; ++pattern)
        possible[MatchValue(pattern)] = true;
    std::array<int32_t, TicketPositions + 1> tierOfValue;
    tierOfValue.fill(-1);
    for (size_t t = 0; t < Tiers.size(); ++t) {
        const TPrizeTier& tier = Tiers[t];
        if (tier.Matched < 1 || tier.Matched > TicketPositions || !possible[tier.Matched])
            throw TError(game + "：奖级“" + tier.Name + "”的比对值" + std::to_string(tier.Matched) +
                         "在这种比对方式下不会出现");
        if (tierOfValue[tier.Matched] >= 0)
            throw TError(game + "：奖级“" + Tiers[tierOfValue[tier.Matched]].Name + "”和“" +
                         tier.Name + "”重叠（比对值都是" + std::to_string(tier.Matched) + "）");
        if (t > 0 && tier.Matched > Tiers[t - 1].Matched)
            throw TError(game + "：奖级应从高到低排列，“" + tier.Name + "”排在“" +
                         Tiers[t - 1].Name + "”之后");
        tierOfValue[tier.Matched] = static_cast<int32_t>(t);
    }
    // From the best value the rule gives down to the lowest tier, no value may lack a tier.
    const int32_t lowest = Tiers.back().Matched;
    for (int32_t value = TicketPositions; value > lowest; --value)
        if (possible[value] && tierOfValue[value] < 0)
            throw TError(game + "：缺少比对值为" + std::to_string(value) + "的奖级");
    exactCounts_.fill(0);
    for (uint32_t pattern = 0; pattern < MatchPatterns; ++pattern) {
        const int32_t tier = tierOfValue[MatchValue(pattern)];
        tierOfPattern_[pattern] = static_cast<int8_t>(tier);
        if (tier >= 0) exactCounts_[tier] += Power(9, TicketPositions - std::popcount(pattern));
    }
}

double TGameRules::TierProbability(int32_t tier) const {
    return static_cast<double>(exactCounts_[tier]) / static_cast<double>(AllDraws);
}

double TGameRules::ExpectedFixedPrize() const {
    int64_t total = 0;  // 元 over all 10^7 draws: exact
    for (int32_t t = 0; t < TierCount(); ++t)
        if (!Tiers[t].Floating) total += exactCounts_[t] * Tiers[t].Amount;
    return static_cast<double>(total) / static_cast<double>(AllDraws);
}

double TGameRules::ExpectedReturn() const {
    return ExpectedFixedPrize() / static_cast<double>(Price);
}

std::string_view DefaultGameRulesText() {
    return DefaultGameRulesFile;
}

std::vector<TGameRules> ReadGameRules(std::string_view text) {
    std::vector<TGameRules> games;
    std::vector<int32_t> firstLines;
    ForEachContentLine(text, [&](int32_t line, std::string_view content) {
        if (content.front() == '[') {
            if (content.back() != ']' || content.size() < 3)
                throw TError(LineText(line) + "游戏名称应写在[ ]之间");
            games.emplace_back().Name = std::string(content.substr(1, content.size() - 2));
            firstLines.push_back(line);
            return;
        }
        const size_t equals = content.find('=');
        if (equals == std::string_view::npos) throw TError(LineText(line) + "应为“键 = 值”");
        if (games.empty()) throw TError(LineText(line) + "应先写游戏名称，如[七位数]");
        TGameRules& game = games.back();
        const std::string_view key = TrimBlanks(content.substr(0, equals));
        const std::string_view value = TrimBlanks(content.substr(equals + 1));
        if (key == "price") {
            const int64_t price = WholeNumber(value);
            if (price < 1 || price > 1'000'000)
                throw TError(LineText(line) + "price应为1到1000000的整数（元）");
            game.Price = price;
        } else if (key == "match") {
            if (value == "longest-run")
                game.Rule = TMatchRule::LongestRun;
            else if (value == "all-positions")
                game.Rule = TMatchRule::AllPositions;
            else
                throw TError(LineText(line) + "match应为longest-run或all-positions");
        } else if (key == "tier") {
            std::vector<std::string_view> fields;
            size_t from = 0;
            for (size_t at; (at = value.find(',', from)) != std::string_view::npos; from = at + 1)
                fields.push_back(TrimBlanks(value.substr(from, at - from)));
            fields.push_back(TrimBlanks(value.substr(from)));
            if (fields.size() != 3 || fields[0].empty())
                throw TError(LineText(line) + "tier应为“名称, 比对值, 金额或浮动”");
            TPrizeTier tier;
            tier.Name = std::string(fields[0]);
            const int64_t matched = WholeNumber(fields[1]);
            if (matched < 1 || matched > TicketPositions)
                throw TError(LineText(line) + "比对值应为1到7");
            tier.Matched = static_cast<int32_t>(matched);
            if (fields[2] == "浮动") {
                tier.Floating = true;
            } else {
                tier.Amount = WholeNumber(fields[2]);
                if (tier.Amount < 0 || tier.Amount > 1'000'000'000)
                    throw TError(LineText(line) + "金额应为整数元或“浮动”");
            }
            if (game.Tiers.size() >= static_cast<size_t>(MaxTiers))
                throw TError(LineText(line) + "奖级最多" + std::to_string(MaxTiers) + "个");
            game.Tiers.push_back(std::move(tier));
        } else {
            throw TError(LineText(line) + "无法识别的键" + QuotedExcerpt(key));
        }
    });
    if (games.empty()) throw TError("游戏规则里没有游戏");
    for (size_t g = 0; g < games.size(); ++g) {
        try {
            games[g].Prepare();
        } catch (const TError& e) {
            throw TError(LineText(firstLines[g]) + e.what());
        }
    }
    return games;
}

const TGameRules& DefaultGameRules() {
    static const TGameRules rules = ReadGameRules(DefaultGameRulesText()).front();
    return rules;
}
