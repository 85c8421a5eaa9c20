#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tickets/TicketStorage.h"

struct sqlite3;

// The ticket book on disk: an SQLite database beside the work document. Every change is one
// transaction, so a crash loses nothing that was confirmed. A file that cannot be opened or
// fails its integrity check is moved aside as "<name>.bak" (never overwritten) and a new book
// is started; AsideMessage() says so. The schema is in docs/ARCHITECTURE.md.

inline constexpr int32_t TicketStoreSchemaVersion = 1;

class TTicketStore final : public TTicketStorage {
  public:
    // "<document>.tickets.db"
    static std::string PathBeside(const std::string& documentPath);

    // Opens the book at path, or makes a new one. Throws TError when neither works (a folder
    // that cannot be written) or when the book is of a newer program.
    explicit TTicketStore(const std::string& path);
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
    void Replace(const TStoredTicket& ticket) override;
    TFloatingAmounts FloatingAmounts() const override;
    void SetFloatingAmount(int32_t row, int32_t tier, std::optional<int64_t> amount) override;

  private:
    void Open();
    void Execute(const char* sql) const;
    template <typename Work>
    void InTransaction(Work&& work);

    std::string path_;
    std::string asideMessage_;
    sqlite3* db_ = nullptr;
};
