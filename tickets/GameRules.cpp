#include "tickets/GameRules.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "data/DrawCalendar.h"
#include "data/MessageText.h"
#include "data/TextLines.h"
#include "tickets/DefaultGameRules.h"

namespace {

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

int32_t BoxKind(const int32_t* digits, int32_t count) {
    std::array<int32_t, 10> seen{};
    int32_t pairs = 0;
    for (int32_t p = 0; p < count; ++p) {
        if (digits[p] < 0 || digits[p] > 9) return 0;
        const int32_t times = ++seen[digits[p]];
        if (times == 2) ++pairs;
        if (times > 2) return 0;
    }
    return pairs == 0 ? BoxDistinct : pairs == 1 ? BoxPair : 0;
}

std::string TGameRules::MatchValueText(int32_t value) const {
    if (Rule == TMatchRule::FrontAndBack)
        return std::to_string(value / 2) + "+" + std::to_string(value % 2);
    return std::to_string(value);
}

int32_t TGameRules::MatchValue(uint32_t pattern) const {
    pattern &= fullPattern_;
    switch (Rule) {
        case TMatchRule::AllPositions:
            return pattern == fullPattern_ ? Positions : 0;
        case TMatchRule::FrontAndBack: {
            const int32_t front = Positions - 1;
            const uint32_t frontMask = (1u << front) - 1;
            return std::popcount(pattern & frontMask) * 2 + static_cast<int32_t>(pattern >> front);
        }
        case TMatchRule::Box:
            return 0;
        case TMatchRule::LongestRun:
            break;
    }
    int32_t best = 0, run = 0;
    for (int32_t p = 0; p < Positions; ++p) {
        run = (pattern >> p) & 1u ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

int32_t TGameRules::BoxTierOf(const int32_t* bet, const int32_t* draw) const {
    // Positions past the game's stay equal in both, so whole arrays can be sorted.
    std::array<int32_t, TicketPositions> a, b;
    a.fill(MaxPositionValues);
    b.fill(MaxPositionValues);
    std::copy_n(bet, Positions, a.begin());
    std::copy_n(draw, Positions, b.begin());
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b) return -1;
    const int32_t kind = BoxKind(a.data(), Positions);
    for (int32_t t = 0; t < TierCount(); ++t)
        if (Tiers[t].Values.front() == kind) return t;
    return -1;
}

void TGameRules::Prepare() {
    const std::string game = "游戏“" + Name + (Play.empty() ? "" : "”玩法“" + Play) + "”";
    if (Price < 1) throw TError(game + "：每注价格应至少为1元");
    if (Tiers.empty()) throw TError(game + "：没有奖级");
    if (Tiers.size() > static_cast<size_t>(MaxTiers))
        throw TError(game + "：奖级最多" + std::to_string(MaxTiers) + "个");
    if (Positions < 1 || Positions > TicketPositions)
        throw TError(game + "：号码应有1到" + std::to_string(TicketPositions) + "位");
    fullPattern_ = (1u << Positions) - 1;
    drawSpace_ = 1;
    for (int32_t p = 0; p < Positions; ++p) {
        if (ValueCounts[p] < 2 || ValueCounts[p] > MaxPositionValues)
            throw TError(game + "：第" + std::to_string(p + 1) + "位的取值应为0-1到0-" +
                         std::to_string(MaxPositionValues - 1));
        drawSpace_ *= ValueCounts[p];
    }
    exactCounts_.fill(0);
    tierOfPattern_.fill(-1);
    if (Rule == TMatchRule::Box) {
        PrepareBox(game);
        return;
    }
    if (Rule == TMatchRule::FrontAndBack && Positions < 2)
        throw TError(game + "：前区与后区的比对需要至少两位");
    // The values the rule can give.
    std::array<bool, MaxMatchValue + 1> possible{};
    for (uint32_t pattern = 0; pattern <= fullPattern_; ++pattern)
        possible[MatchValue(pattern)] = true;
    std::array<int32_t, MaxMatchValue + 1> tierOfValue;
    tierOfValue.fill(-1);
    const bool ranked = Rule != TMatchRule::FrontAndBack;  // one value per tier, best first
    for (size_t t = 0; t < Tiers.size(); ++t) {
        const TPrizeTier& tier = Tiers[t];
        if (ranked && tier.Values.size() != 1)
            throw TError(game + "：奖级“" + tier.Name + "”只能有一个比对值");
        for (const int32_t value : tier.Values) {
            if (value < 1 || value > MaxMatchValue || !possible[value])
                throw TError(game + "：奖级“" + tier.Name + "”的比对值" + MatchValueText(value) +
                             "在这种比对方式下不会出现");
            if (tierOfValue[value] >= 0)
                throw TError(game + "：奖级“" + Tiers[tierOfValue[value]].Name + "”和“" +
                             tier.Name + "”重叠（比对值都是" + MatchValueText(value) + "）");
            tierOfValue[value] = static_cast<int32_t>(t);
        }
        if (ranked && t > 0 && tier.Values[0] > Tiers[t - 1].Values[0])
            throw TError(game + "：奖级应从高到低排列，“" + tier.Name + "”排在“" +
                         Tiers[t - 1].Name + "”之后");
    }
    if (ranked) {
        // From the best value the rule gives down to the lowest tier, no value may lack a tier.
        const int32_t lowest = Tiers.back().Values[0];
        for (int32_t value = Positions; value > lowest; --value)
            if (possible[value] && tierOfValue[value] < 0)
                throw TError(game + "：缺少比对值为" + std::to_string(value) + "的奖级");
    }
    for (uint32_t pattern = 0; pattern <= fullPattern_; ++pattern) {
        const int32_t tier = tierOfValue[MatchValue(pattern)];
        tierOfPattern_[pattern] = static_cast<int8_t>(tier);
        if (tier < 0) continue;
        // The draws that agree exactly at the pattern's positions.
        int64_t draws = 1;
        for (int32_t p = 0; p < Positions; ++p)
            if (!((pattern >> p) & 1u)) draws *= ValueCounts[p] - 1;
        exactCounts_[tier] += draws;
    }
}

void TGameRules::PrepareBox(const std::string& game) {
    if (Positions < 2 || Positions > MaxBoxPositions)
        throw TError(game + "：组选只用于2到" + std::to_string(MaxBoxPositions) + "位的游戏");
    for (int32_t p = 0; p < Positions; ++p)
        if (ValueCounts[p] != 10) throw TError(game + "：组选只用于各位都是0-9的游戏");
    std::array<bool, 3> taken{};
    for (const TPrizeTier& tier : Tiers) {
        if (tier.Values.size() != 1 || (tier.Values[0] != BoxPair && tier.Values[0] != BoxDistinct))
            throw TError(game + "：组选奖级“" + tier.Name + "”的比对值应为“组三”或“组六”");
        if (taken[tier.Values[0]])
            throw TError(game + "：组选奖级“" + tier.Name + "”与另一奖级重叠");
        taken[tier.Values[0]] = true;
    }
    // For a bet of each tier's kind (0,0,1,… or 0,1,2,…), every draw with the same digits in
    // some order, counted over the whole space.
    for (int32_t t = 0; t < TierCount(); ++t) {
        std::array<int32_t, TicketPositions> bet{};
        for (int32_t p = 0; p < Positions; ++p)
            bet[p] = Tiers[t].Values[0] == BoxPair ? std::max(0, p - 1) : p;
        std::array<int32_t, TicketPositions> draw{};
        for (int64_t n = 0; n < drawSpace_; ++n) {
            int64_t v = n;
            for (int32_t p = Positions - 1; p >= 0; --p, v /= 10)
                draw[p] = static_cast<int32_t>(v % 10);
            if (BoxTierOf(bet.data(), draw.data()) == t) ++exactCounts_[t];
        }
    }
}

double TGameRules::TierProbability(int32_t tier) const {
    return static_cast<double>(exactCounts_[tier]) / static_cast<double>(drawSpace_);
}

double TGameRules::ExpectedFixedPrize() const {
    int64_t total = 0;  // 元 over the whole space: exact
    for (int32_t t = 0; t < TierCount(); ++t) {
        if (!Tiers[t].Floating) total += exactCounts_[t] * Tiers[t].Amount;
        if (Rule == TMatchRule::Box) break;  // a bet is of one kind
    }
    return static_cast<double>(total) / static_cast<double>(drawSpace_);
}

double TGameRules::ExpectedReturn() const {
    return ExpectedFixedPrize() / static_cast<double>(Price);
}

int32_t TGame::DigitPositions() const {
    int32_t digits = 0;
    while (digits < static_cast<int32_t>(Positions.size()) && Positions[digits].Values == 10)
        ++digits;
    return digits;
}

std::string_view DefaultGameRulesText() {
    return DefaultGameRulesFile;
}

namespace {

// One game as read, before its plays are prepared.
struct TGameReading {
    TGame Game;
    int32_t Line = 0;
    int64_t Price = 2;
    bool PlayNamed = false;
};

std::vector<std::string_view> CommaFields(std::string_view value) {
    std::vector<std::string_view> fields;
    size_t from = 0;
    for (size_t at; (at = value.find(',', from)) != std::string_view::npos; from = at + 1)
        fields.push_back(TrimBlanks(value.substr(from, at - from)));
    fields.push_back(TrimBlanks(value.substr(from)));
    return fields;
}

std::vector<std::string_view> BlankFields(std::string_view value) {
    std::vector<std::string_view> fields;
    size_t from = 0;
    while (from < value.size()) {
        const size_t at = std::min(value.find(' ', from), value.size());
        if (at > from) fields.push_back(value.substr(from, at - from));
        from = at + 1;
    }
    return fields;
}

// "0-9" → 10; -1 when it is not a range from 0.
int32_t RangeValues(std::string_view text) {
    if (text.size() < 3 || text.substr(0, 2) != "0-") return -1;
    const int64_t top = WholeNumber(text.substr(2));
    return top >= 1 && top < MaxPositionValues ? static_cast<int32_t>(top + 1) : -1;
}

// "2,5,7" or "每日" → bit 0 Monday … bit 6 Sunday; 0 for anything else.
int32_t DayMask(std::string_view text) {
    if (text == "每日") return AllDrawDays;
    int32_t days = 0;
    for (const std::string_view day : CommaFields(text)) {
        const int64_t number = WholeNumber(day);
        if (number < 1 || number > 7) return 0;
        days |= 1 << (number - 1);
    }
    return days;
}

// A tier's match values in the play's rule: "5" for the positional rules, "5+0 4+1" for the
// front and the back, "组三" or "组六" for a box; empty when one of them is malformed.
std::vector<int32_t> TierValues(TMatchRule rule, std::string_view text) {
    std::vector<int32_t> values;
    const std::vector<std::string_view> words = BlankFields(text);
    if (words.empty()) return values;
    for (const std::string_view word : words) {
        if (rule == TMatchRule::Box) {
            if (word != "组三" && word != "组六") return {};
            values.push_back(word == "组三" ? BoxPair : BoxDistinct);
        } else if (rule == TMatchRule::FrontAndBack) {
            const size_t plus = word.find('+');
            const int64_t front =
                plus == std::string_view::npos ? -1 : WholeNumber(word.substr(0, plus));
            const int64_t back =
                plus == std::string_view::npos ? -1 : WholeNumber(word.substr(plus + 1));
            if (front < 0 || front >= TicketPositions || back < 0 || back > 1) return {};
            values.push_back(static_cast<int32_t>(front * 2 + back));
        } else {
            const int64_t matched = WholeNumber(word);
            if (matched < 1 || matched > TicketPositions) return {};
            values.push_back(static_cast<int32_t>(matched));
        }
    }
    return values;
}

// The play that match and tier lines belong to: the last one, or a first unnamed one.
TGameRules& CurrentPlay(TGameReading& reading) {
    if (reading.Game.Plays.empty()) reading.Game.Plays.emplace_back();
    return reading.Game.Plays.back();
}

void ReadGameLine(TGameReading& reading, int32_t line, std::string_view key,
                  std::string_view value) {
    TGame& game = reading.Game;
    if (key == "position") {
        const std::vector<std::string_view> fields = CommaFields(value);
        const int32_t values = fields.size() == 2 ? RangeValues(fields[1]) : -1;
        if (fields.size() != 2 || fields[0].empty() || values < 0)
            throw TError(LineText(line) + "position应为“名称, 0-9”（取值从0到最多" +
                         std::to_string(MaxPositionValues - 1) + "）");
        if (game.Positions.size() >= static_cast<size_t>(TicketPositions))
            throw TError(LineText(line) + "号码最多" + std::to_string(TicketPositions) + "位");
        game.Positions.push_back({std::string(fields[0]), values});
    } else if (key == "sum") {
        const int64_t digits = WholeNumber(value);
        if (digits < 1 || digits > TicketPositions)
            throw TError(LineText(line) + "sum应为1到" + std::to_string(TicketPositions) +
                         "的整数");
        game.SumDigits = static_cast<int32_t>(digits);
    } else if (key == "days") {
        game.DrawDays = DayMask(value);
        if (game.DrawDays == 0)
            throw TError(LineText(line) + "days应为1到7的数字（以逗号分隔）或“每日”");
    } else if (key == "price") {
        const int64_t price = WholeNumber(value);
        if (price < 1 || price > 1'000'000)
            throw TError(LineText(line) + "price应为1到1000000的整数（元）");
        reading.Price = price;
    } else if (key == "play") {
        if (value.empty()) throw TError(LineText(line) + "play应写玩法名称");
        game.Plays.emplace_back().Play = std::string(value);
        reading.PlayNamed = true;
    } else if (key == "match") {
        TGameRules& play = CurrentPlay(reading);
        if (!play.Tiers.empty()) throw TError(LineText(line) + "match应写在tier之前");
        if (value == "longest-run")
            play.Rule = TMatchRule::LongestRun;
        else if (value == "all-positions")
            play.Rule = TMatchRule::AllPositions;
        else if (value == "front-and-back")
            play.Rule = TMatchRule::FrontAndBack;
        else if (value == "box")
            play.Rule = TMatchRule::Box;
        else
            throw TError(LineText(line) +
                         "match应为longest-run、all-positions、front-and-back或box");
    } else if (key == "tier") {
        TGameRules& play = CurrentPlay(reading);
        const std::vector<std::string_view> fields = CommaFields(value);
        if (fields.size() != 3 || fields[0].empty())
            throw TError(LineText(line) + "tier应为“名称, 比对值, 金额或浮动”");
        TPrizeTier tier;
        tier.Name = std::string(fields[0]);
        tier.Values = TierValues(play.Rule, fields[1]);
        if (tier.Values.empty())
            throw TError(LineText(line) +
                         (play.Rule == TMatchRule::Box ? "比对值应为“组三”或“组六”"
                          : play.Rule == TMatchRule::FrontAndBack
                              ? "比对值应写作“前区相同位数+后区相同（0或1）”，如5+1"
                              : "比对值应为1到7"));
        if (fields[2] == "浮动") {
            tier.Floating = true;
        } else {
            tier.Amount = WholeNumber(fields[2]);
            if (tier.Amount < 0 || tier.Amount > MaxPrizeAmount)
                throw TError(LineText(line) + "金额应为整数元或“浮动”");
        }
        if (play.Tiers.size() >= static_cast<size_t>(MaxTiers))
            throw TError(LineText(line) + "奖级最多" + std::to_string(MaxTiers) + "个");
        play.Tiers.push_back(std::move(tier));
    } else {
        throw TError(LineText(line) + "无法识别的键" + QuotedExcerpt(key));
    }
}

// Fills in what a game left out and prepares each play with the game's positions and price.
void FinishGame(TGameReading& reading) {
    TGame& game = reading.Game;
    if (game.Positions.empty())
        for (int32_t p = 0; p < TicketPositions; ++p)
            game.Positions.push_back({"第" + std::to_string(p + 1) + "位", 10});
    if (game.DrawDays == 0) game.DrawDays = DefaultDrawDays;
    if (game.Plays.empty()) game.Plays.emplace_back();
    for (TGameRules& play : game.Plays) {
        play.Name = game.Name;
        play.Price = reading.Price;
        play.Positions = static_cast<int32_t>(game.Positions.size());
        for (size_t p = 0; p < game.Positions.size(); ++p)
            play.ValueCounts[p] = game.Positions[p].Values;
        try {
            play.Prepare();
        } catch (const TError& e) {
            throw TError(LineText(reading.Line) + e.what());
        }
    }
}

}  // namespace

std::vector<TGame> ReadGames(std::string_view text) {
    std::vector<TGameReading> readings;
    ForEachContentLine(text, [&](int32_t line, std::string_view content) {
        if (content.front() == '[') {
            if (content.back() != ']' || content.size() < 3)
                throw TError(LineText(line) + "游戏名称应写在[ ]之间");
            TGameReading& reading = readings.emplace_back();
            reading.Game.Name = std::string(content.substr(1, content.size() - 2));
            reading.Line = line;
            return;
        }
        const size_t equals = content.find('=');
        if (equals == std::string_view::npos) throw TError(LineText(line) + "应为“键 = 值”");
        if (readings.empty()) throw TError(LineText(line) + "应先写游戏名称，如[七位数]");
        ReadGameLine(readings.back(), line, TrimBlanks(content.substr(0, equals)),
                     TrimBlanks(content.substr(equals + 1)));
    });
    if (readings.empty()) throw TError("游戏规则里没有游戏");
    std::vector<TGame> games;
    for (TGameReading& reading : readings) {
        FinishGame(reading);
        games.push_back(std::move(reading.Game));
    }
    return games;
}

std::vector<TGameRules> ReadGameRules(std::string_view text) {
    std::vector<TGameRules> plays;
    for (TGame& game : ReadGames(text))
        for (TGameRules& play : game.Plays) plays.push_back(std::move(play));
    return plays;
}

const std::vector<TGame>& DefaultGames() {
    static const std::vector<TGame> games = ReadGames(DefaultGameRulesText());
    return games;
}

const TGameRules& DefaultGameRules() {
    return DefaultGames().front().Plays.front();
}
