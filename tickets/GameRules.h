#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tickets/Ticket.h"

// The games as data: each game's positions and their ranges, which digits the grid's sum
// column adds, the price of one bet, the draw days and its play types, each with how a bet is
// matched against a draw and its prize tiers. Read from a small text file
// (tickets/game-rules.txt, shipped with the program and built into it), so a game with other
// tiers needs no new code.

inline constexpr int32_t MaxTiers = TicketPositions;
// The most a lottery pays for one bet of a tier, in 元 (fixed or floating): more is a slip.
inline constexpr int64_t MaxPrizeAmount = 10'000'000'000;
inline constexpr int32_t MatchPatterns = 1 << TicketPositions;  // which positions match
inline constexpr int64_t AllDraws = 10'000'000;   // the classic game's 10^7 equally likely draws
inline constexpr int32_t MaxPositionValues = 16;  // a position's values fit a 16-bit mask

enum class TMatchRule : uint8_t {
    LongestRun,    // the longest run of consecutive positions where the numbers agree
    AllPositions,  // the position count when the numbers agree at every position, else 0 (直选)
    FrontAndBack,  // f front positions agree (any of them) and b = 1 when the last one does:
                   // the match value is f * 2 + b
    Box,           // the same digits in any order (组选): 1 for a ticket with exactly two equal
                   // digits (组三), 2 for one with all digits different (组六)
};

inline constexpr int32_t BoxPair = 1;      // 组三
inline constexpr int32_t BoxDistinct = 2;  // 组六
inline constexpr int32_t MaxBoxPositions = 4;
inline constexpr int32_t MaxMatchValue = 2 * TicketPositions;  // 6+1 of front-and-back: 13

// BoxPair for digits with exactly two equal and the others different, BoxDistinct for all
// different, else 0.
int32_t BoxKind(const int32_t* digits, int32_t count);

struct TPrizeTier {
    std::string Name;             // "三等奖"
    std::vector<int32_t> Values;  // the match values that win it
    bool Floating = false;
    int64_t Amount = 0;  // 元 per bet, for a fixed tier
};

using TTierCounts = std::array<int64_t, MaxTiers>;

// One play type of a game (its only one for the classic tables): the game's positions, the
// price and how a bet wins.
class TGameRules {
  public:
    std::string Name;   // the game's name
    std::string Play;   // the play type's name; empty when the game has only this one
    int64_t Price = 2;  // 元 per bet
    int32_t Positions = TicketPositions;
    std::array<int32_t, TicketPositions> ValueCounts{10, 10, 10, 10, 10, 10, 10};  // 0 … n-1
    TMatchRule Rule = TMatchRule::LongestRun;
    std::vector<TPrizeTier> Tiers;  // best first; at most MaxTiers

    // Checks the tiers and makes the table of the tier of each match pattern; throws TError
    // naming the field (overlapping or missing tiers, a match value the rule never gives).
    void Prepare();

    // The match value of a pattern (bit p: position p's numbers agree); not for Box.
    int32_t MatchValue(uint32_t pattern) const;
    // The tier a pattern wins, or -1; not for Box.
    int32_t TierOf(uint32_t pattern) const { return tierOfPattern_[pattern & fullPattern_]; }
    int32_t TierCount() const { return static_cast<int32_t>(Tiers.size()); }
    // A Box play's tier for a bet and a draw (their numbers, Positions of each), or -1.
    int32_t BoxTierOf(const int32_t* bet, const int32_t* draw) const;

    // How many equally likely draws there are: the product of the positions' value counts.
    int64_t DrawSpace() const { return drawSpace_; }
    // Of the DrawSpace() draws, how many give each tier to one bet (for Box, to a bet of the
    // tier's kind): each pattern stands for the product of (values - 1) over its disagreeing
    // positions.
    const TTierCounts& ExactDrawCounts() const { return exactCounts_; }
    double TierProbability(int32_t tier) const;
    // The fixed tiers' expected prize of one bet, in 元 (floating tiers count as nothing); for
    // Box, of a bet of the first tier's kind.
    double ExpectedFixedPrize() const;
    // ExpectedFixedPrize() / Price.
    double ExpectedReturn() const;

  private:
    void PrepareBox(const std::string& game);
    std::string MatchValueText(int32_t value) const;

    std::array<int8_t, MatchPatterns> tierOfPattern_{};
    uint32_t fullPattern_ = MatchPatterns - 1;
    int64_t drawSpace_ = AllDraws;
    TTierCounts exactCounts_{};
};

// A position of a game: its name and how many values it takes (0 … Values-1).
struct TGamePosition {
    std::string Name;  // "第1位", "后区"
    int32_t Values = 10;
};

// A game: its positions, the grid's sum column, the draw days and its play types.
struct TGame {
    std::string Name;  // "七星彩"
    std::vector<TGamePosition> Positions;
    int32_t SumDigits = 4;          // the grid's sum column adds the first this many positions
    int32_t DrawDays = 0;           // bit 0 Monday … bit 6 Sunday
    std::vector<TGameRules> Plays;  // at least one

    // The leading positions of digits 0-9 (the back number of 七星彩 is not one).
    int32_t DigitPositions() const;
};

// The built-in rules file's text.
std::string_view DefaultGameRulesText();
// Every game of a rules file, prepared; throws TError naming the line and field. A game
// without position lines has the classic seven digits, one without a play line one play type.
std::vector<TGame> ReadGames(std::string_view text);
// Every play type of every game of a rules file, in the file's order.
std::vector<TGameRules> ReadGameRules(std::string_view text);
// The built-in games; the first is the classic seven-digit game.
const std::vector<TGame>& DefaultGames();
// The first play type of the built-in file: the seven-digit table.
const TGameRules& DefaultGameRules();
