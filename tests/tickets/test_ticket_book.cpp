#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "data/FileIo.h"
#include "data/Platform.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/TempFolder.h"
#include "tickets/DrawIdentity.h"
#include "tickets/TicketBook.h"

namespace {

// The book's storage in memory, with the database's rules: ids count up and are never handed
// out again, a given id is kept, a clash or a gone ticket refuses the whole change. failing
// makes every change throw.
class TMemoryStorage final : public TTicketStorage {
  public:
    bool Failing = false;

    const std::string& AsideMessage() const override { return aside_; }
    const std::vector<std::string>& Unreadable() const override { return unreadable_; }
    std::vector<TStoredTicket> Tickets() const override {
        std::vector<TStoredTicket> list;
        for (const auto& [id, ticket] : tickets_) list.push_back(ticket);
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return a.FirstRow < b.FirstRow; });
        return list;
    }
    std::vector<int64_t> Add(const std::vector<TStoredTicket>& tickets) override {
        Check();
        std::map<int64_t, TStoredTicket> next = tickets_;
        std::vector<int64_t> ids;
        int64_t last = lastId_;
        for (TStoredTicket ticket : tickets) {
            if (ticket.Id == 0) ticket.Id = last + 1;
            last = std::max(last, ticket.Id);
            if (!next.emplace(ticket.Id, ticket).second) throw TTicketTakenError(ticket.Id);
            ids.push_back(ticket.Id);
        }
        tickets_ = next;
        lastId_ = last;
        return ids;
    }
    void Remove(const std::vector<int64_t>& ids) override {
        Check();
        for (const int64_t id : ids)
            if (!tickets_.count(id)) throw TTicketGoneError(id);
        for (const int64_t id : ids) tickets_.erase(id);
    }
    void Replace(const std::vector<TStoredTicket>& tickets) override {
        Check();
        for (const TStoredTicket& ticket : tickets)
            if (!tickets_.count(ticket.Id)) throw TTicketGoneError(ticket.Id);
        for (const TStoredTicket& ticket : tickets) tickets_[ticket.Id] = ticket;
    }
    std::vector<TFloatingEntry> FloatingAmounts() const override {
        std::vector<TFloatingEntry> entries;
        for (const auto& [key, amount] : floating_)
            entries.push_back({std::get<0>(key), std::get<1>(key), std::get<2>(key), amount});
        return entries;
    }
    void SetFloatingAmount(int32_t row, const std::string& issue, int32_t tier,
                           std::optional<int64_t> amount) override {
        Check();
        const auto key = std::make_tuple(issue.empty() ? row : 0, issue, tier);
        if (amount)
            floating_[key] = *amount;
        else
            floating_.erase(key);
    }

  private:
    void Check() const {
        if (Failing) throw TError("disk I/O error");
    }
    std::string aside_;
    std::vector<std::string> unreadable_;
    std::map<int64_t, TStoredTicket> tickets_;
    int64_t lastId_ = 0;
    std::map<std::tuple<int32_t, std::string, int32_t>, int64_t> floating_;
};

class TicketBookTest : public ::testing::Test {
  protected:
    TicketBookTest()
        : draws_(RandomDraws(5, 40)), book_(*draws_, register_, DefaultGameRules(), [this] {
              auto storage = std::make_unique<TMemoryStorage>();
              storage_ = storage.get();
              return storage;
          }) {
        book_.Open();
    }
    std::string Issue(int32_t row) const { return IssueOfDrawRow(*draws_, register_, row); }
    std::string Message(const std::function<void()>& work) {
        try {
            work();
        } catch (const TError& e) {
            return e.what();
        }
        return "(nothing thrown)";
    }

    std::unique_ptr<TCodes> draws_;
    TDrawRegister register_;  // no 期号 known: rows are numbered from the first issue
    TMemoryStorage* storage_ = nullptr;
    TTicketBook book_;
};

}  // namespace

