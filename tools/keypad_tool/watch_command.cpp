#include "watch_command.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <tinyxml2.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "key_names.h"
#include "key_pars/key_pars.h"
#include "layout_file.h"
#include "reading_owners.h"
#include "recorder_process.h"
#include "replay_engine.h"
#include "trace_line.h"
#include "trace_text.h"

// One enabled ADC group as the watch shows it.
struct WatchedGroup {
    int group;
    int8_t owners[kReadings];
    bool known;
    bool failed;
    uint32_t reading;
};

static WatchedGroup watched[kAdcGroupCount];
static int watchedCount;
static bool onTerminal;
static bool statusShown;
static uint64_t events;
static pid_t recorderPid = -1;

// A stop for the watch is a stop for its recorder, which then ends its trace and the watch with
// it (Ctrl-C on a terminal reaches both anyway).
static void ForwardStop(int) {
    if (recorderPid > 0) kill(recorderPid, SIGTERM);
}

static std::string GroupText(const WatchedGroup& w) {
    char text[160];
    if (!w.known) return "";
    if (w.failed) {
        snprintf(text, sizeof text, "channel %u: read fails", keyGroups[w.group].channel_id);
        return text;
    }
    const int slot = w.reading < kReadings ? w.owners[w.reading] : -1;
    if (slot < 0) {
        snprintf(text, sizeof text, "channel %u: 0x%02x no key", keyGroups[w.group].channel_id,
                 w.reading);
    } else {
        snprintf(text, sizeof text, "channel %u: 0x%02x key %d %s", keyGroups[w.group].channel_id,
                 w.reading, slot, KeyLabel(keyGroups[w.group].KeyCode[slot]).c_str());
    }
    return text;
}

// On a terminal one status line, redrawn in place below the events.
static void ShowStatus() {
    std::string line;
    for (int i = 0; i < watchedCount; ++i) {
        line += (i > 0 ? "  |  " : "") + GroupText(watched[i]);
    }
    printf("\r\033[K%s", line.c_str());
    fflush(stdout);
    statusShown = true;
}

static void PrintEvent(const ReplayEvent& event, void*) {
    ++events;
    if (onTerminal && statusShown) printf("\r\033[K");
    printf("%10llu ms  %s %s\n", static_cast<unsigned long long>(event.ms),
           KeyLabel(event.code).c_str(), event.value == 1 ? "down" : "up");
    if (onTerminal) ShowStatus();
}

// Shows a channel's new reading: true when the line changed.
static void NoteReading(const TraceStep& step) {
    for (int i = 0; i < watchedCount; ++i) {
        WatchedGroup& w = watched[i];
        if (keyGroups[w.group].channel_id != step.target) continue;
        const bool failed = step.kind == kTraceAdcFail;
        if (w.known && w.failed == failed && w.reading == step.value) continue;
        const std::string before = GroupText(w);
        w.known = true;
        w.failed = failed;
        w.reading = failed ? 0 : step.value;
        const std::string after = GroupText(w);
        if (onTerminal) {
            ShowStatus();
        } else if (after != before) {
            printf("%10llu ms  %s\n", static_cast<unsigned long long>(step.ms), after.c_str());
        }
    }
}

// The recorder's header up to its first step, which goes to firstStep: the period it samples at
// (0 when it states none). False when the stream ends first.
static uint32_t ReadHeader(FILE* trace, std::string& firstStep, bool& ended) {
    std::string header;
    char* line = nullptr;
    size_t size = 0;
    ended = true;
    while (getline(&line, &size, trace) >= 0) {
        TraceStep step;
        const char* why = nullptr;
        if (ParseTraceLine(line, step, &why) != 0) {
            firstStep = line;
            ended = false;
            break;
        }
        header += line;
    }
    free(line);
    long at = 0;
    return TraceHeaderPeriod(header, at);
}

