// The daemon's own work per wake-up: one sample of an eight-key ADC group through the scanner,
// and one GPIO pass over eight keys, on keypad-tool's in-memory board (replay_board.h). The clock
// moves by the default conversion period (10 ms) between samples, as it does on the set.

#include <benchmark/benchmark.h>

#include "bench_device.h"
#include "bench_layout.h"
#include "main/adc_scanner.h"
#include "main/gpio_keys.h"
#include "replay_board.h"

namespace {

constexpr unsigned int kChannel = 1;
constexpr uint64_t kPeriodMs = 10;
constexpr unsigned int kIdleReading = 255;

void Sample() {
    AdvanceBenchClock(kPeriodMs);
    SampleAdcGroup(0);
}

void Report(benchmark::State& state, uint64_t eventsBefore) {
    const double iterations = state.iterations() > 0 ? static_cast<double>(state.iterations()) : 1;
    state.counters["events/op"] =
        static_cast<double>(BenchEventCount() - eventsBefore) / iterations;
}

void StartGroup(unsigned int reading) {
    ResetReplayBoard();
    SetEightKeyGroup(kChannel);
    SetBoardReading(kChannel, reading);
    for (int i = 0; i < 8; ++i) Sample();
}

// The panel at rest, the daemon's usual state: every key is tried and found not to match, and
// the release step visits every slot.
void BM_AdcSampleIdle(benchmark::State& state) {
    StartGroup(kIdleReading);
    const uint64_t events = BenchEventCount();
    for (auto _ : state) Sample();
    Report(state, events);
}

// An immediate key held down: every sample is confirmed and takes the immediate path.
void BM_AdcSampleHeldKey(benchmark::State& state) {
    StartGroup(ReadingOfKey(5));
    const uint64_t events = BenchEventCount();
    for (auto _ : state) Sample();
    Report(state, events);
}

// Presses of every key in turn, 120 ms down and 280 ms up, long-press keys included: the
// average sample with its share of key events.
void BM_AdcSamplePressCycle(benchmark::State& state) {
    StartGroup(kIdleReading);
    const uint64_t events = BenchEventCount();
    int step = 0;
    int key = 0;
    for (auto _ : state) {
        if (step == 0) SetBoardReading(kChannel, ReadingOfKey(key));
        if (step == 12) SetBoardReading(kChannel, kIdleReading);
        Sample();
        if (++step == 40) {
            step = 0;
            key = (key + 1) % 8;
        }
    }
    Report(state, events);
}

void StartGpio() {
    ResetReplayBoard();
    SetEightGpioKeys();
    for (int n = 0; n < 8; ++n) SetBoardGpioLevel(GpioLineOfKey(n), 1);
    // Settle the start-up levels (keys 1 to 7 are first taken as pressed) before timing.
    for (int i = 0; i < 8; ++i) DoGpioPowerOpt();
}

// Eight released keys: every line is read and matches its reported level.
void BM_GpioPassIdle(benchmark::State& state) {
    StartGpio();
    const uint64_t events = BenchEventCount();
    for (auto _ : state) DoGpioPowerOpt();
    Report(state, events);
}

// One key after another pressed for 10 passes and released for 30: the average pass with its
// share of debouncing, key events and their log lines.
void BM_GpioPassPressCycle(benchmark::State& state) {
    StartGpio();
    const uint64_t events = BenchEventCount();
    int step = 0;
    int key = 0;
    for (auto _ : state) {
        if (step == 0) SetBoardGpioLevel(GpioLineOfKey(key), 0);
        if (step == 10) SetBoardGpioLevel(GpioLineOfKey(key), 1);
        DoGpioPowerOpt();
        if (++step == 40) {
            step = 0;
            key = (key + 1) % 8;
        }
    }
    Report(state, events);
}

}  // namespace

BENCHMARK(BM_AdcSampleIdle);
BENCHMARK(BM_AdcSampleHeldKey);
BENCHMARK(BM_AdcSamplePressCycle);
BENCHMARK(BM_GpioPassIdle);
BENCHMARK(BM_GpioPassPressCycle);
