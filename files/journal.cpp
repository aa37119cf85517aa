// The journal on SQLite. Every operation runs inside one transaction, so that a process killed at
// any moment leaves the journal as it was before or after a whole entry.
#include "files/journal.h"

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "files/file_io_shared.h"
#include "files/journal_texts.h"
#include "files/sqlite_access.h"

namespace {

using namespace files::sql;
using files::journal_texts::LoadText;
using files::journal_texts::StoreTexts;
using files::journal_texts::TextIds;

// clang-format off
// Layout 1: every entry held its two texts whole.
constexpr const char* kLayout1 = R"sql(
CREATE TABLE entries (
    id INTEGER PRIMARY KEY,
    time_utc TEXT NOT NULL,
    utc_offset_minutes INTEGER NOT NULL,
    user TEXT NOT NULL,
    host TEXT NOT NULL,
    program TEXT NOT NULL,
    version TEXT NOT NULL,
    config_name TEXT NOT NULL,
    config_text BLOB NOT NULL,
    ini_bytes BLOB NOT NULL
);
CREATE TABLE changes (
    entry INTEGER NOT NULL,
    position INTEGER NOT NULL,
    section TEXT NOT NULL,
    key TEXT NOT NULL,
    old_value BLOB,
    new_value BLOB,
    PRIMARY KEY (entry, position)
) WITHOUT ROWID;
)sql";

// Layout 2: each text kept once in `blobs`, most of them as a line delta against the text of the
// entry before; an entry refers to its two texts and carries its number of changes for the list.
constexpr const char* kLayout2 = R"sql(
CREATE TABLE blobs (
    id INTEGER PRIMARY KEY,
    hash INTEGER NOT NULL,
    size INTEGER NOT NULL,
    base INTEGER REFERENCES blobs (id),
    depth INTEGER NOT NULL,
    data BLOB NOT NULL
);
CREATE INDEX blobs_by_hash ON blobs (hash, size);
CREATE TABLE entries_2 (
    id INTEGER PRIMARY KEY,
    time_utc TEXT NOT NULL,
    utc_offset_minutes INTEGER NOT NULL,
    user TEXT NOT NULL,
    host TEXT NOT NULL,
    program TEXT NOT NULL,
    version TEXT NOT NULL,
    config_name TEXT NOT NULL,
    config_blob INTEGER NOT NULL REFERENCES blobs (id),
    ini_blob INTEGER NOT NULL REFERENCES blobs (id),
    change_count INTEGER NOT NULL
);
)sql";
// clang-format on

// Layout 1 to 2: the texts move into `blobs`.
void UpgradeTo2(sqlite3* db) {
    Execute(db, kLayout2);
    Statement old(db,
                  "SELECT id, time_utc, utc_offset_minutes, user, host, program, version, "
                  "config_name, config_text, ini_bytes, "
                  "(SELECT count(*) FROM changes WHERE entry = entries.id) "
                  "FROM entries ORDER BY id");
    Statement insert(db,
                     "INSERT INTO entries_2 (id, time_utc, utc_offset_minutes, user, host, "
                     "program, version, config_name, config_blob, ini_blob, change_count) "
                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    while (old.Step()) {
        const TextIds ids = StoreTexts(db, old.Bytes(8), old.Bytes(9), "entries_2");
        insert.Bind(1, old.Int(0)).Bind(3, old.Int(2)).Bind(9, ids.config).Bind(10, ids.ini);
        for (int column = 1; column <= 7; ++column) {
            if (column != 2)
                insert.BindText(column + 1, old.Bytes(column));
        }
        insert.Bind(11, old.Int(10));
        insert.Step();
        insert.Reset();
    }
    Execute(db, "DROP TABLE entries; ALTER TABLE entries_2 RENAME TO entries;");
}

// The steps from each layout to the next, the first from an empty file.
void UpgradeTo1(sqlite3* db) {
    Execute(db, kLayout1);
}
using UpgradeStep = void (*)(sqlite3*);
constexpr UpgradeStep kUpgrades[] = {UpgradeTo1, UpgradeTo2};
static_assert(std::size(kUpgrades) == kJournalSchemaVersion);

struct Moment {
    std::string utc;
    int offsetMinutes = 0;
};

Moment Now() {
    using namespace std::chrono;
    const auto since = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    const std::time_t seconds = static_cast<std::time_t>(since.count() / 1000);
    std::tm utc{};
    std::tm local{};
    Moment moment;
#ifdef _WIN32
    gmtime_s(&utc, &seconds);
    localtime_s(&local, &seconds);
    moment.offsetMinutes = static_cast<int>((_mkgmtime(&local) - seconds) / 60);
#else
    gmtime_r(&seconds, &utc);
    localtime_r(&seconds, &local);
    moment.offsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
#endif
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(since.count() % 1000));
    moment.utc = buffer;
    return moment;
}

