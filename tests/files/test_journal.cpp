#include "files/journal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "file_test_support.h"
#include "files/config_file.h"
#include "files/line_delta.h"
#include "files/session.h"

namespace fs = std::filesystem;
using namespace std::string_literals;
using file_tests::FileTest;
using file_tests::ReadBytes;
using file_tests::WriteBytes;

namespace {

const std::string kJournal = kJournalFileName;

// An initialization file in the acquisition program's style: commented values, 8-bit comments.
std::string Ini(const std::string& samples, const std::string& mask) {
    return "; \xf4\xe0\xe9\xeb \xe8\xed\xe8\xf6\xe8\xe0\xeb\xe8\xe7\xe0\xf6\xe8\xe8\r\n"
           "[Option]\r\n"
           "SamplesPerChannel= " +
           samples +
           "\t\t;\xf7\xe8\xf1\xeb\xee \xee\xf2\xf1\xf7\xb8\xf2\xee\xe2\r\n"
           "DirFileBufSize= 4096\t\t;buffer\r\n"
           "[device0_tessaro0]\r\n"
           "DDCChannelMask= " +
           mask + "\t\t;mask\r\n";
}

std::string Config(int samples) {
    return "[Option]\r\n\r\nSamplesPerChannel= " + std::to_string(samples) +
           "\r\nDirFileName= exam.bin\r\n \r\n[device0_tessaro0]\r\n\r\nDDCChannelMask= 0xffff\r\n";
}

JournalRecord Record(int samples, const std::string& configName = "std.cfg") {
    const std::string before = Ini("1024", "0xFFFF");
    const std::string after = Ini(std::to_string(samples), "0xFFFF");
    return RecordOfWrite(configName, Config(samples), before, after,
                         {"lab", "bench-1", "tessaro-cli", "0.1"});
}

std::unique_ptr<Journal> OpenForAppend(std::string* error, int busyMs = 2000) {
    return Journal::Open(kJournal, Journal::Access::Append, error, busyMs);
}

// ---- What a write changed ----

struct ChangeCase {
    const char* name;
    std::string before;
    std::string after;
    std::vector<KeyChange> expected;
};
using O = std::optional<std::string>;

// clang-format off
const ChangeCase kIniChanges[] = {
    {"ValueReplacedCommentKept", "[Option]\nSamplesPerChannel= 2048\t\t;n\n",
                                 "[Option]\nSamplesPerChannel= 1024\t\t;n\n",
     {{"Option", "SamplesPerChannel", O("2048"), O("1024")}}},
    {"OnlyTheTabsBeforeTheComment", "[Option]\nSamplesPerChannel=1024 ;n\n",
                                    "[Option]\nSamplesPerChannel= 1024\t\t;n\n", {}},
    {"KeyAdded",                 "[Option]\n", "[Option]\r\nWorkMode= 1\t\t;\r\n",
     {{"Option", "WorkMode", std::nullopt, O("1")}}},
    {"KeysOfOtherProgramsIgnored", "[Option]\nDirFileBufSize= 1\n[Other]\nWorkMode= 1\n",
                                   "[Option]\nDirFileBufSize= 2\n[Other]\nWorkMode= 2\n", {}},
    {"AnyLetterCase",            "[option]\nworkmode= 0 ;x\n", "[option]\nworkmode= 1 ;x\n",
     {{"Option", "WorkMode", O("0"), O("1")}}},
    {"SameBeforeSemicolonShownWhole", "[Option]\nDirFileName= a.bin\t;x\n",
                                      "[Option]\nDirFileName= a.bin\t;y.bin\t;x\n",
     {{"Option", "DirFileName", O("a.bin;x"), O("a.bin;y.bin\t;x")}}},
    {"BytesKept",                "[device0_tessaro0]\nDDCProgramFile= \xcf\xf0\xee.prg\t;\n",
                                 "[device0_tessaro0]\nDDCProgramFile= \xd0\xf0\xee.prg\t;\n",
     {{"device0_tessaro0", "DDCProgramFile", O("\xcf\xf0\xee.prg"), O("\xd0\xf0\xee.prg")}}},
};
// clang-format on

class IniChanges : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(IniChanges, AreTheOwnedKeysWhoseValuesDiffer) {
    EXPECT_EQ(ChangedIniKeys(GetParam().before, GetParam().after), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Journal, IniChanges, ::testing::ValuesIn(kIniChanges),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyChanges, AFirstWriteAddsEveryOwnedKeyAndConfigurationsCompareByText) {
    const std::string written = file_tests::Fixture("exam_ddc_expected.ini");
    EXPECT_EQ(ChangedIniKeys("", written).size(), 49u);
    EXPECT_EQ(ChangedIniKeys(written, written).size(), 0u);

    const std::vector<KeyChange> expected = {
        {"Option", "SamplesPerChannel", O("1024"), O("2048")},
        {"device0_tessaro0", "DDCChannelMask", O("0xffff"), std::nullopt},
    };
    std::string after = Config(2048);
    after.resize(after.find("DDCChannelMask"));
    EXPECT_EQ(ChangedConfigKeys(Config(1024), after), expected);
}

// ---- Texts stored as line deltas ----

struct DeltaCase {
    const char* name;
    std::string base;
    std::string target;
};

// clang-format off
const DeltaCase kDeltas[] = {
    {"OneValueChanged",  "a\r\nb= 1\r\nc\r\n",  "a\r\nb= 2\r\nc\r\n"},
    {"Empty",            "",                     ""},
    {"FromNothing",      "",                     "a\nb\n"},
    {"ToNothing",        "a\nb\n",               ""},
    {"NoLastLineBreak",  "a\nb",                 "a\nb\nc"},
    {"LinesMoved",       "a\nb\nc\nd\n",         "c\nd\na\nb\n"},
    {"RepeatedLines",    "x\nx\ny\nx\n",         "x\ny\nx\nx\nx\n"},
    {"ValueInItsLine",   "a\nKey= 1\t\t;\xea\xee\xec\xec\xe5\xed\xf2\r\n",
                         "a\nKey= 22\t\t;\xea\xee\xec\xec\xe5\xed\xf2\r\n"},
    {"EightBitBytes",    "\xff\x00\n\xe9\n"s,    "\xe9\n\xff\x00\n\x80"s},
};
// clang-format on

class LineDeltas : public ::testing::TestWithParam<DeltaCase> {};

TEST_P(LineDeltas, GiveTheTargetBackExactly) {
    const std::string delta = files::LineDelta(GetParam().base, GetParam().target);
    EXPECT_EQ(files::ApplyLineDelta(GetParam().base, delta), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Journal, LineDeltas, ::testing::ValuesIn(kDeltas),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineDelta, IsSmallForAChangedValueAndADamagedOneIsRefused) {
    const std::string base = file_tests::Fixture("exam_ddc_expected.ini");
    std::string target = base;
    target.replace(target.find("= 4096"), 6, "= 2048");
    const std::string delta = files::LineDelta(base, target);
    EXPECT_LT(delta.size(), 16u);
    EXPECT_EQ(files::ApplyLineDelta(base, delta), target);
    EXPECT_EQ(files::ApplyLineDelta("", delta), std::nullopt);  // copies lines it does not have
    EXPECT_EQ(files::ApplyLineDelta(base, delta.substr(0, delta.size() - 1)), std::nullopt);
}

// ---- The journal ----

using JournalTest = FileTest;

TEST_F(JournalTest, AnEntryGivesBackExactlyWhatWasAppended) {
    std::string error;
    auto journal = OpenForAppend(&error);
    ASSERT_TRUE(journal) << error;
    std::vector<JournalRecord> records;
    for (int samples : {2048, 4096, 2048})
        records.push_back(Record(samples, "run" + std::to_string(samples) + ".cfg"));
    records.push_back(RecordOfWrite("std.cfg", "", "", "", CurrentWriter()));
    for (std::size_t i = 0; i < records.size(); ++i)
        ASSERT_EQ(journal->Append(records[i], &error), std::int64_t(i + 1)) << error;

    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::optional<JournalEntry> entry = journal->Get(std::int64_t(i + 1), &error);
        ASSERT_TRUE(entry) << error;
        EXPECT_EQ(entry->iniBytes, records[i].iniBytes) << i;
        EXPECT_EQ(entry->configText, records[i].configText) << i;
        EXPECT_EQ(entry->changes, records[i].changes) << i;
        EXPECT_EQ(entry->summary.configName, records[i].configName);
        EXPECT_EQ(entry->summary.writer, records[i].writer);
        EXPECT_EQ(entry->summary.changeCount, int(records[i].changes.size()));
        EXPECT_EQ(entry->summary.timeUtc.size(), 24u) << entry->summary.timeUtc;
    }
    const std::vector<KeyChange> changed = {{"Option", "SamplesPerChannel", O("1024"), O("4096")}};
    EXPECT_EQ(records[1].changes, changed);
    EXPECT_FALSE(journal->Get(99, &error));
    EXPECT_EQ(error, "cannot read \"tessaro-journal.sqlite\": no entry 99 in the journal");
}

TEST_F(JournalTest, IdenticalTextsAreStoredOnceAndNearlyEqualOnesAsDeltas) {
    std::string error;
    for (int samples : {2048, 2048, 4096, 2048}) {
        ASSERT_TRUE(AppendToJournal(kJournal, Record(samples), &error)) << error;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(kJournal.c_str(), &db), SQLITE_OK);
    const auto count = [&](const char* sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        sqlite3_step(statement);
        const int n = sqlite3_column_int(statement, 0);
        sqlite3_finalize(statement);
        return n;
    };
    // Two configurations and two initialization files, each new one a delta.
    EXPECT_EQ(count("SELECT count(*) FROM blobs"), 4);
    EXPECT_EQ(count("SELECT count(*) FROM blobs WHERE base IS NOT NULL"), 2);
    EXPECT_EQ(count("PRAGMA user_version"), kJournalSchemaVersion);
    sqlite3_close(db);
}

struct ListCase {
    const char* name;
    JournalQuery query;
    std::vector<std::int64_t> ids;
};

// clang-format off
const ListCase kLists[] = {
    {"AllNewestFirst",     {},                         {5, 4, 3, 2, 1}},
    {"Newest",             {2, ""},                    {5, 4}},
    {"Configuration",      {0, "B.CFG"},               {4, 2}},
    {"ChangedKey",         {0, "samplesper"},          {4, 3, 2}},
    {"User",               {0, "lab"},                 {5, 4, 3, 2, 1}},
    {"WildcardsLiteral",   {0, "%"},                   {}},
    {"UnderscoreLiteral",  {0, "a_cfg"},               {}},
    {"FilterAndLimit",     {1, "b.cfg"},               {4}},
};
// clang-format on

class JournalList : public FileTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(JournalList, ListsTheEntriesAskedFor) {
    std::string error;
    int samples[] = {1024, 2048, 4096, 8192, 1024};
    const char* names[] = {"a.cfg", "b.cfg", "a.cfg", "b.cfg", "c.cfg"};
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(AppendToJournal(kJournal, Record(samples[i], names[i]), &error)) << error;

