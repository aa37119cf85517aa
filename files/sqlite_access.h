// A thin layer over SQLite's C interface for the journal: statements that free themselves,
// failures as exceptions carrying SQLite's reason, transactions that roll back unless committed.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

namespace files::sql {

// A failure inside an operation: the reason, taken when it happened.
class DbError : public std::runtime_error {
  public:
    explicit DbError(const std::string& reason, int code = SQLITE_ERROR)
        : std::runtime_error(reason), code_(code) {}
    // Another process holds the lock: worth trying again.
    bool Busy() const { return (code_ & 0xFF) == SQLITE_BUSY || (code_ & 0xFF) == SQLITE_LOCKED; }

  private:
    int code_;
};

// The system's reason for an errno value, in English whatever the locale.
std::string SystemErrorText(int code);

// SQLite's reason, with the system's where a file operation failed ("unable to open database
// file" alone does not say why).
std::string Reason(sqlite3* db, int code);

// Throws DbError unless `code` is a success.
void Check(sqlite3* db, int code);

class Statement {
  public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::int64_t value);
    // 8-bit names as they are: SQLite keeps a text's bytes unchanged.
    Statement& BindText(int index, std::string_view text);
    // A blob, or SQL NULL for none.
    Statement& BindBytes(int index, const std::optional<std::string>& bytes);
    // True while there is a row.
    bool Step();
    // Ready to run again, with new values.
    void Reset();

    bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
    std::int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
    std::string Bytes(int column) const;
    std::optional<std::string> OptionalBytes(int column) const;

  private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

void Execute(sqlite3* db, const char* sql);
// The first column of the first row; 0 or "" when there is none.
std::int64_t QueryInt(sqlite3* db, const char* sql);
std::string QueryText(sqlite3* db, const char* sql);

// BEGIN IMMEDIATE takes the write lock at once (waiting up to the busy timeout), so that two
// writers never both read and then collide; rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(sqlite3* db) : db_(db) { Execute(db, "BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (db_)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit() {
        Execute(db_, "COMMIT");
        db_ = nullptr;
    }

  private:
    sqlite3* db_;
};

// Runs `step` again while it fails because another process holds the lock, until `timeoutMs` have
// passed. SQLite waits for a lock by itself, but in a few states (another process making the file
// or changing its mode) it reports it busy at once rather than risk a deadlock.
template <typename Step>
auto WhileBusy(int timeoutMs, Step step) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        try {
            return step();
        } catch (const DbError& failure) {
            if (!failure.Busy() || std::chrono::steady_clock::now() >= deadline)
                throw;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace files::sql
