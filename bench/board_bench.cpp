// The same idle sample and idle GPIO pass as daemon_bench, but on the simulated board that the
// daemon runs on off the set (a fresh, empty board folder: idle ladder, released lines, default
// properties). Beside the in-memory figures it shows how much of the daemon's cost in the
// real-kernel run is the simulated board's file reads rather than the daemon's own work.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>

#include "bench_device.h"
#include "bench_layout.h"
#include "main/adc_scanner.h"
#include "main/gpio_keys.h"

namespace {

constexpr unsigned int kChannel = 1;
constexpr uint64_t kPeriodMs = 10;

// An empty board folder for the whole run, removed at exit.
std::string boardDir;

void RemoveBoard() {
    if (!boardDir.empty()) {
        const std::string command = "rm -rf '" + boardDir + "'";
        if (system(command.c_str()) != 0) boardDir.clear();
    }
}

bool MakeBoard() {
    if (!boardDir.empty()) return true;
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/tavrion-bench.XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) return false;
    boardDir = pattern;
    setenv("SIM_BOARD_DIR", boardDir.c_str(), 1);
    atexit(RemoveBoard);
    return true;
}

void BM_BoardAdcSampleIdle(benchmark::State& state) {
    if (!MakeBoard()) {
        state.SkipWithError("cannot make a board folder");
        return;
    }
    SetEightKeyGroup(kChannel);
    for (auto _ : state) {
        AdvanceBenchClock(kPeriodMs);
        SampleAdcGroup(0);
    }
}

void BM_BoardGpioPassIdle(benchmark::State& state) {
    if (!MakeBoard()) {
        state.SkipWithError("cannot make a board folder");
        return;
    }
    SetEightGpioKeys();
    for (int i = 0; i < 8; ++i) DoGpioPowerOpt();
    for (auto _ : state) DoGpioPowerOpt();
}

}  // namespace

BENCHMARK(BM_BoardAdcSampleIdle);
BENCHMARK(BM_BoardGpioPassIdle);
