// Full drawings of the waveform view at 1600 x 400 pixels, for a one-hour and
// a one-second wave in the same run: a drawing costs one lookup in the wave's
// block summary and one line per column, so the hour must cost about what the
// second costs. Moving one marker repaints single columns and must cost a
// small part of a drawing. The summary is built once per wave, at the first
// drawing: it must cost a small part of loading the wave, and take little
// memory beside the samples.

#include "document/WaveInfo.h"
#include "support/TestFiles.h"
#include "view/GraphImage.h"

#include "RatioReporter.h"

#include <QApplication>

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

const std::string& NoiseFile(std::size_t count)
{
    static TTempDir dir;
    static std::map<std::size_t, std::string> paths;
    std::string& path = paths[count];
    if (path.empty()) {
        path = dir.File("noise-" + std::to_string(count) + ".wav");
        WriteWav(path, Noise(count));
    }
    return path;
}

std::unique_ptr<TWaveInfo> LoadNoise(std::size_t count)
{
    auto wave = std::make_unique<TWaveInfo>();
    wave->LoadFromFile(NoiseFile(count));
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
    marker.Color = TBgrColor::Rgb(255, 0, 0);
    marker.Position = n / 8;
    view->SetMarker("LOOPSTART", marker);
    marker.Color = TBgrColor::Rgb(0, 255, 0);
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

// What the first drawing of a one-hour wave adds, against loading that wave.
void BM_SummaryHour(benchmark::State& state)
{
    const TWaveData& data = Hour().Data();
    for (auto _ : state) {
        const TWavePeaks peaks(data.data(), data.size());
        benchmark::DoNotOptimize(peaks.MemoryBytes());
    }
}

void BM_LoadHour(benchmark::State& state)
{
    for (auto _ : state) {
        TWaveInfo wave;
        wave.LoadFromFile(NoiseFile(kRate * 3600));
        benchmark::DoNotOptimize(wave.Data().data());
    }
}

BENCHMARK(BM_FullDrawingSecond)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_FullDrawingHour)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_MarkerMoveHour)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_SummaryHour)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadHour)->Unit(benchmark::kMillisecond)->MinTime(1.0);

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
    const double summary = reporter.Time("BM_SummaryHour");
    const double load = reporter.Time("BM_LoadHour");
    if (second > 0 && hour > 0)
        std::printf("RATIO full drawing, one hour / one second: %.3f (goal <= 1.5)\n", hour / second);
    if (marker > 0 && hour > 0)
        std::printf("RATIO moving one marker / full drawing: %.4f (goal <= 0.05)\n", marker / hour);
    if (summary > 0 && load > 0)
        std::printf("RATIO building the block summary / loading the wave, one hour: %.3f (goal <= 0.25)\n",
                    summary / load);
    const double sampleBytes = static_cast<double>(Hour().Data().size() * sizeof(int16_t));
    std::printf("SHARE block summary memory / sample bytes: %.2f%% (goal <= 2%%)\n",
                100.0 * static_cast<double>(Hour().Peaks().MemoryBytes()) / sampleBytes);
    benchmark::Shutdown();
}
