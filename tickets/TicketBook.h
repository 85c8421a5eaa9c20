#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/DrawRegister.h"
#include "data/Hao.h"
#include "tickets/GameRules.h"
#include "tickets/Ticket.h"
#include "tickets/TicketCheck.h"
#include "tickets/TicketLedger.h"
#include "tickets/TicketStorage.h"

// The ticket book without its window: the player's tickets in their storage, which draw each
// one belongs to, the changes that 撤销 takes back, imports and exports, and what the window
// shows of each ticket and of the ledger. Every failure throws TError with the text the player
// reads.

// One change of the book that 撤销 takes back.
struct TTicketUndoStep {
    std::vector<int64_t> AddedIds;               // undone by removing them
    std::vector<TStoredTicket> RemovedTickets;   // undone by adding them back
    std::vector<TStoredTicket> ReplacedTickets;  // undone by putting them back
};

// A ticket as the list shows it.
struct TTicketRow {
    std::string Issues;  // "2026001", or "2026001–2026003" for a run of draws
    std::string Numbers;
    std::string Kind;  // 单式, 复式
    int64_t Bets = 0;
    int32_t Multiple = 1;
    int64_t Amount = 0;  // 元, over every draw it covers
    // Per draw the best tier and its money; 未中奖; 未开奖 for draws still to come.
    std::string Result;
    bool Won = false;
    std::string Source;
};

class TTicketBook {
  public:
    // Opens the storage; throws TError when it cannot.
    using TOpener = std::function<std::unique_ptr<TTicketStorage>()>;

    // draws and reg are the document's (followed as they change, see DrawsChanged); the
    // storage is opened on first use.
    TTicketBook(const TCodes& draws, const TDrawRegister& reg, TGameRules rules, TOpener opener);
    ~TTicketBook();

    // The first game of the rules file at path. A missing file is written there from the
    // built-in one, for the player to edit (best effort), and the built-in table used; no path:
    // the built-in table. Throws TError when the file cannot be read or used.
    static TGameRules LoadRules(const std::string& path);
    // Every bet of the 缩水 results (a candidate number: its seven digits as a decimal
    // number) as a single ticket of the coming draw.
    static std::vector<TTicket> TicketsOfBets(const std::vector<int32_t>& bets);

    // Opens the storage and reads it, once: "无法打开票据库：…" when it cannot be opened; an
    // error reading it leaves the book open.
    void Open();
    bool IsOpen() const { return storage_ != nullptr; }
    // Empty, or where a damaged book was moved when it was opened.
    std::string AsideMessage() const;
    // Empty, or which stored tickets could not be read (left out of the list, kept as they
    // are in the storage).
    std::string UnreadableMessage() const;
    // Reads the tickets and the floating amounts again.
    void Reload();
    // The draws changed: the results and the ledger follow.
    void DrawsChanged();

    const TGameRules& Rules() const { return rules_; }
    // The tickets, each FirstRow the row its FirstIssue names in the draws as they are now
    // (-1: a 期号 the register no longer holds); those without a FirstIssue keep their row.
    const std::vector<TStoredTicket>& Tickets() const { return tickets_; }
    const TLedger& Ledger() const { return ledger_; }
    bool CanUndo() const { return !undo_.empty(); }
    // Counts every reading of the storage: a view shows the book again when it moved.
    uint64_t Revision() const { return revision_; }
    const std::vector<TTicketUndoStep>& UndoSteps() const { return undo_; }

    // Which draw a ticket belongs to: its 期号's row, or without one the coming draw. Throws
    // "期号…不存在".
    int32_t FirstRowOf(const TTicket& ticket) const;
    // The ticket with its draw: the row, and the 期号 that keeps it there when the draws are
    // edited (the typed one, or the coming draw's) where the register knows 期号.
    TStoredTicket Place(const TTicket& ticket, std::string source) const;
    // The 期号 shown for a row.
    std::string IssueText(int32_t row) const;
    // What a typed ticket is: "单式，1注 ×2倍，1期（2026001起），4元"; throws the typing's fault.
    // Text of several lines (a pasted list) is read as CheckImport reads a file.
    std::string TypedSummary(std::string_view text) const;

    // The changes; each is one undo step and reads the book again.
    // Adds typed text as a ticket of the source (several lines: all of them, or none).
    void AddTyped(std::string_view text, std::string_view source);
    // Adds the tickets (those without a 期号 to the coming draw); false when there are none.
    bool AddTickets(const std::vector<TTicket>& tickets, std::string_view source);
    // Replaces the ticket of id with the typed text; a ticket without a 期号 keeps its draw.
    // Edit, Remove and Undo of a ticket another program deleted change nothing, read the book
    // again and say that it is gone.
    void Edit(int64_t id, std::string_view text);
    void Remove(const std::vector<int64_t>& ids);
    void Undo();
    // Every line of a ticket list, each placed by its 期号; any bad line (a 期号 that names no
    // draw too) adds nothing: the message names up to 20 of them.
    std::vector<TStoredTicket> CheckImport(std::string_view text) const;
    void ImportFile(const std::string& path);
    // The tickets as a ticket list; those for the coming draw with the 期号 they were entered
    // for.
    std::string ExportText() const;
    // The amount per bet of a floating tier at the draw of issue; empty amountText: unknown.
    void SetFloatingAmount(std::string_view issue, int32_t tier, std::string_view amountText);

    TTicketRow Row(size_t index) const;
    // One bet (or a 复式) over every draw of the document.
    TBetHistory HistoryOf(const TDigitSets& sets) const;
    // "已开奖：投入…" over the ledger.
    std::string LedgerSummary() const;
    // The ledger as CSV (LedgerCsv), its draws named by their 期号.
    std::string LedgerCsvText() const;

  private:
    TTicketStorage& Storage();
    void Store(const std::vector<TStoredTicket>& tickets);
    // The tickets of a ticket list, placed, of the source; where names the text in messages.
    std::vector<TStoredTicket> CheckLines(std::string_view text, std::string_view where,
                                          std::string_view source) const;
    void Recount();
    // Gives the tickets placed by row alone the 期号 the register knows for that row (books of
    // earlier versions, documents that had no register yet), stored in one change.
    void KeyByIssue();
    // Each ticket's and floating amount's row in the draws as they are now.
    void PlaceTickets();
    // The ticket at index as stored (its row as stored, not as placed).
    TStoredTicket AsStored(size_t index) const;
    // "该票已不存在…" naming the ticket of the id, then the book read again.
    TError GoneError(std::string_view what, int64_t id);
    // Reads the book again after a change another program refused: empty, or the line saying
    // why it could not be read.
    std::string ReloadFailure();
    const TCodes& draws_;
    const TDrawRegister& register_;
    TGameRules rules_;
    TOpener opener_;
    std::unique_ptr<TTicketStorage> storage_;
    std::vector<TStoredTicket> tickets_;
    std::vector<int32_t> storedRows_;  // per ticket, the row the storage holds
    std::vector<TFloatingEntry> storedFloating_;
    TFloatingAmounts floating_;
    std::vector<TDrawMasks> masks_;
    TLedger ledger_;
    std::vector<TTicketUndoStep> undo_;
    uint64_t revision_ = 0;
};
