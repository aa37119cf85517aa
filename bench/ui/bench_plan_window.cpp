// The plan window's costs: painting the plan at 1920 pixels (target: under 2 ms), and a change of
// the settings shown (worked out, laid out and painted again).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

#include "ui/plan_canvas.h"
#include "ui/plan_window.h"

namespace {

char kProgramName[] = "bench_plan_window";
char* kArgv[] = {kProgramName, nullptr};

// All sixteen channels on, with overlaps, a duplicate, folded NCOs and harmonic hits to draw.
TSettings Crowded() {
    TSettings s;
    const float nco[kDdcChannels] = {30e6f,   3e6f, 12e6f, 21e6f, 40.05e6f, 7e6f,  33e6f, 70e6f,
                                     9.95e6f, 5e6f, 45e6f, 18e6f, 25e6f,    26e6f, 3e6f,  28e6f};
    for (int c = 0; c < kDdcChannels; ++c) {
        s.FrequencyNCO[c] = nco[c];
    }
    return s;
}

struct Fixture {
    QTemporaryDir dir;
    int argc = 1;
    QApplication app{argc, kArgv};
    TPlanWindow window{nullptr,
                       std::make_unique<QSettings>(dir.filePath("plan.ini"), QSettings::IniFormat)};
    Fixture() {
        window.Show(Crowded());
        window.resize(1920 + 24, 700);
        window.show();
        QCoreApplication::processEvents();
    }
};

void BM_PaintPlan1920(benchmark::State& state) {
    Fixture f;
    TPlanCanvas* canvas = f.window.Canvas();
    canvas->resize(1920, canvas->height());
    QImage image(canvas->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        canvas->render(&image);
    }
    state.counters["width"] = canvas->width();
}
BENCHMARK(BM_PaintPlan1920)->Unit(benchmark::kMicrosecond);

void BM_ShowChangedSettings(benchmark::State& state) {
    Fixture f;
    TPlanCanvas* canvas = f.window.Canvas();
    canvas->resize(1920, canvas->height());
    QImage image(canvas->size(), QImage::Format_ARGB32_Premultiplied);
    TSettings s = Crowded();
    bool moved = false;
    for (auto _ : state) {
        moved = !moved;
        s.FrequencyNCO[5] = moved ? 8e6f : 7e6f;
        f.window.Show(s);
        canvas->render(&image);
    }
}
BENCHMARK(BM_ShowChangedSettings)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