    auto journal = Journal::Open(kJournal, Journal::Access::Read, &error);
    ASSERT_TRUE(journal) << error;
    std::vector<JournalSummary> entries;
    ASSERT_TRUE(journal->List(GetParam().query, entries, &error)) << error;
    std::vector<std::int64_t> ids;
    for (const JournalSummary& entry : entries)
        ids.push_back(entry.id);
    EXPECT_EQ(ids, GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(Journal, JournalList, ::testing::ValuesIn(kLists),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JournalTime, LocalTimeIsUtcShiftedByTheWritersOffset) {
    // clang-format off
    const struct { const char* utc; int offset; const char* local; } cases[] = {
        {"2025-03-04T09:05:07.123Z",  180, "2025-03-04 12:05:07 +03:00"},
        {"2024-12-31T23:30:00.000Z",   60, "2025-01-01 00:30:00 +01:00"},
        {"2024-03-01T02:00:00.000Z", -330, "2024-02-29 20:30:00 -05:30"},
        {"garbage",                     0, "garbage"},
    };
    // clang-format on
    for (const auto& c : cases) {
        JournalSummary summary;
        summary.timeUtc = c.utc;
        summary.utcOffsetMinutes = c.offset;
        EXPECT_EQ(LocalTimeText(summary), c.local) << c.utc;
    }
}

// ---- Several writers, and writers killed ----

TEST_F(JournalTest, TwoProcessesAppendingAtOnceLoseNoEntry) {
    constexpr int kEach = 500;
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = ::fork();
        if (children[p] == 0) {
            std::string error;
            auto journal = OpenForAppend(&error, 30000);
            bool ok = journal != nullptr;
            for (int i = 0; ok && i < kEach; ++i)
                ok = journal->Append(Record(p * 100000 + i), &error).has_value();
            if (!ok)
                std::fprintf(stderr, "%s\n", error.c_str());
            ::_exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::string error;
    auto journal = Journal::Open(kJournal, Journal::Access::Read, &error);
    ASSERT_TRUE(journal) << error;
    std::vector<JournalSummary> entries;
    ASSERT_TRUE(journal->List({}, entries, &error)) << error;
    ASSERT_EQ(entries.size(), 2u * kEach);
    for (const std::int64_t id : {std::int64_t(1), std::int64_t(kEach), std::int64_t(2 * kEach)}) {
        const auto entry = journal->Get(id, &error);
        ASSERT_TRUE(entry) << error;
        EXPECT_EQ(entry->changes.size(), 1u);
    }
}

TEST_F(JournalTest, AnAppendKilledAtAnyMomentLeavesAWholeJournal) {
    std::size_t entriesBefore = 0;
    for (int round = 0; round < 6; ++round) {
        const pid_t child = ::fork();
        if (child == 0) {
            auto journal = OpenForAppend(nullptr);
            for (int i = 0; journal; ++i)
                journal->Append(Record(round * 1000 + i), nullptr);
            ::_exit(1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + 13 * round));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        std::string error;
        auto journal = OpenForAppend(&error);
        ASSERT_TRUE(journal) << error;
        std::vector<JournalSummary> entries;
        ASSERT_TRUE(journal->List({}, entries, &error)) << error;
        EXPECT_GE(entries.size(), entriesBefore);
        entriesBefore = entries.size();
        for (const JournalSummary& summary : entries) {
            const auto entry = journal->Get(summary.id, &error);
            ASSERT_TRUE(entry) << error;
            EXPECT_EQ(int(entry->changes.size()), summary.changeCount);
        }
        ASSERT_TRUE(journal->Append(Record(7), &error)) << error;
        ++entriesBefore;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(kJournal.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
}

// ---- Journals that cannot be written ----

void RunSql(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << message;
    sqlite3_free(message);
    sqlite3_close(db);
}

struct RefusalCase {
    const char* name;
    std::function<void()> prepare;
    const char* reason;
};

const RefusalCase kRefusals[] = {
    {"DamagedHeader",
     [] {
         RunSql(kJournal, "CREATE TABLE blobs (data); PRAGMA user_version = 2");
         std::string bytes = ReadBytes(kJournal);
         bytes.replace(16, 8, "damaged!");
         WriteBytes(kJournal, bytes);
     },
     "file is not a database"},
    {"NotADatabase", [] { WriteBytes(kJournal, std::string(4096, 'x')); },
     "file is not a database"},
    {"AnotherProgramsDatabase", [] { RunSql(kJournal, "CREATE TABLE notes (text)"); },
     "not a journal (a database of another program)"},
    {"NewerLayout", [] { RunSql(kJournal, "PRAGMA user_version = 99"); },
     "the journal was made by a newer version of the program (layout 99)"},
    {"AFolderInItsPlace", [] { fs::create_directory(kJournal); }, "Is a directory"},
};

class JournalRefusal : public FileTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(JournalRefusal, IsReportedAndTheFileLeftAsItIs) {
    GetParam().prepare();
    const bool folder = fs::is_directory(kJournal);
    const std::string bytes = folder ? "" : ReadBytes(kJournal);
    std::string error;
    EXPECT_FALSE(AppendToJournal(kJournal, Record(2048), &error));
    EXPECT_EQ(error, "cannot write \"tessaro-journal.sqlite\": " + std::string(GetParam().reason));
    EXPECT_FALSE(Journal::Open(kJournal, Journal::Access::Read, &error));
    if (!folder) {
        EXPECT_EQ(ReadBytes(kJournal), bytes);
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{kJournal});
}

INSTANTIATE_TEST_SUITE_P(Journal, JournalRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(JournalTest, ALockedJournalIsReportedAfterTheBusyTimeout) {
    std::string error;
    ASSERT_TRUE(AppendToJournal(kJournal, Record(2048), &error)) << error;
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(kJournal.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    auto journal = OpenForAppend(&error, 50);
    ASSERT_TRUE(journal) << error;
    EXPECT_FALSE(journal->Append(Record(4096), &error));
    EXPECT_EQ(error, "cannot write \"tessaro-journal.sqlite\": database is locked");

    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(journal->Append(Record(4096), &error), 2) << error;
}

TEST_F(JournalTest, AReadOnlyFolderIsReported) {
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directory("shared");
    ASSERT_EQ(::chmod("shared", 0555), 0);
    const std::string outcome = file_tests::AsOrdinaryUser([] {
        std::string error;
        return AppendToJournal("shared/" + kJournal, Record(2048), &error) ? "written" : error;
    });
    EXPECT_EQ(outcome, "cannot write \"shared/tessaro-journal.sqlite\": Permission denied");
    EXPECT_TRUE(fs::is_empty("shared"));
}

TEST_F(JournalTest, EveryWriteOfTheInitializationFileIsKeptAndAFailureOnlyReported) {
    TSettings settings;
    settings.CurrentConfigName = "lab.cfg";
    IniWriteReport first;
    ASSERT_TRUE(WriteInitializationFile(settings, nullptr, &first));
    settings.SamplesPerChannel = 2048;
    IniWriteReport second;
    ASSERT_TRUE(WriteInitializationFile(settings, nullptr, &second));
    EXPECT_EQ(first.journalEntry, 1);
    EXPECT_EQ(second.journalEntry, 2);
    EXPECT_EQ(second.changedValues, 1u);

    std::string error;
    auto journal = Journal::Open(kJournal, Journal::Access::Read, &error);
    ASSERT_TRUE(journal) << error;
    const auto entry = journal->Get(2, &error);
    ASSERT_TRUE(entry) << error;
    EXPECT_EQ(entry->iniBytes, ReadBytes(TSettings::IniFileName));
    EXPECT_EQ(entry->configText, ConfigText(settings));
    EXPECT_EQ(entry->summary.configName, "lab.cfg");
    const std::vector<KeyChange> changed = {{"Option", "SamplesPerChannel", O("1024"), O("2048")}};
    EXPECT_EQ(entry->changes, changed);
    EXPECT_EQ(journal->Get(1, &error)->changes.size(), first.changedValues);
    journal.reset();

    // A damaged journal: the file is written all the same, and the journal left as it was.
    fs::remove(kJournal + "-wal");
    fs::remove(kJournal + "-shm");
    WriteBytes(kJournal, std::string(4096, 'x'));
    settings.SamplesPerChannel = 4096;
    IniWriteReport third;
    ASSERT_TRUE(WriteInitializationFile(settings, nullptr, &third));
    EXPECT_NE(ReadBytes(TSettings::IniFileName).find("SamplesPerChannel= 4096"), std::string::npos);
    EXPECT_EQ(third.journalEntry, std::nullopt);
    EXPECT_EQ(third.journalError,
              "cannot write \"tessaro-journal.sqlite\": file is not a database");
    EXPECT_EQ(ReadBytes(kJournal), std::string(4096, 'x'));
}

TEST_F(JournalTest, ADamagedTextIsReportedAndStopsNoNewEntry) {
    std::string error;
    ASSERT_TRUE(AppendToJournal(kJournal, Record(2048), &error)) << error;
    ASSERT_TRUE(AppendToJournal(kJournal, Record(4096), &error)) << error;
    RunSql(kJournal, "UPDATE blobs SET data = X'07' WHERE id IN (SELECT ini_blob FROM entries)");

    auto journal = OpenForAppend(&error);
    ASSERT_TRUE(journal) << error;
    EXPECT_FALSE(journal->Get(2, &error));
    EXPECT_EQ(error,
              "cannot read \"tessaro-journal.sqlite\": a stored text of the journal is missing or "
              "damaged");
    const JournalRecord record = Record(4096);
    ASSERT_EQ(journal->Append(record, &error), 3) << error;
    EXPECT_EQ(journal->Get(3, &error)->iniBytes, record.iniBytes);
}

TEST_F(JournalTest, ReadingAMissingJournalMakesNoFile) {
    std::string error;
    EXPECT_FALSE(Journal::Open(kJournal, Journal::Access::Read, &error));
    EXPECT_EQ(error, "cannot read \"tessaro-journal.sqlite\": No such file or directory");
    EXPECT_TRUE(fs::is_empty(folder_));
}

// ---- Older layouts ----

// The first layout as the first version of the program wrote it, with two entries.
constexpr const char* kFirstLayoutJournal = R"sql(
CREATE TABLE entries (
    id INTEGER PRIMARY KEY, time_utc TEXT NOT NULL, utc_offset_minutes INTEGER NOT NULL,
    user TEXT NOT NULL, host TEXT NOT NULL, program TEXT NOT NULL, version TEXT NOT NULL,
    config_name TEXT NOT NULL, config_text BLOB NOT NULL, ini_bytes BLOB NOT NULL);
CREATE TABLE changes (
    entry INTEGER NOT NULL, position INTEGER NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL,
    old_value BLOB, new_value BLOB, PRIMARY KEY (entry, position)) WITHOUT ROWID;
INSERT INTO entries VALUES
    (1, '2024-01-02T03:04:05.006Z', 120, 'lab', 'bench', 'tessaro-master', '0.1', 'std.cfg',
     X'5B4F7074696F6E5D0D0A', X'5B4F7074696F6E5D0D0A576F726B4D6F64653D2031'),
    (3, '2024-01-03T03:04:05.006Z', 120, 'lab', 'bench', 'tessaro-cli', '0.1', 'b.cfg',
     X'5B4F7074696F6E5D0D0A', X'');
INSERT INTO changes VALUES
    (1, 0, 'Option', 'WorkMode', NULL, X'31'),
    (1, 1, 'Option', 'EnableDDC', X'30', X'31');
PRAGMA user_version = 1;
)sql";

TEST_F(JournalTest, AJournalOfTheFirstLayoutIsUpgradedWithItsEntries) {
    RunSql(kJournal, kFirstLayoutJournal);
    std::string error;
    auto journal = OpenForAppend(&error);
    ASSERT_TRUE(journal) << error;

    std::vector<JournalSummary> entries;
    ASSERT_TRUE(journal->List({}, entries, &error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, 3);
    EXPECT_EQ(entries[1].changeCount, 2);
    EXPECT_EQ(LocalTimeText(entries[1]), "2024-01-02 05:04:05 +02:00");

    const auto first = journal->Get(1, &error);
    ASSERT_TRUE(first) << error;
    EXPECT_EQ(first->configText, "[Option]\r\n");
    EXPECT_EQ(first->iniBytes, "[Option]\r\nWorkMode= 1");
    const std::vector<KeyChange> changes = {{"Option", "WorkMode", std::nullopt, O("1")},
                                            {"Option", "EnableDDC", O("0"), O("1")}};
    EXPECT_EQ(first->changes, changes);
    EXPECT_EQ(journal->Get(3, &error)->iniBytes, "");
    EXPECT_EQ(journal->Append(Record(2048), &error), 4) << error;
}

}  // namespace
