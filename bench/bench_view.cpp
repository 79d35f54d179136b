// Full drawings of the waveform view at 1600 x 400 pixels, for a one-hour and
// a one-second wave in the same run: a drawing costs one sample lookup and one
// line per column, so the hour must cost about what the second costs. Moving
// one marker repaints single columns and must cost a small part of a drawing.

#include "common/Path.h"
#include "document/WaveInfo.h"
#include "support/TestFiles.h"
#include "view/GraphImage.h"

#include <QApplication>
#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 400;
constexpr std::size_t kRate = 44100;

// Full-scale noise, so that every column's line has a comparable length
// whatever the wave's length.
std::vector<int16_t> Noise(std::size_t count)
{
    std::vector<int16_t> samples(count);
    uint32_t state = 12345;
    for (int16_t& s : samples) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<int16_t>(state >> 16);
    }
    return samples;
}

std::unique_ptr<TWaveInfo> LoadNoise(std::size_t count)
{
    static TTempDir dir;
    const std::string path = dir.File("noise-" + std::to_string(count) + ".wav");
    WriteWav(path, Noise(count));
    auto wave = std::make_unique<TWaveInfo>();
    wave->LoadFromFile(path);
    std::filesystem::remove(PathFromUtf8(path));
    return wave;
}

TWaveInfo& Second()
{
    static const auto wave = LoadNoise(kRate);
    return *wave;
}

TWaveInfo& Hour()
{
    static const auto wave = LoadNoise(kRate * 3600);
    return *wave;
}

// A view as the main window sets it up: whole wave, a selection, both loop markers.
std::unique_ptr<TGraphImage> ViewOf(TWaveInfo& wave)
{
    auto view = std::make_unique<TGraphImage>();
    view->resize(kWidth, kHeight);
    view->SetWaveInfo(&wave);
    const int32_t n = wave.SampleCount();
    view->SetView(0, n);
    view->SetSelection(n / 4, n / 2);
    TMarkerStatus marker;
    marker.Color = 0x0000FF;
    marker.Position = n / 8;
    view->SetMarker("LOOPSTART", marker);
    marker.Color = 0x00FF00;
    marker.Position = n / 8 * 7;
    view->SetMarker("LOOPEND", marker);
    return view;
}

void FullDrawing(benchmark::State& state, TWaveInfo& wave)
{
    const auto view = ViewOf(wave);
    for (auto _ : state) {
        view->Redraw();
        benchmark::DoNotOptimize(view->Surface().constBits());
    }
}

void BM_FullDrawingSecond(benchmark::State& state) { FullDrawing(state, Second()); }
void BM_FullDrawingHour(benchmark::State& state) { FullDrawing(state, Hour()); }

// The play cursor's step: one marker set a few columns further each time.
void BM_MarkerMoveHour(benchmark::State& state)
{
    const auto view = ViewOf(Hour());
    const int32_t n = Hour().SampleCount();
    TMarkerStatus cursor;
    int step = 0;
    for (auto _ : state) {
        cursor.Position = static_cast<int32_t>(static_cast<int64_t>(n) * (step++ % 500) / 500);
        view->SetMarker("PLAYCURSOR", cursor);
        benchmark::DoNotOptimize(view->Surface().constBits());
    }
}

BENCHMARK(BM_FullDrawingSecond)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_FullDrawingHour)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_MarkerMoveHour)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Second();
    Hour();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double second = reporter.Time("BM_FullDrawingSecond");
    const double hour = reporter.Time("BM_FullDrawingHour");
    const double marker = reporter.Time("BM_MarkerMoveHour");
    if (second > 0 && hour > 0)
        std::printf("RATIO full drawing, one hour / one second: %.3f (goal <= 1.5)\n", hour / second);
    if (marker > 0 && hour > 0)
        std::printf("RATIO moving one marker / full drawing: %.4f (goal <= 0.05)\n", marker / hour);
    benchmark::Shutdown();
}