// Every kind of change is one step, and 撤销 takes them back in turn to exactly the book
// before it, ids included.
TEST_F(TicketBookTest, UndoRestoresTheBookBeforeEachChange) {
    std::vector<std::vector<TStoredTicket>> before;
    const auto change = [&](const std::function<void()>& work) {
        before.push_back(book_.Tickets());
        work();
        EXPECT_NE(book_.Tickets(), before.back());
    };
    change([&] { book_.AddTyped(" 1234567 x2 ", "输入"); });
    change([&] { book_.AddTickets({ParseTicket("0/1/2/3/4/5/67 追3期")}, "缩水"); });
    change([&] { book_.AddTickets(TTicketBook::TicketsOfBets({7, 1234567}), "缩水"); });
    change([&] { book_.Edit(book_.Tickets()[0].Id, "7654321 x5 第" + Issue(3) + "期"); });
    change([&] { book_.Remove({book_.Tickets()[1].Id, book_.Tickets()[3].Id}); });
    change([&] { book_.Edit(book_.Tickets()[1].Id, "1111111"); });
    EXPECT_EQ(book_.UndoSteps().size(), before.size());
    while (!before.empty()) {
        ASSERT_TRUE(book_.CanUndo());
        book_.Undo();
        EXPECT_EQ(book_.Tickets(), before.back());
        before.pop_back();
    }
    EXPECT_FALSE(book_.CanUndo());
}

// A ticket belongs to the draw its 期号 names, or without one to the draw coming when it was
// entered, which an edit keeps though draws were added since.
TEST_F(TicketBookTest, TicketsBelongToTheDrawTheirIssueNames) {
    EXPECT_EQ(book_.Place(ParseTicket("1234567 第" + Issue(10) + "期"), "输入").FirstRow, 10);
    EXPECT_EQ(book_.Place(ParseTicket("1234567 第" + Issue(40) + "期"), "输入").FirstRow, 40);
    EXPECT_EQ(book_.Place(ParseTicket("1234567"), "输入").FirstRow, 40);
    EXPECT_NE(
        Message([&] { book_.AddTyped("1234567 第" + Issue(41) + "期", "输入"); }).find("不存在"),
        std::string::npos);
    EXPECT_TRUE(book_.Tickets().empty());

    book_.AddTyped("1234567", "输入");
    draws_->Add();
    book_.DrawsChanged();
    book_.Edit(book_.Tickets()[0].Id, "1234567 x3");
    EXPECT_EQ(book_.Tickets()[0].FirstRow, 40);
    EXPECT_EQ(book_.Tickets()[0].Source, "输入");
    book_.Edit(book_.Tickets()[0].Id, "1234567 第" + Issue(41) + "期");
    EXPECT_EQ(book_.Tickets()[0].FirstRow, 41);
    EXPECT_EQ(book_.TypedSummary("12/3/456/7/8/9/0 ×5 追2期"),
              "复式，6注 ×5倍，2期（" + Issue(41) + "起），120元");
    // The export names the coming draw's tickets by the 期号 they were entered for.
    book_.AddTickets({ParseTicket("7654321")}, "缩水");
    const TTicketReading again = ReadTicketLines(book_.ExportText());
    ASSERT_EQ(again.Tickets.size(), 2u);
    EXPECT_EQ(again.Tickets[0].Issue, Issue(41));
    EXPECT_EQ(again.Tickets[1].Issue, Issue(41));
}

