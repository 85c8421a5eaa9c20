#include <gtest/gtest.h>
#include <sqlite3.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "data/FileIo.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/TempFolder.h"
#include "tickets/TicketBook.h"
#include "tickets/store/TicketStore.h"

namespace {

std::vector<TStoredTicket> SomeTickets() {
    return {{0, ParseTicket("1234567 x2"), 10, "输入", ""},
            {0, ParseTicket("12/3/456/7/8/9/0 追5期 第2026001期"), 11, "导入", "2026001"}};
}

std::string Contents(const std::string& path) {
    return ReadTextFile(path);
}

// Runs sql on the file as another program would.
void RunSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

std::string Thrown(const std::function<void()>& work) {
    try {
        work();
    } catch (const TError& e) {
        return e.what();
    }
    return "(nothing thrown)";
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
        store.SetFloatingAmount(10, "", 0, 4'000'000);
        store.SetFloatingAmount(10, "", 1, 50'000);
        store.SetFloatingAmount(10, "", 1, std::nullopt);
        store.SetFloatingAmount(10, "2026001", 1, 7);
        store.SetFloatingAmount(12, "2026001", 1, 80'000);
    }
    TTicketStore store(path);
    EXPECT_EQ(store.Tickets(), tickets);
    EXPECT_EQ(store.FloatingAmounts(),
              (std::vector<TFloatingEntry>{{10, "", 0, 4'000'000}, {12, "2026001", 1, 80'000}}));
    store.Remove({tickets[0].Id});
    EXPECT_EQ(store.Tickets().size(), 1u);
    store.Add({tickets[0]});  // undo
    EXPECT_EQ(store.Tickets(), tickets);
    tickets[1].Ticket.Multiple = 7;
    store.Replace({tickets[1]});
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
    RunSql(path, "PRAGMA user_version = 9");
    EXPECT_THROW(TTicketStore{path}, TError);
    EXPECT_FALSE(std::filesystem::exists(path + ".3.bak"));
    RunSql(path, "PRAGMA user_version = " + std::to_string(TicketStoreSchemaVersion));
    EXPECT_EQ(TTicketStore(path).Tickets().size(), 2u);
    // Tables no version wrote, under an earlier version's number: not a book, moved aside.
    const std::string strange = folder + "/strange.tickets.db";
    RunSql(strange,
           "CREATE TABLE tickets(x); CREATE TABLE floating_prizes(y); "
           "PRAGMA user_version = 1;");
    EXPECT_NE(TTicketStore(strange).AsideMessage().find(strange + ".bak"), std::string::npos);
}

#ifndef _WIN32  // a second process by fork, and POSIX permissions
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

#endif

// A book of the first version, which handed a deleted ticket's id to the next one, opens with
// every ticket as it was and from then on never gives an id twice.
TEST(TicketStore, ABookOfTheFirstVersionKeepsItsTicketsAndIdsAreNeverReused) {
    const std::string path = TempFolder("ticket_store_v1") + "/work.gtmq.tickets.db";
    RunSql(path, R"sql(
CREATE TABLE tickets(id INTEGER PRIMARY KEY, numbers TEXT NOT NULL,
  multiple INTEGER NOT NULL CHECK(multiple BETWEEN 1 AND 99),
  draws INTEGER NOT NULL CHECK(draws >= 1), issue TEXT NOT NULL, first_row INTEGER NOT NULL,
  source TEXT NOT NULL, added TEXT NOT NULL DEFAULT (datetime('now')));
CREATE INDEX tickets_by_row ON tickets(first_row);
CREATE TABLE floating_prizes(draw_row INTEGER NOT NULL, tier INTEGER NOT NULL,
  amount INTEGER NOT NULL, PRIMARY KEY(draw_row, tier));
PRAGMA user_version = 1;
INSERT INTO tickets(id, numbers, multiple, draws, issue, first_row, source)
  VALUES(4, '1234567', 2, 1, '', 10, '输入'),
        (9, '12/3/456/7/8/9/0', 1, 5, '2026001', 11, '导入');
INSERT INTO floating_prizes VALUES(10, 0, 4000000);
)sql");
    std::vector<TStoredTicket> tickets = SomeTickets();
    tickets[0].Id = 4;
    tickets[1].Id = 9;
    tickets[1].FirstIssue.clear();  // placed by row until the book keys it
    TTicketStore store(path);
    EXPECT_TRUE(store.AsideMessage().empty());
    EXPECT_EQ(store.Tickets(), tickets);
    EXPECT_EQ(store.FloatingAmounts(), (std::vector<TFloatingEntry>{{10, "", 0, 4'000'000}}));
    const int64_t next = store.Add({SomeTickets()[0]})[0];
    EXPECT_EQ(next, 10);
    store.Remove({next, 9});
    EXPECT_EQ(store.Add({SomeTickets()[0]})[0], 11);
    EXPECT_EQ(TTicketStore(path).Add({SomeTickets()[1]})[0], 12);
}

// Two programs on one book: A adds a ticket, B deletes it and adds another. A's 撤销 and 修改
// of the gone ticket change nothing, say so and show the book as it is; B's ticket stays.
TEST(TicketStore, AnUndoOrEditOfATicketAnotherProgramDeletedSaysItIsGone) {
    const std::string path = TempFolder("ticket_store_two") + "/work.gtmq.tickets.db";
    const std::unique_ptr<TCodes> draws = RandomDraws(3, 20);
    const TDrawRegister reg;
    const auto book = [&] {
        return std::make_unique<TTicketBook>(*draws, reg, DefaultGameRules(),
                                             [&] { return std::make_unique<TTicketStore>(path); });
    };
    const auto a = book(), b = book();
    a->AddTyped("1234567", "输入");
    b->Open();
    ASSERT_EQ(b->Tickets().size(), 1u);
    b->Remove({b->Tickets()[0].Id});
    b->AddTyped("7654321", "输入");
    const int64_t gone = a->Tickets()[0].Id;
    EXPECT_NE(b->Tickets()[0].Id, gone);
    // 撤销 while A still shows the ticket, then 修改 and 删除 of the id it had.
    const std::vector<std::function<void()>> changes = {
        [&] { a->Undo(); }, [&] { a->Edit(gone, "1111111"); }, [&] { a->Remove({gone}); }};
    for (size_t i = 0; i < changes.size(); ++i) {
        const std::string message = Thrown(changes[i]);
        EXPECT_NE(message.find(i == 0 ? "该票已不存在（可能已被另一程序删除）：1234567"
                                      : "该票已不存在（可能已被另一程序删除）"),
                  std::string::npos)
            << message;
        ASSERT_EQ(a->Tickets().size(), 1u);
        EXPECT_EQ(NumbersText(a->Tickets()[0].Ticket.Sets), "7654321");
    }
    EXPECT_FALSE(a->CanUndo());
    const std::vector<TStoredTicket> left = TTicketStore(path).Tickets();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(NumbersText(left[0].Ticket.Sets), "7654321");
}

// A deletes a ticket and another program stores one of its own under that id: A's 撤销 says
// why the ticket cannot come back and leaves the other program's ticket as it is.
TEST(TicketStore, AnUndoneDeleteWhoseIdWasTakenMeanwhileChangesNothing) {
    const std::string path = TempFolder("ticket_store_taken") + "/work.gtmq.tickets.db";
    const std::unique_ptr<TCodes> draws = RandomDraws(3, 20);
    const TDrawRegister reg;
    TTicketBook a(*draws, reg, DefaultGameRules(),
                  [&] { return std::make_unique<TTicketStore>(path); });
    a.AddTyped("1234567", "输入");
    const int64_t id = a.Tickets()[0].Id;
    a.Remove({id});
    TTicketStore(path).Add({{id, ParseTicket("7654321"), 5, "导入", ""}});
    const std::string message = Thrown([&] { a.Undo(); });
    EXPECT_EQ(message,
              "无法撤销：\r\n该票无法恢复：票据库已被另一程序修改，它的编号已被另一张票据使用："
              "1234567");
    EXPECT_FALSE(a.CanUndo());
    for (const std::vector<TStoredTicket>& shown : {a.Tickets(), TTicketStore(path).Tickets()}) {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].Id, id);
        EXPECT_EQ(NumbersText(shown[0].Ticket.Sets), "7654321");
    }
}

// One unreadable ticket in a large book leaves the others readable; it is named, kept in the
// file untouched, and the book is not moved aside.
TEST(TicketStore, OneUnreadableTicketLeavesTheOthersReadable) {
    const std::string path = TempFolder("ticket_store_row") + "/work.gtmq.tickets.db";
    TTicketStore(path).Add(std::vector<TStoredTicket>(20'000, SomeTickets()[0]));
    RunSql(path,
           "UPDATE tickets SET numbers = '12x4567' WHERE id = 777;"
           "UPDATE tickets SET multiple = 0 WHERE id = 778;");
    const std::unique_ptr<TCodes> draws = RandomDraws(3, 20);
    const TDrawRegister reg;
    TTicketBook book(*draws, reg, DefaultGameRules(),
                     [&] { return std::make_unique<TTicketStore>(path); });
    book.Open();
    EXPECT_TRUE(book.AsideMessage().empty());
    EXPECT_EQ(book.Tickets().size(), 19'998u);
    const std::string message = book.UnreadableMessage();
    EXPECT_NE(message.find("2张票据无法读取"), std::string::npos) << message;
    EXPECT_NE(message.find("第777张票据的号码"), std::string::npos) << message;
    EXPECT_NE(message.find("第778张票据的倍数"), std::string::npos) << message;
    book.AddTyped("7654321", "输入");
    EXPECT_EQ(book.Tickets().size(), 19'999u);
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
    RunSql(path, "UPDATE tickets SET numbers = '1234567', multiple = 1 WHERE id IN (777, 778);");
    EXPECT_EQ(TTicketStore(path).Tickets().size(), 20'001u);
}
