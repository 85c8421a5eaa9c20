#include "tickets/store/TicketStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#include "data/DrawRegister.h"
#include "data/Error.h"
#include "data/Platform.h"

namespace {

// A new book is made as the first version's tables and brought up to date by the same steps
// as a book of that version, so both end alike.
constexpr const char* FirstVersion = R"sql(
CREATE TABLE tickets(id INTEGER PRIMARY KEY, numbers TEXT, multiple INTEGER, draws INTEGER,
  issue TEXT, first_row INTEGER, source TEXT, added TEXT);
CREATE TABLE floating_prizes(draw_row INTEGER, tier INTEGER, amount INTEGER);
PRAGMA user_version = 1;
)sql";

// Version 1 reused the highest id after a delete and kept no 期号 of the first draw: the
// tickets move to the table of version 2 with their ids, their first_issue empty (placed by
// row until the book keys them). Ids count up and are never handed out again (AUTOINCREMENT),
// so that another program's undo of an add can never remove a ticket added after it. Values
// are checked when read, so that one unreadable row leaves the others readable.
constexpr const char* FromVersion1 = R"sql(
CREATE TABLE tickets_2(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  numbers TEXT NOT NULL,
  multiple INTEGER NOT NULL,
  draws INTEGER NOT NULL,
  issue TEXT NOT NULL,
  first_row INTEGER NOT NULL,
  first_issue TEXT NOT NULL DEFAULT '',
  source TEXT NOT NULL,
  added TEXT NOT NULL DEFAULT (datetime('now')));
INSERT INTO tickets_2(id, numbers, multiple, draws, issue, first_row, source, added)
  SELECT id, coalesce(numbers, ''), coalesce(multiple, 0), coalesce(draws, 0),
         coalesce(issue, ''), coalesce(first_row, 0), coalesce(source, ''),
         coalesce(added, '') FROM tickets;
DROP TABLE tickets;
ALTER TABLE tickets_2 RENAME TO tickets;
CREATE INDEX tickets_by_row ON tickets(first_row);
PRAGMA user_version = 2;
)sql";

// Version 2 kept floating amounts by row alone: they move over unkeyed (the book keys them).
constexpr const char* FromVersion2 = R"sql(
CREATE TABLE floating_prizes_3(
  draw_row INTEGER NOT NULL,
  tier INTEGER NOT NULL,
  amount INTEGER NOT NULL,
  issue TEXT NOT NULL DEFAULT '');
INSERT INTO floating_prizes_3(draw_row, tier, amount)
  SELECT coalesce(draw_row, 0), coalesce(tier, 0), coalesce(amount, 0) FROM floating_prizes;
DROP TABLE floating_prizes;
ALTER TABLE floating_prizes_3 RENAME TO floating_prizes;
PRAGMA user_version = 3;
)sql";

// A failure of the database with SQLite's primary result code, so that opening can tell a
// damaged book (moved aside) from one that is busy or may not be written (left alone).
class TStoreError : public TError {
  public:
    TStoreError(const std::string& message, int code) : TError(message), Code(code) {}
    int Code;
};

// Results that say the file is not the book it claims to be (damaged, or tables and values that
// no version wrote), as opposed to a book that is busy, may not be read or written, or does
// not fit on the disk.
bool IsDamage(int code) {
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB || code == SQLITE_ERROR ||
           code == SQLITE_MISMATCH || code == SQLITE_CONSTRAINT || code == SQLITE_FORMAT ||
           code == SQLITE_RANGE;
}

// The reason of a failure as the player reads it, with SQLite's own words after it.
std::string ReasonText(int code, const std::string& detail) {
    switch (code) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "票据库正被另一程序使用，请等它完成后再试（" + detail + "）";
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
        case SQLITE_CANTOPEN:
            return "票据库文件无法打开或不允许写入，请检查它的权限（" + detail + "）";
        case SQLITE_FULL:
            return "磁盘已满（" + detail + "）";
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return "票据库已损坏（" + detail + "）";
        default:
            return "票据库无法读写（" + detail + "）";
    }
}

[[noreturn]] void ThrowNotABook() {
    throw TStoreError(ReasonText(SQLITE_NOTADB, "不是票据库"), SQLITE_NOTADB);
}

[[noreturn]] void ThrowStoreError(sqlite3* db) {
    const int code = sqlite3_errcode(db) & 0xff;
    throw TStoreError(ReasonText(code, sqlite3_errmsg(db)), code);
}