// A list pasted into the ticket field is read line by line under the import's rules: all of it
// as one step, or nothing with the bad lines named by number (never a line break quoted).
TEST_F(TicketBookTest, APastedListAddsEveryLineOrNothing) {
    EXPECT_EQ(book_.TypedSummary("1234567\r\n7654321 x2\r\n0/1/2/3/4/5/67\r\n"),
              "共3张票据，添加时一起加入");
    const std::string message =
        Message([&] { book_.AddTyped("1234567\n12/3\n7654321\n", "输入"); });
    EXPECT_EQ(message.find("粘贴的文字里有1行无法读取"), 0u) << message;
    EXPECT_NE(message.find("第2行"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_TRUE(book_.Tickets().empty());
    book_.AddTyped("1234567\r7654321 x2\r", "输入");
    ASSERT_EQ(book_.Tickets().size(), 2u);
    EXPECT_EQ(book_.UndoSteps().size(), 1u);
}

// An import adds every line as one step or nothing at all, naming the bad lines in order (a
// 期号 of no draw among them) and at most 20 of them.
TEST_F(TicketBookTest, AnImportWithABadLineAddsNothing) {
    const std::string bad = "1234567 第" + Issue(99) + "期\n1234567\n\n12/3\n7654321 x0\n";
    const std::string message = Message([&] { book_.CheckImport(bad); });
    EXPECT_EQ(message.find("文件里有3行无法读取"), 0u) << message;
    const size_t first = message.find("第1行"), third = message.find("第4行"),
                 fourth = message.find("第5行");
    EXPECT_TRUE(first < third && third < fourth && fourth != std::string::npos) << message;
    std::string many;
    for (int i = 0; i < 25; ++i) many += "123\n";
    EXPECT_NE(Message([&] { book_.CheckImport(many); }).find("第20行："), std::string::npos);
    EXPECT_EQ(Message([&] { book_.CheckImport(many); }).find("第21行："), std::string::npos);
    EXPECT_EQ(Message([&] { book_.CheckImport("# 只有注释\n\n"); }), "文件里没有票据。");

    const std::string path = TempFolder("ticket_book_import") + "/list.txt";
    std::ofstream(PathFromUtf8(path)) << bad;
    EXPECT_THROW(book_.ImportFile(path), TError);
    std::ofstream(PathFromUtf8(path)) << "1234567 x2\n0/1/2/3/4/5/67 追2期 第" + Issue(10) + "期\n";
    book_.ImportFile(path);
    ASSERT_EQ(book_.Tickets().size(), 2u);
    EXPECT_EQ(book_.Tickets()[0].FirstRow, 10);
    EXPECT_EQ(book_.Tickets()[1].Source, "导入");
    EXPECT_EQ(book_.UndoSteps().size(), 1u);
}

// A failed change of the storage adds no step, says what failed and leaves the book as it
// was; a failed undo keeps its step for another try.
TEST_F(TicketBookTest, AFailedChangeSaysWhatFailedAndKeepsTheSteps) {
    book_.AddTyped("1234567", "输入");
    storage_->Failing = true;
    EXPECT_EQ(Message([&] { book_.AddTyped("7654321", "输入"); }),
              "票据没有保存：\r\ndisk I/O error");
    EXPECT_EQ(Message([&] { book_.Remove({book_.Tickets()[0].Id}); }),
              "票据没有删除：\r\ndisk I/O error");
    EXPECT_EQ(Message([&] { book_.Undo(); }), "无法撤销：\r\ndisk I/O error");
    EXPECT_EQ(book_.Tickets().size(), 1u);
    EXPECT_EQ(book_.UndoSteps().size(), 1u);
    storage_->Failing = false;
    book_.Undo();
    EXPECT_TRUE(book_.Tickets().empty());

    TTicketBook closed(*draws_, register_, DefaultGameRules(),
                       []() -> std::unique_ptr<TTicketStorage> { throw TError("只读"); });
    EXPECT_EQ(Message([&] { closed.Open(); }), "无法打开票据库：\r\n只读");
    EXPECT_FALSE(closed.IsOpen());
}

// Where the register knows 期号, a ticket and a floating amount belong to their 期号, not to a
// row: deleting the first rows in the draw editor moves neither, a 追号 run counts its draws over
// the year's end, a ticket whose draw is deleted says so, and a book kept by rows is keyed once by
// the register it was made with.
TEST(TicketBook, TicketsStayWithTheirIssueWhenTheDrawsAreEdited) {
    const std::unique_ptr<TCodes> draws = RandomDraws(7, 40);
    TDrawRegister reg;  // 2014329 … 2014358, then 2015001 … 2015010
    for (int32_t row = 0; row < 40; ++row)
        reg.Rows.push_back({std::to_string(row < 30 ? 2014329 + row : 2015001 + row - 30), ""});
    TMemoryStorage* storage = nullptr;
    TTicketBook book(*draws, reg, DefaultGameRules(), [&] {
        auto made = std::make_unique<TMemoryStorage>();
        // An earlier version's ticket and floating amount, kept by row.
        made->Add({{0, ParseTicket("1111111"), 5, "输入", ""}});
        made->SetFloatingAmount(5, "", 1, 777);
        made->SetFloatingAmount(5, "", 0, 555);  // retyped for its 期号 since: 999 stays
        made->SetFloatingAmount(0, "2014334", 0, 999);
        storage = made.get();
        return made;
    });
    for (int32_t position = 0; position < TicketPositions; ++position)
        draws->SetNum(position + 1, 10, position + 1);  // 2014339 drew 1234567
    book.Open();
    EXPECT_EQ(storage->Tickets()[0].FirstIssue, "2014334");
    EXPECT_EQ(storage->FloatingAmounts(),
              (std::vector<TFloatingEntry>{{0, "2014334", 0, 999}, {0, "2014334", 1, 777}}));
    book.SetFloatingAmount("2014339", 0, "5000000");
    book.AddTyped("1234567 第2014339期", "输入");
    book.AddTyped("7654321", "输入");
    book.AddTyped("2222222 追5期 第14356期", "输入");
    const auto at = [&](std::string_view numbers) {
        size_t i = 0;
        while (i + 1 < book.Tickets().size() &&
               NumbersText(book.Tickets()[i].Ticket.Sets) != numbers)
            ++i;
        return i;
    };
    const auto issues = [&](std::string_view numbers) { return book.Row(at(numbers)).Issues; };
    const auto expectIssues = [&] {
        EXPECT_EQ(issues("1234567"), "2014339");
        EXPECT_EQ(issues("7654321"), "2015011");
        EXPECT_EQ(issues("2222222"), "2014356–2015002");
        EXPECT_EQ(book.Row(at("1234567")).Result, "中奖：2014339期 一等奖×1 5,000,000元");
    };
    expectIssues();
    EXPECT_EQ(issues("1111111"), "2014334");

    std::vector<DrawRecord> before, after;
    for (int32_t row = 0; row < draws->Count(); ++row) before.push_back(draws->GetCode(row));
    after.assign(before.begin() + 10, before.end());
    for (int32_t row = 0; row < 30; ++row) draws->SetCode(row, after[row]);
    draws->SetCount(30);
    reg = RealignRegister(before, reg, after);
    book.DrawsChanged();
    expectIssues();
    EXPECT_EQ(book.Tickets()[at("1111111")].FirstRow, -1);
    EXPECT_EQ(issues("1111111"), "2014334");
    EXPECT_EQ(book.Row(at("1111111")).Result, "开奖数据里没有这一期");
    // The coming draw arrives: the ticket bought for it is drawn.
    draws->SetCount(31);
    reg.Fit(31);
    book.DrawsChanged();
    expectIssues();
    EXPECT_EQ(book.Tickets()[at("7654321")].FirstRow, 30);
    EXPECT_NE(book.Row(at("7654321")).Result, "未开奖");
    EXPECT_NE(book.ExportText().find("7654321 第2015011期"), std::string::npos)
        << book.ExportText();
}

// A bet number is the seven digits read as a decimal number, leading zeros included.
TEST(TicketBook, BetsBecomeSingleTicketsOfTheComingDraw) {
    const std::vector<int32_t> bets = {0, 70, 1234567, 9999999, 3050709};
    const std::vector<TTicket> tickets = TTicketBook::TicketsOfBets(bets);
    ASSERT_EQ(tickets.size(), bets.size());
    for (size_t i = 0; i < bets.size(); ++i) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%07d", bets[i]);
        EXPECT_EQ(TicketText(tickets[i]), digits);
        EXPECT_TRUE(tickets[i].IsSingle() && tickets[i].Multiple == 1);
    }
}

// The list's row and the ledger say what a ticket won, and a floating prize typed for its
// draw joins the money.
TEST_F(TicketBookTest, RowsAndLedgerFollowWinsAndFloatingAmounts) {
    const std::string drawn = RandomDrawLines(5, 40)[38];
    book_.AddTyped(drawn + " x2 追3期 第" + Issue(38) + "期", "输入");
    TTicketRow row = book_.Row(0);
    EXPECT_EQ(row.Issues, Issue(38) + "–" + Issue(40));
    EXPECT_TRUE(row.Won);
    EXPECT_EQ(row.Result.find("中奖：" + Issue(38) + "期 一等奖×2 金额未知"), 0u) << row.Result;
    EXPECT_NE(book_.LedgerSummary().find("盈亏未知，返奖率未知"), std::string::npos)
        << book_.LedgerSummary();
    EXPECT_NE(row.Result.find("1期未开奖"), std::string::npos);
    EXPECT_EQ(row.Amount, 2 * 2 * 3);
    // No lottery pays more than 10^10 元 a bet: 5×10^18 on this ×2 ticket is refused, the
    // ledger as it was, never wrapped round to a loss.
    for (const char* slip :
         {"12.5", "5000000000000000000", "10000000001", "-1", "99999999999999999999"})
        EXPECT_EQ(Message([&] { book_.SetFloatingAmount(Issue(38), 0, slip); }),
                  "金额应为0到10,000,000,000的整数元，空为未知")
            << slip;
    EXPECT_TRUE(book_.Ledger().Total.PrizeUnknown);
    book_.SetFloatingAmount(Issue(38), 0, "10000000000");
    EXPECT_EQ(book_.Ledger().Total.Prize, 2 * MaxPrizeAmount);
    book_.SetFloatingAmount(" " + Issue(38), 0, "5000000");
    EXPECT_EQ(book_.Ledger().Draws.front().Prize, 2 * 5'000'000);
    EXPECT_NE(book_.Row(0).Result.find("一等奖×2 10,000,000元"), std::string::npos);
    EXPECT_EQ(book_.LedgerSummary().find("未知"), std::string::npos);
    EXPECT_NE(book_.LedgerSummary().find("投入8元，奖金10,0"), std::string::npos)
        << book_.LedgerSummary();
    EXPECT_NE(book_.LedgerSummary().find("未开奖：2注，4元。"), std::string::npos);
}

// A 复式 names every tier it won; a ticket for several draws names its last one by its 期号,
// before those draws arrive and after.
TEST_F(TicketBookTest, ManyTiersAndTheLastIssueOfSeveralDraws) {
    for (int32_t row = 0; row < draws_->Count(); ++row)
        register_.Rows.push_back({std::to_string(2024085 + row), ""});
    book_.DrawsChanged();
    const std::string drawn = RandomDrawLines(5, 40)[39];  // 2024124
    const int last = drawn[6] - '0';
    std::string sets;
    for (int p = 0; p < 6; ++p) sets += std::string(1, drawn[p]) + "/";
    sets +=
        std::to_string(last) + std::to_string((last + 1) % 10) + std::to_string((last + 2) % 10);
    book_.AddTyped(sets + " 第2024124期", "输入");
    EXPECT_NE(book_.Row(0).Result.find("2024124期 一等奖×1，二等奖×2 "), std::string::npos)
        << book_.Row(0).Result;

    book_.AddTyped("1234567 ×5 追10期", "输入");
    EXPECT_EQ(book_.Row(1).Issues, "2024125–2024134");
    for (int i = 0; i < 3; ++i) {  // three of its draws arrive, their 期号 following on
        const int32_t row = draws_->Add();
        for (int32_t p = 1; p <= 7; ++p) draws_->SetNum(p, row, 0);
    }
    register_.Fit(draws_->Count());
    book_.DrawsChanged();
    EXPECT_EQ(book_.Row(1).Issues, "2024125–2024134");
    EXPECT_NE(book_.Row(1).Result.find("7期未开奖"), std::string::npos) << book_.Row(1).Result;
}

// A missing rules file is written from the built-in one for editing; one that cannot be used
// is refused with the reason.
TEST(TicketBook, RulesComeFromTheFileOrAreWrittenThere) {
    const std::string path = TempFolder("ticket_book_rules") + "/game-rules.txt";
    EXPECT_EQ(TTicketBook::LoadRules(path).TierCount(), DefaultGameRules().TierCount());
    EXPECT_EQ(ReadTextFile(path), DefaultGameRulesText());
    std::ofstream(PathFromUtf8(path)) << "[a]\ntier = x, 7, 5\ntier = y, 7, 1\n";
    EXPECT_THROW(TTicketBook::LoadRules(path), TError);
    std::ofstream(PathFromUtf8(path))
        << "[直选]\nprice = 2\nmatch = all-positions\ntier = 一等奖, 7, 10000\n";
    EXPECT_EQ(TTicketBook::LoadRules(path).TierCount(), 1);
}
