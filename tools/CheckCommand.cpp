// tolvane-search check: every ticket of a list checked against every draw.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "data/Error.h"
#include "data/FileIo.h"
#include "data/JsonWriter.h"
#include "tickets/GameRules.h"
#include "tickets/Ticket.h"
#include "tickets/TicketCheck.h"
#include "tools/Command.h"

namespace {

// One JSON line per ticket checked against every draw ({"ticket", "bets", "multiple", "tiers",
// "prize", "cost"}), then {"check": {"tickets", "draws", "cost", "prize", "net", "return",
// "expected_return", "odds"}}.
std::string CheckReportJson(const std::vector<TTicket>& tickets, const TGameRules& rules,
                            const std::vector<TDrawMasks>& draws) {
    TJsonWriter json(TJsonWriter::TStyle::Spaced);
    TCheckTotals totals;
    totals.Tickets = static_cast<int64_t>(tickets.size());
    totals.Draws = static_cast<int64_t>(draws.size());
    const size_t tiers = static_cast<size_t>(rules.TierCount());
    for (const TTicket& ticket : tickets) {
        const TTicketCheck check = CheckTicket(ticket, rules, draws);
        AddMoney(totals.Cost, check.Cost);
        AddMoney(totals.Prize, check.Prize);
        json.BeginObject().Key("ticket").String(NumbersText(ticket.Sets));
        json.Key("bets").Number(ticket.Bets());
        json.Key("multiple").Number(ticket.Multiple);
        json.Key("tiers").Numbers(
            std::vector<int64_t>(check.Wins.begin(), check.Wins.begin() + tiers));
        json.Key("prize").Number(check.Prize);
        json.Key("cost").Number(check.Cost);
        json.EndObject().EndLine();
    }
    json.BeginObject().Key("check").BeginObject();
    json.Key("tickets").Number(totals.Tickets);
    json.Key("draws").Number(totals.Draws);
    json.Key("cost").Number(totals.Cost);
    json.Key("prize").Number(totals.Prize);
    json.Key("net").Number(totals.Net());
    json.Key("return").Number(totals.Return());
    json.Key("expected_return").Number(rules.ExpectedReturn());
    json.Key("odds").BeginArray();
    for (int32_t t = 0; t < rules.TierCount(); ++t) json.Number(rules.TierProbability(t));
    json.EndArray().EndObject().EndObject().EndLine();
    return json.Text();
}

class TCheckCommand : public TCommand {
  public:
    const char* Name() const override { return "check"; }
    const char* Synopsis() const override { return "TICKETS.txt [--rules FILE] DRAWS.txt"; }
    const char* Description() const override {
        return "No search: checks every ticket of TICKETS.txt (one a line: 1234567, or seven "
               "digit\n"
               "sets such as 12/3/456/7/8/9/0, optionally x5 for a multiple) against every draw; "
               "one\n"
               "JSON line per ticket with its tier counts, prize and cost, then a check line "
               "with the\n"
               "totals, the return and the return expected at the exact odds; a ticket line "
               "that\n"
               "cannot be read gives exit status 1. The earlier form is --check TICKETS.txt.\n";
    }
    std::vector<TOption> Options() override {
        return {{"--rules", "FILE",
                 "the game rules file (default: the built-in one; its first game)",
                 [this](std::string_view v) { rulesPath_ = std::string(v); }}};
    }
    void TakeArguments(const std::vector<std::string>& arguments) override {
        if (arguments.size() != 2) throw TUsageError{"give one ticket list and one draw file"};
        ticketsPath_ = arguments[0];
        drawsPath_ = arguments[1];
    }
    int Run() override;

  private:
    std::string ticketsPath_;
    std::string drawsPath_;
    std::optional<std::string> rulesPath_;
};

// The draws, the rules and the tickets are read before anything is printed.
int TCheckCommand::Run() {
    TCodes draws;
    if (!ReadDrawsFile(drawsPath_, draws)) return ExitBadInput;
    TGameRules rules = DefaultGameRules();
    try {
        if (rulesPath_) {
            rules = ReadGameRules(ReadTextFile(*rulesPath_, 1 << 20)).front();
        }
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s: %s\n", rulesPath_->c_str(), e.what());
        return ExitUsage;
    }
    TTicketReading reading;
    try {
        reading = ReadTicketLines(ReadTextFile(ticketsPath_, MaxDrawFileBytes));
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s\n", OneLine(e.what()).c_str());
        return ExitBadInput;
    }
    if (!reading.Faults.empty()) {
        for (const TTicketLineFault& fault : reading.Faults)
            std::fprintf(stderr, "tolvane-search: %s:%d: %s\n", ticketsPath_.c_str(), fault.Line,
                         fault.Message.c_str());
        return ExitBadInput;
    }
    // Money past 2^63 has no meaning here: such a list is refused rather than miscounted.
    double money = 0;
    int64_t largest = rules.Price;
    for (const TPrizeTier& tier : rules.Tiers) largest = std::max(largest, tier.Amount);
    for (const TTicket& ticket : reading.Tickets)
        money += static_cast<double>(ticket.Bets()) * ticket.Multiple * draws.Count() * largest;
    if (money > 1e18) {
        std::fprintf(stderr, "tolvane-search: %s: the tickets stand for too many bets to count\n",
                     ticketsPath_.c_str());
        return ExitBadInput;
    }
    return WriteOutput(CheckReportJson(reading.Tickets, rules, DrawMasksOf(draws)));
}

}  // namespace

std::unique_ptr<TCommand> MakeCheckCommand() {
    return std::make_unique<TCheckCommand>();
}