// A prepared statement, finalized on every path.
class TStatement {
  public:
    TStatement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) ThrowStoreError(db);
    }
    ~TStatement() { sqlite3_finalize(statement_); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;
    void Bind(int index, int64_t value) { sqlite3_bind_int64(statement_, index, value); }
    void Bind(int index, const std::string& value) {
        sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }
    void BindNull(int index) { sqlite3_bind_null(statement_, index); }
    // True while there is a row.
    bool Step() {
        const int status = sqlite3_step(statement_);
        if (status == SQLITE_ROW) return true;
        if (status == SQLITE_DONE) return false;
        ThrowStoreError(db_);
    }
    void Reset() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
    std::string Text(int column) const {
        const auto* text = sqlite3_column_text(statement_, column);
        return text ? std::string(reinterpret_cast<const char*>(text),
                                  static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
                    : std::string();
    }

  private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// File names are UTF-8 (SQLite takes them so on every system); the wide path on Windows.
bool FileExists(const std::string& path) {
    return !IsMissing(path);
}

bool Rename(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::rename(PathFromUtf8(from), PathFromUtf8(to), error);
    return !error;
}

// "<path>.bak", or "<path>.2.bak" … when that is taken: an earlier copy is never overwritten.
std::string FreeAsideName(const std::string& path) {
    std::string name = path + ".bak";
    for (int n = 2; FileExists(name); ++n) name = path + "." + std::to_string(n) + ".bak";
    return name;
}

}  // namespace

std::string TTicketStore::PathBeside(const std::string& documentPath) {
    return documentPath + ".tickets.db";
}

TTicketStore::TTicketStore(const std::string& path, std::chrono::milliseconds busyWait)
    : path_(path), busyWait_(busyWait) {
    try {
        Open();
        return;
    } catch (const TStoreError& e) {
        // Only a book that is damaged goes aside: a busy, locked or unreadable one is the
        // player's, and another program may be writing it right now.
        if (!IsDamage(e.Code) || !FileExists(path_))
            throw TError(path_ + "：" + e.what() + "。票据库没有改动。");
        const std::string aside = FreeAsideName(path_);
        if (!Rename(path_, aside))
            throw TError("票据库" + path_ + "已损坏，也无法移到一旁：" + e.what());
        // The journal of the damaged file belongs to it.
        Rename(path_ + "-journal", aside + "-journal");
        asideMessage_ =
            path_ + "：" + e.what() + "，已移到" + aside + "保存，并新建了一个空的票据库。";
    }
    Open();
}

TTicketStore::~TTicketStore() {
    if (db_) sqlite3_close(db_);
}

void TTicketStore::Execute(const char* sql) const {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) ThrowStoreError(db_);
}

