#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
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

// Another program in the middle of a long change: a short wait gives up and says the book is
// busy, the normal wait outlasts the change; neither moves the book aside, and the other
// program's change lands.
TEST(TicketStore, ABusyBookIsWaitedForAndNeverMovedAside) {
    const std::string path = TempFolder("ticket_store_busy") + "/work.gtmq.tickets.db";
    TTicketStore(path).Add(SomeTickets());
    int ready[2], go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        char byte = 0;
        const bool holding =
            sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
            sqlite3_exec(db, "BEGIN EXCLUSIVE; DELETE FROM tickets WHERE first_row = 10", nullptr,
                         nullptr, nullptr) == SQLITE_OK &&
            write(ready[1], "r", 1) == 1 && read(go[0], &byte, 1) == 1;
        usleep(2'500'000);  // longer than the wait of earlier versions
        const bool committed =
            holding && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        _exit(committed ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    try {
        TTicketStore impatient(path, std::chrono::milliseconds(100));
        ADD_FAILURE() << "opened a book another program is writing";
    } catch (const TError& e) {
        EXPECT_NE(std::string(e.what()).find("正被另一程序使用"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
    ASSERT_EQ(write(go[1], "g", 1), 1);
    const TTicketStore patient(path);
    EXPECT_TRUE(patient.AsideMessage().empty());
    const std::vector<TStoredTicket> left = patient.Tickets();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].FirstRow, 11);
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other program's commit";
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
}

// A book that cannot be opened or written for a reason other than damage is refused with the
// reason and left as it is. Root reads every file, so a folder in the book's place stands for
// an unreadable book there; other users check the permissions themselves too.
TEST(TicketStore, AnUnreadableOrReadOnlyBookIsLeftAlone) {
    const std::string path = TempFolder("ticket_store_denied") + "/work.gtmq.tickets.db";
    const auto refusal = [&] {
        try {
            TTicketStore store(path);
            store.Add(SomeTickets());
        } catch (const TError& e) {
            return std::string(e.what());
        }
        return std::string("(opened and written)");
    };
    std::filesystem::create_directory(path);
    EXPECT_NE(refusal().find("权限"), std::string::npos) << refusal();
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
    if (geteuid() == 0) return;
    std::filesystem::remove(path);
    TTicketStore(path).Add(SomeTickets());
    for (const mode_t mode : {0000, 0444}) {
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        EXPECT_NE(refusal().find("权限"), std::string::npos) << refusal();
        EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
    }
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    EXPECT_EQ(TTicketStore(path).Tickets().size(), 2u);
}
