#include "files/sqlite_access.h"

#include <cstring>

#ifndef _WIN32
#include <locale.h>
#endif

namespace files::sql {

std::string SystemErrorText(int code) {
#ifdef _WIN32
    return std::strerror(code);
#else
    // strerror follows LC_MESSAGES, which Qt takes from the environment; the reason stays English.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return cLocale != locale_t{} ? strerror_l(code, cLocale) : "error " + std::to_string(code);
#endif
}

std::string Reason(sqlite3* db, int code) {
    std::string reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const int primary = code & 0xFF;
    const int system = db ? sqlite3_system_errno(db) : 0;
    if (system != 0 &&
        (primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR || primary == SQLITE_READONLY)) {
        reason += " (" + SystemErrorText(system) + ")";
    }
    return reason;
}

void Check(sqlite3* db, int code) {
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
        throw DbError(Reason(db, code), code);
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    Check(db,
          sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr));
}

Statement& Statement::Bind(int index, std::int64_t value) {
    Check(db_, sqlite3_bind_int64(statement_, index, value));
    return *this;
}

Statement& Statement::BindText(int index, std::string_view text) {
    Check(db_, sqlite3_bind_text64(statement_, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                   SQLITE_UTF8));
    return *this;
}

Statement& Statement::BindBytes(int index, const std::optional<std::string>& bytes) {
    // A zero-length blob needs a pointer that is not null: null would bind SQL NULL.
    Check(db_, bytes ? sqlite3_bind_blob64(statement_, index, bytes->empty() ? "" : bytes->data(),
                                           bytes->size(), SQLITE_TRANSIENT)
                     : sqlite3_bind_null(statement_, index));
    return *this;
}

bool Statement::Step() {
    const int code = sqlite3_step(statement_);
    Check(db_, code);
    return code == SQLITE_ROW;
}

void Statement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

std::string Statement::Bytes(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size))
                : std::string();
}

std::optional<std::string> Statement::OptionalBytes(int column) const {
    if (IsNull(column))
        return std::nullopt;
    return Bytes(column);
}

void Execute(sqlite3* db, const char* sql) {
    Check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

std::int64_t QueryInt(sqlite3* db, const char* sql) {
    Statement statement(db, sql);
    return statement.Step() ? statement.Int(0) : 0;
}

std::string QueryText(sqlite3* db, const char* sql) {
    Statement statement(db, sql);
    return statement.Step() ? statement.Bytes(0) : std::string();
}

}  // namespace files::sql