// "%text%" for LIKE, its own "%", "_" and "\" taken literally.
std::string LikePattern(std::string_view text) {
    std::string pattern = "%";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

JournalSummary SummaryFrom(const Statement& row) {
    JournalSummary summary;
    summary.id = row.Int(0);
    summary.timeUtc = row.Bytes(1);
    summary.utcOffsetMinutes = static_cast<int>(row.Int(2));
    summary.writer = {row.Bytes(3), row.Bytes(4), row.Bytes(5), row.Bytes(6)};
    summary.configName = row.Bytes(7);
    summary.changeCount = static_cast<int>(row.Int(8));
    return summary;
}

constexpr const char* kSummaryColumns =
    "id, time_utc, utc_offset_minutes, user, host, program, version, config_name, change_count";

}  // namespace

struct Journal::Impl {
    sqlite3* db = nullptr;
    std::string path;
    // Opened for reading before anything was ever written: no layout yet, no entries.
    bool empty = false;
    int busyTimeoutMs = Journal::kDefaultBusyTimeoutMs;

    ~Impl() {
        // Whoever opens the journal when no other process has it open reads the whole WAL again
        // (and cannot tell which part of it is merged already), so a WAL of some size is merged
        // and emptied here, a few entries' worth at a time. Not when another process holds the
        // journal: that one merges it later.
        if (walFrames >= kWalFramesToMerge) {
            sqlite3_busy_timeout(db, 0);
            sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        }
        sqlite3_close_v2(db);
    }

    // Pages in the WAL after the last commit. This replaces SQLite's own merging after a commit,
    // which is kept for a connection that appends many entries, as SQLite does it.
    static constexpr int kWalFramesToMerge = 64;
    static constexpr int kWalFramesToMergeWhileOpen = 1000;
    int walFrames = 0;
    static int CountWalFrames(void* self, sqlite3* db, const char* name, int frames) {
        static_cast<Impl*>(self)->walFrames = frames;
        if (frames >= kWalFramesToMergeWhileOpen)
            sqlite3_wal_checkpoint(db, name);
        return SQLITE_OK;
    }

    // One entry in one transaction; its id.
    std::int64_t Append(const JournalRecord& record);

    bool Fail(std::string* error, const char* verb, const std::string& why) const {
        return files::detail::Fail(error, verb, path, why);
    }

    // Refuses a file this program must not write to: one of a newer layout, or another
    // program's database. Reads only.
    void Inspect(Access access) {
        // One statement, so that both are read from one state of the file.
        Statement read(db,
                       "SELECT (SELECT user_version FROM pragma_user_version), "
                       "(SELECT count(*) FROM sqlite_master)");
        read.Step();
        const std::int64_t version = read.Int(0);
        const std::int64_t tables = read.Int(1);
        if (version > kJournalSchemaVersion) {
            throw DbError("the journal was made by a newer version of the program (layout " +
                          std::to_string(version) + ")");
        }
        if (version == 0 && tables > 0)
            throw DbError("not a journal (a database of another program)");
        empty = version == 0 && access == Access::Read;
    }

    void Prepare(Access access) {
        // The first read of the file: a damaged file or another kind of file fails here, before
        // anything is written to it.
        Inspect(access);
        if (access == Access::Append && QueryText(db, "PRAGMA journal_mode") != "wal") {
            // Where the file system cannot share memory between processes the file stays in its
            // old mode, which works too, only without a reader beside a writer.
            Execute(db, "PRAGMA journal_mode = WAL");
        }
        // An append waits for no disk flush: a commit is in the WAL file, whole or not at all,
        // however the process ends, and reaches the disk when the WAL is merged into the file or
        // when the system writes it back, which Linux does within half a minute. Only a power cut
        // within that time can lose the newest entries, never the journal's consistency. Waiting
        // for the disk at every commit, and merging at every close as SQLite would, costs four to
        // five flushes per append, several times the write of exam_ddc.ini itself.
        Execute(db, "PRAGMA synchronous = NORMAL");
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_wal_hook(db, &Impl::CountWalFrames, this);
        Upgrade();
    }

