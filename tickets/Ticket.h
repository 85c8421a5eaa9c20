#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/Error.h"

// A ticket of the seven-digit game: one digit set per position (单式: one digit each; 定位复式:
// several), standing for every combination of them; a multiple (倍数) and the draws it covers
// (one, or a run of consecutive draws: 追号).

inline constexpr int32_t TicketPositions = 7;
inline constexpr int32_t MaxMultiple = 99;
inline constexpr int32_t MaxDrawsCovered = 999;

// Bit d of a position's mask: digit d is in the set.
using TDigitSets = std::array<uint16_t, TicketPositions>;

struct TTicket {
    TDigitSets Sets{};
    int32_t Multiple = 1;
    int32_t DrawCount = 1;  // draws covered, from the first one on
    // The 期号 as the player typed it; empty: the coming draw at the time it was entered.
    std::string Issue;

    // The number of single bets: the product of the set sizes.
    int64_t Bets() const;
    bool IsSingle() const { return Bets() == 1; }
    bool operator==(const TTicket&) const = default;
};

// The size of one position's set.
int32_t SetSize(uint16_t set);
// The number of single bets of the sets: the product of their sizes.
int64_t BetsOf(const TDigitSets& sets);

// The numbers alone: "1234567" for a single bet, "12/3/456/7/8/9/0" for a 复式.
std::string NumbersText(const TDigitSets& sets);
// The whole typed form, which ParseTicket reads back: numbers, then " x5" for a multiple, then
// " 追10期" for several draws, then " 第2026001期" for a 期号.
std::string TicketText(const TTicket& ticket);

// Reads one ticket in its typed form: the numbers ("1234567" or seven sets separated by "/"),
// then in any order a multiple ("x5", "×5", "5倍"), a run of draws ("追10期") and a 期号
// ("第2026001期"), separated by blanks. Throws TError with a message that names the field.
TTicket ParseTicket(std::string_view text);
// The numbers alone ("1234567", "12/3/456/7/8/9/0"); throws TError naming the position.
TDigitSets ParseNumbers(std::string_view text);

// A ticket list read from text: one ticket per line; blank lines and lines starting with '#'
// are skipped. Every bad line is named with its number (1-based) and its fault.
struct TTicketLineFault {
    int32_t Line = 0;
    std::string Message;
    // "第3行：…", as the window and the command-line tool show it.
    std::string Text() const;
};
struct TTicketReading {
    std::vector<TTicket> Tickets;
    std::vector<int32_t> Lines;  // the line of each ticket
    std::vector<TTicketLineFault> Faults;
};
TTicketReading ReadTicketLines(std::string_view text);

// The tickets as text, one per line, in the form ReadTicketLines reads.
std::string WriteTicketLines(const std::vector<TTicket>& tickets);
