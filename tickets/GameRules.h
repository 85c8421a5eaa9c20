#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tickets/Ticket.h"

// The rules of a game as data: the price of one bet, how a bet is matched against a draw and
// the prize tiers. Read from a small text file (tickets/game-rules.txt, shipped with the
// program and built into it), so a game with other tiers needs no new code.

inline constexpr int32_t MaxTiers = TicketPositions;
inline constexpr int32_t MatchPatterns = 1 << TicketPositions;  // which positions match
inline constexpr int64_t AllDraws = 10'000'000;                 // 10^7 equally likely draws

enum class TMatchRule : uint8_t {
    LongestRun,    // the longest run of consecutive positions where the digits agree
    AllPositions,  // 7 when the digits agree at every position, else 0 (直选)
};

struct TPrizeTier {
    std::string Name;     // "三等奖"
    int32_t Matched = 0;  // the match value that wins it
    bool Floating = false;
    int64_t Amount = 0;  // 元 per bet, for a fixed tier
};

using TTierCounts = std::array<int64_t, MaxTiers>;

class TGameRules {
  public:
    std::string Name;
    int64_t Price = 2;  // 元 per bet
    TMatchRule Rule = TMatchRule::LongestRun;
    std::vector<TPrizeTier> Tiers;  // best first; at most MaxTiers

    // Checks the tiers and makes the table of the tier of each match pattern; throws TError
    // naming the field (overlapping or missing tiers, a match value the rule never gives).
    void Prepare();

    // The match value of a pattern (bit p: position p's digits agree).
    int32_t MatchValue(uint32_t pattern) const;
    // The tier a pattern wins, or -1.
    int32_t TierOf(uint32_t pattern) const { return tierOfPattern_[pattern & 0x7F]; }
    int32_t TierCount() const { return static_cast<int32_t>(Tiers.size()); }

    // Of the 10^7 equally likely draws, how many give each tier to one bet: each pattern with
    // k agreeing positions stands for 9^(7-k) draws.
    const TTierCounts& ExactDrawCounts() const { return exactCounts_; }
    double TierProbability(int32_t tier) const;
    // The fixed tiers' expected prize of one bet, in 元 (floating tiers count as nothing).
    double ExpectedFixedPrize() const;
    // ExpectedFixedPrize() / Price.
    double ExpectedReturn() const;

  private:
    std::array<int8_t, MatchPatterns> tierOfPattern_{};
    TTierCounts exactCounts_{};
};

// The built-in rules file's text.
std::string_view DefaultGameRulesText();
// Every game of a rules file, prepared; throws TError naming the line and field.
std::vector<TGameRules> ReadGameRules(std::string_view text);
// The first game of the built-in file: the seven-digit table.
const TGameRules& DefaultGameRules();
