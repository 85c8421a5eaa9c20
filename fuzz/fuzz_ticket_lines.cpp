// Feeds arbitrary bytes to the ticket-list reader. Reading never fails (bad lines are named);
// what it read writes back as text that reads to the same tickets; every ticket's bets are the
// product of its set sizes and are matched against a draw without fault.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tickets/GameRules.h"
#include "tickets/Ticket.h"
#include "tickets/TicketCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TTicketReading reading = ReadTicketLines(bytes);
    if (reading.Lines.size() != reading.Tickets.size()) std::abort();
    const TTicketReading again = ReadTicketLines(WriteTicketLines(reading.Tickets));
    if (!again.Faults.empty() || again.Tickets != reading.Tickets) std::abort();
    TDrawMasks draw{};
    for (int p = 0; p < TicketPositions; ++p) draw[p] = static_cast<uint16_t>(1u << (p % 10));
    for (const TTicket& ticket : reading.Tickets) {
        if (ticket.Bets() < 1 || ticket.Multiple < 1 || ticket.Multiple > MaxMultiple) std::abort();
        const TTierCounts wins = TTicketMatcher(ticket.Sets, DefaultGameRules()).Wins(draw);
        int64_t total = 0;
        for (const int64_t n : wins) total += n;
        if (total > ticket.Bets()) std::abort();
    }
    return 0;
}
