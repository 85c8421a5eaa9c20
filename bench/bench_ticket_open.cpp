// The ticket book without its window, over its database: opening a book of 10^5 and 10^6
// single tickets (each on one of the last 2,500 draws) and adding one typed ticket to a book of
// 10^5. Peak memory: /usr/bin/time -v build/bench/bench/bench_ticket_open.
#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <string>

#include "bench/BenchDraws.h"
#include "data/DrawRegister.h"
#include "tests/support/TempFolder.h"
#include "tickets/TicketBook.h"
#include "tickets/store/TicketStore.h"

namespace {

const TCodes& Draws() {
    static const auto draws = BenchDraws(2'500);
    return *draws;
}

// A book file of count tickets, made once per size.
const std::string& BookOf(int64_t count) {
    static std::map<int64_t, std::string> books;
    auto& path = books[count];
    if (!path.empty()) return path;
    path = TempFolder("bench_ticket_open") + "/book" + std::to_string(count) + ".db";
    TTicketStore store(path);
    std::mt19937 random(35);
    std::vector<TStoredTicket> tickets(static_cast<size_t>(count));
    for (TStoredTicket& t : tickets) {
        for (uint16_t& set : t.Ticket.Sets) set = static_cast<uint16_t>(1u << (random() % 10));
        t.FirstRow = static_cast<int32_t>(random() % 2'500);
        t.Source = "导入";
    }
    store.Add(tickets);
    return path;
}

TTicketBook BookAt(const std::string& path, const TDrawRegister& reg) {
    return TTicketBook(Draws(), reg, DefaultGameRules(),
                       [path] { return std::make_unique<TTicketStore>(path); });
}

void BM_OpenBook(benchmark::State& state) {
    const std::string& path = BookOf(state.range(0));
    const TDrawRegister reg;
    for (auto _ : state) {
        TTicketBook book = BookAt(path, reg);
        book.Open();
        benchmark::DoNotOptimize(book.Ledger().Total.Bets);
    }
}

void BM_AddOneTicket(benchmark::State& state) {
    const std::string& path = BookOf(state.range(0));
    const TDrawRegister reg;
    TTicketBook book = BookAt(path, reg);
    book.Open();
    for (auto _ : state) {
        book.AddTyped("1234567", "输入");
        state.PauseTiming();
        book.Undo();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_OpenBook)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_AddOneTicket)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
