#include "tickets/TicketLedger.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tickets/DrawIdentity.h"

int32_t TTicketDrawResult::BestTier() const {
    for (int32_t t = 0; t < MaxTiers; ++t)
        if (Wins[t] > 0) return t;
    return -1;
}

namespace {

// The prize of tier counts at a row: fixed amounts, and typed floating ones.
void AddPrize(const TGameRules& rules, const TTierCounts& wins, int32_t row,
              const TFloatingAmounts& floating, int64_t& prize, bool& unknown,
              int64_t* fixedPrize = nullptr) {
    for (int32_t t = 0; t < rules.TierCount(); ++t) {
        if (wins[t] == 0) continue;
        if (!rules.Tiers[t].Floating) {
            const int64_t won = MoneyTimes(wins[t], rules.Tiers[t].Amount);
            AddMoney(prize, won);
            if (fixedPrize != nullptr) AddMoney(*fixedPrize, won);
        } else if (const auto found = floating.find({row, t}); found != floating.end() &&
                                                               found->second >= 0 &&
                                                               found->second <= MaxPrizeAmount) {
            AddMoney(prize, MoneyTimes(wins[t], found->second));
        } else {  // not typed, or beyond any prize (a damaged book): unknown
            unknown = true;
        }
    }
}

}  // namespace

std::vector<TTicketDrawResult> TicketResults(const TBookTicket& ticket, const TGameRules& rules,
                                             const std::vector<TDrawMasks>& masks,
                                             const TFloatingAmounts& floating) {
    std::vector<TTicketDrawResult> results;
    const TTicketMatcher matcher(ticket.Ticket.Sets, rules);
    for (int32_t i = 0; i < ticket.Ticket.DrawCount; ++i) {
        TTicketDrawResult& result = results.emplace_back();
        result.Row = ticket.FirstRow + i;
        result.Drawn = result.Row >= 0 && static_cast<size_t>(result.Row) < masks.size();
        if (!result.Drawn) continue;
        result.Wins = matcher.Wins(masks[result.Row]);
        for (int64_t& count : result.Wins) count *= ticket.Ticket.Multiple;
        AddPrize(rules, result.Wins, result.Row, floating, result.Prize, result.PrizeUnknown);
    }
    return results;
}

TLedger BuildLedger(const std::vector<TBookTicket>& tickets, const TGameRules& rules,
                    const std::vector<TDrawMasks>& masks, const TFloatingAmounts& floating) {
    TLedger ledger;
    // By row: every drawn row, those without bets left out at the end.
    std::vector<TLedgerLine> byRow(masks.size());
    const double expectedPerBet = rules.ExpectedFixedPrize();
    for (const TBookTicket& ticket : tickets) {
        const TTicketMatcher matcher(ticket.Ticket.Sets, rules);
        const int64_t bets = ticket.Ticket.Bets() * ticket.Ticket.Multiple;
        for (int32_t i = 0; i < ticket.Ticket.DrawCount; ++i) {
            const int32_t row = ticket.FirstRow + i;
            if (row < 0 || static_cast<size_t>(row) >= masks.size()) {
                ledger.PendingBets += bets;
                AddMoney(ledger.PendingCost, MoneyTimes(bets, rules.Price));
                continue;
            }
            TLedgerLine& line = byRow[static_cast<size_t>(row)];
            line.Row = row;
            line.Bets += bets;
            AddMoney(line.Cost, MoneyTimes(bets, rules.Price));
            TTierCounts wins{};
            matcher.AddWins(matcher.Hits(masks[row]), wins);
            for (int32_t t = 0; t < MaxTiers; ++t) line.Wins[t] += wins[t] * ticket.Ticket.Multiple;
        }
    }
    for (TLedgerLine& line : byRow) {
        if (line.Bets == 0) continue;
        AddPrize(rules, line.Wins, line.Row, floating, line.Prize, line.PrizeUnknown,
                 &line.FixedPrize);
        line.ExpectedPrize = static_cast<double>(line.Bets) * expectedPerBet;
        TLedgerLine& total = ledger.Total;
        total.Bets += line.Bets;
        AddMoney(total.Cost, line.Cost);
        for (int32_t t = 0; t < MaxTiers; ++t) total.Wins[t] += line.Wins[t];
        AddMoney(total.Prize, line.Prize);
        total.PrizeUnknown = total.PrizeUnknown || line.PrizeUnknown;
        AddMoney(total.FixedPrize, line.FixedPrize);
        total.ExpectedPrize += line.ExpectedPrize;
        line.CumulativeFixedNet = total.FixedNet();
        line.CumulativeExpectedNet = total.ExpectedNet();
        ledger.Draws.push_back(line);
    }
    ledger.Total.CumulativeFixedNet = ledger.Total.FixedNet();
    ledger.Total.CumulativeExpectedNet = ledger.Total.ExpectedNet();
    return ledger;
}

