#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/Error.h"
#include "tickets/Ticket.h"
#include "tickets/TicketLedger.h"

// Where the ticket book keeps its tickets and the floating prizes typed for them. The program
// keeps them in an SQLite file (TTicketStore, tickets/store/); the book itself (TTicketBook)
// needs only this, so it builds where the database does not.

struct TStoredTicket {
    int64_t Id = 0;  // 0 until stored
    TTicket Ticket;
    int32_t FirstRow = 0;  // the row of the first draw it covers
    std::string Source;    // "输入", "导入", "缩水"…
    // The 期号 of that draw; empty where the document knows no 期号 (placed by FirstRow).
    std::string FirstIssue;
    bool operator==(const TStoredTicket&) const = default;
};

// The amount per bet of a floating tier typed for a draw, named by its 期号 where the register
// knows it (so that editing the draws never moves it), else by its row.
struct TFloatingEntry {
    int32_t Row = 0;
    std::string Issue;  // empty: placed by Row
    int32_t Tier = 0;
    int64_t Amount = 0;
    bool operator==(const TFloatingEntry&) const = default;
};

// A change that names a ticket no longer stored (another program deleted it).
class TTicketGoneError : public TError {
  public:
    explicit TTicketGoneError(int64_t id)
        : TError("第" + std::to_string(id) + "张票据已不存在"), Id(id) {}
    int64_t Id;
};

// An undone delete whose id another program has meanwhile given to a ticket of its own.
class TTicketTakenError : public TError {
  public:
    explicit TTicketTakenError(int64_t id)
        : TError("第" + std::to_string(id) + "张票据的编号已被另一张票据使用"), Id(id) {}
    int64_t Id;
};

class TTicketStorage {
  public:
    virtual ~TTicketStorage() = default;

    // Empty, or the message saying where a damaged book was moved when it was opened.
    virtual const std::string& AsideMessage() const = 0;
    // Every change throws TError with the reason and leaves the storage as it was.
    virtual std::vector<TStoredTicket> Tickets() const = 0;
    // What the last Tickets() left out: one line per stored ticket that cannot be read.
    virtual const std::vector<std::string>& Unreadable() const = 0;
    // Adds the tickets at once; those with an Id keep it (an undone delete): TTicketTakenError,
    // and nothing changed, when that id is stored already. Returns the ids, which are never
    // those of an earlier ticket.
    virtual std::vector<int64_t> Add(const std::vector<TStoredTicket>& tickets) = 0;
    // Removes or replaces every one at once; TTicketGoneError, and nothing changed, when one
    // of them is no longer stored.
    virtual void Remove(const std::vector<int64_t>& ids) = 0;
    virtual void Replace(const std::vector<TStoredTicket>& tickets) = 0;
    virtual std::vector<TFloatingEntry> FloatingAmounts() const = 0;
    // Sets (or with none, clears) the amount per bet of a floating tier at the draw of issue,
    // or with no issue at the row: it replaces the entry of the same 期号 (or, without one, of
    // the same row) and tier.
    virtual void SetFloatingAmount(int32_t row, const std::string& issue, int32_t tier,
                                   std::optional<int64_t> amount) = 0;
};
