// The window's costs: one full refresh, and start-up (application created to window shown with
// its settings loaded) next to the same for an empty QWidget, both measured in this one run.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/checks.h"
#include "core/settings.h"
#include "files/config_file.h"
#include "files/disk_view.h"
#include "ui/ugform.h"

namespace {

char kProgramName[] = "bench_ui";
char* kArgv[] = {kProgramName, nullptr};

// A working folder as the acquisition program leaves it: std.cfg and the demo's exam_ddc.ini,
// every key in place with its comment.
class WorkingFolder {
  public:
    WorkingFolder() : saved_(QDir::currentPath()) {
        QDir::setCurrent(dir_.path());
        WriteConfig(TSettings::StartupConfigName, TSettings{});
        QFile::copy(QStringLiteral(TESSARO_DEMO_DIR "/exam_ddc.ini"),
                    QStringLiteral("exam_ddc.ini"));
    }
    ~WorkingFolder() { QDir::setCurrent(saved_); }

  private:
    QTemporaryDir dir_;
    QString saved_;
};

// The window shown on the demo folder above.
struct ShownForm {
    WorkingFolder folder;
    int argc = 1;
    QApplication app{argc, kArgv};
    TGForm form;
    ShownForm() {
        form.show();
        QCoreApplication::processEvents();
    }
};

void BM_Refresh(benchmark::State& state) {
    ShownForm shown;
    for (auto _ : state) {
        shown.form.Refresh();
    }
}
BENCHMARK(BM_Refresh)->Unit(benchmark::kMicrosecond);

// A refresh whose findings change every time (one NCO frequency crossing half the clock and back):
// the checks, the list, the frames and the tooltips redone. Must stay well under a millisecond.
void BM_RefreshWithChangingFindings(benchmark::State& state) {
    ShownForm shown;
    bool above = false;
    for (auto _ : state) {
        above = !above;
        shown.form.Settings.FrequencyNCO[5] = above ? 60000000.0f : 10700005.0f;
        shown.form.Refresh();
    }
}
BENCHMARK(BM_RefreshWithChangingFindings)->Unit(benchmark::kMicrosecond);

// What a user waits for after a click: the Dither box ticked or cleared, its handler, the refresh
// it runs, the findings and the unwritten mark worked out again.
void BM_ClickDither(benchmark::State& state) {
    ShownForm shown;
    auto* dither = shown.form.findChild<QAbstractButton*>(QStringLiteral("CheckBox85"));
    if (dither == nullptr) {
        state.SkipWithError("no CheckBox85");
        return;
    }
    for (auto _ : state) {
        dither->click();
    }
}
BENCHMARK(BM_ClickDither)->Unit(benchmark::kMicrosecond);

// The checks alone on the real disk, as the command line runs them.
void BM_ChecksOnDisk(benchmark::State& state) {
    WorkingFolder folder;
    const DiskView disk;
    const TSettings settings;
    for (auto _ : state) {
        benchmark::DoNotOptimize(RunChecks({settings, disk}));
    }
}
BENCHMARK(BM_ChecksOnDisk)->Unit(benchmark::kMicrosecond);

// An empty widget draws no text and so never loads the fonts; a window of one label shows what
// any window with text pays before its own controls.
class OneLabel : public QLabel {
  public:
    OneLabel() : QLabel(QString::fromUtf8("Мастер")) {}
};

// Start-up is measured in a fresh process each time (this program, run again with
// TESSARO_BENCH_STARTUP set), as a user meets it: nothing loaded by an earlier application.
template <class Window>
int StartUpChild() {
    WorkingFolder folder;
    const auto start = std::chrono::steady_clock::now();
    int argc = 1;
    QApplication app(argc, kArgv);
    Window window;
    window.show();
    QCoreApplication::processEvents();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%lld\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()));
    return 0;
}

void StartUpInChildren(benchmark::State& state, const char* kind) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command =
        std::string("TESSARO_BENCH_STARTUP=") + kind + " '" + self + "' 2>/dev/null";
    for (auto _ : state) {
        FILE* child = popen(command.c_str(), "r");
        long long nanoseconds = 0;
        if (child == nullptr || std::fscanf(child, "%lld", &nanoseconds) != 1) {
            state.SkipWithError("the start-up child did not report");
        }
        if (child != nullptr) {
            pclose(child);
        }
        state.SetIterationTime(static_cast<double>(nanoseconds) * 1e-9);
    }
}

void BM_StartUpEmptyWidget(benchmark::State& state) {
    StartUpInChildren(state, "empty");
}
void BM_StartUpOneLabel(benchmark::State& state) {
    StartUpInChildren(state, "label");
}
void BM_StartUpWindow(benchmark::State& state) {
    StartUpInChildren(state, "window");
}
// Alternated, so that neither profits alone from a warmer disk cache.
BENCHMARK(BM_StartUpEmptyWidget)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpOneLabel)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpWindow)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpEmptyWidget)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpWindow)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QByteArray child = qgetenv("TESSARO_BENCH_STARTUP");
    if (child == "empty") {
        return StartUpChild<QWidget>();
    }
    if (child == "label") {
        return StartUpChild<OneLabel>();
    }
    if (child == "window") {
        return StartUpChild<TGForm>();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
