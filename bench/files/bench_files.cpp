// Costs of the settings files, side by side with a plain read and write of the same file.
//
// Two files: a realistic exam_ddc.ini of about 150 commented lines (the owned sections plus a
// second module's section the program leaves alone), and the same grown to 1 MB by further
// commented sections. Everything runs in a private folder under the system's temporary folder.
// "PlainReadWrite" reads the whole file and writes it back (truncate and write, no sync);
// "PlainReadWriteSynced" adds the fsync an atomic save needs to survive a crash.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/settings.h"
#include "files/config_file.h"
#include "files/file_io.h"
#include "files/ini_file.h"
#include "files/profile_store.h"

namespace {

// A commented line in the style of the acquisition program's file (single-byte Cyrillic).
std::string Line(const std::string& key, const std::string& value, int tabs) {
    static const std::string comment =
        "\xef\xe0\xf0\xe0\xec\xe5\xf2\xf0 \xf3\xf1\xf2\xf0\xee\xe9\xf1\xf2\xe2\xe0, "
        "\xf1\xec. \xee\xef\xe8\xf1\xe0\xed\xe8\xe5";
    return key + "= " + value + std::string(tabs, '\t') + ";" + comment + " " + key + "\r\n";
}

std::string Section(const std::string& name, int keys) {
    std::string text = "\r\n; \xf1\xe5\xea\xf6\xe8\xff " + name + "\r\n[" + name + "]\r\n";
    for (int k = 0; k < keys; ++k)
        text += Line("Parameter" + std::to_string(k), std::to_string(k * 37), 2);
    return text;
}

std::string RealisticIni() {
    std::string text =
        "; exam_ddc.ini\r\n; \xf4\xe0\xe9\xeb \xe8\xed\xe8\xf6\xe8\xe0\xeb\xe8"
        "\xe7\xe0\xf6\xe8\xe8\r\n\r\n[Option]\r\n";
    text += Line("SamplesPerChannel", "1024", 2) + Line("EnableDDC", "1", 2) +
            Line("WorkMode", "1", 2) + Line("DirFileName", "exam.bin", 1) +
            Line("DirFileBufSize", "4096", 2) + Line("DirNumBufWrite", "2", 2);
    text += "\r\n[device0_tessaro0]\r\n";
    text += Line("ClockSource", "0", 2) + Line("InternalClockValue", "100000000.0", 1) +
            Line("ExternalClockValue", "110000000.0", 1) + Line("DDCChannelMask", "0xFFFF", 2) +
            Line("ChannelMask", "0x1", 2) + Line("DataFormat", "0", 2);
    for (int i = 0; i < kDdcChannels; ++i)
        text += Line("FrequencyNCO" + std::to_string(i), std::to_string(10700000 + i) + ".0", 1);
    for (int i = 0; i < kDdcChannels; ++i)
        text += Line("InputSource" + std::to_string(i), std::to_string(i % 4), 2);
    text += Line("AdcGainMask", "0x5", 2) + Line("Dither", "1", 2) + Line("StartSource", "0", 2) +
            Line("ComparatorThresholdSDX", "1.00", 1) + Line("MasterMode", "0", 2) +
            Line("DDCSyncMode", "1", 2) + Line("DDCProgramFile", "PRGFILES\\IsGsm.prg", 1);
    text += Section("device1_tessaro1", 90);
    return text;
}

std::string LargeIni() {
    std::string text = RealisticIni();
    for (int s = 0; text.size() < (1u << 20); ++s)
        text += Section("Calibration" + std::to_string(s), 100);
    return text;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes, bool sync) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (sync)
        ::fsync(fd);
    ::close(fd);
}

