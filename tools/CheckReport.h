#pragma once

#include <string>
#include <vector>

#include "tickets/GameRules.h"
#include "tickets/Ticket.h"
#include "tickets/TicketCheck.h"

// The check report of the command-line tool: one JSON line per ticket checked against every
// draw ({"ticket", "bets", "multiple", "tiers", "prize", "cost"}), then
// {"check": {"tickets", "draws", "cost", "prize", "net", "return", "expected_return", "odds"}}.
std::string CheckReportJson(const std::vector<TTicket>& tickets, const TGameRules& rules,
                            const std::vector<TDrawMasks>& draws);
