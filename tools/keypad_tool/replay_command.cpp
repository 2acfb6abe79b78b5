#include "replay_command.h"

#include <stdio.h>
#include <tinyxml2.h>

#include <algorithm>
#include <string>
#include <vector>

#include "input_file.h"
#include "key_names.h"
#include "key_pars/key_pars.h"
#include "layout_file.h"
#include "main/tavrion_thread.h"
#include "output_file.h"
#include "replay_board.h"
#include "replay_engine.h"
#include "replay_picture.h"
#include "trace_text.h"

// How long the daemon may take after the trace's last step to let every key go.
static constexpr uint64_t kSettleWithinMs = 10000;

// What a replay collects as it goes: the events it prints, and what the picture needs.
struct Session {
    uint64_t events;
    ReplayPicture* picture;  // nullptr: no picture
};

static void PrintEvent(const ReplayEvent& event, void* context) {
    Session& session = *static_cast<Session*>(context);
    ++session.events;
    if (session.picture) NoteReplayEvent(*session.picture, event);
    const char* what = event.value == 1 ? "down" : event.value == 0 ? "up" : "?";
    printf("%10llu ms  %s %s\n", static_cast<unsigned long long>(event.ms),
           KeyLabel(event.code).c_str(), what);
}

static std::string Description(const char* periodSource) {
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
    snprintf(text, sizeof text, "every %u ms (%s) one sample of ADC group%s ", ReplayPeriodMs(),
             periodSource, groups.find(',') == std::string::npos ? "" : "s");
    return text + groups;
}

// The period to replay at: --period-ms, else the one the trace was recorded at, else the
// default; a --period-ms that differs from the recording's gets a warning, since every time and
// confirmation then differs from the panel's.
static uint32_t ChoosePeriod(const ReplayOptions& options, const std::string& trace,
                             const char*& source) {
    long line = 0;
    const uint32_t recorded = TraceHeaderPeriod(trace, line);
    if (options.periodMs != 0) {
        if (recorded != 0 && recorded != options.periodMs) {
            fprintf(stderr,
                    "keypad-tool: warning: %s:%ld: the trace was recorded every %u ms; replaying "
                    "every %u ms as --period-ms says\n",
                    options.trace, line, recorded, options.periodMs);
        }
        source = "--period-ms";
        return options.periodMs;
    }
    source = recorded != 0 ? "from the trace's header" : "default";
    return recorded != 0 ? recorded : kDefaultPeriodMs;
}

int ReplayText(const ReplayOptions& options, const std::string& layout, const std::string& trace,
               std::string* svg) {
    tinyxml2::XMLDocument document;
    if (ParseLayoutText(options.file, layout, document) != 0) return 2;
    // The whole trace is checked before anything is replayed, so a bad line prints no events.
    uint64_t last = 0;
    std::vector<std::string> properties;
    TraceProblem problem = {0, nullptr};
    const int checked = EachTraceStep(
        trace,
        [&](const TraceStep& step, long) -> const char* {
            last = step.ms;
            if (step.kind == kTraceProp &&
                std::find(properties.begin(), properties.end(), step.name) == properties.end()) {
                properties.push_back(step.name);
            }
            return properties.size() > static_cast<size_t>(kBoardProperties)
                       ? "more distinct properties than the board holds (32)"
                       : nullptr;
        },
        problem);
    if (checked != 0) {
        fprintf(stderr, "%s:%ld: error: %s\n", options.trace, problem.line, problem.why);
        return 2;
    }
    const char* source = nullptr;
    const uint32_t period = ChoosePeriod(options, trace, source);
    static ReplayPicture picture;
    Session session = {0, svg ? &picture : nullptr};
    if (ReplayBegin(layout, period, PrintEvent, &session) != 0) {
        fprintf(stderr,
                "keypad-tool: the daemon reads no key from %s (keypad-tool check says why)\n",
                options.file);
        return 2;
    }
    printf("replay of %s on %s: %s\n", options.trace, options.file, Description(source).c_str());
    if (svg) {
        BeginReplayPicture(picture,
                           std::string("replay of ") + options.trace + " on " + options.file);
    }
    // Checked above: every step can be taken.
    EachTraceStep(
        trace,
        [&](const TraceStep& step, long) -> const char* {
            ReplayStep(step);
            if (svg) NoteReplayStep(picture, step);
            return nullptr;
        },
        problem);
    ReplayRunThrough(last);
    // A trace that ends as a key is let go, or in the middle of a press, still shows what the
    // daemon makes of it.
    const uint64_t settledAt = ReplaySettle(kSettleWithinMs);
    printf("end of trace at %llu ms, %s at %llu ms: %llu wake-ups, %llu key event%s\n",
           static_cast<unsigned long long>(last), ReplaySettled() ? "settled" : "not settled",
           static_cast<unsigned long long>(settledAt),
           static_cast<unsigned long long>(ReplayWakeups()),
           static_cast<unsigned long long>(session.events), session.events == 1 ? "" : "s");
    if (svg) {
        picture.endMs = std::max(picture.endMs, settledAt);
        *svg = DrawReplayPicture(picture, options.fromMs, options.toMs);
    }
    return 0;
}

int RunReplay(const ReplayOptions& options) {
    if (RefuseOutputOverInput(options.svgPath, "the picture", options.file, options.trace) != 0) {
        return 2;
    }
    std::string layout;
    std::string trace;
    if (ReadInputFile(options.file, layout) != 0) return 2;
    if (ReadInputFile(options.trace, trace) != 0) return 2;
    std::string svg;
    const int status = ReplayText(options, layout, trace, options.svgPath ? &svg : nullptr);
    if (status == 0 && options.svgPath && WriteOutputFile(options.svgPath, svg) != 0) return 2;
    return status;
}