void TTicketStore::Open() {
    try {
        OpenDatabase();
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

void TTicketStore::OpenDatabase() {
    if (sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        if (!db_) throw TStoreError(ReasonText(SQLITE_NOMEM, "out of memory"), SQLITE_NOMEM);
        ThrowStoreError(db_);
    }
    // Another program's change is waited for, up to busyWait_.
    sqlite3_busy_timeout(db_, static_cast<int>(busyWait_.count()));
    Execute("PRAGMA synchronous = FULL");
    // Opening reads every page more than once (the integrity check, every ticket read back):
    // a page cache of up to 64 MB keeps a book of a million tickets in memory instead of
    // reading it from the file again and again.
    Execute("PRAGMA cache_size = -65536");
    {
        TStatement check(db_, "PRAGMA integrity_check");
        if (!check.Step() || check.Text(0) != "ok")
            throw TStoreError(ReasonText(SQLITE_CORRUPT, "完整性检查未通过"), SQLITE_CORRUPT);
    }
    int64_t version = SchemaVersion();
    if (version < TicketStoreSchemaVersion) {
        // Made or brought up to date once, under the write lock: another program opening
        // the same book at the same time waits and then finds it done.
        InTransaction([&] {
            version = SchemaVersion();
            int64_t step = version;
            if (step == 0) {
                TStatement tables(db_, "SELECT count(*) FROM sqlite_master");
                if (tables.Step() && tables.Int(0) != 0) ThrowNotABook();
                Execute(FirstVersion);
                step = 1;
            }
            CheckTables();
            if (step == 1) Execute(FromVersion1);
            Execute(FromVersion2);
        });
    }
    if (version > TicketStoreSchemaVersion) {
        // Kept as it is: a newer program's book is not damaged.
        throw TError("票据库" + path_ + "由较新版本的程序建立（版本" + std::to_string(version) +
                     "），无法打开");
    }
    CheckTables();
}

int64_t TTicketStore::SchemaVersion() const {
    TStatement read(db_, "PRAGMA user_version");
    return read.Step() ? read.Int(0) : 0;
}

void TTicketStore::CheckTables() const {
    TStatement tables(db_,
                      "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                      "('tickets', 'floating_prizes')");
    if (!tables.Step() || tables.Int(0) != 2) ThrowNotABook();
}

template <typename Work>
void TTicketStore::InTransaction(Work&& work) {
    Execute("BEGIN IMMEDIATE");
    try {
        work();
        Execute("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::vector<TStoredTicket> TTicketStore::Tickets() const {
    std::vector<TStoredTicket> tickets;
    unreadable_.clear();
    TStatement read(db_,
                    "SELECT id, numbers, multiple, draws, issue, first_row, source, first_issue "
                    "FROM tickets ORDER BY first_row, id");
    while (read.Step()) {
        TStoredTicket stored;
        stored.Id = read.Int(0);
        const std::string name = "第" + std::to_string(stored.Id) + "张票据";
        try {
            stored.Ticket.Sets = ParseNumbers(read.Text(1));
        } catch (const TError& e) {
            unreadable_.push_back(name + "的号码无法读取：" + e.what());
            continue;
        }
        const int64_t multiple = read.Int(2), draws = read.Int(3);
        if (multiple < 1 || multiple > MaxMultiple) {
            unreadable_.push_back(name + "的倍数无法读取");
            continue;
        }
        if (draws < 1 || draws > MaxDrawsCovered) {
            unreadable_.push_back(name + "的追号期数无法读取");
            continue;
        }
        stored.Ticket.Multiple = static_cast<int32_t>(multiple);
        stored.Ticket.DrawCount = static_cast<int32_t>(draws);
        stored.Ticket.Issue = read.Text(4);
        stored.FirstRow = static_cast<int32_t>(
            std::clamp<int64_t>(read.Int(5), std::numeric_limits<int32_t>::min() / 2,
                                std::numeric_limits<int32_t>::max() / 2));
        stored.Source = read.Text(6);
        stored.FirstIssue = read.Text(7);
        if (!stored.FirstIssue.empty() && !IsIssueText(stored.FirstIssue)) {
            unreadable_.push_back(name + "的期号无法读取");
            continue;
        }
        tickets.push_back(std::move(stored));
    }
    return tickets;
}

namespace {

// A ticket's stored fields, numbers to first_issue in the tables' order, from index first on.
void BindTicketFields(TStatement& statement, int first, const TStoredTicket& stored) {
    statement.Bind(first, NumbersText(stored.Ticket.Sets));
    statement.Bind(first + 1, stored.Ticket.Multiple);
    statement.Bind(first + 2, stored.Ticket.DrawCount);
    statement.Bind(first + 3, stored.Ticket.Issue);
    statement.Bind(first + 4, stored.FirstRow);
    statement.Bind(first + 5, stored.Source);
    statement.Bind(first + 6, stored.FirstIssue);
}

}  // namespace

std::vector<int64_t> TTicketStore::Add(const std::vector<TStoredTicket>& tickets) {
    std::vector<int64_t> ids;
    InTransaction([&] {
        TStatement insert(db_,
                          "INSERT INTO tickets(id, numbers, multiple, draws, issue, first_row, "
                          "source, first_issue) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
        TStatement stored(db_, "SELECT 1 FROM tickets WHERE id = ?");
        for (const TStoredTicket& ticket : tickets) {
            if (ticket.Id <= 0) continue;
            stored.Bind(1, ticket.Id);
            if (stored.Step()) throw TTicketTakenError(ticket.Id);
            stored.Reset();
        }
        for (const TStoredTicket& stored : tickets) {
            if (stored.Id > 0)
                insert.Bind(1, stored.Id);
            else
                insert.BindNull(1);
            BindTicketFields(insert, 2, stored);
            insert.Step();
            insert.Reset();
            ids.push_back(sqlite3_last_insert_rowid(db_));
        }
    });
    return ids;
}

void TTicketStore::Remove(const std::vector<int64_t>& ids) {
    InTransaction([&] {
        TStatement remove(db_, "DELETE FROM tickets WHERE id = ?");
        for (const int64_t id : ids) {
            remove.Bind(1, id);
            remove.Step();
            remove.Reset();
            if (sqlite3_changes(db_) == 0) throw TTicketGoneError(id);
        }
    });
}

void TTicketStore::Replace(const std::vector<TStoredTicket>& tickets) {
    InTransaction([&] {
        TStatement update(db_,
                          "UPDATE tickets SET numbers = ?, multiple = ?, draws = ?, issue = ?, "
                          "first_row = ?, source = ?, first_issue = ? WHERE id = ?");
        for (const TStoredTicket& stored : tickets) {
            BindTicketFields(update, 1, stored);
            update.Bind(8, stored.Id);
            update.Step();
            update.Reset();
            if (sqlite3_changes(db_) == 0) throw TTicketGoneError(stored.Id);
        }
    });
}

std::vector<TFloatingEntry> TTicketStore::FloatingAmounts() const {
    std::vector<TFloatingEntry> entries;
    TStatement read(db_, "SELECT draw_row, issue, tier, amount FROM floating_prizes");
    while (read.Step())
        entries.push_back({static_cast<int32_t>(read.Int(0)), read.Text(1),
                           static_cast<int32_t>(read.Int(2)), read.Int(3)});
    return entries;
}

void TTicketStore::SetFloatingAmount(int32_t row, const std::string& issue, int32_t tier,
                                     std::optional<int64_t> amount) {
    InTransaction([&] {
        TStatement remove(db_,
                          "DELETE FROM floating_prizes WHERE tier = ?1 AND issue = ?2 AND "
                          "(?2 <> '' OR draw_row = ?3)");
        remove.Bind(1, tier);
        remove.Bind(2, issue);
        remove.Bind(3, row);
        remove.Step();
        if (!amount) return;
        TStatement insert(
            db_, "INSERT INTO floating_prizes(draw_row, tier, amount, issue) VALUES(?, ?, ?, ?)");
        insert.Bind(1, row);
        insert.Bind(2, tier);
        insert.Bind(3, *amount);
        insert.Bind(4, issue);
        insert.Step();
    });
}
