// The window 投注与兑奖 with a book of 10,000 tickets (single bets, each for one of the last
// 2,500 draws, and 100 复式 of 100 bets): how long the window takes to show the list and the
// ledger again after a change of the draws (on the window's thread, offscreen).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <random>

#include "app/tickets/TicketBookForm.h"
#include "bench/BenchDraws.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/StandaloneDocument.h"
#include "tickets/DrawIdentity.h"

namespace {

void BM_TicketBookRefresh(benchmark::State& state) {
    QTemporaryDir folder;
    TStandaloneDocument document;
    document.Draws.Assign(*BenchDraws(2'500));
    const TCodes& draws = document.Draws;
    TScriptedPrompts::TLog log;
    TScriptedPrompts prompts(log);
    TTicketBookForm form(nullptr, prompts, document.Feed,
                         folder.filePath(QStringLiteral("book.db")),
                         folder.filePath(QStringLiteral("rules.txt")));
    form.OpenWindow();
    std::mt19937 random(7);
    std::vector<TTicket> tickets(10'000);
    for (size_t i = 0; i < tickets.size(); ++i) {
        for (uint16_t& set : tickets[i].Sets) set = static_cast<uint16_t>(1u << (random() % 10));
        if (i < 100) tickets[i].Sets[i % TicketPositions] = tickets[i].Sets[(i + 1) % 7] = 0x3FF;
        tickets[i].Issue = IssueOfDrawRow(draws, TDrawRegister{}, static_cast<int32_t>(i % 2'500));
    }
    if (!form.AddTickets(tickets, QStringLiteral("缩水"))) state.SkipWithError("not added");
    for (auto _ : state) emit document.Feed.DrawsChanged();
    state.counters["tickets"] = static_cast<double>(form.Tickets().size());
}

}  // namespace

BENCHMARK(BM_TicketBookRefresh)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
