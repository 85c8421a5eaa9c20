#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <string>
#include <vector>

#include "data/FileIo.h"
#include "tests/support/TempFolder.h"
#include "tickets/store/TicketStore.h"

namespace {

std::vector<TStoredTicket> SomeTickets() {
    return {{0, ParseTicket("1234567 x2"), 10, "输入"},
            {0, ParseTicket("12/3/456/7/8/9/0 追5期 第2026001期"), 11, "导入"}};
}

std::string Contents(const std::string& path) {
    return ReadTextFile(path);
}

}  // namespace

TEST(TicketStore, ChangesSurviveReopeningAndUndoneDeletesKeepTheirIds) {
    const std::string path = TempFolder("ticket_store") + "/work.gtmq.tickets.db";
    std::vector<TStoredTicket> tickets = SomeTickets();
    {
        TTicketStore store(path);
        EXPECT_TRUE(store.AsideMessage().empty());
        const std::vector<int64_t> ids = store.Add(tickets);
        ASSERT_EQ(ids.size(), 2u);
        tickets[0].Id = ids[0];
        tickets[1].Id = ids[1];
        store.SetFloatingAmount(10, 0, 4'000'000);
        store.SetFloatingAmount(10, 1, 50'000);
        store.SetFloatingAmount(10, 1, std::nullopt);
    }
    TTicketStore store(path);
    EXPECT_EQ(store.Tickets(), tickets);
    EXPECT_EQ(store.FloatingAmounts(), (TFloatingAmounts{{{10, 0}, 4'000'000}}));
    store.Remove({tickets[0].Id});
    EXPECT_EQ(store.Tickets().size(), 1u);
    store.Add({tickets[0]});  // undo
    EXPECT_EQ(store.Tickets(), tickets);
    tickets[1].Ticket.Multiple = 7;
    store.Replace(tickets[1]);
    EXPECT_EQ(TTicketStore(path).Tickets(), tickets);
    // A failed change leaves the book as it was: the second ticket's id is taken.
    std::vector<TStoredTicket> clash = SomeTickets();
    clash[1].Id = tickets[1].Id;
    EXPECT_THROW(store.Add(clash), TError);
    EXPECT_EQ(store.Tickets(), tickets);
}

TEST(TicketStore, ADamagedBookIsMovedAsideNeverOverwritten) {
    const std::string folder = TempFolder("ticket_store_bad");
    const std::string path = folder + "/work.gtmq.tickets.db";
    const std::string garbage = "这不是数据库" + std::string(5000, 'x');
    for (int round = 0; round < 2; ++round) {
        {
            std::ofstream out(path, std::ios::binary);
            out << garbage;
        }
        TTicketStore store(path);
        const std::string aside = round == 0 ? path + ".bak" : path + ".2.bak";
        EXPECT_NE(store.AsideMessage().find(aside), std::string::npos) << store.AsideMessage();
        EXPECT_EQ(Contents(aside), garbage);
        EXPECT_TRUE(store.Tickets().empty());
        store.Add(SomeTickets());
    }
    EXPECT_EQ(TTicketStore(path).Tickets().size(), 2u);
    EXPECT_TRUE(TTicketStore(path).AsideMessage().empty());

    // A book of a newer schema is refused and left in place, not moved aside.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA user_version = 9", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    EXPECT_THROW(TTicketStore{path}, TError);
    EXPECT_FALSE(std::ifstream(path + ".3.bak").good());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM tickets", -1, &count, nullptr);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 2);
    sqlite3_finalize(count);
    sqlite3_close(db);
}