static void Watch(const std::string& firstStep, FILE* trace) {
    char* line = nullptr;
    size_t size = 0;
    uint64_t last = 0;
    for (bool first = true; first || getline(&line, &size, trace) >= 0; first = false) {
        TraceStep step;
        const char* why = nullptr;
        if (ParseTraceLine(first ? firstStep.c_str() : line, step, &why) <= 0) continue;
        if (ReplayStep(step) != 0) continue;
        last = step.ms;
        if (step.kind == kTraceAdc || step.kind == kTraceAdcFail) NoteReading(step);
    }
    free(line);
    ReplayRunThrough(last);
}

int RunWatch(const WatchOptions& options) {
    std::string layout;
    tinyxml2::XMLDocument document;
    if (LoadLayoutFile(options.layout, layout, document) != 0) return 2;
    // The recorder samples at --period-ms, else at the board's conversion period, else at its own
    // default; its header says which, and the daemon's scanner runs at that period.
    uint32_t asked = options.periodMs;
    const char* source = "--period-ms";
    if (asked == 0) {
        asked = BoardPeriodMs();
        source = asked != 0 ? "the board's lsadc/period_ms" : "the recorder's default";
    }
    onTerminal = isatty(STDOUT_FILENO) != 0;
    // A watch is read as it happens, through a pipe (tee, a log) as well as on a terminal.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    events = 0;
    statusShown = false;
    if (ReplayBegin(layout, asked, PrintEvent, nullptr) != 0) {
        fprintf(stderr,
                "keypad-tool: the daemon reads no key from %s (keypad-tool check says why)\n",
                options.layout);
        return 2;
    }
    std::vector<std::string> args = {"--every-sample"};
    if (asked != 0) args.insert(args.end(), {"--period-ms", std::to_string(asked)});
    const size_t noSources = args.size();
    watchedCount = 0;
    if (ReplayWorkerMode() == kReplayGpio) {
        const int keys = gpioKeys.KeyLevelNum < kKeySlots ? gpioKeys.KeyLevelNum : kKeySlots;
        for (int k = 0; k < keys; ++k) {
            args.push_back("--gpio");
            args.push_back(std::to_string(gpioKeys.GroupNum[k] * 8u + gpioKeys.PinNum[k]));
        }
    } else {
        for (int g = 0; g < kAdcGroupCount; ++g) {
            if (keyGroups[g].enable == 0) continue;
            WatchedGroup& w = watched[watchedCount++];
            w = WatchedGroup{g, {}, false, false, 0};
            ReadingOwners(g, w.owners);
            args.push_back("--channel");
            args.push_back(std::to_string(keyGroups[g].channel_id));
        }
    }
    if (args.size() == noSources) {
        fprintf(stderr, "keypad-tool: %s enables no key group: nothing to watch\n", options.layout);
        return 2;
    }
    pid_t recorder = -1;
    FILE* trace = StartRecorder(args, recorder);
    if (!trace) return 2;
    recorderPid = recorder;
    struct sigaction stop = {};
    stop.sa_handler = ForwardStop;
    stop.sa_flags = SA_RESTART;
    sigemptyset(&stop.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &stop, nullptr);
    std::string firstStep;
    bool ended = false;
    const uint32_t recorded = ReadHeader(trace, firstStep, ended);
    const uint32_t period = recorded != 0 ? recorded : asked != 0 ? asked : kDefaultPeriodMs;
    if (!ended) {
        // The records and board are as the first start-up left them; the scanner starts afresh
        // at the recorder's period.
        ReplayBegin(layout, period, PrintEvent, nullptr);
        fprintf(stderr, "watching %s: a sample every %u ms (%s); Ctrl-C stops\n", options.layout,
                period, recorded == asked || asked == 0 ? source : "the recorder's header");
        Watch(firstStep, trace);
    }
    fclose(trace);
    int status = 0;
    waitpid(recorder, &status, 0);
    if (onTerminal) printf("\n");
    printf("watched for %.1f s: %llu key events\n", ReplayNowMs() / 1000.0,
           static_cast<unsigned long long>(events));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 2;
}