    // Brings the file to this program's layout, made from nothing in an empty file.
    void Upgrade() {
        if (empty || QueryInt(db, "PRAGMA user_version") == kJournalSchemaVersion)
            return;
        Transaction transaction(db);
        // Another process may have upgraded it meanwhile.
        for (auto now = QueryInt(db, "PRAGMA user_version"); now < kJournalSchemaVersion; ++now)
            kUpgrades[now](db);
        Execute(db, ("PRAGMA user_version = " + std::to_string(kJournalSchemaVersion)).c_str());
        transaction.Commit();
    }
};

bool JournalAvailable() {
    return true;
}

Journal::Journal(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Journal::~Journal() = default;

std::unique_ptr<Journal> Journal::Open(const std::string& path, Access access, std::string* error,
                                       int busyTimeoutMs) {
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    const char* verb = access == Access::Append ? "write" : "read";
    std::error_code ignored;
    const auto status = std::filesystem::status(path, ignored);
    if (access == Access::Read && !std::filesystem::exists(status)) {
        impl->Fail(error, verb, "No such file or directory");
        return nullptr;
    }
    if (std::filesystem::is_directory(status)) {
        impl->Fail(error, verb, "Is a directory");
        return nullptr;
    }
#ifndef _WIN32
    // Made here rather than by SQLite, whose failure would not say why (a read-only folder, a
    // missing one). An empty file is an empty database. Read and write for whoever may write the
    // folder's other files, as the umask allows: the lab's other users append too.
    if (access == Access::Append && !std::filesystem::exists(status)) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            impl->Fail(error, verb, SystemErrorText(errno));
            return nullptr;
        }
        if (fd >= 0)
            ::close(fd);
    }
#endif
    // Read and write where the file allows it (an older layout is upgraded on reading too),
    // read only where it does not.
    int flags = SQLITE_OPEN_READWRITE;
    if (access == Access::Append)
        flags |= SQLITE_OPEN_CREATE;
    const int opened = sqlite3_open_v2(path.c_str(), &impl->db, flags, nullptr);
    if (opened != SQLITE_OK) {
        impl->Fail(error, verb, Reason(impl->db, opened));
        return nullptr;
    }
    sqlite3_busy_timeout(impl->db, busyTimeoutMs);
    try {
        WhileBusy(busyTimeoutMs, [&] { impl->Prepare(access); });
    } catch (const DbError& failure) {
        impl->Fail(error, verb, failure.what());
        return nullptr;
    }
    impl->busyTimeoutMs = busyTimeoutMs;
    return std::unique_ptr<Journal>(new Journal(std::move(impl)));
}

std::optional<std::int64_t> Journal::Append(const JournalRecord& record, std::string* error) {
    if (impl_->empty) {
        impl_->Fail(error, "write", "opened for reading");
        return std::nullopt;
    }
    try {
        return WhileBusy(impl_->busyTimeoutMs, [&] { return impl_->Append(record); });
    } catch (const DbError& failure) {
        impl_->Fail(error, "write", failure.what());
    } catch (const std::bad_alloc&) {
        impl_->Fail(error, "write", "out of memory");
    }
    return std::nullopt;
}

