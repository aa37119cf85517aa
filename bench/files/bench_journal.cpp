// What the run journal costs: an append next to the write of exam_ddc.ini it records, the list
// `tessaro-cli log` prints over a long journal, and the size of that journal.
//
// Everything works on copies of the demo folder (its commented exam_ddc.ini and std.cfg) in a
// private folder under the system's temporary folder. "Writes of the demo folder" change the
// settings as a session at the bench does: the length, one NCO frequency, the channel mask, the
// recording file, each write a little different from the one before and some coming back to an
// earlier state.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "core/settings.h"
#include "files/config_file.h"
#include "files/file_io.h"
#include "files/ini_file.h"
#include "files/journal.h"
#include "files/profile_store.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLongJournal = 10000;

class Folder {
  public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "tessaro-bench-XXXXXX");
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

const Folder& BenchFolder() {
    static const Folder folder;
    return folder;
}

std::string DemoIni() {
    std::string bytes;
    files::ReadWholeFile(std::string(TESSARO_DEMO_DIR) + "/exam_ddc.ini", bytes, nullptr);
    return bytes;
}

// The settings of the n-th write of a session.
TSettings SettingsOfWrite(int n) {
    TSettings s;
    ReadConfig(std::string(TESSARO_DEMO_DIR) + "/std.cfg", s);
    s.SamplesPerChannel = 1024 << (n % 5);
    s.FrequencyNCO[n % kDdcChannels] += static_cast<float>(1000 * (n % 97));
    s.DDCChannelMask = (n % 7 == 0) ? 0x00FF : 0xFFFF;
    s.DirFileName = "run" + std::to_string(n / 50) + ".bin";
    return s;
}

// exam_ddc.ini as a write of `settings` leaves `before`.
std::string WrittenIni(const std::string& before, const TSettings& settings) {
    ProfileStore store(before);
    WriteIniTo(store, settings);
    return store.Bytes();
}

// One write of exam_ddc.ini at `ini`, recorded in the journal at `journal` when that is given,
// as the window's button does it.
bool Write(const std::string& ini, const TSettings& settings, const std::string* journal) {
    std::string before;
    files::ReadWholeFile(ini, before, nullptr);
    const std::string after = WrittenIni(before, settings);
    if (!files::WriteFileAtomically(ini, after, nullptr))
        return false;
    if (!journal)
        return true;
    return AppendToJournal(
               *journal,
               RecordOfWrite("std.cfg", ConfigText(settings), before, after, CurrentWriter()),
               nullptr)
        .has_value();
}

void BM_WriteIniAlone(benchmark::State& state) {
    const std::string ini = BenchFolder().File("alone.ini");
    files::WriteFileAtomically(ini, DemoIni(), nullptr);
    int n = 0;
    for (auto _ : state) {
        if (!Write(ini, SettingsOfWrite(n++), nullptr))
            state.SkipWithError("write failed");
    }
}

void BM_WriteIniWithJournal(benchmark::State& state) {
    const std::string ini = BenchFolder().File("journalled.ini");
    const std::string journal = BenchFolder().File("appends.sqlite");
    files::WriteFileAtomically(ini, DemoIni(), nullptr);
    int n = 0;
    for (auto _ : state) {
        if (!Write(ini, SettingsOfWrite(n++), &journal))
            state.SkipWithError("write or append failed");
    }
}

// The journal of kLongJournal writes of the demo folder, made once.
const std::string& LongJournal() {
    static const std::string path = [] {
        const std::string journal = BenchFolder().File("long.sqlite");
        std::string error;
        auto open = Journal::Open(journal, Journal::Access::Append, &error);
        std::string ini = DemoIni();
        for (int n = 0; open && n < kLongJournal; ++n) {
            const TSettings settings = SettingsOfWrite(n);
            std::string after = WrittenIni(ini, settings);
            open->Append(
                RecordOfWrite("std.cfg", ConfigText(settings), ini, after, CurrentWriter()),
                &error);
            ini = std::move(after);
        }
        return journal;
    }();
    return path;
}

void BM_LogListing(benchmark::State& state) {
    const std::string& journal = LongJournal();
    std::size_t listed = 0;
    for (auto _ : state) {
        std::string error;
        auto open = Journal::Open(journal, Journal::Access::Read, &error);
        std::vector<JournalSummary> entries;
        if (!open || !open->List({}, entries, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        // What `log` prints of each entry.
        std::string text;
        for (const JournalSummary& entry : entries)
            text += LocalTimeText(entry) + " " + entry.configName + " " + entry.writer.user;
        benchmark::DoNotOptimize(text);
        listed = entries.size();
    }
    state.counters["entries"] = static_cast<double>(listed);
}

void BM_LogShowOldest(benchmark::State& state) {
    const std::string& journal = LongJournal();
    for (auto _ : state) {
        std::string error;
        auto open = Journal::Open(journal, Journal::Access::Read, &error);
        if (!open || !open->Get(1, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
}

void BM_JournalSize(benchmark::State& state) {
    const std::string& journal = LongJournal();
    for (auto _ : state)
        benchmark::DoNotOptimize(fs::file_size(journal));
    std::error_code ignored;
    const auto wal = fs::file_size(journal + "-wal", ignored);
    const double megabytes =
        static_cast<double>(fs::file_size(journal) + (ignored ? 0 : wal)) / (1024.0 * 1024.0);
    state.counters["writes"] = kLongJournal;
    state.counters["size_MB"] = megabytes;
}

}  // namespace

BENCHMARK(BM_WriteIniAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteIniWithJournal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogShowOldest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JournalSize)->Iterations(1);

BENCHMARK_MAIN();
