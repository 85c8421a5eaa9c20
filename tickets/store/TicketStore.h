#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tickets/TicketStorage.h"

struct sqlite3;

// The ticket book on disk: an SQLite database beside the work document. Every change is one
// transaction, so a crash loses nothing that was confirmed. A file that SQLite finds damaged or
// that fails its integrity check is moved aside as "<name>.bak" (never overwritten) and a new
// book is started; AsideMessage() says so. A book another program is writing is waited for; one
// still busy after the wait, or one that may not be read or written, is refused with the reason
// and left as it is. The schema is in docs/ARCHITECTURE.md.

inline constexpr int32_t TicketStoreSchemaVersion = 3;
// How long a change or the opening waits for another program's change to the book.
inline constexpr std::chrono::milliseconds TicketStoreBusyWait{10'000};

class TTicketStore final : public TTicketStorage {
  public:
    // "<document>.tickets.db"
    static std::string PathBeside(const std::string& documentPath);

    // Opens the book at path, or makes a new one. Throws TError when neither works (a folder
    // that cannot be written), when the book is busy or unreadable, or when it is of a newer
    // program.
    explicit TTicketStore(const std::string& path,
                          std::chrono::milliseconds busyWait = TicketStoreBusyWait);
    ~TTicketStore() override;
    TTicketStore(const TTicketStore&) = delete;
    TTicketStore& operator=(const TTicketStore&) = delete;

    const std::string& Path() const { return path_; }
    // Empty, or the message saying where a damaged book was moved.
    const std::string& AsideMessage() const override { return asideMessage_; }

    // Each change is one transaction.
    std::vector<TStoredTicket> Tickets() const override;
    std::vector<int64_t> Add(const std::vector<TStoredTicket>& tickets) override;
    void Remove(const std::vector<int64_t>& ids) override;
    void Replace(const std::vector<TStoredTicket>& tickets) override;
    const std::vector<std::string>& Unreadable() const override { return unreadable_; }
    std::vector<TFloatingEntry> FloatingAmounts() const override;
    void SetFloatingAmount(int32_t row, const std::string& issue, int32_t tier,
                           std::optional<int64_t> amount) override;

  private:
    // Opens the database; on failure it is closed again.
    void Open();
    void OpenDatabase();
    void Execute(const char* sql) const;
    int64_t SchemaVersion() const;
    // Both tables are there; otherwise this is no ticket book.
    void CheckTables() const;
    template <typename Work>
    void InTransaction(Work&& work);

    std::string path_;
    std::chrono::milliseconds busyWait_;
    std::string asideMessage_;
    sqlite3* db_ = nullptr;
    mutable std::vector<std::string> unreadable_;
};
