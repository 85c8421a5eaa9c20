// The ticket book: 10,000 tickets standing for 1,000,000 bets (9,900 single bets, 99 复式 of
// 10,000 bets and one of 100) checked against 2,500 draws, as `--check` does it (must stay
// under 1 s); the history of one bet over 100,000 draws (under 10 ms); the window's ledger of
// the same book; the exact odds worked out against a count of all 10^7 draws.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "bench/BenchDraws.h"
#include "tickets/GameRules.h"
#include "tickets/TicketCheck.h"
#include "tickets/TicketLedger.h"

namespace {

std::vector<TTicket> Book() {
    std::mt19937 random(2026);
    const auto digit = [&] { return static_cast<uint16_t>(1u << (random() % 10)); };
    std::vector<TTicket> tickets(10'000);
    for (size_t i = 0; i < tickets.size(); ++i) {
        TTicket& ticket = tickets[i];
        for (uint16_t& set : ticket.Sets) set = digit();
        // 复式: four (or two) positions of all ten digits, at a place that varies.
        const int wide = i < 99 ? 4 : i == 99 ? 2 : 0;
        for (int k = 0; k < wide; ++k) ticket.Sets[(i + k) % TicketPositions] = 0x3FF;
        ticket.Multiple = 1 + static_cast<int32_t>(random() % 3);
    }
    return tickets;
}

void BM_CheckTickets(benchmark::State& state) {
    const auto draws = BenchDraws(2'500);
    const std::vector<TTicket> tickets = Book();
    const TGameRules& rules = DefaultGameRules();
    int64_t bets = 0;
    for (const TTicket& ticket : tickets) bets += ticket.Bets();
    if (bets != 1'000'000) state.SkipWithError("the book does not hold 1,000,000 bets");
    for (auto _ : state) {
        const std::vector<TDrawMasks> masks = DrawMasksOf(*draws);
        int64_t prize = 0;
        for (const TTicket& ticket : tickets) prize += CheckTicket(ticket, rules, masks).Prize;
        benchmark::DoNotOptimize(prize);
    }
    state.counters["bets"] = static_cast<double>(bets);
}

// The window's ledger: each ticket over the 2,500 draws from the first (追2500期).
void BM_LedgerOfTheBook(benchmark::State& state) {
    const auto draws = BenchDraws(2'500);
    std::vector<TBookTicket> book;
    for (TTicket& ticket : Book()) {
        ticket.DrawCount = 2'500;
        book.push_back({ticket, 0});
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(
            BuildLedger(book, DefaultGameRules(), DrawMasksOf(*draws), TFloatingAmounts{}));
}

void BM_BetHistory(benchmark::State& state) {
    const auto draws = BenchDraws(100'000);
    const TDigitSets bet = ParseNumbers("3141592");
    for (auto _ : state)
        benchmark::DoNotOptimize(BetHistory(bet, DefaultGameRules(), DrawMasksOf(*draws)));
}

// All 10^7 draws against one bet, matched from their digits; fails when the exact odds differ.
void BM_ExactOddsAgainstEveryDraw(benchmark::State& state) {
    const TGameRules& rules = DefaultGameRules();
    const TDigitSets bet = ParseNumbers("2718281");
    const TTicketMatcher matcher(bet, rules);
    for (auto _ : state) {
        TTierCounts counted{};
        TDrawMasks draw{};
        for (int64_t n = 0; n < AllDraws; ++n) {
            int64_t v = n;
            for (int p = TicketPositions - 1; p >= 0; --p, v /= 10)
                draw[p] = static_cast<uint16_t>(1u << (v % 10));
            matcher.AddWins(matcher.Hits(draw), counted);
        }
        if (counted != rules.ExactDrawCounts()) state.SkipWithError("the exact odds differ");
    }
}

// Reading and preparing every shipped game: the exact odds of each play over its whole space
// (15 × 10^6 draws for 七星彩), by the patterns of agreeing positions.
void BM_ExactOddsOfEveryGame(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ReadGames(DefaultGameRulesText()));
}

}  // namespace

BENCHMARK(BM_CheckTickets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LedgerOfTheBook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BetHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExactOddsOfEveryGame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExactOddsAgainstEveryDraw)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