namespace {

std::string Money(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

}  // namespace

std::string GroupedNumber(int64_t value) {
    // The magnitude in unsigned arithmetic, so that the most negative value has one too.
    const uint64_t magnitude =
        value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return value < 0 ? "-" + text : text;
}

std::string GroupedAmount(double value) {
    // Counted in fen, so that rounding carries into the whole yuan; what is too large to count
    // that way is written plainly.
    if (!std::isfinite(value) || std::fabs(value) >= 9e15) return Money(value);
    const int64_t fen = std::llround(value * 100.0);
    const int64_t whole = fen / 100;
    const int64_t part = fen < 0 ? -(fen % 100) : fen % 100;
    char decimals[8];
    std::snprintf(decimals, sizeof decimals, ".%02d", static_cast<int>(part));
    // -0.40 has no whole yuan to carry its sign.
    return (fen < 0 && whole == 0 ? "-" : "") + GroupedNumber(whole) + decimals;
}

std::string ProbabilityText(double probability) {
    if (!(probability > 0) || !std::isfinite(probability)) return "0%";
    const double percent = probability * 100.0;
    const int decimals = std::clamp(2 - static_cast<int>(std::floor(std::log10(percent))), 0, 15);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, percent);
    std::string shown = text;
    if (shown.find('.') != std::string::npos) {
        while (shown.back() == '0') shown.pop_back();
        if (shown.back() == '.') shown.pop_back();
    }
    return shown + "%";
}

namespace {

// One field after a comma.
void Field(std::string& csv, const std::string& text) {
    csv += ',';
    csv += text;
}

void CsvLine(std::string& csv, const std::string& label, const TLedgerLine& line,
             const TGameRules& rules) {
    csv += label;
    Field(csv, std::to_string(line.Bets));
    Field(csv, std::to_string(line.Cost));
    for (int32_t t = 0; t < rules.TierCount(); ++t) Field(csv, std::to_string(line.Wins[t]));
    Field(csv, std::to_string(line.Prize));
    if (line.PrizeUnknown) csv += "+浮动奖未知";
    Field(csv, line.PrizeUnknown ? std::string(UnknownText) : std::to_string(line.Net()));
    Field(csv, line.PrizeUnknown ? std::string(UnknownText)
               : line.Cost > 0   ? Money(100.0 * line.Return())
                                 : std::string());
    Field(csv, Money(line.ExpectedPrize));
    Field(csv, std::to_string(line.CumulativeFixedNet));
    Field(csv, Money(line.CumulativeExpectedNet));
    csv += "\r\n";
}

}  // namespace

std::string LedgerCsv(const TLedger& ledger, const TGameRules& rules, const TCodes& draws,
                      const TDrawRegister& reg) {
    std::string csv = "期号,注数,投入（元）";
    for (const TPrizeTier& tier : rules.Tiers) csv += "," + tier.Name + "（注）";
    csv +=
        ",奖金（元）,盈亏（元）,返奖率（%）,期望奖金（元）,累计盈亏（元，固定奖）,"
        "期望累计盈亏（元，固定奖）\r\n";
    for (const TLedgerLine& line : ledger.Draws)
        CsvLine(csv, IssueOfDrawRow(draws, reg, line.Row), line, rules);
    CsvLine(csv, "合计", ledger.Total, rules);
    csv += "未开奖";
    Field(csv, std::to_string(ledger.PendingBets));
    Field(csv, std::to_string(ledger.PendingCost));
    csv += "\r\n";
    return csv;
}
