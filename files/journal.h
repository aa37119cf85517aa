// The run journal: every write of exam_ddc.ini kept in the working folder with the settings it
// was made from, so that the settings of any earlier run can be looked up, compared and loaded
// again.
//
// The journal is an SQLite database, "tessaro-journal.sqlite", in WAL mode so that the window and
// a script can append at the same time (each waits for the other up to a busy timeout). Its layout
// has a version (PRAGMA user_version) and a journal of an older layout is brought up to date when
// opened. Texts are stored once however many entries hold them, most of them as the few lines
// they differ by from the text before them.
//
// A journal that cannot be opened or written never stops the write it records: Append and Open
// return a failure with the reason, and a file that is not a journal (damaged, or another
// program's database) is left exactly as it is: nothing here ever deletes or replaces it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/key_changes.h"

inline constexpr const char* kJournalFileName = "tessaro-journal.sqlite";
// The layout this program writes; an older one is upgraded when opened, a newer one refused.
inline constexpr int kJournalSchemaVersion = 2;

// False in a build without SQLite (the Windows cross-build): Open then always fails.
bool JournalAvailable();

// Who wrote: the user and host names as the system gives them (8-bit, never recoded), the program
// and its version.
struct JournalWriter {
    std::string user;
    std::string host;
    std::string program;
    std::string version;

    bool operator==(const JournalWriter&) const = default;
};
// This process's user, host and program (its file name, "tessaro-master" or "tessaro-cli"), and
// this build's version.
JournalWriter CurrentWriter();

// What one write of exam_ddc.ini leaves in the journal.
struct JournalRecord {
    std::string configName;          // the configuration the settings came from
    std::string configText;          // the settings, as a configuration file holds them
    std::string iniBytes;            // exam_ddc.ini exactly as written
    std::vector<KeyChange> changes;  // the owned keys the write changed
    JournalWriter writer;
};
// The record of a write that turned `iniBefore` (empty when there was no file) into `iniAfter`.
JournalRecord RecordOfWrite(std::string configName, std::string configText,
                            std::string_view iniBefore, std::string iniAfter, JournalWriter writer);

struct JournalSummary {
    std::int64_t id = 0;       // 1, 2, ... in the order of appending
    std::string timeUtc;       // "2025-03-04T09:05:07.123Z"
    int utcOffsetMinutes = 0;  // the local time's offset from UTC at that moment
    JournalWriter writer;
    std::string configName;
    int changeCount = 0;
};
// The moment as the writer's clock showed it: "2025-03-04 12:05:07 +03:00".
std::string LocalTimeText(const JournalSummary& summary);

struct JournalEntry {
    JournalSummary summary;
    std::string configText;
    std::string iniBytes;
    std::vector<KeyChange> changes;
};

struct JournalQuery {
    std::size_t limit = 0;  // the newest this many; 0: all
    // Only entries whose time (UTC), configuration, user, host, program, version or one of the
    // changed keys holds this text, ASCII letters in any case; empty: all.
    std::string filter;
};

class Journal {
  public:
    enum class Access {
        Append,  // made when missing
        Read,    // must exist; an older layout is still upgraded when the file may be written
    };
    static constexpr int kDefaultBusyTimeoutMs = 2000;

    // The journal at `path`, or null with `error` ("cannot write "x": database is locked").
    static std::unique_ptr<Journal> Open(const std::string& path, Access access, std::string* error,
                                         int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Adds the record as one entry, all of it or nothing; its id, or none with `error`.
    std::optional<std::int64_t> Append(const JournalRecord& record, std::string* error);
    // The entries the query asks for, newest first.
    bool List(const JournalQuery& query, std::vector<JournalSummary>& entries, std::string* error);
    // One entry whole; none with `error` when there is no such entry or it cannot be read back.
    std::optional<JournalEntry> Get(std::int64_t id, std::string* error);

    struct Impl;

  private:
    explicit Journal(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Opens the journal at `path` (making it when missing), appends the record and closes it again:
// what every write of exam_ddc.ini does. The entry's id, or none with `error`.
std::optional<std::int64_t> AppendToJournal(const std::string& path, const JournalRecord& record,
                                            std::string* error);
