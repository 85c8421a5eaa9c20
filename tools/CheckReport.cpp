#include "tools/CheckReport.h"

#include "tools/JsonNumbers.h"

std::string CheckReportJson(const std::vector<TTicket>& tickets, const TGameRules& rules,
                            const std::vector<TDrawMasks>& draws) {
    std::string text;
    TCheckTotals totals;
    totals.Tickets = static_cast<int64_t>(tickets.size());
    totals.Draws = static_cast<int64_t>(draws.size());
    const size_t tiers = static_cast<size_t>(rules.TierCount());
    for (const TTicket& ticket : tickets) {
        const TTicketCheck check = CheckTicket(ticket, rules, draws);
        totals.Cost += check.Cost;
        totals.Prize += check.Prize;
        text += "{\"ticket\": \"" + NumbersText(ticket.Sets) + "\", \"bets\": ";
        AppendNumber(text, ticket.Bets());
        text += ", \"multiple\": ";
        AppendNumber(text, ticket.Multiple);
        AppendArray(text, "tiers",
                    std::vector<int64_t>(check.Wins.begin(), check.Wins.begin() + tiers));
        text += ", \"prize\": ";
        AppendNumber(text, check.Prize);
        text += ", \"cost\": ";
        AppendNumber(text, check.Cost);
        text += "}\n";
    }
    text += "{\"check\": {\"tickets\": ";
    AppendNumber(text, totals.Tickets);
    text += ", \"draws\": ";
    AppendNumber(text, totals.Draws);
    text += ", \"cost\": ";
    AppendNumber(text, totals.Cost);
    text += ", \"prize\": ";
    AppendNumber(text, totals.Prize);
    text += ", \"net\": ";
    AppendNumber(text, totals.Net());
    text += ", \"return\": ";
    AppendNumber(text, totals.Return());
    text += ", \"expected_return\": ";
    AppendNumber(text, rules.ExpectedReturn());
    std::vector<double> odds;
    odds.reserve(tiers);
    for (int32_t t = 0; t < rules.TierCount(); ++t) odds.push_back(rules.TierProbability(t));
    AppendArray(text, "odds", odds);
    text += "}}\n";
    return text;
}