std::int64_t Journal::Impl::Append(const JournalRecord& record) {
    Transaction transaction(db);
    const TextIds ids = StoreTexts(db, record.configText, record.iniBytes, "entries");
    const Moment moment = Now();
    Statement entry(db,
                    "INSERT INTO entries (time_utc, utc_offset_minutes, user, host, program, "
                    "version, config_name, config_blob, ini_blob, change_count) "
                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    entry.BindText(1, moment.utc).Bind(2, moment.offsetMinutes);
    entry.BindText(3, record.writer.user).BindText(4, record.writer.host);
    entry.BindText(5, record.writer.program).BindText(6, record.writer.version);
    entry.BindText(7, record.configName).Bind(8, ids.config).Bind(9, ids.ini);
    entry.Bind(10, static_cast<std::int64_t>(record.changes.size()));
    entry.Step();
    const std::int64_t id = sqlite3_last_insert_rowid(db);

    Statement change(db,
                     "INSERT INTO changes (entry, position, section, key, old_value, "
                     "new_value) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    for (std::size_t i = 0; i < record.changes.size(); ++i) {
        const KeyChange& c = record.changes[i];
        change.Bind(1, id).Bind(2, static_cast<std::int64_t>(i));
        change.BindText(3, c.section).BindText(4, c.key);
        change.BindBytes(5, c.before).BindBytes(6, c.after);
        change.Step();
        change.Reset();
    }
    transaction.Commit();
    return id;
}

bool Journal::List(const JournalQuery& query, std::vector<JournalSummary>& entries,
                   std::string* error) {
    entries.clear();
    if (impl_->empty)
        return true;
    try {
        std::string sql = std::string("SELECT ") + kSummaryColumns + " FROM entries";
        if (!query.filter.empty()) {
            sql +=
                " WHERE time_utc LIKE ?1 ESCAPE '\\' OR config_name LIKE ?1 ESCAPE '\\'"
                " OR user LIKE ?1 ESCAPE '\\' OR host LIKE ?1 ESCAPE '\\'"
                " OR program LIKE ?1 ESCAPE '\\' OR version LIKE ?1 ESCAPE '\\'"
                " OR EXISTS (SELECT 1 FROM changes WHERE entry = entries.id"
                " AND key LIKE ?1 ESCAPE '\\')";
        }
        sql += " ORDER BY id DESC LIMIT ?2";
        Statement list(impl_->db, sql);
        if (!query.filter.empty())
            list.BindText(1, LikePattern(query.filter));
        list.Bind(2, query.limit == 0 ? -1 : static_cast<std::int64_t>(query.limit));
        while (list.Step())
            entries.push_back(SummaryFrom(list));
        return true;
    } catch (const DbError& failure) {
        entries.clear();
        return impl_->Fail(error, "read", failure.what());
    } catch (const std::bad_alloc&) {
        entries.clear();
        return impl_->Fail(error, "read", "out of memory");
    }
}

std::optional<JournalEntry> Journal::Get(std::int64_t id, std::string* error) {
    const std::string missing = "no entry " + std::to_string(id) + " in the journal";
    if (impl_->empty) {
        impl_->Fail(error, "read", missing);
        return std::nullopt;
    }
    try {
        sqlite3* db = impl_->db;
        // One snapshot for the entry and its texts, even while another process appends.
        Execute(db, "BEGIN");
        struct End {
            sqlite3* db;
            ~End() { sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr); }
        } end{db};
        Statement row(db, std::string("SELECT ") + kSummaryColumns +
                              ", config_blob, ini_blob FROM entries WHERE id = ?1");
        row.Bind(1, id);
        if (!row.Step()) {
            impl_->Fail(error, "read", missing);
            return std::nullopt;
        }
        JournalEntry entry;
        entry.summary = SummaryFrom(row);
        entry.configText = LoadText(db, row.Int(9));
        entry.iniBytes = LoadText(db, row.Int(10));
        Statement changes(db,
                          "SELECT section, key, old_value, new_value FROM changes "
                          "WHERE entry = ?1 ORDER BY position");
        changes.Bind(1, id);
        while (changes.Step()) {
            entry.changes.push_back({changes.Bytes(0), changes.Bytes(1), changes.OptionalBytes(2),
                                     changes.OptionalBytes(3)});
        }
        return entry;
    } catch (const DbError& failure) {
        impl_->Fail(error, "read", failure.what());
    } catch (const std::bad_alloc&) {
        impl_->Fail(error, "read", "out of memory");
    }
    return std::nullopt;
}

std::optional<std::int64_t> AppendToJournal(const std::string& path, const JournalRecord& record,
                                            std::string* error) {
    const std::unique_ptr<Journal> journal = Journal::Open(path, Journal::Access::Append, error);
    if (!journal)
        return std::nullopt;
    return journal->Append(record, error);
}
