// Randomized soak of the key scanner: random valid layouts, random streams of readings, replayed
// in-process through keypad-tool's replay engine (the daemon's own start-up and scanner), with
// the invariants of soak_check.h checked after every wake-up of the worker.
//
//   scanner_soak [--seed N] [--seconds S | --runs N] [--out DIR]
//
// Run r uses seed N + r, so "--seed N+r --runs 1" repeats it. A violation prints that seed and
// the trace up to it, as a layout and a replay file for keypad-tool replay (written to DIR too),
// and exits 1.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "check_command.h"
#include "replay_engine.h"
#include "soak_check.h"
#include "soak_layout.h"
#include "soak_trace.h"

// Time after the last step in which the panel must settle.
static constexpr uint64_t kTailMs = 250;

static SoakChecker checker;

struct Outcome {
    uint64_t wakeups;
    uint64_t samples;  // group samples
    uint64_t holds;    // keys held on their own, whose events were checked
};

// Replays the steps; the checker holds the first violation.
static Outcome Replay(const SoakLayout& layout, const std::string& xml,
                      const std::vector<TraceStep>& steps) {
    StartChecker(checker, layout);
    if (ReplayBegin(xml, layout.periodMs, CheckerEvent, &checker) != 0) {
        checker.failure = "the daemon did not load the layout";
        return {0, 0, 0};
    }
    uint64_t now = 0;
    auto runThrough = [&now](uint64_t through) {
        for (; now <= through && checker.failure.empty(); ++now) {
            const uint64_t before = ReplayWakeups();
            ReplayRunThrough(now);
            if (ReplayWakeups() != before) CheckerSample(checker, now);
        }
    };
    uint64_t end = 0;
    for (const TraceStep& step : steps) {
        if (step.ms > 0) runThrough(step.ms - 1);
        if (!checker.failure.empty()) break;
        ReplayStep(step);
        CheckerStep(checker, step);
        const uint64_t until = step.ms + (step.kind == kTraceStall ? step.value : 0);
        if (until > end) end = until;
    }
    runThrough(end + kTailMs);
    return {ReplayWakeups(), ReplayWakeups() * static_cast<uint64_t>(layout.groups),
            checker.holdsChecked};
}

static bool WriteText(const std::string& path, const std::string& text) {
    FILE* file = fopen(path.c_str(), "w");
    if (!file) return false;
    const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && written;
}

static void Report(unsigned long long seed, const SoakLayout& layout,
                   const std::vector<TraceStep>& steps, const std::string& outDir) {
    char line[512];
    snprintf(line, sizeof line, "# scanner_soak --seed %llu: %s at %llu ms\n", seed,
             checker.failure.c_str(), static_cast<unsigned long long>(checker.failureMs));
    std::string trace = line;
    for (const TraceStep& step : steps) {
        if (step.ms > checker.failureMs) break;
        FormatTraceStep(step, line, sizeof line);
        trace += std::string(line) + "\n";
    }
    // A step that changes nothing, so that the replay runs up to the violation.
    snprintf(line, sizeof line, "%llu stall 0\n",
             static_cast<unsigned long long>(checker.failureMs));
    trace += line;
    const std::string base = outDir + "/soak-" + std::to_string(seed);
    const std::string xml = LayoutXml(layout);
    const bool saved = WriteText(base + ".xml", xml) && WriteText(base + ".replay", trace);
    printf("soak: FAILED, seed %llu: %s at %llu ms\n", seed, checker.failure.c_str(),
           static_cast<unsigned long long>(checker.failureMs));
    printf("reproduce: scanner_soak --seed %llu --runs 1\n", seed);
    printf("       or: keypad-tool replay --period-ms %u %s.xml %s.replay%s\n", layout.periodMs,
           base.c_str(), base.c_str(), saved ? "" : " (could not be written)");
    printf("--- %s.xml\n%s--- %s.replay\n%s", base.c_str(), xml.c_str(), base.c_str(),
           trace.c_str());
}

static double Seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

int main(int argc, char** argv) {
    unsigned long long seed = static_cast<unsigned long long>(time(nullptr));
    double seconds = 10;
    unsigned long long runs = 0;  // 0: as many as the time allows
    std::string outDir = ".";
    for (int i = 1; i < argc; i += 2) {
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value && strcmp(argv[i], "--seed") == 0) {
            seed = strtoull(value, nullptr, 10);
        } else if (value && strcmp(argv[i], "--seconds") == 0) {
            seconds = strtod(value, nullptr);
        } else if (value && strcmp(argv[i], "--runs") == 0) {
            runs = strtoull(value, nullptr, 10);
        } else if (value && strcmp(argv[i], "--out") == 0) {
            outDir = value;
        } else {
            fprintf(stderr,
                    "usage: scanner_soak [--seed N] [--seconds S | --runs N] [--out DIR]\n");
            return 2;
        }
    }
    const double start = Seconds();
    unsigned long long done = 0;
    Outcome total = {0, 0, 0};
    int status = 0;
    for (; runs == 0 ? Seconds() - start < seconds : done < runs; ++done) {
        const unsigned long long runSeed = seed + done;
        Rng rng{runSeed};
        const SoakLayout layout = RandomLayout(rng);
        const bool idleOnly = rng.Percent(10);
        const std::vector<TraceStep> steps = RandomTrace(rng, layout, idleOnly);
        const std::string xml = LayoutXml(layout);
        LayoutElements elements;
        Findings findings;
        if (FindLayoutProblems("layout", xml, elements, findings) != 0 ||
            CountFindings(findings, kError) > 0) {
            printf("soak: FAILED, seed %llu: keypad-tool check finds errors in\n%s", runSeed,
                   LayoutXml(layout).c_str());
            PrintFindings(stdout, "layout", findings);
            status = 1;
            break;
        }
        const Outcome outcome = Replay(layout, xml, steps);
        total.wakeups += outcome.wakeups;
        total.samples += outcome.samples;
        total.holds += outcome.holds;
        if (!checker.failure.empty()) {
            Report(runSeed, layout, steps, outDir);
            status = 1;
            break;
        }
    }
    printf(
        "soak: %llu samples (%llu wake-ups, %llu holds checked) in %llu runs, seeds %llu-%llu, "
        "%.0f s: %s\n",
        static_cast<unsigned long long>(total.samples),
        static_cast<unsigned long long>(total.wakeups),
        static_cast<unsigned long long>(total.holds), done, seed, seed + (done > 0 ? done - 1 : 0),
        Seconds() - start, status == 0 ? "no violation" : "VIOLATION");
    return status;
}
