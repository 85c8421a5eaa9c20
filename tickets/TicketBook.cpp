#include "tickets/TicketBook.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <set>
#include <utility>

#include "data/Error.h"
#include "data/FileIo.h"
#include "data/Platform.h"
#include "data/TextLines.h"
#include "reduce/ReduceCount.h"
#include "tickets/DrawIdentity.h"

namespace {

constexpr uint64_t MaxRulesBytes = 1 << 20;
constexpr uint64_t MaxImportBytes = 64 << 20;
constexpr size_t ImportFaultsShown = 20;

std::string Fixed2(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string Percent(double share) {
    return Fixed2(100.0 * share) + "%";
}

// White space off both ends, as a typed field is read.
std::string_view TrimBlanksOf(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string TicketCost(const TGameRules& rules, const TTicket& t) {
    return std::to_string(rules.Price * t.Bets() * t.Multiple * t.DrawCount);
}

}  // namespace

TTicketBook::TTicketBook(const TCodes& draws, const TDrawRegister& reg, TGameRules rules,
                         TOpener opener)
    : draws_(draws), register_(reg), rules_(std::move(rules)), opener_(std::move(opener)) {}

TTicketBook::~TTicketBook() = default;

TGameRules TTicketBook::LoadRules(const std::string& path) {
    if (path.empty()) return DefaultGameRules();
    if (IsMissing(path)) {
        // The built-in file, with its notes, where the player can edit it; best effort.
        try {
            WriteFileAtomically(path, DefaultGameRulesText());
        } catch (const TError&) {
        }
        return DefaultGameRules();
    }
    return ReadGameRules(ReadTextFile(path, MaxRulesBytes)).front();
}

std::vector<TTicket> TTicketBook::TicketsOfBets(const std::vector<int32_t>& bets) {
    std::vector<TTicket> tickets(bets.size());
    for (size_t i = 0; i < bets.size(); ++i) {
        const TShapeDraw digits = ReduceCandidateDigits(bets[i]);
        for (size_t p = 0; p < digits.size(); ++p)
            tickets[i].Sets[p] = static_cast<uint16_t>(1u << digits[p]);
    }
    return tickets;
}

void TTicketBook::Open() {
    if (storage_) return;
    try {
        storage_ = opener_();
    } catch (const TError& e) {
        throw TError(std::string("无法打开票据库：\r\n") + e.what());
    }
    Reload();
}

std::string TTicketBook::AsideMessage() const {
    return storage_ ? storage_->AsideMessage() : std::string();
}

std::string TTicketBook::UnreadableMessage() const {
    if (!storage_ || storage_->Unreadable().empty()) return {};
    const std::vector<std::string>& lines = storage_->Unreadable();
    std::string message = "票据库里有" + std::to_string(lines.size()) +
                          "张票据无法读取，没有列出（它们仍留在票据库里），其余票据照常：";
    for (size_t i = 0; i < lines.size() && i < ImportFaultsShown; ++i) message += "\r\n" + lines[i];
    if (lines.size() > ImportFaultsShown) message += "\r\n……";
    return message;
}

TTicketStorage& TTicketBook::Storage() {
    Open();
    return *storage_;
}

void TTicketBook::Reload() {
    ++revision_;
    try {
        tickets_ = Storage().Tickets();
        storedRows_.clear();
        for (const TStoredTicket& stored : tickets_) storedRows_.push_back(stored.FirstRow);
        storedFloating_ = storage_->FloatingAmounts();
    } catch (const TError&) {
        storedRows_.resize(tickets_.size());
        Recount();
        throw;
    }
    KeyByIssue();
    Recount();
}

void TTicketBook::DrawsChanged() {
    if (!storage_) return;
    ++revision_;
    Recount();
}

void TTicketBook::KeyByIssue() {
    std::vector<TStoredTicket> keyed;
    std::vector<size_t> indexes;
    for (size_t i = 0; i < tickets_.size(); ++i) {
        if (!tickets_[i].FirstIssue.empty()) continue;
        std::string issue = KnownIssueOfRow(draws_, register_, storedRows_[i]);
        if (issue.empty()) continue;
        keyed.push_back(AsStored(i));
        keyed.back().FirstIssue = std::move(issue);
        indexes.push_back(i);
    }
    // A book that cannot be written (read-only, busy) is keyed again at the next reading.
    try {
        if (!keyed.empty()) storage_->Replace(keyed);
    } catch (const TError&) {
    }
    for (size_t k = 0; k < keyed.size(); ++k) tickets_[indexes[k]].FirstIssue = keyed[k].FirstIssue;
    for (TFloatingEntry& entry : storedFloating_) {
        if (!entry.Issue.empty()) continue;
        std::string issue = KnownIssueOfRow(draws_, register_, entry.Row);
        if (issue.empty()) continue;
        // An amount typed for the 期号 since is newer than the row's and stays.
        const bool typed = std::any_of(
            storedFloating_.begin(), storedFloating_.end(), [&](const TFloatingEntry& other) {
                return other.Tier == entry.Tier && IssueKey(other.Issue) == IssueKey(issue);
            });
        // Keyed first, then the row's entry cleared: a failure between leaves both, never none.
        try {
            if (!typed) storage_->SetFloatingAmount(entry.Row, issue, entry.Tier, entry.Amount);
            storage_->SetFloatingAmount(entry.Row, "", entry.Tier, std::nullopt);
        } catch (const TError&) {
        }
        entry.Issue = typed ? std::string() : std::move(issue);
        if (typed) entry.Row = -1;  // no longer counts
    }
}

void TTicketBook::PlaceTickets() {
    const TIssueRows rows(draws_, register_);
    // Without a register (lost, or never made) every ticket stays at the row it was stored at.
    const bool known = register_.Known();
    for (size_t i = 0; i < tickets_.size(); ++i) {
        TStoredTicket& stored = tickets_[i];
        stored.FirstRow =
            stored.FirstIssue.empty() || !known ? storedRows_[i] : rows.RowOf(stored.FirstIssue);
    }
    floating_.clear();
    for (const TFloatingEntry& entry : storedFloating_) {
        const int32_t row = entry.Issue.empty() || !known ? entry.Row : rows.RowOf(entry.Issue);
        if (row >= 0) floating_[{row, entry.Tier}] = entry.Amount;
    }
}

TStoredTicket TTicketBook::AsStored(size_t index) const {
    TStoredTicket stored = tickets_.at(index);
    stored.FirstRow = storedRows_.at(index);
    return stored;
}

TError TTicketBook::GoneError(std::string_view what, int64_t id) {
    std::string message = std::string(what) + "\r\n该票已不存在（可能已被另一程序删除）";
    const auto gone = std::find_if(tickets_.begin(), tickets_.end(),
                                   [&](const TStoredTicket& s) { return s.Id == id; });
    if (gone != tickets_.end()) message += "：" + TicketText(gone->Ticket);
    return TError(message + ReloadFailure());
}

std::string TTicketBook::ReloadFailure() {
    try {
        Reload();
    } catch (const TError& e) {
        return std::string("\r\n") + e.what();
    }
    return {};
}

void TTicketBook::Recount() {
    PlaceTickets();
    masks_ = DrawMasksOf(draws_);
    std::vector<TBookTicket> book;
    book.reserve(tickets_.size());
    // A ticket whose draw is no longer in the list counts as not drawn yet.
    for (const TStoredTicket& stored : tickets_)
        book.push_back({stored.Ticket, stored.FirstRow < 0 ? draws_.Count() : stored.FirstRow});
    ledger_ = BuildLedger(book, rules_, masks_, floating_);
}

int32_t TTicketBook::FirstRowOf(const TTicket& ticket) const {
    return ticket.Issue.empty() ? draws_.Count() : DrawRowOfIssue(draws_, register_, ticket.Issue);
}

TStoredTicket TTicketBook::Place(const TTicket& ticket, std::string source) const {
    TStoredTicket stored;
    stored.Ticket = ticket;
    stored.FirstRow = FirstRowOf(ticket);
    if (!KnownIssueOfRow(draws_, register_, stored.FirstRow).empty())
        stored.FirstIssue = ticket.Issue.empty()
                                ? IssueOfDrawRow(draws_, register_, stored.FirstRow)
                                : ticket.Issue;
    stored.Source = std::move(source);
    return stored;
}

namespace {

// Every tier won with its count, best first: "一等奖×1，二等奖×2".
std::string TiersWonText(const TGameRules& rules, const TTierCounts& wins) {
    std::string text;
    for (int32_t t = 0; t < rules.TierCount(); ++t)
        if (wins[t] > 0)
            text +=
                (text.empty() ? "" : "，") + rules.Tiers[t].Name + "×" + std::to_string(wins[t]);
    return text;
}

// A prize with the part a floating tier leaves open: "1800元", "1800元+未知", "金额未知".
std::string PrizeText(int64_t prize, bool unknown) {
    if (!unknown) return GroupedNumber(prize) + "元";
    return prize > 0 ? GroupedNumber(prize) + "元+" + UnknownText : "金额未知";
}

}  // namespace

std::string TTicketBook::IssueText(int32_t row) const {
    return IssueOfDrawRow(draws_, register_, row);
}

namespace {

// Text of more than one line (a pasted list): each line is a ticket, under the import's rules.
bool IsSeveralLines(std::string_view text) {
    TTextLines lines(TrimBlanksOf(text));
    std::string_view line;
    return lines.Next(line) && lines.Next(line);
}

}  // namespace

std::string TTicketBook::TypedSummary(std::string_view text) const {
    if (IsSeveralLines(text)) {
        const size_t count = CheckLines(text, "粘贴的文字", "输入").size();
        return "共" + std::to_string(count) + "张票据，添加时一起加入";
    }
    const TTicket t = ParseTicket(TrimBlanksOf(text));
    const int32_t first = FirstRowOf(t);
    return std::string(t.IsSingle() ? "单式" : "复式") + "，" + std::to_string(t.Bets()) + "注 ×" +
           std::to_string(t.Multiple) + "倍，" + std::to_string(t.DrawCount) + "期（" +
           IssueText(first) + "起），" + TicketCost(rules_, t) + "元";
}

void TTicketBook::Store(const std::vector<TStoredTicket>& tickets) {
    TTicketUndoStep step;
    try {
        step.AddedIds = Storage().Add(tickets);
    } catch (const TError& e) {
        throw TError(std::string("票据没有保存：\r\n") + e.what());
    }
    undo_.push_back(std::move(step));
    Reload();
}

void TTicketBook::AddTyped(std::string_view text, std::string_view source) {
    if (IsSeveralLines(text))
        Store(CheckLines(text, "粘贴的文字", source));
    else
        Store({Place(ParseTicket(TrimBlanksOf(text)), std::string(source))});
}

bool TTicketBook::AddTickets(const std::vector<TTicket>& tickets, std::string_view source) {
    std::vector<TStoredTicket> stored;
    stored.reserve(tickets.size());
    for (const TTicket& ticket : tickets) stored.push_back(Place(ticket, std::string(source)));
    if (stored.empty()) return false;
    Store(stored);
    return true;
}

void TTicketBook::Edit(int64_t id, std::string_view text) {
    TTicketStorage& storage = Storage();
    const auto old = std::find_if(tickets_.begin(), tickets_.end(),
                                  [&](const TStoredTicket& s) { return s.Id == id; });
    if (old == tickets_.end()) throw GoneError("票据没有修改：", id);
    const TStoredTicket before = AsStored(static_cast<size_t>(old - tickets_.begin()));
    TStoredTicket changed = Place(ParseTicket(TrimBlanksOf(text)), before.Source);
    changed.Id = id;
    // A ticket without a 期号 keeps the draw it was entered for.
    if (changed.Ticket.Issue.empty()) {
        changed.FirstRow = before.FirstRow;
        changed.FirstIssue = before.FirstIssue;
    }
    try {
        storage.Replace({changed});
    } catch (const TTicketGoneError& e) {
        throw GoneError("票据没有修改：", e.Id);
    }
    TTicketUndoStep step;
    step.ReplacedTickets = {before};
    undo_.push_back(std::move(step));
    Reload();
}

void TTicketBook::Remove(const std::vector<int64_t>& ids) {
    if (ids.empty()) return;
    TTicketStorage& storage = Storage();
    TTicketUndoStep step;
    const std::set<int64_t> chosen(ids.begin(), ids.end());
    for (size_t i = 0; i < tickets_.size(); ++i)
        if (chosen.count(tickets_[i].Id)) step.RemovedTickets.push_back(AsStored(i));
    try {
        storage.Remove(ids);
    } catch (const TTicketGoneError& e) {
        throw GoneError("票据没有删除：", e.Id);
    } catch (const TError& e) {
        throw TError(std::string("票据没有删除：\r\n") + e.what());
    }
    undo_.push_back(std::move(step));
    Reload();
}

void TTicketBook::Undo() {
    if (undo_.empty()) return;
    TTicketStorage& storage = Storage();
    const TTicketUndoStep& step = undo_.back();
    try {
        if (!step.AddedIds.empty()) storage.Remove(step.AddedIds);
        if (!step.RemovedTickets.empty()) storage.Add(step.RemovedTickets);
        if (!step.ReplacedTickets.empty()) storage.Replace(step.ReplacedTickets);
    } catch (const TTicketGoneError& e) {
        // This step can never be taken back: it goes, the steps before it stay.
        const int64_t id = e.Id;
        TError gone = GoneError("无法撤销：", id);
        undo_.pop_back();
        throw gone;
    } catch (const TTicketTakenError& e) {
        // Another program stored a ticket under the id of one deleted here: that ticket stays,
        // and this step can never be taken back.
        std::string message =
            "无法撤销：\r\n该票无法恢复：票据库已被另一程序修改，它的编号已被另一张票据使用";
        const auto taken = std::find_if(step.RemovedTickets.begin(), step.RemovedTickets.end(),
                                        [&](const TStoredTicket& s) { return s.Id == e.Id; });
        if (taken != step.RemovedTickets.end()) message += "：" + TicketText(taken->Ticket);
        // Nor can the steps before it that name the id: they would take the other ticket.
        const int64_t id = e.Id;
        undo_.pop_back();
        std::erase_if(undo_, [id](const TTicketUndoStep& earlier) {
            const auto names = [id](const TStoredTicket& s) { return s.Id == id; };
            return std::ranges::count(earlier.AddedIds, id) > 0 ||
                   std::ranges::any_of(earlier.RemovedTickets, names) ||
                   std::ranges::any_of(earlier.ReplacedTickets, names);
        });
        throw TError(message + ReloadFailure());
    } catch (const TError& e) {
        throw TError(std::string("无法撤销：\r\n") + e.what());
    }
    undo_.pop_back();
    Reload();
}

std::vector<TStoredTicket> TTicketBook::CheckImport(std::string_view text) const {
    return CheckLines(text, "文件", "导入");
}

std::vector<TStoredTicket> TTicketBook::CheckLines(std::string_view text, std::string_view where,
                                                   std::string_view source) const {
    TTicketReading reading = ReadTicketLines(text);
    // A 期号 that names no draw is a bad line too.
    std::vector<TStoredTicket> stored;
    for (size_t i = 0; i < reading.Tickets.size(); ++i) {
        try {
            stored.push_back(Place(reading.Tickets[i], std::string(source)));
        } catch (const TError& e) {
            reading.Faults.push_back({reading.Lines[i], e.what()});
        }
    }
    if (!reading.Faults.empty()) {
        std::sort(reading.Faults.begin(), reading.Faults.end(),
                  [](const auto& a, const auto& b) { return a.Line < b.Line; });
        std::string message = std::string(where) + "里有" + std::to_string(reading.Faults.size()) +
                              "行无法读取，没有导入任何票据：";
        for (size_t i = 0; i < reading.Faults.size() && i < ImportFaultsShown; ++i)
            message += "\r\n" + reading.Faults[i].Text();
        if (reading.Faults.size() > ImportFaultsShown) message += "\r\n……";
        throw TError(message);
    }
    if (stored.empty()) throw TError(std::string(where) + "里没有票据。");
    return stored;
}

void TTicketBook::ImportFile(const std::string& path) {
    Store(CheckImport(ReadTextFile(path, MaxImportBytes)));
}

std::string TTicketBook::ExportText() const {
    std::vector<TTicket> tickets;
    tickets.reserve(tickets_.size());
    for (const TStoredTicket& stored : tickets_) {
        TTicket ticket = stored.Ticket;
        // A ticket for the coming draw is written with the 期号 it was entered for.
        if (ticket.Issue.empty())
            ticket.Issue = stored.FirstRow < 0 ? stored.FirstIssue : IssueText(stored.FirstRow);
        tickets.push_back(ticket);
    }
    return WriteTicketLines(tickets);
}

void TTicketBook::SetFloatingAmount(std::string_view issue, int32_t tier,
                                    std::string_view amountText) {
    TTicketStorage& storage = Storage();
    const int32_t row = DrawRowOfIssue(draws_, register_, TrimBlanksOf(issue));
    amountText = TrimBlanksOf(amountText);
    std::optional<int64_t> amount;
    if (!amountText.empty()) {
        int64_t value = 0;
        const char* end = amountText.data() + amountText.size();
        const auto [stop, fault] = std::from_chars(amountText.data(), end, value);
        if (fault != std::errc() || stop != end || value < 0 || value > MaxPrizeAmount)
            throw TError("金额应为0到" + GroupedNumber(MaxPrizeAmount) + "的整数元，空为未知");
        amount = value;
    }
    storage.SetFloatingAmount(row, KnownIssueOfRow(draws_, register_, row), tier, amount);
    Reload();
}

TTicketRow TTicketBook::Row(size_t index) const {
    const TStoredTicket& stored = tickets_.at(index);
    const TTicket& t = stored.Ticket;
    TTicketRow row;
    row.Issues = stored.FirstRow < 0 ? stored.FirstIssue : IssueText(stored.FirstRow);
    if (t.DrawCount > 1 && stored.FirstRow >= 0)
        row.Issues += "–" + IssueText(stored.FirstRow + t.DrawCount - 1);
    row.Numbers = NumbersText(t.Sets);
    row.Kind = t.IsSingle() ? "单式" : "复式";
    row.Bets = t.Bets();
    row.Multiple = t.Multiple;
    row.Amount = rules_.Price * t.Bets() * t.Multiple * t.DrawCount;
    row.Source = stored.Source;
    if (stored.FirstRow < 0) {
        row.Result = "开奖数据里没有这一期";
        return row;
    }
    std::vector<std::string> parts;
    int32_t pending = 0, drawn = 0;
    for (const TTicketDrawResult& result :
         TicketResults({t, stored.FirstRow}, rules_, masks_, floating_)) {
        if (!result.Drawn) {
            ++pending;
            continue;
        }
        ++drawn;
        if (result.BestTier() < 0) continue;
        row.Won = true;
        parts.push_back(IssueText(result.Row) + "期 " + TiersWonText(rules_, result.Wins) + " " +
                        PrizeText(result.Prize, result.PrizeUnknown));
    }
    if (!row.Won && drawn > 0) parts.push_back("未中奖");
    if (pending > 0)
        parts.push_back(t.DrawCount > 1 ? std::to_string(pending) + "期未开奖" : "未开奖");
    if (row.Won) row.Result = "中奖：";
    for (size_t i = 0; i < parts.size(); ++i) row.Result += (i > 0 ? "；" : "") + parts[i];
    return row;
}

std::string TTicketBook::LedgerCsvText() const {
    return LedgerCsv(ledger_, rules_, draws_, register_);
}

TBetHistory TTicketBook::HistoryOf(const TDigitSets& sets) const {
    return BetHistory(sets, rules_, DrawMasksOf(draws_));
}

std::string TTicketBook::LedgerSummary() const {
    const TLedgerLine& total = ledger_.Total;
    // A floating prize without its amount leaves the net and the return open, never 0.
    const bool open = total.PrizeUnknown;
    std::string summary = "已开奖：投入" + GroupedNumber(total.Cost) + "元，奖金" +
                          PrizeText(total.Prize, open) + "，盈亏" +
                          (open ? std::string(UnknownText) : GroupedNumber(total.Net()) + "元") +
                          "，返奖率" +
                          (open             ? std::string(UnknownText)
                           : total.Cost > 0 ? Percent(total.Return())
                                            : "—") +
                          "；同样的投注按理论概率平均返奖" + GroupedAmount(total.ExpectedPrize) +
                          "元（返奖率" + Percent(rules_.ExpectedReturn()) +
                          "）。理论和图中的累计盈亏只算固定奖（浮动奖不计），"
                          "两者可以直接比较。";
    if (ledger_.PendingBets > 0)
        summary += "未开奖：" + GroupedNumber(ledger_.PendingBets) + "注，" +
                   GroupedNumber(ledger_.PendingCost) + "元。";
    return summary;
}
