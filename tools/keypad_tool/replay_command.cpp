#include "replay_command.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tinyxml2.h>

#include <algorithm>
#include <string>
#include <vector>

#include "key_names.h"
#include "key_pars/key_pars.h"
#include "layout_file.h"
#include "main/tavrion_thread.h"
#include "replay_board.h"
#include "replay_engine.h"
#include "trace_line.h"

// How long the daemon may take after the trace's last step to let every key go.
static constexpr uint64_t kSettleWithinMs = 10000;

static void PrintEvent(const ReplayEvent& event, void* context) {
    ++*static_cast<uint64_t*>(context);
    const char* what = event.value == 1 ? "down" : event.value == 0 ? "up" : "?";
    printf("%10llu ms  %s %s\n", static_cast<unsigned long long>(event.ms),
           KeyLabel(event.code).c_str(), what);
}

// Runs fn on every step of the trace in order: 0, or -1 after saying where and why it stops.
template <typename Fn>
static int EachStep(FILE* trace, const char* name, Fn fn) {
    rewind(trace);
    char* line = nullptr;
    size_t size = 0;
    int result = 0;
    for (long number = 1; result == 0 && getline(&line, &size, trace) >= 0; ++number) {
        TraceStep step;
        const char* why = nullptr;
        int parsed = ParseTraceLine(line, step, &why);
        if (parsed > 0) parsed = fn(step, &why);
        if (parsed < 0) {
            fprintf(stderr, "%s:%ld: error: %s\n", name, number, why);
            result = -1;
        }
    }
    free(line);
    return result;
}

static std::string Description() {
    char text[160];
    switch (ReplayWorkerMode()) {
        case kReplayGpio:
            snprintf(text, sizeof text,
                     "GPIO keys polled every %u ms; the ADC keys are never sampled",
                     kGpioPassPauseMs);
            return text;
        case kReplayIdle:
            return "the daemon never wakes: no LSADC channel converts and no GPIO key is set up";
        case kReplayAdc:
            break;
    }
    std::string groups;
    for (int g = 0; g < kAdcGroupCount; ++g) {
        if (keyGroups[g].enable == 0) continue;
        snprintf(text, sizeof text, "%s%d (channel %u)", groups.empty() ? "" : ", ", g,
                 keyGroups[g].channel_id);
        groups += text;
    }
    snprintf(text, sizeof text, "every %u ms one sample of ADC group%s ", ReplayPeriodMs(),
             groups.find(',') == std::string::npos ? "" : "s");
    return text + groups;
}

int RunReplay(const ReplayOptions& options) {
    tinyxml2::XMLDocument document;
    if (LoadLayoutFile(options.file, document) != 0) return 2;
    FILE* trace = fopen(options.trace, "r");
    if (!trace) {
        fprintf(stderr, "keypad-tool: cannot read %s: %s\n", options.trace, strerror(errno));
        return 2;
    }
    // The whole trace is checked before anything is replayed, so a bad line prints no events.
    uint64_t last = 0;
    std::vector<std::string> properties;
    int checked = EachStep(trace, options.trace, [&](const TraceStep& step, const char** why) {
        if (step.ms < last) {
            *why = "the time goes back";
            return -1;
        }
        last = step.ms;
        if (step.kind == kTraceProp &&
            std::find(properties.begin(), properties.end(), step.name) == properties.end()) {
            properties.push_back(step.name);
        }
        if (properties.size() > static_cast<size_t>(kBoardProperties)) {
            *why = "more distinct properties than the board holds (32)";
            return -1;
        }
        return 0;
    });
    if (checked != 0) {
        fclose(trace);
        return 2;
    }
    uint64_t events = 0;
    if (ReplayBegin(options.file, options.periodMs, PrintEvent, &events) != 0) {
        fprintf(stderr,
                "keypad-tool: the daemon reads no key from %s (keypad-tool check says why)\n",
                options.file);
        fclose(trace);
        return 2;
    }
    printf("replay of %s on %s: %s\n", options.trace, options.file, Description().c_str());
    // Checked above: every step can be taken.
    EachStep(trace, options.trace, [](const TraceStep& step, const char**) {
        ReplayStep(step);
        return 0;
    });
    fclose(trace);
    ReplayRunThrough(last);
    // A trace that ends as a key is let go still shows what the release sends.
    const uint64_t settledAt = ReplaySettle(kSettleWithinMs);
    printf("end of trace at %llu ms, %s at %llu ms: %llu wake-ups, %llu key events\n",
           static_cast<unsigned long long>(last), ReplaySettled() ? "settled" : "not settled",
           static_cast<unsigned long long>(settledAt),
           static_cast<unsigned long long>(ReplayWakeups()),
           static_cast<unsigned long long>(events));
    return 0;
}