class Folder {
  public:
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaro-bench-XXXXXX");
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const char* name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

const Folder& BenchFolder() {
    static const Folder folder;
    return folder;
}

// Argument 0: the realistic file; 1: the 1 MB file.
std::string PrepareFile(const benchmark::State& state, const char* name) {
    const std::string path = BenchFolder().File(name);
    WriteAll(path, state.range(0) == 0 ? RealisticIni() : LargeIni(), false);
    return path;
}

void SetLabel(benchmark::State& state, const std::string& path) {
    const auto size = std::filesystem::file_size(path);
    state.SetLabel(std::to_string(size) + " bytes");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void PlainReadWrite(benchmark::State& state, bool sync) {
    const std::string path = PrepareFile(state, "plain.ini");
    for (auto _ : state) {
        std::string bytes = ReadAll(path);
        WriteAll(path, bytes, sync);
        benchmark::DoNotOptimize(bytes);
    }
    SetLabel(state, path);
}

void BM_PlainReadWrite(benchmark::State& state) {
    PlainReadWrite(state, false);
}

void BM_PlainReadWriteSynced(benchmark::State& state) {
    PlainReadWrite(state, true);
}

void BM_WriteIni(benchmark::State& state) {
    const std::string path = PrepareFile(state, "exam_ddc.ini");
    TSettings Settings;
    for (auto _ : state) {
        // A changed value every time, so that every call really saves the file.
        Settings.SamplesPerChannel ^= 3072;
        if (!WriteIni(path, Settings))
            state.SkipWithError("WriteIni failed");
    }
    SetLabel(state, path);
}

// The same work without the disk: parse, the 49 keys, serialise.
void BM_WriteIniInMemory(benchmark::State& state) {
    const std::string bytes = state.range(0) == 0 ? RealisticIni() : LargeIni();
    TSettings Settings;
    for (auto _ : state) {
        Settings.SamplesPerChannel ^= 3072;
        ProfileStore store(bytes);
        WriteIniTo(store, Settings);
        benchmark::DoNotOptimize(store.Bytes());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_ReadConfig(benchmark::State& state) {
    TSettings Settings;
    const std::string path = PrepareFile(state, "read.cfg");
    for (auto _ : state) {
        if (!ReadConfig(path, Settings))
            state.SkipWithError("ReadConfig failed");
    }
    SetLabel(state, path);
}

// Replaces the realistic or the 1 MB file with a configuration file (55 lines).
void BM_WriteConfig(benchmark::State& state) {
    TSettings Settings;
    const std::string path = BenchFolder().File("write.cfg");
    const std::string original = state.range(0) == 0 ? RealisticIni() : LargeIni();
    for (auto _ : state) {
        state.PauseTiming();
        WriteAll(path, original, false);
        state.ResumeTiming();
        if (!WriteConfig(path, Settings))
            state.SkipWithError("WriteConfig failed");
    }
    state.SetLabel("replacing " + std::to_string(original.size()) + " bytes");
}

// Peak memory of WriteIni on a hostile file as large as a settings file may be, measured in a
// child process so that each shape starts afresh: "peak_MB" is what the child's peak grew by.
// Argument 0: lines "[]"; 1: lines "["; 2: an [Option] section of lines "="; 3: bare line breaks.
void BM_HostileFileMemory(benchmark::State& state) {
    const TSettings Settings;
    const std::string path = BenchFolder().File("hostile.ini");
    std::size_t size = 0;
    {
        const char* shapes[] = {"[]\n", "[\n", "=\n", "\n"};
        const std::string line = shapes[state.range(0)];
        std::string bytes = state.range(0) == 2 ? "[Option]\n" : "";
        while (bytes.size() + line.size() <= files::kMaxFileBytes)
            bytes += line;
        WriteAll(path, bytes, false);
        size = bytes.size();
    }
    double peakMegabytes = 0;
    for (auto _ : state) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            rusage before{}, after{};
            ::getrusage(RUSAGE_SELF, &before);
            const bool written = WriteIni(path, Settings);
            ::getrusage(RUSAGE_SELF, &after);
            const long grown = written ? after.ru_maxrss - before.ru_maxrss : -1;  // kilobytes
            [[maybe_unused]] ssize_t n = ::write(pipeEnds[1], &grown, sizeof grown);
            ::_exit(0);
        }
        ::close(pipeEnds[1]);
        long grown = -1;
        if (::read(pipeEnds[0], &grown, sizeof grown) != sizeof grown)
            grown = -1;
        ::close(pipeEnds[0]);
        ::waitpid(child, nullptr, 0);
        if (grown < 0) {
            state.SkipWithError("WriteIni failed");
            return;
        }
        peakMegabytes = static_cast<double>(grown) / 1024.0;
    }
    state.counters["peak_MB"] = peakMegabytes;
    state.SetLabel(std::to_string(size) + " bytes");
}

}  // namespace

BENCHMARK(BM_HostileFileMemory)->DenseRange(0, 3)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainReadWriteSynced)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteIni)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteIniInMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadConfig)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteConfig)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
