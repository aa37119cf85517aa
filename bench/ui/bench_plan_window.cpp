// The plan window's costs: painting the plan at 1920 pixels (target: under 2 ms), and a change of
// the settings shown (worked out, laid out and painted again).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

#include "bench/core/crowded_settings.h"
#include "ui/plan_canvas.h"
#include "ui/plan_window.h"

namespace {

char kProgramName[] = "bench_plan_window";
char* kArgv[] = {kProgramName, nullptr};

struct Fixture {
    QTemporaryDir dir;
    int argc = 1;
    QApplication app{argc, kArgv};
    TPlanWindow window{nullptr,
                       std::make_unique<QSettings>(dir.filePath("plan.ini"), QSettings::IniFormat)};
    Fixture() {
        window.Show(CrowdedSettings());
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
    TSettings s = CrowdedSettings();
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
